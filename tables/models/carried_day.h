// The day of the call-centre tab with its queue carried over: the calls of
// its intervals planned by the room transient/ (each interval the fewest
// agents that meet the target from the state it starts in), and the usual
// plan (each interval as if it lasted for ever) judged the same way, so that
// the planner sees which intervals the usual plan misses. And a schedule,
// pasted, read or made by シフト作成, judged carried over beside them. The
// day's shared inputs only: the room knows one handling time, one patience
// and one target for the day.
#pragma once

#include "tables/models/carried_schedule.h"
#include "tables/models/day_staffing.h"
#include "transient/day.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace tables {

struct CarriedDay {
    // The queue carried over: the room's plan.
    transient::DayResult plan;
    // The usual plan's agents, each interval judged carried over.
    transient::DayResult usual;
    // The schedule judged carried over, where one was given, and where from.
    std::optional<transient::DayResult> judged;
    QString judgedSource; // also where a schedule given was refused
    // Why the day cannot be carried over; empty when it was.
    QString refused;
};

// Carries `day` over from an empty centre: staffed, the usual plan judged,
// and the agents of `schedule` judged where one is given (one whole count
// an interval, the day's order). Refused
// (in `refused`) where an interval has no calls, a row's inputs are its own,
// the inputs need Erlang X (redials, a forecast's variance, another basis or
// wait, caps on hang-ups or blocking), or the room refuses the day.
CarriedDay CarryDay(const Day& day, const std::optional<std::vector<double>>& schedule = {},
                    const transient::Monitor& monitor = {});
// The same with the schedule's rows put on the day's intervals by time,
// refused as MatchSchedule refuses them; staffed alone without a schedule.
CarriedDay CarryAndJudge(const Day& day, const std::optional<ScheduleRows>& schedule,
                         const transient::Monitor& monitor = {});

// The day carried over in a few lines for the headline: the plan's peak and
// agent-hours, the intervals the usual plan misses, the schedule judged;
// then how the volumes were read, as DaySummary says it. The per-interval
// day's summary where the day was not carried.
QString CarriedSummary(const Day& day, const CarriedDay& carried);
// The same for a saved file's head: a label and its values a line.
QList<QStringList> CarriedLines(const Day& day, const CarriedDay& carried);

// The carried day a row an interval: its label and calls, the usual plan's
// agents and its service level carried over beside the room's plan, its
// agents to schedule, service level and the calls waiting at its end; then,
// where a schedule is judged, its agents and service level, red where it
// misses the target. kStackedHeading gives each heading on two lines.
class CarriedDayModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CarriedDayModel(QObject* parent = nullptr);

    const CarriedDay& carried() const { return carried_; }
    void setDay(const Day& day, CarriedDay carried);
    static constexpr int kStackedHeading = Qt::UserRole;
    // Whether the usual plan misses the target in `row`, carried over.
    bool usualMisses(int row) const;
    // Whether the schedule judged misses it there; false with none.
    bool judgedMisses(int row) const;
    // Whether `column` shows the usual plan's figures, or the schedule's.
    bool usualColumn(int column) const;
    bool judgedColumn(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList labels_;
    std::vector<double> calls_;
    std::vector<int> columns_; // what each column shows: the schedule's only where judged
    CarriedDay carried_;
};

} // namespace tables
