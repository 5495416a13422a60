// Call-centre staffing. Calls per interval, the interval's length and the
// average handling time give the traffic; the targets (a share of calls
// answered within a target time, an average wait, or both) give the agents on
// the phones, the fewest that meet every one, raised if need be to keep their
// occupancy under a cap, then grossed up for shrinkage to the agents to
// schedule. Callers wait for ever (Erlang C) unless
// a patience is given: then they hang up after it on average (Erlang A), and
// the queue stays finite even with fewer agents than the traffic.
//
// Beyond those, Erlang X: a limit of lines (callers who find them all busy
// hear a busy tone), callers who call again after a busy tone or hanging up,
// a forecast whose call count varies more than chance alone would, and the
// service level and the average wait on the other definitions planners use.
// With none of them given the figures are Erlang C's or A's, to the bit.
// The table around the answer shows what one agent more or less changes.
#pragma once

#include "tables/models/monitor.h"
#include "tables/models/number_format.h" // FromPercent

#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_x.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tables {

// What an average wait averages: every caller's wait, those who hang up
// counted until they do, or the answered calls' alone (an ACD report's ASA),
// a choice of the registry (teletraffic/arguments.h). With no hang-ups the
// two are the same.
using WaitBasis = teletraffic::WaitBasis;

struct StaffingInputs {
    double calls = 100;          // calls offered in one interval
    double intervalMinutes = 30; // the interval's length
    double ahtSeconds = 180;     // average handling time
    // Mean time a caller waits before hanging up; none: callers never do.
    std::optional<double> patienceSeconds;
    // Calls the centre holds at once, answered or waiting (whole, 1 or
    // more); none: no limit.
    std::optional<double> lines;
    // Share of callers who call again after a busy tone or hanging up, 0 up
    // to 1 exclusive.
    double redial = 0;
    // The forecast's variance of the interval's call count, at least the
    // calls; none: the calls vary as chance alone makes them (Poisson).
    std::optional<double> callsVariance;
    // The targets, every one given met (at least one given): a share of
    // calls answered within a time, 0 up to 1 exclusive, of calls counted by
    // `basis`; an average wait of at most so many seconds, every caller's or
    // the answered calls'; caps on the share of callers who hang up and of
    // calls blocked (a day's columns give those two).
    double targetSeconds = 20;
    std::optional<double> serviceLevel = 0.8;
    teletraffic::Basis basis = teletraffic::Basis::Offered;
    std::optional<double> averageWaitSeconds;  // every caller's, those who hang up until they do
    std::optional<double> answeredWaitSeconds; // the answered calls' (an ACD report's ASA)
    std::optional<double> maxAbandon;
    std::optional<double> maxBlocking;
    // The average wait the tables show, and the one the window's wait target sets.
    WaitBasis waitBasis = WaitBasis::AllCallers;
    double shrinkage = 0;    // share of paid time off the phones, 0 up to 1 exclusive
    double maxOccupancy = 1; // cap on the agents' occupancy, above 0 up to 1

    double traffic() const { return calls * ahtSeconds / (intervalMinutes * 60); }
};

// The target on the average wait the tables show, if any.
std::optional<double> ShownWaitTarget(const StaffingInputs& inputs);
// The targets as Erlang X takes them.
teletraffic::ErlangXTargets TargetsOf(const StaffingInputs& inputs);

// Whether the inputs go beyond Erlang C and A (lines, redials, a forecast's
// variance, another definition of the service level or of the wait, where
// callers hang up): Erlang X answers them.
bool UsesErlangX(const StaffingInputs& inputs);
// Whether Erlang X's figures take milliseconds each (a forecast's variance),
// not microseconds: a window computes them off its own thread.
bool Slow(const StaffingInputs& inputs);

// The columns that apply to the inputs beyond the agents, the service level,
// the wait, its probability and the occupancy.
struct StaffingColumns {
    bool abandonment; // callers who hang up: a patience
    bool blocking;    // busy tones: lines
    // Callers finally lost, redials and all: where it is neither the
    // abandonment nor the blocking alone (redials, or lines and a patience).
    bool callersLost;
};
StaffingColumns ColumnsFor(const StaffingInputs& inputs);

// The inputs for an interval of a day with `calls`: the forecast's variance
// scaled so that the relative spread of the call rate is the field's, the
// spread beyond chance growing with the square of the calls:
// variance = calls + (V - C) (calls / C)^2 for the fields' calls C and variance V.
StaffingInputs ForInterval(const StaffingInputs& inputs, double calls);

// What no count of agents up to the lines meets: the occupancy cap (every
// target is met once the agents reach the lines, where nobody waits). A
// refusal of the lines (DomainError on "lines") whose text says why.
class TooFewLines : public teletraffic::DomainError {
public:
    TooFewLines(double lines, QString text);
    const QString& text() const { return text_; }

private:
    QString text_;
};

// What the staffing's engine refuses, in the window's words: as
// EngineErrorText, the call-centre's arguments in its own words.
QString StaffingErrorText(const std::exception& error);

// The words for the average wait and its target, as `basis` and the model
// (callers hanging up, or not) make it: one name wherever it is shown.
// Without hang-ups both bases are the ASA.
struct WaitWords {
    QString heading;     // the staffing table's column
    QString brief;       // the day's narrow column
    QString name;        // in a sentence: "平均応答時間"
    QString target;      // the target field's label
    QString choice;      // the target kind's item
    QString explanation; // what it averages, for tips and help
};
WaitWords WaitWording(WaitBasis basis, bool patience);

// The service level's definitions as planners name them, and what each
// counts (for tips and help).
QString BasisName(teletraffic::Basis basis);
QString BasisExplanation(teletraffic::Basis basis);
// What the blocking and the callers finally lost count.
QString BlockingExplanation();
QString CallersLostExplanation();

// One line of the table. By Erlang C, with traffic at or above the agents the
// queue grows without end and the figures have no value.
struct StaffingRow {
    qint64 agents;
    bool unbounded;
    double serviceLevel;
    double averageWait; // seconds, as the inputs' WaitBasis averages it
    double waitProbability;
    double abandonment;     // share of callers who hang up; 0 by Erlang C
    double occupancy;       // carried traffic per agent
    double blocking = 0;    // share of calls that find every line busy
    double callersLost = 0; // share of callers never answered, redials and all
    double attempts = 0;    // erlangs of fresh calls and redials together
};

// The figures of `agents` answering the inputs' traffic.
StaffingRow Figures(const StaffingInputs& inputs, qint64 agents);

struct Staffing {
    StaffingInputs inputs;
    double traffic = 0;   // erlangs
    qint64 agents = 0;    // on the phones: the fewest that meet the target and the cap
    qint64 scheduled = 0; // to schedule, for shrinkage
    teletraffic::Decided decidedBy = teletraffic::Decided::ServiceTarget;
    // Of two targets or more, the one the agents on the phones are for: one
    // that the count one fewer misses (Argument::ServiceLevel, AverageWait,
    // AnsweredWait, MaxAbandon, MaxBlocking); none with one target.
    std::optional<teletraffic::Argument> decidingTarget;
    // The agents reached the lines: no count above them exists, and at them
    // nobody waits, so the service level says nothing of the calls blocked.
    bool linesBound = false;
    StaffingRow answer{}; // the figures of `agents`
    // Without patience a few agents below the answer to a few above it; with
    // patience from well below the traffic to comfortably above the answer.
    std::vector<StaffingRow> rows;
};

// The answer and, if `withRows`, the table around it. No calls need no agents
// (the engine would give at least one). Inputs out of range throw
// teletraffic::DomainError, naming the argument (Argument::Traffic for too
// many calls); with lines, an occupancy cap that no count up to them
// meets throws TooFewLines. Cancelled, it returns what it has.
Staffing Staff(const StaffingInputs& inputs, bool withRows = true, const Monitor& monitor = {});

class StaffingModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit StaffingModel(QObject* parent = nullptr);

    const Staffing& staffing() const { return staffing_; }
    void setStaffing(Staffing staffing);
    // The last column: why a row has no figures (the queue grows without
    // end), its own so that the figures' columns hold numbers alone.
    int reasonColumn() const { return columnCount() - 1; }
    QString reason(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Staffing staffing_;
    std::vector<int> figures_; // the figure each column shows, as the inputs apply
};

// The answer in words, the same on the screen and in a saved file: the
// headline (traffic, agents, agents to schedule), the figures beneath it
// (with lines, the blocking beside the service level; what decided), and
// each as a label and its value for a file's head.
struct AnswerWords {
    QString headline;
    QString detail;
    QList<QStringList> lines;
};
AnswerWords AnswerText(const Staffing& staffing);
// The name of a target in the window's words ("サービスレベル目標").
QString TargetName(const StaffingInputs& inputs, teletraffic::Argument target);

// A figure as the tab shows it, in its tables, their copies and files:
// percentages and seconds to one decimal, or as many more as tell it from
// its target (the service level, the average wait, the occupancy cap), so
// that a row that misses the target never shows as the target.
enum class Shown { ServiceLevel, Wait, Occupancy, Share };
QString FigureText(const StaffingInputs& inputs, Shown what, double value);

// Traffic as the tab shows it everywhere, heading and tables alike: two
// decimals, or three significant digits where two decimals would show 0.
QString TrafficText(double erlangs);

// Said in a row's reason, its figures left blank, where traffic is at or
// above the agents.
QString UnboundedQueueText();

} // namespace tables
