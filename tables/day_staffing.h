// A day's staffing: the calls forecast for each interval of a day (48
// half-hours, 96 quarter-hours), pasted from a spreadsheet or read from a CSV
// file, each interval staffed as the call-centre tab staffs one, with the
// other inputs the same for all; then the peak and the day's agent-hours.
// An interval that cannot be answered says why in its row; the others stand.
#pragma once

#include "tables/staffing.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>

#include <vector>

namespace tables {

// More intervals than a month of quarter-hours are not a day's plan.
inline constexpr int kMaxIntervals = 3000;

struct Volume {
    QString label; // the interval as given ("09:30"), or its number
    QString calls; // the count as given, read when the day is staffed
};

// Lines of an interval label and a call count, separated by a tab (as a
// spreadsheet copies them), a comma (CSV, labels quoted as RFC 4180 quotes
// them) or a semicolon; or of a count alone, the label then being the line's
// number. Blank lines are skipped, and a first line whose count is not a
// number, taken for a heading: if it names a column "calls" or "呼数" (as
// corvane-cli's batch files do), the counts are read from that column and the
// labels from the first other. A field does not run across lines.
std::vector<Volume> ReadVolumes(QStringView text);

// A file's bytes as text: UTF-8 (with or without a byte-order mark), or
// Shift_JIS as Japanese spreadsheets save CSV, when they are not UTF-8.
QString DecodeVolumes(const QByteArray& bytes);

struct DayRow {
    QString label;
    QString callsText; // as given
    QString error;     // why the interval has no answer; empty when it has one
    Staffing staffing; // the answer alone, without the table around it
};

struct Day {
    StaffingInputs inputs; // the inputs shared by every interval
    std::vector<DayRow> rows;
    int peak = -1;         // the row with the most agents to schedule (the first of
                           // equals), or -1 if no row has an answer
    double agentHours = 0; // agents scheduled times the interval's length, in hours
    double phoneHours = 0; // the same for the agents on the phones
    int failed = 0;        // rows without an answer
};

// Each interval with `inputs`, its calls read from the volume.
Day StaffDay(const std::vector<Volume>& volumes, const StaffingInputs& inputs);

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
    int figure(int column) const;

    Day day_;
};

} // namespace tables
