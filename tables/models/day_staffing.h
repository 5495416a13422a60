// A day's staffing: the calls forecast for each interval of a day (48
// half-hours, 96 quarter-hours), pasted from a spreadsheet or read from a CSV
// file, each interval staffed as the call-centre tab staffs one, with the
// other inputs the same for all; then the peak and the day's agent-hours.
// An interval that cannot be read or answered says why in its row; the others
// stand. Nothing is dropped: a line is a heading only when it reads as one.
#pragma once

#include "tables/models/staffing.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tables {

// More intervals than a month of quarter-hours are not a day's plan.
inline constexpr int kMaxIntervals = 3000;

struct Volume {
    QString label;               // the interval as given ("09:30"), or its number
    QString calls;               // the count as given
    std::optional<double> count; // read as the paste writes numbers; none: `error` says why
    QString error;
};

// How a paste or a file was read, said beside the day.
struct Volumes {
    std::vector<Volume> rows;
    QChar separator;          // tab, ';' or ','; null for a single column
    QChar decimalMark = u'.'; // ',' for decimal commas; null where each count has its own
    bool heading = false;     // the first line named the columns
};

// Lines of an interval label and a call count, or of a date, a time and a
// count, or of a count alone (the label then being the line's number).
//
// The separator is the paste's: the first of tab, ';' and ',' that every
// line holds outside quotes (RFC 4180 quoting); none for a column of counts
// alone, some with a decimal comma ("114,5", "120"); else the one most lines
// hold, each line then split by the first it holds itself (a tab before a
// ';' before a ','). Blank lines are skipped; so are empty fields at a line's end.
//
// A file Corvane Tables saved opens with the inputs it answers, on lines that
// begin with "#", the first "# Corvane Tables": that head is skipped, the
// lines from the first to the first line not beginning with "#". Any other
// line beginning with "#" is read as every line is.
//
// The first line is a heading only if none of its fields reads as a number,
// a time or a date, and it either names a known column ("calls" or "呼数", as
// corvane-cli's batch files do; "time", "時刻", "区間", "date", "日付"...) or
// has two or more fields that are all words (letters, no digit). A named
// count column is read; the label is then the time column, or the first
// other one. Any other line that does not read becomes a row with its reason.
//
// Decimal marks are decided for the whole paste, as a spreadsheet's locale
// would: a count that reads only with a decimal comma ("114,5", "1.250,5")
// or only with a decimal point ("114.5", "1,250.5", "1,250,000") says which
// the paste writes. Without such a count, ';' separators mean decimal commas
// (the CSV of locales that write them), tab and ',' decimal points with
// commas grouping thousands ("1,250" is 1250, as Japanese spreadsheets write
// it). A paste holding both kinds reads each count by its own, and refuses a
// count that reads both ways ("1,250": 1250 or 1.25).
Volumes ReadVolumes(QStringView text);

// A file's bytes as text: by its byte-order mark (UTF-8, or the UTF-16 of a
// spreadsheet's Unicode text), else UTF-8, else Shift_JIS as Japanese
// spreadsheets save CSV.
QString DecodeVolumes(const QByteArray& bytes);

// The time of day a label starts at, in minutes from midnight: "09:30",
// "2024/05/01 9:30", "9:30-10:00", "9時30分" ("25:00" past midnight too).
std::optional<double> LabelMinutes(const QString& label);

struct DayRow {
    QString label;
    QString callsText; // as given
    QString error;     // why the interval has no answer; empty when it has one
    Staffing staffing; // the answer alone, without the table around it
};

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
    QString refused;  // why there is no day at all (too many intervals)
};

// Each interval with `inputs`, its calls read from the volume, over the
// labels' interval when they are times of day: their most common step, which
// the other steps must be whole multiples of (a closed interval left out).
// A forecast's variance is each interval's by ForInterval. Reports the rows
// done; cancelled, it stops with those.
Day StaffDay(const Volumes& volumes, const StaffingInputs& inputs, const Monitor& monitor = {});

// The day in a sentence or two: the intervals, the peak, the agent-hours; the
// interval's length and how the volumes were read.
QString DaySummary(const Day& day);
// What the planner must look at: rows without an answer, the labels'
// interval taken over the field's, a label off it, an interval that does
// not divide the day.
QStringList DayWarnings(const Day& day);

class DayModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DayModel(QObject* parent = nullptr);

    const Day& day() const { return day_; }
    void setDay(Day day);
    // The first column a row's error takes the place of.
    int errorColumn() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Day day_;
    std::vector<int> figures_; // the figure each column shows, as the inputs apply
};

} // namespace tables
