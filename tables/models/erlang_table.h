// The Erlang B table: rows over line counts, columns over blocking targets,
// cells the traffic the lines carry; or, turned around, rows over traffic and
// cells the lines needed. A recall percentage makes it the extended Erlang B
// table of callers who retry.
//
// TableSetup says what the table holds and computes any cell from the engine;
// ErlangTableModel shows it to a view, computing only the cells the view asks
// for, so a million rows cost nothing until they are looked at. The copy text
// and the CSV file (csv_export.h) are formatted as the view shows the cells.
#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QItemSelection>
#include <QString>

#include <string>
#include <vector>

namespace tables {

inline constexpr qint64 kMaxRows = 1'000'000;

struct TableSetup {
    bool trafficRows = false; // rows over traffic and cells lines needed
    double first = 1;         // row values: first, first + step, ... up to last
    double last = 200;
    double step = 1;
    std::vector<double> targets{0.0001, 0.001, 0.005, 0.01, 0.02, 0.05, 0.1};
    double recall = 0; // fraction of blocked callers who retry, 0 up to 1 exclusive
    int digits = 6;    // significant digits of traffic in the cells

    // Row values from first to last, counted and valued in decimal where the
    // three are decimals on a common scale of up to 38 digits (0.1 + 2 * 0.1
    // is 0.3, and 999999999 + 0.0001 is not 999999999); otherwise in double.
    // The count as text, exact or marked approximate, and whether it is more
    // than kMaxRows (or not finite).
    QString rowCountText() const;
    bool tooManyRows() const;
    // The count, at most kMaxRows + 1 (for too many).
    qint64 rowCount() const;
    double rowValue(qint64 row) const;
    // Traffic carried or lines needed; NaN where the engine gives no answer.
    double cell(qint64 row, int column) const { return cellAt(rowValue(row), column); }
    double cellAt(double rowValue, int column) const;
};

// Texts as the view, the copy and the CSV file show them (number_format.h):
// traffic Aligned to the setup's significant digits; counts, row values and
// targets Exact.
void AppendCell(std::string& out, const TableSetup& setup, double value);
void AppendRowHeading(std::string& out, double rowValue);
QString ColumnHeading(const TableSetup& setup, int column);
// Names the rows and the columns: "回線数 / 呼損率".
QString CornerHeading(const TableSetup& setup);
// What the cells hold: "運べる呼量(アーラン)", with the recall if any.
QString CellMeaning(const TableSetup& setup);

class ErlangTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ErlangTableModel(QObject* parent = nullptr);

    const TableSetup& setup() const { return setup_; }
    void setSetup(TableSetup setup);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The cells of a row, computed together as the view asks for the first.
    const std::vector<double>& cells(int row) const;

    TableSetup setup_;
    // Repaints (a selection, a window uncovered) ask again for rows just
    // shown; a few screens of them are kept.
    mutable QCache<int, std::vector<double>> rows_{2000};
};

// Cells in a selection that SelectionText would copy: the rows that hold a
// selected cell times the columns that do.
qint64 SelectionSize(const QItemSelection& selection);

// The selected cells as tab-separated lines under a line of headings, each
// line led by its row heading, ready to paste into a spreadsheet. Of the rows
// and columns that hold a selected cell, the cells not selected stay empty.
QString SelectionText(const ErlangTableModel& model, const QItemSelection& selection);

} // namespace tables
