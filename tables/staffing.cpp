#include "tables/staffing.h"

#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/staffing_factors.h"

#include <algorithm>
#include <cmath>

namespace tables {

namespace {

constexpr qint64 kRowsBelow = 4;
constexpr qint64 kRowsAbove = 4;
// With patience the rows reach down to half the traffic, but no further than
// this below the answer, and up a tenth above it, at most this many.
constexpr qint64 kMostRowsBelow = 200;
constexpr qint64 kMostRowsAbove = 50;

enum Figure { kAgents, kServiceLevel, kWait, kWaitProbability, kAbandonment, kOccupancy, kFigures };

} // namespace

WaitWords WaitWording(WaitBasis basis, bool patience) {
    switch (basis) {
    case WaitBasis::AllCallers:
        if (!patience) {
            return {QStringLiteral("平均応答時間 (秒)"),
                    QStringLiteral("ASA (秒)"),
                    QStringLiteral("平均応答時間"),
                    QStringLiteral("平均応答時間目標 (秒)"),
                    QStringLiteral("平均応答時間 (ASA)"),
                    QStringLiteral("応答までの平均待ち時間（ASA）。アーランCでは誰も切らずに"
                                   "待つので、すべての呼の平均です。")};
        }
        return {QStringLiteral("平均待ち時間・全呼 (秒)"),
                QStringLiteral("待ち・全呼 (秒)"),
                QStringLiteral("平均待ち時間（全呼）"),
                QStringLiteral("平均待ち時間目標・全呼 (秒)"),
                QStringLiteral("平均待ち時間（放棄呼を含む全呼）"),
                QStringLiteral("放棄した呼も切るまでの待ち時間に数えた、すべての呼の平均待ち"
                               "時間。ACD レポートの ASA（応答した呼だけの平均待ち時間）とは"
                               "別の量です。")};
    }
    return {};
}

StaffingRow Figures(const StaffingInputs& inputs, qint64 agents) {
    const double A = inputs.traffic();
    const auto N = static_cast<double>(agents);
    const double aht = inputs.ahtSeconds;
    if (inputs.patienceSeconds) {
        const double patience = *inputs.patienceSeconds;
        const teletraffic::Abandonment a = teletraffic::ErlangA(A, N, aht, patience);
        return {agents,
                false,
                teletraffic::ErlangAServiceLevel(A, N, aht, patience, inputs.targetSeconds),
                a.averageWait,
                a.waitProbability,
                a.abandonProbability,
                a.occupancy};
    }
    if (A >= N) {
        return {agents, true, 0, 0, 0, 0, 0};
    }
    return {agents,
            false,
            teletraffic::ErlangCServiceLevel(A, N, aht, inputs.targetSeconds),
            teletraffic::ErlangCAverageWait(A, N, aht),
            teletraffic::ErlangC(A, N),
            0,
            A / N};
}

Staffing Staff(const StaffingInputs& inputs, bool withRows) {
    Staffing result;
    result.inputs = inputs;
    result.traffic = inputs.traffic();
    const double A = result.traffic;
    if (inputs.calls == 0) {
        result.answer = {0, false, 1, 0, 0, 0, 0};
        if (withRows) {
            result.rows = {result.answer}; // the one row there is, as the day shows it
        }
        return result;
    }
    const double aht = inputs.ahtSeconds;
    const auto& patience = inputs.patienceSeconds;
    std::int64_t forTarget = 0;
    if (inputs.target == StaffingTarget::AverageWait) {
        const double wait = inputs.averageWaitSeconds;
        forTarget = patience ? teletraffic::ErlangAAgentsForWait(A, aht, *patience, wait)
                             : teletraffic::ErlangCAgentsForWait(A, aht, wait);
    } else {
        const double time = inputs.targetSeconds;
        forTarget = patience
                        ? teletraffic::ErlangAAgents(A, aht, *patience, time, inputs.serviceLevel)
                        : teletraffic::ErlangCAgents(A, aht, time, inputs.serviceLevel);
    }
    // With callers hanging up, the cap is on the traffic carried, not offered.
    const teletraffic::Schedule schedule =
        patience ? teletraffic::ErlangAScheduleAgents(A, forTarget, aht, *patience,
                                                      inputs.shrinkage, inputs.maxOccupancy)
                 : teletraffic::ScheduleAgents(A, forTarget, inputs.shrinkage, inputs.maxOccupancy);
    result.agents = schedule.onPhones;
    result.scheduled = schedule.scheduled;
    result.decidedBy = schedule.decidedBy;
    result.answer = Figures(inputs, result.agents);
    if (!withRows) {
        return result;
    }
    qint64 first = std::max<qint64>(1, result.agents - kRowsBelow);
    qint64 last = result.agents + kRowsAbove;
    if (patience) {
        const auto half = static_cast<qint64>(A / 2);
        first = std::max({qint64{1}, std::min(first, half), result.agents - kMostRowsBelow});
        last = std::max(last, result.agents + std::min(kMostRowsAbove, result.agents / 10));
    }
    for (qint64 n = first; n <= last; ++n) {
        result.rows.push_back(n == result.agents ? result.answer : Figures(inputs, n));
    }
    return result;
}

QString FigureText(const StaffingInputs& in, Shown what, double value) {
    const bool byWait = in.target == StaffingTarget::AverageWait;
    std::optional<double> target;
    switch (what) {
    case Shown::ServiceLevel:
        target = byWait ? std::nullopt : std::optional(ToPercent(in.serviceLevel));
        break;
    case Shown::Wait:
        target = byWait ? std::optional(in.averageWaitSeconds) : std::nullopt;
        break;
    case Shown::Occupancy:
        target = in.maxOccupancy < 1 ? std::optional(ToPercent(in.maxOccupancy)) : std::nullopt;
        break;
    case Shown::Share:
        break;
    }
    const double shown = what == Shown::Wait ? value : value * 100;
    return Decimals(shown, target ? DecimalsApart(shown, *target, 1) : 1);
}

QString TrafficText(double erlangs) {
    return erlangs > 0 && erlangs < 0.005 ? Significant(erlangs, 3) : Decimals(erlangs, 2);
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
    return parent.isValid() ? 0 : kFigures - (staffing_.inputs.patienceSeconds ? 0 : 1);
}

int StaffingModel::figure(int column) const {
    return !staffing_.inputs.patienceSeconds && column >= kAbandonment ? column + 1 : column;
}

QVariant StaffingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const StaffingRow& row = staffing_.rows.at(static_cast<std::size_t>(index.row()));
    const int figure = this->figure(index.column());
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(
            (row.unbounded && figure != kAgents ? Qt::AlignLeft : Qt::AlignRight) |
            Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (row.unbounded && figure != kAgents) {
        return figure == kServiceLevel ? UnboundedQueueText() : QString();
    }
    // No calls, no agents: nothing to measure them by.
    if (row.agents == 0 && figure != kAgents) {
        return QString();
    }
    const StaffingInputs& in = staffing_.inputs;
    switch (figure) {
    case kAgents:
        return QString::number(row.agents);
    case kServiceLevel:
        return FigureText(in, Shown::ServiceLevel, row.serviceLevel);
    case kWait:
        return FigureText(in, Shown::Wait, row.averageWait);
    case kWaitProbability:
        return FigureText(in, Shown::Share, row.waitProbability);
    case kAbandonment:
        return FigureText(in, Shown::Share, row.abandonment);
    case kOccupancy:
        return FigureText(in, Shown::Occupancy, row.occupancy);
    default:
        return {};
    }
}

QVariant StaffingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const WaitWords wait =
        WaitWording(staffing_.inputs.waitBasis, staffing_.inputs.patienceSeconds.has_value());
    if (role == Qt::ToolTipRole) {
        return figure(section) == kWait ? wait.explanation : QVariant();
    }
    static const QString headings[kFigures] = {QStringLiteral("エージェント数"),
                                               QStringLiteral("サービスレベル (%)"),
                                               {},
                                               QStringLiteral("待ち確率 (%)"),
                                               QStringLiteral("放棄率 (%)"),
                                               QStringLiteral("稼働率 (%)")};
    return figure(section) == kWait ? wait.heading : headings[figure(section)];
}

} // namespace tables
