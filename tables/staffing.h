// Call-centre staffing by Erlang C: calls per interval, the interval's length
// and the average handling time give the traffic; the service-level target
// (a share of calls answered within a target time) gives the agents needed.
// The table around the answer shows what one agent more or less changes.
#pragma once

#include <QAbstractTableModel>

#include <vector>

namespace tables {

struct StaffingInputs {
    double calls = 100;          // calls offered in one interval
    double intervalMinutes = 30; // the interval's length
    double ahtSeconds = 180;     // average handling time
    double targetSeconds = 20;   // answered within this time ...
    double serviceLevel = 0.8;   // ... this share of calls, 0 up to 1 exclusive

    double traffic() const { return calls * ahtSeconds / (intervalMinutes * 60); }
};

// One line of the table. With traffic at or above the agents the queue grows
// without end and the figures have no value.
struct StaffingRow {
    qint64 agents;
    bool unbounded;
    double serviceLevel;
    double averageSpeedOfAnswer; // seconds
    double waitProbability;
    double occupancy; // traffic per agent
};

struct Staffing {
    double traffic = 0; // erlangs
    qint64 agents = 0;  // the fewest that meet the target
    std::vector<StaffingRow> rows;
};

// The answer with rows from a few agents below it to a few above. The inputs
// must be in range and give a traffic of at most teletraffic::kMaxTraffic.
Staffing Staff(const StaffingInputs& inputs);

class StaffingModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit StaffingModel(QObject* parent = nullptr);

    const Staffing& staffing() const { return staffing_; }
    void setStaffing(Staffing staffing);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Staffing staffing_;
};

// Shown in place of the figures where traffic is at or above the agents.
QString UnboundedQueueText();

} // namespace tables
