#include "tables/models/erlang_table.h"

#include "tables/models/number_format.h"

#include "teletraffic/erlang_b.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace tables {

namespace {

__extension__ using Wide = __int128; // 38 decimal digits

// A row grid in decimal: values (first + row * step) * 10^exponent, all integers.
struct Decimal {
    Wide first = 0;
    Wide step = 0;
    Wide last = 0;
    int exponent = 0;
};

// `value` as digits * 10^exponent, from its shortest form.
std::pair<Wide, int> Digits(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    const std::string_view all(text, static_cast<std::size_t>(end.ptr - text));
    const std::size_t e = all.find('e');
    Wide digits = 0;
    int count = 0;
    for (char c : all.substr(0, e)) {
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + (c - '0');
            ++count;
        }
    }
    int exponent = 0;
    std::from_chars(all.data() + e + 1 + (all[e + 1] == '+'), all.data() + all.size(), exponent);
    return {all[0] == '-' ? -digits : digits, exponent - (count - 1)};
}

std::optional<Decimal> DecimalGrid(const TableSetup& s) {
    if (!std::isfinite(s.first) || !std::isfinite(s.last) || !std::isfinite(s.step)) {
        return std::nullopt;
    }
    const auto parts = {Digits(s.first), Digits(s.step), Digits(s.last)};
    int exponent = 0;
    for (const auto& [digits, e] : parts) {
        exponent = std::min(exponent, digits == 0 ? 0 : e);
    }
    Wide scaled[3];
    int i = 0;
    for (const auto& [digits, e] : parts) {
        Wide value = digits;
        for (int k = exponent; k < e && digits != 0; ++k) {
            if (value > static_cast<Wide>(1e36) || value < static_cast<Wide>(-1e36)) {
                return std::nullopt;
            }
            value *= 10;
        }
        scaled[i++] = value;
    }
    return Decimal{scaled[0], scaled[1], scaled[2], exponent};
}

std::string WideText(Wide value) {
    std::string text;
    const bool negative = value < 0;
    do {
        const auto digit = static_cast<int>(value % 10);
        text.insert(text.begin(), static_cast<char>('0' + (negative ? -digit : digit)));
        value /= 10;
    } while (value != 0);
    return negative ? '-' + text : text;
}

} // namespace

QString TableSetup::rowCountText() const {
    if (!(step > 0) || last < first) {
        return QStringLiteral("0");
    }
    if (const auto grid = DecimalGrid(*this)) {
        return QString::fromStdString(WideText((grid->last - grid->first) / grid->step + 1));
    }
    const double count = std::floor((last - first) / step) + 1;
    return std::isfinite(count) ? QStringLiteral("約 %1").arg(Significant(count, 3))
                                : QStringLiteral("数えきれない数");
}

bool TableSetup::tooManyRows() const {
    return rowCount() > kMaxRows;
}

qint64 TableSetup::rowCount() const {
    if (!(step > 0) || last < first) {
        return 0;
    }
    if (const auto grid = DecimalGrid(*this)) {
        const Wide count = (grid->last - grid->first) / grid->step + 1;
        return count > kMaxRows ? kMaxRows + 1 : static_cast<qint64>(count);
    }
    const double count = std::floor((last - first) / step) + 1;
    return std::isfinite(count) && count <= kMaxRows ? static_cast<qint64>(count) : kMaxRows + 1;
}

double TableSetup::rowValue(qint64 row) const {
    if (const auto grid = DecimalGrid(*this)) {
        // The decimal read back: the double nearest the exact row value.
        const std::string text =
            WideText(grid->first + grid->step * row) + 'e' + std::to_string(grid->exponent);
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }
    return first + static_cast<double>(row) * step;
}

double TableSetup::cellAt(double value, int column) const {
    const double target = targets.at(static_cast<std::size_t>(column));
    try {
        if (trafficRows) {
            return static_cast<double>(teletraffic::ExtendedErlangBLines(value, recall, target));
        }
        return teletraffic::ExtendedErlangBTraffic(value, recall, target);
    } catch (const std::domain_error&) {
        return NAN;
    }
}

void AppendCell(std::string& out, const TableSetup& setup, double value) {
    if (std::isnan(value)) {
        return; // no answer: an empty cell rather than "nan"
    }
    if (setup.trafficRows) {
        AppendExact(out, value); // a count of lines
        return;
    }
    AppendAligned(out, value, setup.digits);
}

void AppendRowHeading(std::string& out, double rowValue) {
    AppendExact(out, rowValue);
}

QString ColumnHeading(const TableSetup& setup, int column) {
    return Exact(setup.targets.at(static_cast<std::size_t>(column)));
}

QString CornerHeading(const TableSetup& setup) {
    return setup.trafficRows ? QStringLiteral("呼量(アーラン) / 呼損率")
                             : QStringLiteral("回線数 / 呼損率");
}

QString CellMeaning(const TableSetup& setup) {
    QString meaning =
        setup.trafficRows ? QStringLiteral("必要回線数") : QStringLiteral("運べる呼量(アーラン)");
    if (setup.recall > 0) {
        meaning +=
            QStringLiteral("（拡張アーランB式、再呼率 %1 %）").arg(Exact(ToPercent(setup.recall)));
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
    const double value = setup_.rowValue(row);
    for (int column = 0; column < columnCount(); ++column) {
        computed->push_back(setup_.cellAt(value, column));
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
    AppendRowHeading(text, setup_.rowValue(section));
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
        const double value = setup.rowValue(row);
        AppendRowHeading(text, value);
        for (int column : columns) {
            text += '\t';
            if (selection.contains(model.index(row, column))) {
                AppendCell(text, setup, setup.cellAt(value, column));
            }
        }
        text += '\n';
    }
    return QString::fromStdString(text);
}

} // namespace tables
