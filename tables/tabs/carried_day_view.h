// The day carried over, in the call-centre tab's 1日の要員計画: the usual
// plan's agents and the room's side by side in a table, and a chart of the
// usual plan's service level each interval, judged with the queue carried
// over, against the target, the intervals it misses in red. A schedule
// pasted, read from a file or made by シフト作成 is judged beside them (the
// chart then its), until 計画に戻る.
#pragma once

#include "tables/models/carried_day.h"

#include <QWidget>

#include <functional>
#include <optional>

class QChartView;
class QLabel;
class QPushButton;
class QTableView;

namespace tables {

class CarriedDayView : public QWidget {
    Q_OBJECT

public:
    // Where a schedule comes from besides the clipboard: a file's path (the
    // window's dialog; empty when none is chosen), シフト作成's last schedule.
    struct Sources {
        std::function<QString()> openPath;
        std::function<std::optional<shifts::Schedule>()> shifts;
    };
    CarriedDayView(QWidget* parent, Sources sources);
    // `target`: the service level the day is staffed for, none for a wait.
    void show(const Day& day, CarriedDay carried, std::optional<double> target);
    const CarriedDayModel& model() const { return *model_; }
    QChartView* chart() const { return chart_; }
    QTableView* table() const { return table_; }
    // The schedule to judge; none: the plan alone.
    const std::optional<ScheduleRows>& schedule() const { return schedule_; }
    void setSchedule(std::optional<ScheduleRows> schedule);
    void pasteSchedule();
    void importSchedule();

signals:
    // The schedule to judge changed: the day is to be carried again.
    void scheduleChanged();

private:
    void showChart(std::optional<double> target);

    Sources sources_;
    CarriedDayModel* model_;
    QLabel* refused_;
    QPushButton* back_;
    QTableView* table_;
    QChartView* chart_;
    std::optional<ScheduleRows> schedule_;
};

} // namespace tables
