// 通話記録: call records read into the room's exact sums (records/), off the
// window's thread with progress and a way to stop, and what the tab shows of
// them: the traffic of each period as a grid of days down and clock times
// across with the time-consistent busy hour marked, a table of the days, the
// summary with the circuits, and every refusal of the room (an option, a
// file, a row) in the window's Japanese words, derived from the room's rows
// and checked complete when it builds.
#pragma once

#include "tables/models/monitor.h"

#include "records/records.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <cmath>
#include <exception>
#include <vector>

namespace tables {

// Reads `files` together. `monitor` hears the thousandths of their bytes
// read and stops the reading (records::Cancelled); a file that is not call
// records of the format throws records::FormatError naming it.
records::Tally ReadCallRecords(const QStringList& files, const records::ReadOptions& options,
                               const Monitor& monitor = {});

// One clock time of one day: the traffic of its period, none where the
// clock never showed it that day (the clocks went forward), and a second
// where it showed it twice (back).
struct HeatCell {
    double first = NAN;
    double second = NAN;
};

// The traffic of every period, a row per measured day and a column per
// period of the clock; the busy hour's columns marked.
struct HeatGrid {
    QStringList days; // "12/18 (金)"
    int columns = 0;  // 1440 / interval
    int interval = 15;
    std::vector<HeatCell> cells; // by row, then column
    double most = 0;             // the largest traffic of a period
    int busyColumn = -1;         // where the time-consistent busy hour starts
    int busyColumns = 0;         // an hour of periods

    const HeatCell& at(int row, int column) const {
        return cells[static_cast<std::size_t>(row * columns + column)];
    }
    int rows() const { return static_cast<int>(days.size()); }
};

HeatGrid HeatGridOf(const records::Report& report, int interval);

// The days: date, calls, the most held at once, the peak hour's start and
// its traffic, and with the group's lines the offered traffic.
class RecordsDaysModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setReport(records::Report report);
    const records::Report& report() const { return report_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    records::Report report_;
};

// The window's words for an option of the room, and for what its rules
// accept where they are not ranges of numbers.
QString OptionWords(records::Option option);
QString RecordsRuleWords(const teletraffic::Rule& rule);
// A refused row's reason, and why a sound row was left out.
QString RefusedBecause(records::Refusal reason);
QString SkippedBecause(records::Skip reason);
// A word of a choice of the room, as the window shows it ("自動", "Asterisk").
QString FormatWords(records::Format format);
QString HoldingWords(records::Holding holding);

// What the reading found: each file and what it was read as, the rows used,
// refused (by reason, the first quoted with file and line) and left out.
QString ReadingText(const records::Tally& tally);
// The summary: the busy hour, the loads and the lines for each.
QString SummaryText(const records::Summary& summary, const records::SummaryOptions& options);

// What went wrong, in the window's words: an option refused (worded with
// its field), a file not of its format or not to be read, a row refused
// with strict reading, a reading stopped.
QString RecordsErrorText(const std::exception& error);
// "36" or, where only a range is known, "36〜38".
QString PeakText(const records::PeakRange& peak);

} // namespace tables
