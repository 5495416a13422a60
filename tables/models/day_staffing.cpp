#include "tables/models/day_staffing.h"

#include "tables/models/engine_error.h"
#include "tables/models/number_format.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tables {
namespace {

enum Figure {
    kLabel,
    kCalls,
    kTraffic,
    kOnPhones,
    kScheduled,
    kServiceLevel,
    kAbandonment,
    kBlocking,
    kCallersLost,
    kOccupancy,
    kWait,
    kReason,
    kFigures // a row's own inputs from here, by their column
};

constexpr double kDay = 24 * 60;

struct Spacing {
    std::optional<double> minutes;
    QString offLabel;
    TimeOrder order = TimeOrder::Ascending;
    QString outOfOrder; // in an unsorted day, the first label whose time is before the one above it
    std::vector<int> repeatOf; // for each row, the earlier row with its time, or -1
};

// The labels' times on one line: each step from the one before within half a
// day either way (over midnight too), a whole day on where the date changes.
// Then the most common step between them in time order (the shorter of
// equals), which is the interval; the first label whose step is not a whole
// number of it, or that is no time among times. A time an earlier row has is
// a repeat, and each row's direction says how the day runs.
Spacing LabelSpacing(const std::vector<Volume>& rows) {
    Spacing spacing;
    spacing.repeatOf.assign(rows.size(), -1);
    std::vector<std::pair<double, int>> times; // on the line, with their rows
    std::optional<LabelTime> last;
    double at = 0;
    bool forward = false;
    bool backward = false;
    QString notTime;
    std::map<double, int> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<LabelTime> time = TimeOfLabel(rows[i].label);
        if (!time) {
            notTime = notTime.isEmpty() ? rows[i].label : notTime;
            continue;
        }
        if (last) {
            double step = std::fmod(time->minutes - last->minutes, kDay);
            step = step < 0 ? step + kDay : step;
            if (time->day != last->day && !time->day.isEmpty() && !last->day.isEmpty()) {
                step = step == 0 ? kDay : step; // the same time, a day on
            } else if (step > kDay / 2) {
                step -= kDay;
            }
            at += step;
            if (step < 0 && spacing.outOfOrder.isEmpty()) {
                spacing.outOfOrder = rows[i].label;
            }
            forward = forward || step > 0;
            backward = backward || step < 0;
        }
        last = time;
        const auto [earlier, fresh] = seen.emplace(at, static_cast<int>(i));
        if (fresh) {
            times.emplace_back(at, static_cast<int>(i));
        } else {
            spacing.repeatOf[i] = earlier->second;
        }
    }
    spacing.order = forward && backward ? TimeOrder::Unsorted
                    : backward          ? TimeOrder::Descending
                                        : TimeOrder::Ascending;
    if (spacing.order != TimeOrder::Unsorted) {
        spacing.outOfOrder.clear();
    }
    std::sort(times.begin(), times.end());
    std::vector<std::pair<double, int>> steps;
    for (std::size_t i = 1; i < times.size(); ++i) {
        steps.emplace_back(times[i].first - times[i - 1].first, times[i].second);
    }
    if (steps.empty()) {
        return spacing;
    }
    std::map<double, int> counts;
    for (const auto& step : steps) {
        counts[step.first] += 1;
    }
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
    // A most common step over half a day is two times far apart, no interval.
    if (most->first > kDay / 2) {
        spacing.offLabel = rows[static_cast<std::size_t>(steps.front().second)].label;
        return spacing;
    }
    spacing.minutes = most->first;
    spacing.offLabel = notTime;
    // The label where a step off the interval ends, in the order of the rows.
    int off = -1;
    for (const auto& [step, row] : steps) {
        if (std::fmod(step, most->first) != 0 && (off < 0 || row < off)) {
            off = row;
        }
    }
    if (spacing.offLabel.isEmpty() && off >= 0) {
        spacing.offLabel = rows[static_cast<std::size_t>(off)].label;
    }
    return spacing;
}

// The row's inputs: the fields' for an interval of `calls`, its own over them.
StaffingInputs RowInputs(const StaffingInputs& day, const Volume& volume) {
    StaffingInputs in = ForInterval(day, volume.count.value_or(0));
    for (const OwnInput& own : volume.own) {
        using teletraffic::Argument;
        const double v = own.value;
        switch (own.argument) {
        case Argument::Aht:
            in.ahtSeconds = v;
            break;
        case Argument::Patience:
            in.patienceSeconds = v;
            break;
        case Argument::Lines:
            in.lines = v;
            break;
        case Argument::Redial:
            in.redial = v;
            break;
        case Argument::ForecastVariance:
            in.callsVariance = v;
            break;
        case Argument::TargetTime:
            in.targetSeconds = v;
            break;
        case Argument::ServiceLevel:
            in.serviceLevel = v;
            break;
        case Argument::Basis:
            in.basis = static_cast<teletraffic::Basis>(v);
            break;
        case Argument::AverageWait:
            in.averageWaitSeconds = v;
            break;
        case Argument::AnsweredWait:
            in.answeredWaitSeconds = v;
            break;
        case Argument::MaxAbandon:
            in.maxAbandon = v;
            break;
        case Argument::MaxBlocking:
            in.maxBlocking = v;
            break;
        case Argument::Shrinkage:
            in.shrinkage = v;
            break;
        case Argument::MaxOccupancy:
            in.maxOccupancy = v;
            break;
        case Argument::Interval:
            in.intervalMinutes = v;
            break;
        default:
            break;
        }
    }
    return in;
}

// What a row's inputs will not do together, as the tab's fields are checked.
QString RowProblem(const StaffingInputs& in) {
    if (in.maxAbandon && !in.patienceSeconds) {
        return QStringLiteral(
            "最大放棄率には平均放棄時間が要ります（誰も切らなければ放棄はありません）");
    }
    if (in.maxBlocking && !in.lines) {
        return QStringLiteral(
            "最大呼損率には回線数が要ります（回線の制限がなければ話中はありません）");
    }
    if (in.callsVariance && in.calls > 0) {
        if (*in.callsVariance < in.calls) {
            return QStringLiteral("呼数の分散 %1 は呼数（%2）以上にしてください")
                .arg(Exact(*in.callsVariance), Exact(in.calls));
        }
        if (*in.callsVariance > in.calls && !in.patienceSeconds && !in.lines) {
            return QStringLiteral("呼数より大きい分散には、平均放棄時間か回線数が必要です");
        }
    }
    return {};
}

} // namespace

Day StaffDay(const Volumes& volumes, const StaffingInputs& inputs, const Monitor& monitor) {
    Day day;
    day.inputs = inputs;
    day.fieldMinutes = inputs.intervalMinutes;
    day.read = volumes;
    day.read.rows.clear();
    if (!volumes.refused.isEmpty()) {
        day.refused = volumes.refused;
        return day;
    }
    if (volumes.rows.size() > static_cast<std::size_t>(kMaxIntervals)) {
        day.refused = QStringLiteral("区間は %1 までです（%2 区間あります）")
                          .arg(kMaxIntervals)
                          .arg(volumes.rows.size());
        return day;
    }
    const Spacing spacing = LabelSpacing(volumes.rows);
    if (spacing.minutes) {
        day.inputs.intervalMinutes = *spacing.minutes;
        day.intervalFromLabels = true;
    }
    day.offLabel = spacing.offLabel;
    day.order = spacing.order;
    day.outOfOrder = spacing.outOfOrder;
    for (std::size_t i = 0; i < volumes.rows.size(); ++i) {
        if (monitor.cancelled()) {
            break;
        }
        const Volume& volume = volumes.rows[i];
        DayRow row{volume.label, volume.count, volume.error, {}, RowInputs(day.inputs, volume)};
        const int repeat = spacing.repeatOf[i];
        if (repeat >= 0) {
            ++day.repeats;
            row.error =
                QStringLiteral("「%1」と同じ時刻の区間が前の行にあります（重ねて数えません）")
                    .arg(volumes.rows[static_cast<std::size_t>(repeat)].label);
        } else if (!row.error.isEmpty()) {
        } else if (*volume.count < 0) {
            row.error = QStringLiteral("呼数は 0 以上にしてください");
        } else if (const QString problem = RowProblem(row.inputs); !problem.isEmpty()) {
            row.error = problem;
        } else {
            try {
                row.staffing = Staff(row.inputs, false);
            } catch (const std::exception& error) {
                row.error = StaffingErrorText(error);
            }
        }
        if (!row.error.isEmpty()) {
            day.firstFailed =
                day.failed++ == 0 ? static_cast<int>(day.rows.size()) : day.firstFailed;
        } else {
            const double hours = row.inputs.intervalMinutes / 60;
            day.agentHours += static_cast<double>(row.staffing.scheduled) * hours;
            day.phoneHours += static_cast<double>(row.staffing.agents) * hours;
            if (day.peak < 0 ||
                row.staffing.scheduled >
                    day.rows[static_cast<std::size_t>(day.peak)].staffing.scheduled) {
                day.peak = static_cast<int>(day.rows.size());
            }
        }
        day.rows.push_back(std::move(row));
        monitor.progress(static_cast<qint64>(day.rows.size()));
    }
    return day;
}

double DayCost(const Volumes& volumes, const StaffingInputs& inputs) {
    // Microseconds a row, as bench_tables measures a day's rows (from 40 to
    // 280 calls a half-hour; ten times as many calls over a forecast's
    // spread take four times as long): Erlang C's and A's counts, Erlang X's
    // search of its chain, and of its mixture over a forecast's spread.
    double cost = 0;
    for (const Volume& volume : volumes.rows) {
        const StaffingInputs in = RowInputs(inputs, volume);
        cost += Slow(in) ? 3000 : UsesErlangX(in) ? 300 : 10;
    }
    return cost;
}

namespace {

// What a total row says of the rows above it.
QString TotalText(const TotalRow& total) {
    if (!total.count) {
        return QStringLiteral(
                   "「%1」の行（呼数「%2」は数値として読めません）は区間に数えていません。")
            .arg(total.label, total.calls);
    }
    // A spreadsheet's sum leaves out a cell that is no number, as the day does.
    const QString unread =
        total.unread > 0 ? QStringLiteral("（呼数が読めない %1 区間は除いた和）").arg(total.unread)
                         : QString();
    if (total.matches) {
        return QStringLiteral("「%1」の行（%2）は区間に数えず、上の %3 区間の呼数の和と合うことを"
                              "確かめました%4。")
            .arg(total.label, Exact(*total.count))
            .arg(total.rows)
            .arg(unread);
    }
    return QStringLiteral("「%1」の行の呼数 %2 が、上の %3 区間の呼数の和 %4%5 と合いません"
                          "（合計の行は区間に数えていません）。")
        .arg(total.label, Exact(*total.count))
        .arg(total.rows)
        .arg(Exact(total.sum), unread);
}

} // namespace

QString DaySummary(const Day& day) {
    if (!day.refused.isEmpty()) {
        return {};
    }
    if (day.rows.empty()) {
        return QStringLiteral("区間ごとの呼数を左に貼り付けるか、CSV を読み込んでください。");
    }
    // Short lines, each whole beside the volumes at the window's first size.
    QString summary = QStringLiteral("%1 区間").arg(day.rows.size());
    if (day.peak >= 0) {
        const DayRow& peak = day.rows[static_cast<std::size_t>(day.peak)];
        summary += QStringLiteral("　ピーク %1（応対 %2 人、スケジュール %3 人）\n"
                                  "延べ %4 人時（電話応対 %5 人時）")
                       .arg(peak.label)
                       .arg(peak.staffing.agents)
                       .arg(peak.staffing.scheduled)
                       .arg(day.agentHours, 0, 'f', 1)
                       .arg(day.phoneHours, 0, 'f', 1);
    }
    const QString minutes = Exact(day.inputs.intervalMinutes);
    summary +=
        (day.peak >= 0 ? QStringLiteral("　") : QStringLiteral("\n")) +
        (day.intervalFromLabels ? QStringLiteral("区間の長さ %1 分（時刻の間隔から）").arg(minutes)
                                : QStringLiteral("区間の長さ %1 分").arg(minutes)) +
        u'\n';
    const QChar separator = day.read.separator;
    const QChar mark = day.read.decimalMark;
    summary += QStringLiteral("%1・%2%3")
                   .arg(separator.isNull()   ? QStringLiteral("1 列")
                        : separator == u'\t' ? QStringLiteral("タブ区切り")
                                             : QStringLiteral("「%1」区切り").arg(separator),
                        mark.isNull() ? QStringLiteral("小数点は数ごとに「.」か「,」")
                                      : QStringLiteral("小数点「%1」").arg(mark),
                        day.read.heading ? QStringLiteral("・見出し行あり") : QString());
    QStringList own;
    for (const OwnColumn& column : day.read.own) {
        own << column.heading;
    }
    if (!own.isEmpty()) {
        summary += QStringLiteral("\n区間ごとの入力: %1（空欄は左の欄の値）").arg(own.join(u'、'));
    }
    if (!day.read.unread.isEmpty()) {
        summary += QStringLiteral("\n読まなかった列: %1").arg(day.read.unread.join(u'、'));
    }
    for (const TotalRow& total : day.read.totals) {
        if (total.matches) {
            summary += u'\n' + TotalText(total);
        }
    }
    return summary;
}

QStringList DayWarnings(const Day& day) {
    QStringList warnings;
    if (day.failed > 0) {
        warnings
            << QStringLiteral("計算できない区間が %1 か所あります（赤字の行）。").arg(day.failed);
    }
    for (const TotalRow& total : day.read.totals) {
        if (!total.matches) {
            warnings << TotalText(total);
        }
    }
    if (day.intervalFromLabels && day.inputs.intervalMinutes != day.fieldMinutes) {
        warnings << QStringLiteral("区間の時刻が %1 分おきなので、1日は %1 分の区間で計算しました"
                                   "（「区間の長さ」は %2 分）。")
                        .arg(Exact(day.inputs.intervalMinutes), Exact(day.fieldMinutes));
    }
    if (day.order == TimeOrder::Unsorted) {
        warnings << QStringLiteral(
                        "区間が時刻の順に並んでいません（「%1」で時刻が戻ります）。区間の長さは"
                        "時刻を並べた間隔から決めました。")
                        .arg(day.outOfOrder);
    } else if (day.order == TimeOrder::Descending) {
        warnings << QStringLiteral("区間が時刻の新しい順に並んでいます。並びのまま 1日として"
                                   "計算しました。");
    }
    if (!day.offLabel.isEmpty()) {
        warnings << QStringLiteral("区間「%1」の時刻が %2 分おきの並びに合いません。")
                        .arg(day.offLabel, Exact(day.inputs.intervalMinutes));
    }
    if (!day.rows.empty() && std::fmod(24 * 60, day.inputs.intervalMinutes) != 0) {
        warnings << QStringLiteral("区間の長さ %1 分では 1 日（24 時間）を割り切れません。")
                        .arg(Exact(day.inputs.intervalMinutes));
    }
    return warnings;
}

QList<QStringList> DayLines(const Day& day) {
    QList<QStringList> lines{{QStringLiteral("区間数"), QString::number(day.rows.size())}};
    if (day.peak >= 0) {
        const DayRow& peak = day.rows[static_cast<std::size_t>(day.peak)];
        lines << QStringList{QStringLiteral("ピーク"), peak.label}
              << QStringList{QStringLiteral("ピークの応対人数"),
                             QString::number(peak.staffing.agents)}
              << QStringList{QStringLiteral("ピークのスケジュール人数"),
                             QString::number(peak.staffing.scheduled)}
              << QStringList{QStringLiteral("延べ人時"), QString::number(day.agentHours, 'f', 1)}
              << QStringList{QStringLiteral("電話応対の延べ人時"),
                             QString::number(day.phoneHours, 'f', 1)};
    }
    lines << QStringList{QStringLiteral("計算できない区間"), QString::number(day.failed)};
    for (const TotalRow& total : day.read.totals) {
        lines << QStringList{QStringLiteral("合計の行（区間に数えない）"), total.label,
                             total.count ? Exact(*total.count) : QString(),
                             QStringLiteral("区間の呼数の和"), Exact(total.sum)};
    }
    return lines;
}

DayModel::DayModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void DayModel::setDay(Day day) {
    beginResetModel();
    day_ = std::move(day);
    // The columns any row needs: a row's own patience or lines bring theirs.
    StaffingColumns applies = ColumnsFor(day_.inputs);
    for (const DayRow& row : day_.rows) {
        const StaffingColumns own = ColumnsFor(row.inputs);
        applies = {applies.abandonment || own.abandonment, applies.blocking || own.blocking,
                   applies.callersLost || own.callersLost};
    }
    figures_ = {kLabel, kCalls};
    for (std::size_t i = 0; i < day_.read.own.size(); ++i) {
        figures_.push_back(kFigures + static_cast<int>(i));
    }
    for (const auto& [figure, shown] : {std::pair{kTraffic, true},
                                        {kOnPhones, true},
                                        {kScheduled, true},
                                        {kServiceLevel, true},
                                        {kAbandonment, applies.abandonment},
                                        {kBlocking, applies.blocking},
                                        {kCallersLost, applies.callersLost},
                                        {kOccupancy, true},
                                        {kWait, true},
                                        {kReason, true}}) {
        if (shown) {
            figures_.push_back(figure);
        }
    }
    endResetModel();
}

int DayModel::errorColumn() const {
    return static_cast<int>(std::find(figures_.begin(), figures_.end(), kTraffic) -
                            figures_.begin());
}

QString DayModel::reason(int row) const {
    return day_.rows.at(static_cast<std::size_t>(row)).error;
}

int DayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(day_.rows.size());
}

int DayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(figures_.size());
}

namespace {

// A row's own input as it was read: a number in the one form of the file, a
// word as the registry writes it.
QString OwnText(const StaffingInputs& in, teletraffic::Argument argument) {
    using teletraffic::Argument;
    const auto number = [](std::optional<double> value) {
        return value ? Exact(*value) : QString();
    };
    switch (argument) {
    case Argument::Aht:
        return Exact(in.ahtSeconds);
    case Argument::Patience:
        return number(in.patienceSeconds);
    case Argument::Lines:
        return number(in.lines);
    case Argument::Redial:
        return Exact(in.redial);
    case Argument::ForecastVariance:
        return number(in.callsVariance);
    case Argument::TargetTime:
        return Exact(in.targetSeconds);
    case Argument::ServiceLevel:
        return number(in.serviceLevel);
    case Argument::Basis: {
        const std::string_view word = teletraffic::WordOf(in.basis);
        return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
    }
    case Argument::AverageWait:
        return number(in.averageWaitSeconds);
    case Argument::AnsweredWait:
        return number(in.answeredWaitSeconds);
    case Argument::MaxAbandon:
        return number(in.maxAbandon);
    case Argument::MaxBlocking:
        return number(in.maxBlocking);
    case Argument::Shrinkage:
        return Exact(in.shrinkage);
    case Argument::MaxOccupancy:
        return Exact(in.maxOccupancy);
    case Argument::Interval:
        return Exact(in.intervalMinutes);
    default:
        return {};
    }
}

} // namespace

QVariant DayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const DayRow& row = day_.rows.at(static_cast<std::size_t>(index.row()));
    const int figure = figures_.at(static_cast<std::size_t>(index.column()));
    if (role == Qt::TextAlignmentRole) {
        const bool left = figure == kLabel || figure == kReason;
        return QVariant::fromValue((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && !row.error.isEmpty()) {
        return row.error; // whole, where the cell is too narrow
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (figure >= kFigures) {
        const OwnColumn& own = day_.read.own[static_cast<std::size_t>(figure - kFigures)];
        return OwnText(row.inputs, own.argument);
    }
    switch (figure) {
    case kLabel:
        return row.label;
    case kCalls:
        return row.calls ? Exact(*row.calls) : QString();
    case kReason:
        return row.error;
    default:
        break;
    }
    if (!row.error.isEmpty()) {
        return QString();
    }
    const Staffing& s = row.staffing;
    // No calls, no agents: nothing to measure them by.
    if (s.agents == 0 && figure > kScheduled) {
        return QString();
    }
    switch (figure) {
    case kTraffic:
        return TrafficText(s.traffic);
    case kOnPhones:
        return QString::number(s.agents);
    case kScheduled:
        return QString::number(s.scheduled);
    case kServiceLevel:
        return FigureText(s.inputs, Shown::ServiceLevel, s.answer.serviceLevel);
    case kAbandonment:
        return FigureText(s.inputs, Shown::Share, s.answer.abandonment);
    case kBlocking:
        return FigureText(s.inputs, Shown::Share, s.answer.blocking);
    case kCallersLost:
        return FigureText(s.inputs, Shown::Share, s.answer.callersLost);
    case kOccupancy:
        return FigureText(s.inputs, Shown::Occupancy, s.answer.occupancy);
    case kWait:
        return FigureText(s.inputs, Shown::Wait, s.answer.averageWait);
    default:
        return {};
    }
}

QVariant DayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
        section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    // Short headings, for up to eleven columns beside the volumes; the tip
    // says them in full.
    static const QString headings[kWait][2] = {
        {QStringLiteral("区間"), QStringLiteral("区間")},
        {QStringLiteral("呼数"), QStringLiteral("呼数")},
        {QStringLiteral("呼量"), QStringLiteral("呼量 (アーラン)")},
        {QStringLiteral("応対人数"), QStringLiteral("電話に出るエージェント数")},
        {QStringLiteral("スケジュール"), QStringLiteral("スケジュールするエージェント数")},
        {QStringLiteral("SL (%)"), QStringLiteral("サービスレベル (%)")},
        {QStringLiteral("放棄 (%)"), QStringLiteral("放棄率 (%)")},
        {QStringLiteral("呼損 (%)"), BlockingExplanation()},
        {QStringLiteral("最終放棄 (%)"), CallersLostExplanation()},
        {QStringLiteral("稼働 (%)"), QStringLiteral("稼働率 (%)")}};
    const bool tip = role == Qt::ToolTipRole;
    const int figure = figures_[static_cast<std::size_t>(section)];
    if (figure >= kFigures) {
        // As the paste named it, so that a saved day reads back the same.
        const OwnColumn& own = day_.read.own[static_cast<std::size_t>(figure - kFigures)];
        return tip ? QStringLiteral("%1: 区間ごとの %2（空欄の区間は左の欄の値）")
                         .arg(own.heading, ArgumentLabel(own.argument))
                   : own.heading;
    }
    if (figure == kReason) {
        return tip ? QStringLiteral("計算できない区間の理由") : QStringLiteral("理由");
    }
    if (figure == kWait) {
        bool patience = day_.inputs.patienceSeconds.has_value();
        for (const DayRow& row : day_.rows) {
            patience = patience || row.inputs.patienceSeconds.has_value();
        }
        const WaitWords words = WaitWording(day_.inputs.waitBasis, patience);
        return tip ? words.heading + u'\n' + words.explanation : words.brief;
    }
    if (tip && figure == kServiceLevel) {
        return headings[figure][1] + u'\n' + BasisExplanation(day_.inputs.basis);
    }
    return headings[figure][tip ? 1 : 0];
}

} // namespace tables
