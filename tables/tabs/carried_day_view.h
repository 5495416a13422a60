// The day carried over, in the call-centre tab's 1日の要員計画: the usual
// plan's agents and the room's side by side in a table, and a chart of the
// usual plan's service level each interval, judged with the queue carried
// over, against the target, the intervals it misses in red.
#pragma once

#include "tables/models/carried_day.h"

#include <QWidget>

#include <optional>

class QChartView;
class QLabel;
class QTableView;

namespace tables {

class CarriedDayView : public QWidget {
    Q_OBJECT

public:
    explicit CarriedDayView(QWidget* parent);
    // `target`: the service level the day is staffed for, none for a wait.
    void show(const Day& day, CarriedDay carried, std::optional<double> target);
    const CarriedDayModel& model() const { return *model_; }
    QChartView* chart() const { return chart_; }

private:
    void showChart(std::optional<double> target);

    CarriedDayModel* model_;
    QLabel* refused_;
    QTableView* table_;
    QChartView* chart_;
};

} // namespace tables
