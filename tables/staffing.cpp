#include "tables/staffing.h"

#include "teletraffic/erlang.h"

#include <algorithm>

namespace tables {

namespace {

constexpr qint64 kRowsBelow = 4;
constexpr qint64 kRowsAbove = 4;

enum Column { kAgents, kServiceLevel, kSpeed, kWait, kOccupancy, kColumns };

} // namespace

Staffing Staff(const StaffingInputs& inputs) {
    Staffing result;
    result.traffic = inputs.traffic();
    const double A = result.traffic;
    const double aht = inputs.ahtSeconds;
    result.agents = teletraffic::ErlangCAgents(A, aht, inputs.targetSeconds, inputs.serviceLevel);
    const qint64 first = std::max<qint64>(1, result.agents - kRowsBelow);
    for (qint64 n = first; n <= result.agents + kRowsAbove; ++n) {
        const auto N = static_cast<double>(n);
        if (A >= N) {
            result.rows.push_back({n, true, 0, 0, 0, 0});
            continue;
        }
        result.rows.push_back({n, false, teletraffic::ServiceLevel(A, N, aht, inputs.targetSeconds),
                               teletraffic::AverageSpeedOfAnswer(A, N, aht),
                               teletraffic::ErlangC(A, N), A / N});
    }
    return result;
}

QString UnboundedQueueText() {
    return QStringLiteral("待ち呼が際限なく増えます（呼量 ≥ エージェント数）");
}

StaffingModel::StaffingModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void StaffingModel::setStaffing(Staffing staffing) {
    beginResetModel();
    staffing_ = std::move(staffing);
    endResetModel();
}

int StaffingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(staffing_.rows.size());
}

int StaffingModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant StaffingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const StaffingRow& row = staffing_.rows.at(static_cast<std::size_t>(index.row()));
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(
            (row.unbounded && index.column() != kAgents ? Qt::AlignLeft : Qt::AlignRight) |
            Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const auto percent = [](double share) { return QString::number(share * 100, 'f', 1); };
    switch (index.column()) {
    case kAgents:
        return QString::number(row.agents);
    case kServiceLevel:
        return row.unbounded ? UnboundedQueueText() : percent(row.serviceLevel);
    case kSpeed:
        return row.unbounded ? QString() : QString::number(row.averageSpeedOfAnswer, 'f', 1);
    case kWait:
        return row.unbounded ? QString() : percent(row.waitProbability);
    case kOccupancy:
        return row.unbounded ? QString() : percent(row.occupancy);
    default:
        return {};
    }
}

QVariant StaffingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QString headings[kColumns] = {
        QStringLiteral("エージェント数"), QStringLiteral("サービスレベル (%)"),
        QStringLiteral("平均応答時間 (秒)"), QStringLiteral("待ち確率 (%)"),
        QStringLiteral("稼働率 (%)")};
    return headings[section];
}

} // namespace tables
