// The day of the call-centre tab with its queue carried over: the calls of
// its intervals planned by the room transient/ (each interval the fewest
// agents that meet the target from the state it starts in), and the usual
// plan (each interval as if it lasted for ever) judged the same way, so that
// the planner sees which intervals the usual plan misses. Or a schedule,
// pasted or read, judged carried over. The day's shared inputs only: the
// room knows one handling time, one patience and one target for the day.
#pragma once

#include "tables/models/day_staffing.h"
#include "transient/day.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace tables {

struct CarriedDay {
    // The queue carried over: the room's plan, or the schedule judged.
    transient::DayResult plan;
    // The usual plan's agents, each interval judged carried over.
    transient::DayResult usual;
    // Why the day cannot be carried over; empty when it was.
    QString refused;
};

// Carries `day` over from an empty centre, the agents of `schedule` judged
// where one is given (one whole count an interval), else staffed. Refused
// (in `refused`) where an interval has no calls, a row's inputs are its own,
// the inputs need Erlang X (redials, a forecast's variance, another basis or
// wait, caps on hang-ups or blocking), or the room refuses the day.
CarriedDay CarryDay(const Day& day, const std::optional<std::vector<double>>& schedule = {},
                    const transient::Monitor& monitor = {});

// The carried day a row an interval: its label and calls, the usual plan's
// agents and its service level carried over beside the room's plan, its
// agents to schedule, service level and the calls waiting at its end.
class CarriedDayModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CarriedDayModel(QObject* parent = nullptr);

    const CarriedDay& carried() const { return carried_; }
    void setDay(const Day& day, CarriedDay carried);
    // Whether the usual plan misses the target in `row`, carried over.
    bool usualMisses(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList labels_;
    std::vector<double> calls_;
    CarriedDay carried_;
};

} // namespace tables
