#include "tables/erlang_table.h"

#include "teletraffic/erlang.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace tables {

qint64 TableSetup::rowCount() const {
    if (!(step > 0) || last < first) {
        return 0;
    }
    return static_cast<qint64>(std::floor((last - first) / step * (1 + 1e-12))) + 1;
}

double TableSetup::cell(qint64 row, int column) const {
    const double value = rowValue(row);
    const double target = targets.at(static_cast<std::size_t>(column));
    try {
        if (trafficRows) {
            return static_cast<double>(teletraffic::ExtendedErlangBLines(value, target, recall));
        }
        return teletraffic::ExtendedErlangBTraffic(value, target, recall);
    } catch (const std::domain_error&) {
        return NAN;
    }
}

namespace {

void Append(std::string& out, double value, std::chars_format format, int precision) {
    char text[64];
    const auto end = precision < 0
                         ? std::to_chars(text, text + sizeof text, value, format)
                         : std::to_chars(text, text + sizeof text, value, format, precision);
    out.append(text, end.ptr);
}

} // namespace

void AppendCell(std::string& out, const TableSetup& setup, double value) {
    if (std::isnan(value)) {
        return; // no answer: an empty cell rather than "nan"
    }
    Append(out, value, std::chars_format::fixed, setup.trafficRows ? 0 : 4);
}

void AppendRowHeading(std::string& out, const TableSetup& setup, qint64 row) {
    // Twelve digits hide the rounding of first + row * step (0.30000000000000004).
    Append(out, setup.rowValue(row), std::chars_format::general, 12);
}

QString ColumnHeading(const TableSetup& setup, int column) {
    std::string text;
    Append(text, setup.targets.at(static_cast<std::size_t>(column)), std::chars_format::general,
           -1);
    return QString::fromStdString(text);
}

QString CornerHeading(const TableSetup& setup) {
    return setup.trafficRows ? QStringLiteral("呼量(アーラン) / 呼損率")
                             : QStringLiteral("回線数 / 呼損率");
}

QString CellMeaning(const TableSetup& setup) {
    QString meaning =
        setup.trafficRows ? QStringLiteral("必要回線数") : QStringLiteral("運べる呼量(アーラン)");
    if (setup.recall > 0) {
        std::string percent;
        Append(percent, setup.recall * 100, std::chars_format::general, 12);
        meaning +=
            QStringLiteral("（拡張アーランB式、再呼率 %1 %）").arg(QString::fromStdString(percent));
    }
    return meaning;
}

ErlangTableModel::ErlangTableModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void ErlangTableModel::setSetup(TableSetup setup) {
    beginResetModel();
    setup_ = std::move(setup);
    rows_.clear();
    endResetModel();
}

int ErlangTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(setup_.rowCount());
}

int ErlangTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(setup_.targets.size());
}

QVariant ErlangTableModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    std::string text;
    AppendCell(text, setup_, cells(index.row()).at(static_cast<std::size_t>(index.column())));
    return text.empty() ? QStringLiteral("—") : QString::fromStdString(text);
}

const std::vector<double>& ErlangTableModel::cells(int row) const {
    if (const std::vector<double>* known = rows_.object(row)) {
        return *known;
    }
    auto* computed = new std::vector<double>;
    for (int column = 0; column < columnCount(); ++column) {
        computed->push_back(setup_.cell(row, column));
    }
    rows_.insert(row, computed);
    return *computed;
}

QVariant ErlangTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Horizontal) {
        return ColumnHeading(setup_, section);
    }
    std::string text;
    AppendRowHeading(text, setup_, section);
    return QString::fromStdString(text);
}

namespace {

// The rows (or columns) a selection spans, each once and in order.
std::vector<int> Spanned(const QItemSelection& selection, bool rows) {
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange& range : selection) {
        spans.emplace_back(rows ? range.top() : range.left(),
                           rows ? range.bottom() : range.right());
    }
    std::sort(spans.begin(), spans.end());
    std::vector<int> lines;
    int next = 0;
    for (const auto& [from, to] : spans) {
        for (int i = std::max(from, next); i <= to; ++i) {
            lines.push_back(i);
        }
        next = std::max(next, to + 1);
    }
    return lines;
}

} // namespace

qint64 SelectionSize(const QItemSelection& selection) {
    return static_cast<qint64>(Spanned(selection, true).size()) *
           static_cast<qint64>(Spanned(selection, false).size());
}

QString SelectionText(const ErlangTableModel& model, const QItemSelection& selection) {
    const TableSetup& setup = model.setup();
    const std::vector<int> rows = Spanned(selection, true);
    const std::vector<int> columns = Spanned(selection, false);
    std::string text = CornerHeading(setup).toStdString();
    for (int column : columns) {
        text += '\t' + ColumnHeading(setup, column).toStdString();
    }
    text += '\n';
    for (int row : rows) {
        AppendRowHeading(text, setup, row);
        for (int column : columns) {
            text += '\t';
            if (selection.contains(model.index(row, column))) {
                AppendCell(text, setup, setup.cell(row, column));
            }
        }
        text += '\n';
    }
    return QString::fromStdString(text);
}

} // namespace tables
