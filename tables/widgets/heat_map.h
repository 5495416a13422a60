// A heat map of traffic: a row per day, a column per period of the clock,
// each cell coloured by its erlangs on a scale from none to the most (a
// perceptually even, colour-blind-safe ramp, its legend at the right), the
// time-consistent busy hour outlined across every day. A clock time the day
// never showed (the clocks went forward) is hatched; one it showed twice
// (back) is split corner to corner, the first hour above. Hovering names the
// day, the clock time and its traffic.
#pragma once

#include "tables/models/call_records.h"

#include <QWidget>

namespace tables {

class HeatMap : public QWidget {
    Q_OBJECT

public:
    explicit HeatMap(QWidget* parent = nullptr);

    void setGrid(HeatGrid grid);
    const HeatGrid& grid() const { return grid_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The cell at `point`, or (-1, -1).
    QPoint cellAt(const QPoint& point) const;
    // What hovering a cell says.
    QString cellText(int row, int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRectF plot() const;

    HeatGrid grid_;
};

// The colour of `share` (0 to 1) of the scale.
QColor HeatColour(double share);

} // namespace tables
