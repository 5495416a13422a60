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
    // One progress over the two or three days the room computes, so that
    // the bar does not run back to its start for each.
    const std::int64_t days = schedule ? 3 : 2;
    std::int64_t daysDone = 0;
    const transient::Monitor each{monitor.cancelled, [&](std::int64_t done, std::int64_t total) {
                                      monitor.progress(daysDone * total + done, days * total);
                                  }};
    try {
        input.method = transient::Method::Transient;
        carried.plan = transient::PlanDay(input, each);
        if (carried.plan.cancelled) {
            return carried;
        }
        ++daysDone;
        input.method = transient::Method::Stationary;
        carried.usual = transient::PlanDay(input, each);
        if (schedule && !carried.usual.cancelled) {
            ++daysDone;
            input.agents = schedule;
            carried.judged = transient::PlanDay(input, each);
        }
    } catch (const transient::DayError& error) {
        carried.refused = QString::fromStdString(error.what());
    } catch (const std::exception& error) {
        carried.refused = QString::fromStdString(error.what());
    }
    return carried;
}

CarriedDay CarryAndJudge(const Day& day, const std::optional<ScheduleRows>& schedule,
                         const transient::Monitor& monitor) {
    if (!schedule) {
        return CarryDay(day, std::nullopt, monitor);
    }
    const ScheduleMatch match = MatchSchedule(day, *schedule);
    if (!match.refused.isEmpty()) {
        CarriedDay carried;
        carried.refused = match.refused;
        carried.judgedSource = schedule->source;
        return carried;
    }
    CarriedDay carried = CarryDay(day, match.agents, monitor);
    carried.judgedSource = schedule->source;
    return carried;
}

namespace {

// Whether the day was carried over whole: the headline and the file's head
// are then the carried plan's.
bool Carried(const Day& day, const CarriedDay& carried) {
    return carried.refused.isEmpty() && !carried.plan.cancelled &&
           carried.plan.intervals.size() == day.rows.size() && !day.rows.empty() &&
           carried.usual.intervals.size() == day.rows.size();
}

// The plan's interval with the most agents to schedule, the first of equals.
std::size_t PeakOf(const transient::DayResult& plan) {
    std::size_t peak = 0;
    for (std::size_t i = 1; i < plan.intervals.size(); ++i) {
        if (plan.intervals[i].scheduled > plan.intervals[peak].scheduled) {
            peak = i;
        }
    }
    return peak;
}

QString Hours(double hours) {
    return QString::number(hours, 'f', 1);
}

} // namespace

QString CarriedSummary(const Day& day, const CarriedDay& carried) {
    const QString usual = DaySummary(day);
    if (!Carried(day, carried)) {
        return usual;
    }
    const transient::DayResult& plan = carried.plan;
    const std::size_t peak = PeakOf(plan);
    // The interval's length and how the volumes were read, as the per-interval
    // summary says them after its own figures.
    const QString length = usual.section(u'\n', 1, 1).section(u'　', 1);
    const QString reading = usual.section(u'\n', 2);
    QString text =
        QStringLiteral("過渡解析の計画: %1 区間　ピーク %2（応対 %3 人、スケジュール %4 人）\n"
                       "延べ %5 人時（電話応対 %6 人時）　%7\n")
            .arg(day.rows.size())
            .arg(day.rows[peak].label)
            .arg(plan.intervals[peak].agents)
            .arg(plan.intervals[peak].scheduled)
            .arg(Hours(plan.totals.scheduledHours), Hours(plan.totals.phoneHours), length);
    const auto missed = carried.usual.totals.missed.size();
    text +=
        missed == 0
            ? QStringLiteral("区間ごとの計画（延べ %1 人時）も持ち越しで全区間が目標を満たします。")
                  .arg(Hours(carried.usual.totals.scheduledHours))
            : QStringLiteral(
                  "区間ごとの計画（延べ %1 人時）は持ち越しで %2 区間が目標に届きません。")
                  .arg(Hours(carried.usual.totals.scheduledHours))
                  .arg(missed);
    if (carried.judged) {
        const transient::DayTotals& judged = carried.judged->totals;
        text += QStringLiteral("\n%1の配置: 電話応対 %2 人時、%3 区間が目標に届きません"
                               "（1日の SL %4 %）。")
                    .arg(carried.judgedSource, Hours(judged.phoneHours))
                    .arg(judged.missed.size())
                    .arg(Percent(judged.serviceLevel));
    }
    return reading.isEmpty() ? text : text + u'\n' + reading;
}

QList<QStringList> CarriedLines(const Day& day, const CarriedDay& carried) {
    if (!Carried(day, carried)) {
        return DayLines(day);
    }
    const transient::DayResult& plan = carried.plan;
    const std::size_t peak = PeakOf(plan);
    QList<QStringList> lines{
        {QStringLiteral("区間数"), QString::number(day.rows.size())},
        {QStringLiteral("過渡解析のピーク"), day.rows[peak].label},
        {QStringLiteral("ピークの応対人数"), QString::number(plan.intervals[peak].agents)},
        {QStringLiteral("ピークのスケジュール人数"),
         QString::number(plan.intervals[peak].scheduled)},
        {QStringLiteral("延べ人時"), Hours(plan.totals.scheduledHours)},
        {QStringLiteral("電話応対の延べ人時"), Hours(plan.totals.phoneHours)},
        {QStringLiteral("区間ごとの計画の延べ人時"), Hours(carried.usual.totals.scheduledHours)},
        {QStringLiteral("区間ごとの計画が持ち越しで届かない区間"),
         QString::number(carried.usual.totals.missed.size())}};
    if (carried.judged) {
        const transient::DayTotals& judged = carried.judged->totals;
        lines << QStringList{QStringLiteral("配置の電話応対の延べ人時"), Hours(judged.phoneHours)}
              << QStringList{QStringLiteral("配置が持ち越しで届かない区間"),
                             QString::number(judged.missed.size())}
              << QStringList{QStringLiteral("配置の1日のサービスレベル (%)"),
                             Percent(judged.serviceLevel)};
    }
    return lines;
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
    JudgedAgents,
    JudgedLevel,
    JudgedQueueAtEnd,
};

// As many columns either way, so that the day fits the window's width: a
// schedule judged in place of the two plans' service levels (the room's
// meets the target by its making; the usual plan's is the chart's without
// a schedule) and of the plan's queue.
std::vector<int> ColumnsShown(bool judged) {
    if (judged) {
        return {Label,         Calls,        UsualAgents, PlanAgents,
                PlanScheduled, JudgedAgents, JudgedLevel, JudgedQueueAtEnd};
    }
    return {Label,      Calls,         UsualAgents, UsualLevel,
            PlanAgents, PlanScheduled, PlanLevel,   QueueAtEnd};
}

} // namespace

CarriedDayModel::CarriedDayModel(QObject* parent)
    : QAbstractTableModel(parent)
    , columns_(ColumnsShown(false)) {}

void CarriedDayModel::setDay(const Day& day, CarriedDay carried) {
    beginResetModel();
    labels_.clear();
    calls_.clear();
    carried_ = std::move(carried);
    columns_ = ColumnsShown(carried_.judged.has_value());
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

bool CarriedDayModel::judgedMisses(int row) const {
    const auto at = static_cast<std::size_t>(row);
    return carried_.judged && at < carried_.judged->intervals.size() &&
           !carried_.judged->intervals[at].meetsTarget;
}

bool CarriedDayModel::usualColumn(int column) const {
    const int shown =
        column >= 0 && column < columnCount() ? columns_[static_cast<std::size_t>(column)] : -1;
    return shown == UsualAgents || shown == UsualLevel;
}

bool CarriedDayModel::judgedColumn(int column) const {
    const int shown =
        column >= 0 && column < columnCount() ? columns_[static_cast<std::size_t>(column)] : -1;
    return shown == JudgedAgents || shown == JudgedLevel || shown == JudgedQueueAtEnd;
}

int CarriedDayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(labels_.size());
}

int CarriedDayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant CarriedDayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter
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
    const transient::IntervalFigures* judged =
        carried_.judged && row < carried_.judged->intervals.size()
            ? &carried_.judged->intervals[row]
            : nullptr;
    switch (columns_[static_cast<std::size_t>(index.column())]) {
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
    case JudgedAgents:
        return judged ? QVariant(static_cast<qlonglong>(judged->agents)) : QVariant();
    case JudgedLevel:
        return judged ? QVariant(Percent(judged->serviceLevel)) : QVariant();
    case QueueAtEnd:
        return Decimals(plan.queueAtEnd, 1);
    case JudgedQueueAtEnd:
        return judged ? QVariant(Decimals(judged->queueAtEnd, 1)) : QVariant();
    default:
        return {};
    }
}

QVariant CarriedDayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != kStackedHeading) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    if (section < 0 || section >= columnCount()) {
        return {};
    }
    // On two lines, short: the table says once that the levels are carried
    // over. In one line for a file, whole.
    const auto heading = [role](const char16_t* plan, const char16_t* figure,
                                const char16_t* shortFigure) {
        return role == kStackedHeading
                   ? QString::fromUtf16(plan) + u'\n' + QString::fromUtf16(shortFigure)
                   : QString::fromUtf16(plan) + u'の' + QString::fromUtf16(figure);
    };
    switch (columns_[static_cast<std::size_t>(section)]) {
    case Label:
        return QStringLiteral("区間");
    case Calls:
        return QStringLiteral("呼数");
    case UsualAgents:
        return heading(u"区間ごと", u"要員", u"要員");
    case UsualLevel:
        return heading(u"区間ごと", u"持ち越し SL (%)", u"SL (%)");
    case PlanAgents:
        return heading(u"過渡解析", u"要員", u"要員");
    case PlanScheduled:
        return heading(u"過渡解析", u"スケジュール人数", u"スケジュール");
    case PlanLevel:
        return heading(u"過渡解析", u"SL (%)", u"SL (%)");
    case QueueAtEnd:
        return heading(u"過渡解析", u"区間末の待ち呼", u"末の待ち呼");
    case JudgedAgents:
        return heading(u"配置", u"要員", u"要員");
    case JudgedLevel:
        return heading(u"配置", u"持ち越し SL (%)", u"SL (%)");
    case JudgedQueueAtEnd:
        return heading(u"配置", u"区間末の待ち呼", u"末の待ち呼");
    default:
        return {};
    }
}

} // namespace tables
