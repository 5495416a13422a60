// The day plan's volumes as a planner pastes or saves them: the calls of
// each interval from a spreadsheet's copy or a CSV file, in either locale's
// numbers, with or without a heading, each row's own inputs in columns
// named as corvane-cli's batch names them, total rows set aside. Each line
// is a row or says why not; fields are split as textio reads CSV.
#pragma once

#include "teletraffic/arguments.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tables {

// More intervals than a month of quarter-hours are not a day's plan.
inline constexpr int kMaxIntervals = 3000;

// The arguments a row of a day may give in a column of its own, beside its
// calls: the options of corvane-cli's agents, named as the registry names
// them (teletraffic/arguments.h), in the same units (seconds, minutes, shares
// of 1 or with a "%"), each row's in place of the field's. A column of
// traffic is refused: a day is one of calls.
inline constexpr teletraffic::Argument kDayColumns[] = {teletraffic::Argument::Aht,
                                                        teletraffic::Argument::Patience,
                                                        teletraffic::Argument::Lines,
                                                        teletraffic::Argument::Redial,
                                                        teletraffic::Argument::ForecastVariance,
                                                        teletraffic::Argument::TargetTime,
                                                        teletraffic::Argument::ServiceLevel,
                                                        teletraffic::Argument::Basis,
                                                        teletraffic::Argument::AverageWait,
                                                        teletraffic::Argument::AnsweredWait,
                                                        teletraffic::Argument::MaxAbandon,
                                                        teletraffic::Argument::MaxBlocking,
                                                        teletraffic::Argument::Shrinkage,
                                                        teletraffic::Argument::MaxOccupancy,
                                                        teletraffic::Argument::Interval};

// A value a row gives in a column of its own.
struct OwnInput {
    teletraffic::Argument argument;
    double value; // a word's: the value of its choice's enum
};

struct Volume {
    QString label;               // the interval as given ("09:30"), or its number
    QString calls;               // the count as given
    std::optional<double> count; // read as the paste writes numbers; none: `error` says why
    QString error;
    std::vector<OwnInput> own;                  // the row's own inputs, those its cells give
    std::vector<teletraffic::Argument> refused; // those whose cells do not read
};

// A column of a row's own inputs: its argument, its heading as given.
struct OwnColumn {
    teletraffic::Argument argument;
    QString heading;
};

// A total row ("合計", "計", "Total", "Sum"), left out of the day: its count,
// and the sum of the counts of the rows since the last total (or the start).
struct TotalRow {
    QString label;
    QString calls;               // as given
    std::optional<double> count; // none when it does not read
    double sum = 0;
    int rows = 0;         // the rows summed
    int unread = 0;       // rows between without a count
    bool matches = false; // the count is the sum, to the digits it is written in
};

// Whether a row's label names a total (合計, 総計, 小計, 計, Total, Sum, in
// any case): the foot of an ACD export or a spreadsheet, not an interval.
bool IsTotalLabel(const QString& label);

// How a paste or a file was read, said beside the day.
struct Volumes {
    std::vector<Volume> rows;
    QChar separator;          // tab, ';' or ','; null for a single column
    QChar decimalMark = u'.'; // ',' for decimal commas; null where each count has its own
    bool heading = false;     // the first line named the columns
    std::vector<OwnColumn> own;
    QStringList unread; // the headings of columns not read
    std::vector<TotalRow> totals;
    QString refused; // why the paste cannot be a day at all
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
// corvane-cli's batch files do; "time", "start", "時刻", "区間", "date",
// "日付"...) or has two or more fields that are all words (letters, no
// digit). Names are read as the batch reads them (any case, "-", "_" and a
// blank the same, full-width letters as their ASCII). A named count column is
// read, and each column of kDayColumns; the label is then the time column, or
// the first other one; any other column is named in `unread`. Any other line
// that does not read becomes a row with its reason: "9:00" with its count
// blank is "呼数が空欄です", labelled 9:00.
//
// A row labelled as a total (合計, 総計, 小計, 計, Total, Sum, in any case) is
// not an interval: it goes to `totals`, checked against the rows above it.
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

// A label's time of day in minutes from midnight, and the text before it
// (its date, where it has one).
struct LabelTime {
    QString day;
    double minutes;
};
std::optional<LabelTime> TimeOfLabel(const QString& label);

} // namespace tables
