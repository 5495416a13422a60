// Builds the room's day from the tab's: the intervals' calls, the shared
// inputs, the target; then the room's plan and the usual plan, both judged
// with the queue carried over.
#include "tables/models/carried_day.h"

#include "tables/models/number_format.h"

#include <cmath>
#include <exception>

namespace tables {

namespace {

// The inputs a row may not have apart from the day's: the room takes them
// once for the whole day.
bool SameAsDay(const StaffingInputs& row, const StaffingInputs& day) {
    return row.ahtSeconds == day.ahtSeconds && row.patienceSeconds == day.patienceSeconds &&
           row.lines == day.lines && row.targetSeconds == day.targetSeconds &&
           row.serviceLevel == day.serviceLevel &&
           row.averageWaitSeconds == day.averageWaitSeconds && row.shrinkage == day.shrinkage &&
           row.maxOccupancy == day.maxOccupancy && row.intervalMinutes == day.intervalMinutes;
}

// Whether the inputs ask what only Erlang X answers.
bool BeyondRoom(const StaffingInputs& in) {
    return in.redial != 0 || in.callsVariance || in.basis != teletraffic::Basis::Offered ||
           in.answeredWaitSeconds || in.maxAbandon || in.maxBlocking;
}

} // namespace

CarriedDay CarryDay(const Day& day, const std::optional<std::vector<double>>& schedule,
                    const transient::Monitor& monitor) {
    CarriedDay carried;
    if (!day.refused.isEmpty()) {
        carried.refused = day.refused;
        return carried;
    }
    if (day.rows.empty()) {
        carried.refused = QStringLiteral("区間がありません。");
        return carried;
    }
    transient::DayInput input;
    const StaffingInputs& in = day.inputs;
    if (BeyondRoom(in)) {
        carried.refused =
            QStringLiteral("過渡解析は再呼・予測の分散・応答呼の基準・放棄率や呼損率の"
                           "上限を扱いません。");
        return carried;
    }
    for (const DayRow& row : day.rows) {
        if (!row.calls || !row.error.isEmpty()) {
            carried.refused =
                QStringLiteral("区間 %1 に答えがないため、待ち呼を持ち越せません。").arg(row.label);
            return carried;
        }
        if (!SameAsDay(row.inputs, in) || BeyondRoom(row.inputs)) {
            carried.refused =
                QStringLiteral(
                    "区間 %1 に独自の入力があります。過渡解析は1日に共通の入力だけを使います。")
                    .arg(row.label);
            return carried;
        }
        input.calls.push_back(*row.calls);
    }
    input.model.intervalMinutes = in.intervalMinutes;
    input.model.ahtSeconds = in.ahtSeconds;
    input.model.patienceSeconds = in.patienceSeconds.value_or(INFINITY);
    input.model.lines = in.lines.value_or(INFINITY);
    input.targets.serviceLevel = in.serviceLevel;
    input.targets.targetTimeSeconds = in.targetSeconds;
    input.targets.averageWaitSeconds = in.averageWaitSeconds;
    input.targets.shrinkage = in.shrinkage;
    input.targets.maxOccupancy = in.maxOccupancy;
    input.agents = schedule;
    try {
        input.method = transient::Method::Transient;
        carried.plan = transient::PlanDay(input, monitor);
        if (carried.plan.cancelled) {
            return carried;
        }
        input.agents.reset();
        input.method = transient::Method::Stationary;
        carried.usual = transient::PlanDay(input, monitor);
    } catch (const transient::DayError& error) {
        carried.refused = QString::fromStdString(error.what());
    } catch (const std::exception& error) {
        carried.refused = QString::fromStdString(error.what());
    }
    return carried;
}

namespace {

enum Column {
    Label,
    Calls,
    UsualAgents,
    UsualLevel,
    PlanAgents,
    PlanScheduled,
    PlanLevel,
    QueueAtEnd,
    ColumnCount
};

} // namespace

CarriedDayModel::CarriedDayModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void CarriedDayModel::setDay(const Day& day, CarriedDay carried) {
    beginResetModel();
    labels_.clear();
    calls_.clear();
    carried_ = std::move(carried);
    // The rows the room carried: none where it refused the day.
    for (std::size_t i = 0; i < carried_.plan.intervals.size() && i < day.rows.size(); ++i) {
        labels_ << day.rows[i].label;
        calls_.push_back(day.rows[i].calls.value_or(0));
    }
    endResetModel();
}

bool CarriedDayModel::usualMisses(int row) const {
    const auto at = static_cast<std::size_t>(row);
    return at < carried_.usual.intervals.size() && !carried_.usual.intervals[at].meetsTarget;
}

int CarriedDayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(labels_.size());
}

int CarriedDayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CarriedDayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(index.column() == Label ? Qt::AlignLeft | Qt::AlignVCenter
                                                           : Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const transient::IntervalFigures& plan = carried_.plan.intervals[row];
    // The usual plan is judged only where the room staffed the day; a
    // schedule judged has none beside it.
    const transient::IntervalFigures* usual =
        row < carried_.usual.intervals.size() ? &carried_.usual.intervals[row] : nullptr;
    switch (index.column()) {
    case Label:
        return labels_[static_cast<qsizetype>(row)];
    case Calls:
        return Exact(calls_[row]);
    case UsualAgents:
        return usual ? QVariant(static_cast<qlonglong>(usual->agents)) : QVariant();
    case UsualLevel:
        return usual ? QVariant(Percent(usual->serviceLevel)) : QVariant();
    case PlanAgents:
        return static_cast<qlonglong>(plan.agents);
    case PlanScheduled:
        return static_cast<qlonglong>(plan.scheduled);
    case PlanLevel:
        return Percent(plan.serviceLevel);
    case QueueAtEnd:
        return Decimals(plan.queueAtEnd, 1);
    default:
        return {};
    }
}

QVariant CarriedDayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    switch (section) {
    case Label:
        return QStringLiteral("区間");
    case Calls:
        return QStringLiteral("呼数");
    case UsualAgents:
        return QStringLiteral("区間ごとの要員");
    case UsualLevel:
        return QStringLiteral("区間ごと・持ち越しの SL (%)");
    case PlanAgents:
        return QStringLiteral("過渡解析の要員");
    case PlanScheduled:
        return QStringLiteral("過渡解析の配置");
    case PlanLevel:
        return QStringLiteral("過渡解析の SL (%)");
    case QueueAtEnd:
        return QStringLiteral("区間末の待ち呼");
    default:
        return {};
    }
}

} // namespace tables
