#include "tables/models/curves.h"

#include "teletraffic/erlang_b.h"

#include <algorithm>
#include <cmath>

namespace tables {
namespace {

// Evenly spaced x values from first to last, whole ones for line counts.
std::vector<double> Xs(const CurveSetup& setup) {
    const bool whole = setup.kind == CurveKind::BlockingByLines;
    const double span = setup.last - setup.first;
    const int count =
        whole ? static_cast<int>(std::min<double>(span + 1, kCurvePoints)) : kCurvePoints;
    std::vector<double> xs;
    for (int i = 0; i < count; ++i) {
        const double x = setup.first + span * i / std::max(1, count - 1);
        xs.push_back(whole ? std::round(x) : x);
    }
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    return xs;
}

} // namespace

Curves ComputeCurves(const CurveSetup& setup, const Monitor& monitor) {
    Curves result{
        setup, {}, std::clamp(setup.target / 100, std::pow(10.0, -kMaxDecades), 1e-6), {}};
    const std::vector<double> xs = Xs(setup);
    const auto points = static_cast<qint64>(xs.size());
    qint64 curves = 0;
    for (double value : setup.values) {
        Curve curve{value, {}, std::nullopt};
        for (double x : xs) {
            if (monitor.cancelled()) {
                return {setup, {}, result.floor, {}};
            }
            monitor.progress(curves * points + curve.points.size());
            if (setup.kind == CurveKind::LinesByTraffic) {
                curve.points.append({x, static_cast<double>(teletraffic::ErlangBLines(x, value))});
                continue;
            }
            const double blocking = teletraffic::ErlangB(value, x);
            // The first point under the floor takes the line out of the
            // chart's bottom edge; those after it would not be seen.
            curve.points.append({x, std::max(blocking, result.floor / 10)});
            if (blocking < result.floor) {
                break;
            }
        }
        if (setup.kind == CurveKind::BlockingByLines) {
            const auto lines = static_cast<double>(teletraffic::ErlangBLines(value, setup.target));
            if (lines >= setup.first && lines <= setup.last) {
                // On the axis's floor when below it.
                curve.answer =
                    QPointF(lines, std::max(teletraffic::ErlangB(value, lines), result.floor));
            }
        }
        result.curves.push_back(std::move(curve));
        monitor.progress(++curves * points);
    }
    return result;
}

} // namespace tables
