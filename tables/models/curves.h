// The curves of the chart tab: blocking against lines for some traffic values,
// with the line count each needs at a target; or lines needed against traffic
// for some targets, where the economy of large groups shows.
#pragma once

#include "tables/models/monitor.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace tables {

enum class CurveKind { BlockingByLines, LinesByTraffic };

struct CurveSetup {
    CurveKind kind = CurveKind::BlockingByLines;
    std::vector<double> values{5, 10, 20}; // traffic values, or blocking targets
    double target = 0.01;                  // for blocking against lines
    double first = 1;                      // lines (whole) or traffic along the x axis
    double last = 40;
};

// Most points a curve has: a wider range is sampled, not drawn count by count.
inline constexpr int kCurvePoints = 400;

struct Curve {
    double value; // the traffic or target it is drawn for
    QList<QPointF> points;
    std::optional<QPointF> answer; // lines needed at the target, if in range
};

struct Curves {
    CurveSetup setup;
    std::vector<Curve> curves;
    // Blocking axis floor: a curve stops one point below it, since a
    // logarithmic axis cannot show 0. At most kMaxDecades below 1, so that a
    // target of 1e-300 leaves a readable axis (the target then off it).
    double floor = 0;
    QString error; // what the engine refused, if it did
};

inline constexpr int kMaxDecades = 12;

// Reports the points done, out of values.size() * kCurvePoints at most; an
// empty result when cancelled.
Curves ComputeCurves(const CurveSetup& setup, const Monitor& monitor = {});

} // namespace tables
