#include "tables/models/staffing.h"

#include "tables/models/engine_error.h"

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

enum Figure {
    kAgents,
    kServiceLevel,
    kWait,
    kWaitProbability,
    kAbandonment,
    kBlocking,
    kCallersLost,
    kOccupancy,
    kReason,
    kFigures
};

// Whether the centre is Erlang C's or A's: no lines, no forecast's spread,
// and no redials, or none to make (nobody blocked or hanging up).
bool ErlangACentre(const StaffingInputs& in) {
    return !in.lines && !in.callsVariance && (in.redial == 0 || !in.patienceSeconds);
}

teletraffic::ErlangXModel Model(const StaffingInputs& in) {
    teletraffic::ErlangXModel model;
    model.aht = in.ahtSeconds;
    model.patience = in.patienceSeconds.value_or(INFINITY);
    model.lines = in.lines.value_or(INFINITY);
    model.redial = in.redial;
    if (in.callsVariance) {
        model.calls = in.calls;
        model.variance = *in.callsVariance;
    }
    return model;
}

} // namespace

std::optional<double> ShownWaitTarget(const StaffingInputs& in) {
    return in.waitBasis == WaitBasis::Answered ? in.answeredWaitSeconds : in.averageWaitSeconds;
}

teletraffic::ErlangXTargets TargetsOf(const StaffingInputs& in) {
    teletraffic::ErlangXTargets targets;
    targets.targetTime = in.targetSeconds;
    targets.basis = in.basis;
    targets.serviceLevel = in.serviceLevel;
    targets.averageWait = in.averageWaitSeconds;
    targets.answeredWait = in.answeredWaitSeconds;
    targets.maxAbandon = in.maxAbandon;
    targets.maxBlocking = in.maxBlocking;
    return targets;
}

bool UsesErlangX(const StaffingInputs& in) {
    // Without hang-ups every basis and both waits are Erlang C's or A's own.
    const bool otherBasis = in.basis != teletraffic::Basis::Offered ||
                            in.waitBasis != WaitBasis::AllCallers || in.answeredWaitSeconds;
    return !ErlangACentre(in) || (in.patienceSeconds && otherBasis) || in.maxAbandon ||
           in.maxBlocking;
}

bool Slow(const StaffingInputs& in) {
    return in.callsVariance && *in.callsVariance > in.calls;
}

StaffingColumns ColumnsFor(const StaffingInputs& in) {
    const bool patience = in.patienceSeconds.has_value();
    const bool lines = in.lines.has_value();
    return {patience, lines, (in.redial > 0 && (patience || lines)) || (patience && lines)};
}

StaffingInputs ForInterval(const StaffingInputs& inputs, double calls) {
    StaffingInputs in = inputs;
    in.calls = calls;
    if (inputs.callsVariance && calls != inputs.calls) {
        const double ratio = calls / inputs.calls;
        in.callsVariance = calls + (*inputs.callsVariance - inputs.calls) * ratio * ratio;
    }
    return in;
}

TooFewLines::TooFewLines(double lines, QString text)
    : teletraffic::DomainError(teletraffic::Argument::Lines, lines, "enough for the target")
    , text_(std::move(text)) {}

QString StaffingErrorText(const std::exception& error) {
    if (const auto* lines = dynamic_cast<const TooFewLines*>(&error)) {
        return QStringLiteral("計算できません: ") + lines->text();
    }
    return EngineErrorText(error);
}

WaitWords WaitWording(WaitBasis basis, bool patience) {
    if (!patience) {
        return {QStringLiteral("平均応答時間 (秒)"),
                QStringLiteral("ASA (秒)"),
                QStringLiteral("平均応答時間"),
                QStringLiteral("平均応答時間目標 (秒)"),
                QStringLiteral("平均応答時間 (ASA)"),
                QStringLiteral("応答までの平均待ち時間（ASA）。アーランCでは誰も切らずに"
                               "待つので、すべての呼の平均です。")};
    }
    switch (basis) {
    case WaitBasis::AllCallers:
        return {QStringLiteral("平均待ち時間・全呼 (秒)"),
                QStringLiteral("待ち・全呼 (秒)"),
                QStringLiteral("平均待ち時間（全呼）"),
                QStringLiteral("平均待ち時間目標・全呼 (秒)"),
                QStringLiteral("平均待ち時間（全呼）"),
                QStringLiteral("放棄した呼も切るまでの待ち時間に数えた、すべての呼の平均待ち"
                               "時間。ACD レポートの ASA（応答した呼だけの平均待ち時間）とは"
                               "別の量です。")};
    case WaitBasis::Answered:
        return {QStringLiteral("平均応答時間・応答呼 (秒)"),
                QStringLiteral("ASA・応答呼 (秒)"),
                QStringLiteral("平均応答時間（応答呼）"),
                QStringLiteral("平均応答時間目標・応答呼 (秒)"),
                QStringLiteral("平均応答時間（応答呼）"),
                QStringLiteral("応答した呼だけの平均待ち時間。ACD レポートの ASA と同じ量で、"
                               "放棄した呼の待ち時間は含みません。")};
    }
    return {};
}

QString BasisName(teletraffic::Basis basis) {
    switch (basis) {
    case teletraffic::Basis::Offered:
        return QStringLiteral("着信呼基準");
    case teletraffic::Basis::Answered:
        return QStringLiteral("応答呼基準");
    case teletraffic::Basis::ExcludingShortAbandons:
        return QStringLiteral("短時間放棄を除く");
    case teletraffic::Basis::Virtual:
        return QStringLiteral("仮想待ち時間基準");
    }
    return {};
}

QString BasisExplanation(teletraffic::Basis basis) {
    QString what;
    switch (basis) {
    case teletraffic::Basis::Offered:
        what = QStringLiteral("目標時間内に応答した呼 ÷ 着信した呼。放棄した呼は、いつ切っても"
                              "目標未達に数えます（平均放棄時間を入れたときのこれまでの定義）。");
        break;
    case teletraffic::Basis::Answered:
        what = QStringLiteral("目標時間内に応答した呼 ÷ 応答した呼。放棄した呼は分子にも分母にも"
                              "入りません（多くの ACD レポートの値）。");
        break;
    case teletraffic::Basis::ExcludingShortAbandons:
        what = QStringLiteral("目標時間内に応答した呼 ÷（着信した呼 − 目標時間内に放棄した呼）。"
                              "目標時間を過ぎてから切った呼は目標未達に数えます。");
        break;
    case teletraffic::Basis::Virtual:
        what = QStringLiteral("切らずに待ったとしたら目標時間内に応答される呼の割合。待ち時間"
                              "そのものの分布で、放棄は数えません。");
        break;
    }
    return BasisName(basis) + QStringLiteral(": ") + what +
           QStringLiteral("\n話中（回線がふさがっていた呼）はどの定義でも数えません。誰も切らない"
                          "（平均放棄時間が空欄の）ときは、4 つとも同じ値です。");
}

QString BlockingExplanation() {
    return QStringLiteral("呼損率: すべての回線がふさがっていて話中になった呼の割合"
                          "（かけ直した呼を含む）。");
}

QString CallersLostExplanation() {
    return QStringLiteral("最終的な放棄: かけ直しまで含めて、最後までつながらなかった発信者の"
                          "割合（話中で、または待ちきれずに切って、かけ直さなかった人）。");
}

StaffingRow Figures(const StaffingInputs& inputs, qint64 agents) {
    const double A = inputs.traffic();
    const auto N = static_cast<double>(agents);
    const double aht = inputs.ahtSeconds;
    if (UsesErlangX(inputs)) {
        // With neither lines nor hang-ups the queue grows without end, as by Erlang C.
        if (!inputs.lines && !inputs.patienceSeconds && A >= N) {
            return {agents, true, 0, 0, 0, 0, 0};
        }
        const teletraffic::ErlangXFigures f =
            teletraffic::ErlangX(A, N, Model(inputs), inputs.targetSeconds, inputs.basis);
        return {agents,
                false,
                f.serviceLevel,
                inputs.waitBasis == WaitBasis::Answered ? f.answeredWait : f.averageWait,
                f.waitProbability,
                f.abandonProbability,
                f.occupancy,
                f.blocking,
                f.callersLost,
                f.attemptsTraffic};
    }
    if (inputs.patienceSeconds) {
        const double patience = *inputs.patienceSeconds;
        const teletraffic::Abandonment a = teletraffic::ErlangA(A, N, aht, patience);
        return {agents,
                false,
                teletraffic::ErlangAServiceLevel(A, N, aht, patience, inputs.targetSeconds),
                a.averageWait,
                a.waitProbability,
                a.abandonProbability,
                a.occupancy,
                0,
                a.abandonProbability,
                A};
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
            A / N,
            0,
            0,
            A};
}

namespace {

// The agents on the phones for the targets alone: by Erlang X, or the most
// that Erlang C's or A's counts for each target ask (each figure improves
// with every agent, so the most meets them all).
qint64 ForTargets(const StaffingInputs& in) {
    if (UsesErlangX(in)) {
        return teletraffic::ErlangXAgents(in.traffic(), Model(in), TargetsOf(in));
    }
    const double A = in.traffic();
    const double aht = in.ahtSeconds;
    const auto& patience = in.patienceSeconds;
    qint64 agents = 0;
    if (in.serviceLevel) {
        const double time = in.targetSeconds;
        agents = patience ? teletraffic::ErlangAAgents(A, aht, *patience, time, *in.serviceLevel)
                          : teletraffic::ErlangCAgents(A, aht, time, *in.serviceLevel);
    }
    // Without hang-ups the answered calls' wait is every caller's.
    for (const auto& wait : {in.averageWaitSeconds, in.answeredWaitSeconds}) {
        if (wait) {
            agents = std::max<qint64>(
                agents, patience ? teletraffic::ErlangAAgentsForWait(A, aht, *patience, *wait)
                                 : teletraffic::ErlangCAgentsForWait(A, aht, *wait));
        }
    }
    return agents;
}

// Of two targets or more, one that `agents` - 1 misses: the one the count is
// for. The first given where none does (a figure within rounding of its target).
std::optional<teletraffic::Argument> DecidingTarget(const StaffingInputs& in, qint64 agents) {
    using teletraffic::Argument;
    const std::pair<Argument, std::optional<double>> targets[] = {
        {Argument::ServiceLevel, in.serviceLevel},
        {Argument::AverageWait, in.averageWaitSeconds},
        {Argument::AnsweredWait, in.answeredWaitSeconds},
        {Argument::MaxAbandon, in.maxAbandon},
        {Argument::MaxBlocking, in.maxBlocking}};
    const auto given = std::count_if(std::begin(targets), std::end(targets),
                                     [](const auto& target) { return target.second.has_value(); });
    if (given < 2) {
        return std::nullopt;
    }
    // The figures one agent fewer, each wait on its own basis.
    const auto fewer = [&](WaitBasis basis) {
        StaffingInputs on = in;
        on.waitBasis = basis;
        return Figures(on, agents - 1);
    };
    std::optional<StaffingRow> all;
    std::optional<StaffingRow> answered;
    for (const auto& [argument, target] : targets) {
        if (!target || agents < 2) {
            continue;
        }
        const StaffingRow& row =
            argument == Argument::AnsweredWait
                ? (answered ? *answered : answered.emplace(fewer(WaitBasis::Answered)))
                : (all ? *all : all.emplace(fewer(WaitBasis::AllCallers)));
        const bool missed =
            row.unbounded || (argument == Argument::ServiceLevel  ? row.serviceLevel < *target
                              : argument == Argument::MaxAbandon  ? row.abandonment > *target
                              : argument == Argument::MaxBlocking ? row.blocking > *target
                                                                  : row.averageWait > *target);
        if (missed) {
            return argument;
        }
    }
    return std::find_if(std::begin(targets), std::end(targets),
                        [](const auto& target) { return target.second.has_value(); })
        ->first;
}

} // namespace

Staffing Staff(const StaffingInputs& inputs, bool withRows, const Monitor& monitor) {
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
    const auto& patience = inputs.patienceSeconds;
    // With lines the agents reach them at most, where nobody waits.
    const std::int64_t forTarget = ForTargets(inputs);
    teletraffic::Schedule schedule{};
    try {
        // With callers hanging up, busy tones or redials, the cap is on the
        // traffic carried, not offered.
        schedule = teletraffic::ErlangXScheduleAgents(A, forTarget, Model(inputs), inputs.shrinkage,
                                                      inputs.maxOccupancy);
    } catch (const teletraffic::DomainError& error) {
        if (!inputs.lines || error.argument() != teletraffic::Argument::MaxOccupancy) {
            throw;
        }
        throw TooFewLines(*inputs.lines,
                          QStringLiteral("回線数 %1 では足りません。エージェントを回線数と"
                                         "同じ %1 人にしても、稼働率が最大稼働率 %2 % を"
                                         "超えます")
                              .arg(Exact(*inputs.lines), Exact(ToPercent(inputs.maxOccupancy))));
    }
    result.agents = schedule.onPhones;
    result.scheduled = schedule.scheduled;
    result.decidedBy = schedule.decidedBy;
    result.answer = Figures(inputs, result.agents);
    result.linesBound = inputs.lines && static_cast<double>(result.agents) >= *inputs.lines;
    if (schedule.decidedBy == teletraffic::Decided::ServiceTarget) {
        result.decidingTarget = DecidingTarget(inputs, result.agents);
    }
    if (!withRows) {
        return result;
    }
    qint64 first = std::max<qint64>(1, result.agents - kRowsBelow);
    qint64 last = result.agents + kRowsAbove;
    // Hang-ups or busy tones keep the queue finite below the traffic too.
    if (patience || inputs.lines) {
        const auto half = static_cast<qint64>(A / 2);
        first = std::max({qint64{1}, std::min(first, half), result.agents - kMostRowsBelow});
        last = std::max(last, result.agents + std::min(kMostRowsAbove, result.agents / 10));
    }
    if (inputs.lines) {
        last = std::min(last, static_cast<qint64>(*inputs.lines)); // no agent without a line
    }
    monitor.progress(0);
    for (qint64 n = first; n <= last && !monitor.cancelled(); ++n) {
        result.rows.push_back(n == result.agents ? result.answer : Figures(inputs, n));
        monitor.progress(n - first + 1);
    }
    return result;
}

QString FigureText(const StaffingInputs& in, Shown what, double value) {
    std::optional<double> target;
    switch (what) {
    case Shown::ServiceLevel:
        target = in.serviceLevel ? std::optional(ToPercent(*in.serviceLevel)) : std::nullopt;
        break;
    case Shown::Wait:
        target = ShownWaitTarget(in);
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

QString TargetName(const StaffingInputs& in, teletraffic::Argument target) {
    using teletraffic::Argument;
    const bool patience = in.patienceSeconds.has_value();
    switch (target) {
    case Argument::ServiceLevel:
        return QStringLiteral("サービスレベル目標");
    case Argument::AverageWait:
        return WaitWording(WaitBasis::AllCallers, patience).name + QStringLiteral("の目標");
    case Argument::AnsweredWait:
        return WaitWording(WaitBasis::Answered, patience).name + QStringLiteral("の目標");
    case Argument::MaxAbandon:
        return QStringLiteral("最大放棄率");
    case Argument::MaxBlocking:
        return QStringLiteral("最大呼損率");
    case Argument::MaxOccupancy:
        return QStringLiteral("最大稼働率");
    default:
        return {};
    }
}

AnswerWords AnswerText(const Staffing& s) {
    const StaffingInputs& in = s.inputs;
    AnswerWords words;
    const QString lines = in.lines ? Exact(*in.lines) : QString();
    words.headline =
        QStringLiteral("呼量 %1 アーラン　必要エージェント数 %2%3　スケジュール人数 %4")
            .arg(TrafficText(s.traffic))
            .arg(s.agents)
            .arg(s.linesBound ? QStringLiteral("（回線数 %1 が上限）").arg(lines) : QString())
            .arg(s.scheduled);
    words.lines = {{QStringLiteral("呼量 (アーラン)"), TrafficText(s.traffic)},
                   {QStringLiteral("必要エージェント数"), QString::number(s.agents)},
                   {QStringLiteral("スケジュール人数"), QString::number(s.scheduled)}};
    // Lines, redials and hang-ups: what callers meet beyond the wait on a
    // line of its own, so that the lines break between figures; with lines
    // the blocking beside the service level, which counts only the calls let in.
    QStringList detail;
    QStringList lost;
    // In a file as the table heads its column ("平均待ち時間・全呼 (秒)").
    const auto add = [&](QStringList& to, const QString& name, const QString& value,
                         const QString& unit, const QString& heading = {}) {
        to << QStringLiteral("%1 %2 %3").arg(name, value, unit);
        words.lines << QStringList{
            heading.isEmpty() ? QStringLiteral("%1 (%2)").arg(name, unit) : heading, value};
    };
    if (s.agents > 0) {
        const StaffingColumns applies = ColumnsFor(in);
        const StaffingRow& a = s.answer;
        const QString percent = QStringLiteral("%");
        add(detail, QStringLiteral("サービスレベル"),
            FigureText(in, Shown::ServiceLevel, a.serviceLevel), percent);
        if (applies.blocking) {
            add(detail, QStringLiteral("呼損率"), FigureText(in, Shown::Share, a.blocking),
                percent);
        }
        if (applies.abandonment) {
            add(detail, QStringLiteral("放棄率"), FigureText(in, Shown::Share, a.abandonment),
                percent);
        }
        add(detail, QStringLiteral("稼働率"), FigureText(in, Shown::Occupancy, a.occupancy),
            percent);
        const WaitWords wait = WaitWording(in.waitBasis, in.patienceSeconds.has_value());
        add(detail, wait.name, FigureText(in, Shown::Wait, a.averageWait), QStringLiteral("秒"),
            wait.heading);
        if (applies.callersLost) {
            add(lost, QStringLiteral("最終的な放棄"), FigureText(in, Shown::Share, a.callersLost),
                percent);
            if (in.redial > 0) {
                add(lost, QStringLiteral("かけ直し込みの呼量"), TrafficText(a.attempts),
                    QStringLiteral("アーラン"));
            }
        }
    }
    QStringList decided;
    if (s.decidedBy == teletraffic::Decided::Occupancy) {
        decided << TargetName(in, teletraffic::Argument::MaxOccupancy);
    } else if (s.decidingTarget) {
        decided << TargetName(in, *s.decidingTarget);
    }
    if (s.linesBound) {
        decided << QStringLiteral("回線数");
    }
    // What decided, a sentence on a line of its own after the losses.
    QString why;
    if (!decided.isEmpty()) {
        const QString by = decided.join(QStringLiteral("と"));
        why = QStringLiteral("%1で決まりました。").arg(by);
        words.lines << QStringList{QStringLiteral("決め手"), by};
    }
    if (s.linesBound && s.agents > 0) {
        why += QStringLiteral("回線がふさがった呼（話中）はサービスレベルに数えません。");
    }
    QStringList text{detail.join(QStringLiteral("　"))};
    for (const QString& line : {lost.join(QStringLiteral("　")), why}) {
        if (!line.isEmpty()) {
            text << line;
        }
    }
    words.detail = text.join(u'\n');
    return words;
}

StaffingModel::StaffingModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void StaffingModel::setStaffing(Staffing staffing) {
    beginResetModel();
    staffing_ = std::move(staffing);
    const StaffingColumns applies = ColumnsFor(staffing_.inputs);
    figures_ = {kAgents, kServiceLevel, kWait, kWaitProbability};
    for (const auto& [figure, shown] : {std::pair{kAbandonment, applies.abandonment},
                                        {kBlocking, applies.blocking},
                                        {kCallersLost, applies.callersLost},
                                        {kOccupancy, true},
                                        {kReason, true}}) {
        if (shown) {
            figures_.push_back(figure);
        }
    }
    endResetModel();
}

QString StaffingModel::reason(int row) const {
    return staffing_.rows.at(static_cast<std::size_t>(row)).unbounded ? UnboundedQueueText()
                                                                      : QString();
}

int StaffingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(staffing_.rows.size());
}

int StaffingModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(figures_.size());
}

QVariant StaffingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const StaffingRow& row = staffing_.rows.at(static_cast<std::size_t>(index.row()));
    const int figure = figures_.at(static_cast<std::size_t>(index.column()));
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue((figure == kReason ? Qt::AlignLeft : Qt::AlignRight) |
                                   Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (figure == kReason) {
        return reason(index.row());
    }
    if (row.unbounded && figure != kAgents) {
        return QString();
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
    case kBlocking:
        return FigureText(in, Shown::Share, row.blocking);
    case kCallersLost:
        return FigureText(in, Shown::Share, row.callersLost);
    case kOccupancy:
        return FigureText(in, Shown::Occupancy, row.occupancy);
    default:
        return {};
    }
}

QVariant StaffingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
        section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const int figure = figures_[static_cast<std::size_t>(section)];
    const StaffingInputs& in = staffing_.inputs;
    if (figure == kWait) {
        const WaitWords wait = WaitWording(in.waitBasis, in.patienceSeconds.has_value());
        return role == Qt::ToolTipRole ? wait.explanation : wait.heading;
    }
    if (role == Qt::ToolTipRole) {
        return figure == kServiceLevel  ? BasisExplanation(in.basis)
               : figure == kBlocking    ? BlockingExplanation()
               : figure == kCallersLost ? CallersLostExplanation()
                                        : QVariant();
    }
    static const QString headings[kFigures] = {QStringLiteral("エージェント数"),
                                               QStringLiteral("サービスレベル (%)"),
                                               {},
                                               QStringLiteral("待ち確率 (%)"),
                                               QStringLiteral("放棄率 (%)"),
                                               QStringLiteral("呼損率 (%)"),
                                               QStringLiteral("最終的な放棄 (%)"),
                                               QStringLiteral("稼働率 (%)"),
                                               QStringLiteral("理由")};
    return headings[figure];
}

} // namespace tables
