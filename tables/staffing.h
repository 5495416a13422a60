// Call-centre staffing. Calls per interval, the interval's length and the
// average handling time give the traffic; a target (a share of calls answered
// within a target time, or an average wait) gives the agents on the phones,
// raised if need be to keep their occupancy under a cap, then grossed up for
// shrinkage to the agents to schedule. Callers wait for ever (Erlang C) unless
// a patience is given: then they hang up after it on average (Erlang A), and
// the queue stays finite even with fewer agents than the traffic.
// The table around the answer shows what one agent more or less changes.
#pragma once

#include "tables/number_format.h" // FromPercent

#include "teletraffic/staffing_factors.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace tables {

enum class StaffingTarget { ServiceLevel, AverageWait };

// What an average wait averages. The engine's figure today: the wait of every
// caller, those who hang up counted until they do; with no hang-ups it is
// the mean wait of answered calls, an ACD report's ASA. The answered calls'
// own mean wait under abandonment is to come as a second basis.
enum class WaitBasis { AllCallers };

struct StaffingInputs {
    double calls = 100;          // calls offered in one interval
    double intervalMinutes = 30; // the interval's length
    double ahtSeconds = 180;     // average handling time
    // Mean time a caller waits before hanging up; none: callers never do.
    std::optional<double> patienceSeconds;
    StaffingTarget target = StaffingTarget::ServiceLevel;
    double targetSeconds = 20;      // answered within this time ...
    double serviceLevel = 0.8;      // ... this share of calls, 0 up to 1 exclusive
    double averageWaitSeconds = 20; // or an average wait of at most this, above 0
    WaitBasis waitBasis = WaitBasis::AllCallers;
    double shrinkage = 0;    // share of paid time off the phones, 0 up to 1 exclusive
    double maxOccupancy = 1; // cap on the agents' occupancy, above 0 up to 1

    double traffic() const { return calls * ahtSeconds / (intervalMinutes * 60); }
};

// The words for the average wait and its target, as `basis` and the model
// (callers hanging up, or not) make it: one name wherever it is shown.
struct WaitWords {
    QString heading;     // the staffing table's column
    QString brief;       // the day's narrow column
    QString name;        // in a sentence: "平均応答時間"
    QString target;      // the target field's label
    QString choice;      // the target kind's item
    QString explanation; // what it averages, for tips and help
};
WaitWords WaitWording(WaitBasis basis, bool patience);

// One line of the table. By Erlang C, with traffic at or above the agents the
// queue grows without end and the figures have no value.
struct StaffingRow {
    qint64 agents;
    bool unbounded;
    double serviceLevel;
    double averageWait; // seconds, as the inputs' WaitBasis averages it
    double waitProbability;
    double abandonment; // share of callers who hang up; 0 by Erlang C
    double occupancy;   // carried traffic per agent
};

// The figures of `agents` answering the inputs' traffic.
StaffingRow Figures(const StaffingInputs& inputs, qint64 agents);

struct Staffing {
    StaffingInputs inputs;
    double traffic = 0;   // erlangs
    qint64 agents = 0;    // on the phones: the fewest that meet the target and the cap
    qint64 scheduled = 0; // to schedule, for shrinkage
    teletraffic::Decided decidedBy = teletraffic::Decided::ServiceTarget;
    StaffingRow answer{}; // the figures of `agents`
    // Without patience a few agents below the answer to a few above it; with
    // patience from well below the traffic to comfortably above the answer.
    std::vector<StaffingRow> rows;
};

// The answer and, if `withRows`, the table around it. No calls need no agents
// (the engine would give at least one). Inputs out of range throw
// teletraffic::DomainError, naming the argument (Argument::Traffic for too
// many calls).
Staffing Staff(const StaffingInputs& inputs, bool withRows = true);

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
    // The figure a view column shows: the abandonment column only with patience.
    int figure(int column) const;

    Staffing staffing_;
};

// A figure as the tab shows it, in its tables, their copies and files:
// percentages and seconds to one decimal, or as many more as tell it from
// its target (the service level, the average wait, the occupancy cap), so
// that a row that misses the target never shows as the target.
enum class Shown { ServiceLevel, Wait, Occupancy, Share };
QString FigureText(const StaffingInputs& inputs, Shown what, double value);

// Traffic as the tab shows it everywhere, heading and tables alike: two
// decimals, or three significant digits where two decimals would show 0.
QString TrafficText(double erlangs);

// Shown in place of the figures where traffic is at or above the agents.
QString UnboundedQueueText();

} // namespace tables
