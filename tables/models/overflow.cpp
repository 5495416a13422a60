#include "tables/models/overflow.h"

#include "tables/models/engine_error.h"
#include "tables/models/inputs.h"
#include "tables/models/number_format.h"
#include "teletraffic/erlang_b.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <set>

namespace tables {
namespace {

using teletraffic::Overflow;
using teletraffic::OverflowMethod;

const Range kGroupTraffic{0, teletraffic::kMaxTraffic};
const Range kGroupLines{0, teletraffic::kMaxLines, true};
// Line counts shown on each side of each answer, and at most between them.
constexpr double kRowsAround = 5;
constexpr double kFillRows = 40;

} // namespace

QStringList GroupsToList(const std::vector<GroupText>& groups) {
    QStringList list;
    for (const GroupText& group : groups) {
        list << group.traffic << group.lines;
    }
    return list;
}

std::vector<GroupText> GroupsFromList(const QStringList& list) {
    std::vector<GroupText> groups;
    for (qsizetype i = 0; i < list.size() && groups.size() < kMaxGroups; i += 2) {
        groups.push_back({list[i], list.value(i + 1)});
    }
    return groups;
}

FirstChoiceModel::FirstChoiceModel(QObject* parent)
    : QAbstractTableModel(parent) {
    setGroups(
        {{QStringLiteral("10"), QStringLiteral("10")}, {QStringLiteral("6"), QStringLiteral("8")}});
}

void FirstChoiceModel::setGroups(std::vector<GroupText> groups) {
    if (groups.empty()) {
        groups.push_back({});
    }
    if (groups.size() > static_cast<std::size_t>(kMaxGroups)) {
        groups.resize(kMaxGroups);
    }
    beginResetModel();
    groups_ = std::move(groups);
    recompute();
    endResetModel();
}

bool FirstChoiceModel::addGroup() {
    if (groupCount() >= kMaxGroups) {
        return false;
    }
    beginInsertRows({}, groupCount(), groupCount());
    groups_.push_back({});
    recompute();
    endInsertRows();
    // A blank group leaves every overflow and the sum to compute.
    emit dataChanged(index(0, 0), index(groupCount(), kColumns - 1));
    return true;
}

void FirstChoiceModel::removeGroups(std::vector<int> rows) {
    std::erase_if(rows, [this](int row) { return row < 0 || row >= groupCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() >= groups_.size()) {
        rows.erase(rows.begin()); // one group stays
    }
    if (rows.empty()) {
        return;
    }
    beginResetModel();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        groups_.erase(groups_.begin() + *row);
    }
    recompute();
    endResetModel();
}

void FirstChoiceModel::recompute() {
    const std::size_t count = groups_.size();
    trafficErrors_.assign(count, {});
    linesErrors_.assign(count, {});
    overflows_.clear();
    total_.reset();
    problem_.clear();

    const auto note = [this](std::size_t row, const QString& what, const QString& error) {
        if (problem_.isEmpty()) {
            problem_ = QStringLiteral("%1 行目の%2: %3").arg(row + 1).arg(what, error);
        }
    };
    std::vector<Overflow> overflows;
    for (std::size_t row = 0; row < count; ++row) {
        const Reading traffic = Read(groups_[row].traffic, kGroupTraffic);
        const Reading lines = Read(groups_[row].lines, kGroupLines);
        trafficErrors_[row] = traffic.error;
        linesErrors_[row] = lines.error;
        if (!traffic.error.isEmpty()) {
            note(row, QStringLiteral("呼量"), traffic.error);
        }
        if (!lines.error.isEmpty()) {
            note(row, QStringLiteral("回線数"), lines.error);
        }
        if (traffic.value && lines.value && problem_.isEmpty()) {
            try {
                overflows.push_back(teletraffic::OverflowMoments(*traffic.value, *lines.value));
            } catch (const teletraffic::DomainError& error) {
                const bool lines = error.argument() == teletraffic::Argument::Lines;
                QString& mark = lines ? linesErrors_[row] : trafficErrors_[row];
                mark = EngineErrorText(error);
                note(row, lines ? QStringLiteral("回線数") : QStringLiteral("呼量"), mark);
            } catch (const std::exception& error) {
                trafficErrors_[row] = EngineErrorText(error);
                note(row, QStringLiteral("呼量"), trafficErrors_[row]);
            }
        }
    }
    if (!problem_.isEmpty()) {
        return; // a half-typed list gives nothing
    }
    try {
        Overflow sum = overflows.front();
        for (std::size_t i = 1; i < overflows.size(); ++i) {
            sum = teletraffic::OverflowCombine(sum, overflows[i]);
        }
        overflows_ = std::move(overflows);
        total_ = sum;
    } catch (const std::exception& error) {
        problem_ = EngineErrorText(error);
    }
}

int FirstChoiceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : groupCount() + 1;
}

int FirstChoiceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant FirstChoiceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const bool sum = index.row() == groupCount();
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == kAnswerRole) {
        return sum;
    }
    if (role == kErrorRole || role == Qt::ToolTipRole) {
        if (sum || column > kLines) {
            return {};
        }
        const QString& error = column == kTraffic ? trafficErrors_[row] : linesErrors_[row];
        return error.isEmpty() ? QVariant() : QVariant(error);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    if (column == kTraffic || column == kLines) {
        if (sum) {
            return {};
        }
        return column == kTraffic ? groups_[row].traffic : groups_[row].lines;
    }
    if (!total_) {
        return {};
    }
    const Overflow& o = sum ? *total_ : overflows_[row];
    switch (column) {
    case kMean:
        return Significant(o.mean);
    case kVariance:
        return Significant(o.variance);
    case kPeakedness:
        return Significant(o.peakedness);
    default:
        return {};
    }
}

bool FirstChoiceModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    GroupText& group = groups_[static_cast<std::size_t>(index.row())];
    (index.column() == kTraffic ? group.traffic : group.lines) = value.toString();
    recompute();
    // A cell read again can change every overflow and the sum.
    emit dataChanged(this->index(0, 0), this->index(groupCount(), kColumns - 1));
    return true;
}

Qt::ItemFlags FirstChoiceModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.row() < groupCount() && index.column() <= kLines) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant FirstChoiceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Vertical) {
        return section == groupCount() ? QStringLiteral("合計") : QString::number(section + 1);
    }
    static const QString headings[kColumns] = {
        QStringLiteral("呼量(アーラン)"), QStringLiteral("回線数"), QStringLiteral("溢れ呼の平均"),
        QStringLiteral("分散"), QStringLiteral("ピーク度")};
    return headings[section];
}

namespace {

template <typename Engine> Sizing Size(Engine engine) {
    try {
        return {static_cast<double>(engine()), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, EngineErrorText(error)};
    }
}

template <typename Engine> double BlockingOrNan(Engine engine) {
    try {
        return engine();
    } catch (const std::exception&) {
        return NAN;
    }
}

} // namespace

FinalGroup SizeFinalGroup(const Overflow& offered, double target) {
    const double m = offered.mean;
    const double v = offered.variance;
    FinalGroup group{offered, target, {}, {}, {}, NAN};
    group.ert = Size(
        [&] { return teletraffic::OverflowLines(m, v, OverflowMethod::EquivalentRandom, target); });
    group.hayward =
        Size([&] { return teletraffic::OverflowLines(m, v, OverflowMethod::Hayward, target); });
    group.meanOnly = Size([&] { return teletraffic::ErlangBLines(m, target); });
    if (group.meanOnly.lines) {
        group.meanOnlyBlocking = BlockingOrNan([&] {
            return teletraffic::OverflowBlocking(m, v, *group.meanOnly.lines,
                                                 OverflowMethod::EquivalentRandom)
                .blocking;
        });
    }
    return group;
}

std::vector<FinalRow> FinalRows(const FinalGroup& group) {
    std::set<double> counts;
    for (const Sizing* sizing : {&group.ert, &group.hayward, &group.meanOnly}) {
        if (sizing->lines) {
            for (double x = *sizing->lines - kRowsAround; x <= *sizing->lines + kRowsAround; ++x) {
                counts.insert(std::clamp(x, 0.0, teletraffic::kMaxLines));
            }
        }
    }
    if (counts.empty()) {
        return {};
    }
    // Answers far apart (a large, very peaked overflow) get evenly spaced
    // counts between them, not every one: each row costs an ERT solve.
    const double first = *counts.begin();
    const double step = std::ceil((*counts.rbegin() - first) / kFillRows);
    for (double x = first; x < *counts.rbegin(); x += step) {
        counts.insert(x);
    }
    const double m = group.offered.mean;
    const double v = group.offered.variance;
    std::vector<FinalRow> rows;
    for (double x : counts) {
        rows.push_back(
            {x, BlockingOrNan([&] {
                 return teletraffic::OverflowBlocking(m, v, x, OverflowMethod::EquivalentRandom)
                     .blocking;
             }),
             BlockingOrNan([&] {
                 return teletraffic::OverflowBlocking(m, v, x, OverflowMethod::Hayward).blocking;
             }),
             BlockingOrNan([&] { return teletraffic::ErlangB(m, x); })});
    }
    return rows;
}

FinalGroupModel::FinalGroupModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void FinalGroupModel::setGroup(FinalGroup group) {
    beginResetModel();
    group_ = std::move(group);
    rows_ = FinalRows(group_);
    endResetModel();
}

void FinalGroupModel::clear() {
    beginResetModel();
    group_ = {};
    rows_.clear();
    endResetModel();
}

int FinalGroupModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FinalGroupModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant FinalGroupModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const FinalRow& row = rows_.at(static_cast<std::size_t>(index.row()));
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == kAnswerRole) {
        // Each method's answer in its own column, and the line count of each.
        const Sizing* sizings[kColumns] = {nullptr, &group_.ert, &group_.hayward, &group_.meanOnly};
        const auto answers = [&row](const Sizing* sizing) {
            return sizing->lines && *sizing->lines == row.lines;
        };
        if (index.column() == kLines) {
            return std::any_of(sizings + 1, sizings + kColumns, answers);
        }
        return answers(sizings[index.column()]);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const double values[kColumns] = {row.lines, row.ert, row.hayward, row.meanOnly};
    const double value = values[index.column()];
    if (index.column() == kLines) {
        return Exact(value);
    }
    return std::isnan(value) ? QString() : Significant(value); // empty in the copy and the CSV too
}

QVariant FinalGroupModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QString headings[kColumns] = {
        QStringLiteral("最終群の回線数"), QStringLiteral("呼損率 (等価ランダム法)"),
        QStringLiteral("呼損率 (Hayward 法)"), QStringLiteral("アーランB (平均のみ)")};
    return headings[section];
}

} // namespace tables
