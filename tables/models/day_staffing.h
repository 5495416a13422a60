// A day's staffing: the calls forecast for each interval of a day (48
// half-hours, 96 quarter-hours), pasted from a spreadsheet or read from a CSV
// file, each interval staffed as the call-centre tab staffs one, with the
// other inputs the fields' or the row's own (columns named as corvane-cli's
// batch names them: aht, patience, service-level, ...); then the peak and the
// day's agent-hours. An interval that cannot be read or answered says why in
// its row; the others stand. Nothing is dropped unsaid: a line is a heading
// only when it reads as one, a total row at the foot of an ACD export is
// left out of the day and checked against the sum of the rows, a column the
// day does not read is named.
#pragma once

#include "tables/models/staffing.h"
#include "tables/models/volumes.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tables {

struct DayRow {
    QString label;
    std::optional<double> calls; // none where they do not read
    QString error;               // why the interval has no answer; empty when it has one
    Staffing staffing;           // the answer alone, without the table around it
    StaffingInputs inputs;       // the row's: the fields' with its own over them
};

// How the labels' times run.
enum class TimeOrder { Ascending, Descending, Unsorted };

struct Day {
    StaffingInputs inputs; // the inputs shared by every interval, with the day's interval
    std::vector<DayRow> rows;
    int peak = -1;         // the row with the most agents to schedule (the first of
                           // equals), or -1 if no row has an answer
    double agentHours = 0; // agents scheduled times the interval's length, in hours
    double phoneHours = 0; // the same for the agents on the phones
    int failed = 0;        // rows without an answer
    int firstFailed = -1;  // the first of them
    Volumes read;          // how the volumes were read (their rows are the day's)
    // The interval: the labels' spacing when they are times of day, else the
    // field's. What the field says, for the note when the two differ.
    bool intervalFromLabels = false;
    double fieldMinutes = 30;
    QString offLabel; // the first label off the labels' spacing, or no time among times
    TimeOrder order = TimeOrder::Ascending;
    QString outOfOrder; // in an unsorted day, the first label before the one above it
    int repeats = 0;    // rows whose time an earlier row has
    QString refused;    // why there is no day at all (too many intervals)
};

// Each interval with `inputs` and its own inputs over them, its calls read
// from the volume, over the labels' interval when they are times of day:
// the most common step between them in time order, which the other steps
// must be whole multiples of (a closed interval left out). A time that an
// earlier row has is a row with its reason, never staffed twice. A
// forecast's variance is each interval's by ForInterval, unless the row
// gives its own. Reports the rows done; cancelled, it stops with those.
Day StaffDay(const Volumes& volumes, const StaffingInputs& inputs, const Monitor& monitor = {});

// About how long StaffDay takes, in microseconds on one core: a window
// staffs a day on its own thread only where it takes a moment.
double DayCost(const Volumes& volumes, const StaffingInputs& inputs);

// The day in a sentence or two: the intervals, the peak, the agent-hours; the
// interval's length and how the volumes were read.
QString DaySummary(const Day& day);
// What the planner must look at: rows without an answer, the labels'
// interval taken over the field's, a label off it, labels out of time
// order, an interval that does not divide the day, a total row that is not
// the sum of the rows.
QStringList DayWarnings(const Day& day);
// The day's summary for a saved file's head: a label and its values a line.
QList<QStringList> DayLines(const Day& day);

class DayModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DayModel(QObject* parent = nullptr);

    const Day& day() const { return day_; }
    void setDay(Day day);
    // The first of the figures' columns, those a row without an answer
    // leaves blank, its reason in the last column.
    int errorColumn() const;
    QString reason(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Day day_;
    std::vector<int> figures_; // the figure each column shows, as the inputs apply
};

} // namespace tables
