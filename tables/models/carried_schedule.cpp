// Reads a schedule's rows from text or from シフト作成's coverage, then puts
// each row on the day's interval of the same time (or, in a day whose labels
// are not times, of the same label), refusing what does not fit.
#include "tables/models/carried_schedule.h"

#include "tables/models/number_format.h"
#include "tables/models/volumes.h"
#include "textio/csv.h"

#include <QHash>

#include <cmath>
#include <string>

namespace tables {

namespace {

// The heading's names as corvane-cli's files and a planner's sheet write them.
const QStringList kTimeColumns{QStringLiteral("start"),    QStringLiteral("time"),
                               QStringLiteral("interval"), QStringLiteral("label"),
                               QStringLiteral("時刻"),     QStringLiteral("区間"),
                               QStringLiteral("開始"),     QStringLiteral("開始時刻")};
// The columns a count may be in, one of them alone.
const QStringList kCountColumns{QStringLiteral("agents"), QStringLiteral("on-phones"),
                                QStringLiteral("エージェント数"), QStringLiteral("人数")};
// The room's bound on a schedule's count.
constexpr double kMostAgents = 1e6;
// Past this many, the refusal says how many more rows there are.
constexpr int kRowsNamed = 8;

QString Name(const QString& heading) {
    QString name = heading.normalized(QString::NormalizationForm_KC).trimmed().toCaseFolded();
    name.remove(QChar(0xfeff)); // a byte-order mark left before the first heading
    name.replace(u'_', u'-').replace(u' ', u'-');
    return name;
}

int ColumnOf(const QStringList& names, const QStringList& wanted) {
    for (const QString& name : wanted) {
        if (const qsizetype at = names.indexOf(name); at >= 0) {
            return static_cast<int>(at);
        }
    }
    return -1;
}

QStringList Fields(const QString& line, char separator) {
    QStringList fields;
    for (const std::string& field : textio::SplitLine(line.toStdString(), separator)) {
        fields << QString::fromStdString(field);
    }
    return fields;
}

// Why `text` is no count of agents, or nothing; `agents` set when it is one.
QString CountProblem(const QString& text, double& agents) {
    // Full-width digits as a Japanese sheet may write them.
    const QString count = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (count.isEmpty()) {
        return QStringLiteral("人数が空欄です");
    }
    bool number = false;
    agents = count.toDouble(&number);
    if (!number || !std::isfinite(agents)) {
        return QStringLiteral("人数「%1」が数として読めません").arg(count);
    }
    if (agents < 0) {
        return QStringLiteral("人数 %1 が負です").arg(count);
    }
    if (agents != std::floor(agents)) {
        return QStringLiteral("人数 %1 が整数ではありません").arg(count);
    }
    if (agents > kMostAgents) {
        return QStringLiteral("人数 %1 が多すぎます（%2 人まで）").arg(count, Exact(kMostAgents));
    }
    return {};
}

// A time as a key: its date's text (where it has one) and its seconds from
// midnight, whole, so that equal times are equal keys.
struct TimeKey {
    QString day;
    qint64 seconds;
};

std::optional<TimeKey> KeyOf(const QString& label) {
    const auto time = TimeOfLabel(label);
    if (!time) {
        return std::nullopt;
    }
    return TimeKey{time->day, std::llround(time->minutes * 60)};
}

} // namespace

ScheduleRows ReadSchedule(QStringView text, const QString& source) {
    ScheduleRows schedule;
    schedule.source = source;
    const QList<QStringView> lines = text.split(u'\n');
    int timeColumn = -1;
    int countColumn = -1;
    char separator = ',';
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i].toString();
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        if (timeColumn < 0) {
            if (line.startsWith(u'#')) {
                continue; // a saved file's inputs
            }
            separator = line.contains(u'\t')                          ? '\t'
                        : line.contains(u';') && !line.contains(u',') ? ';'
                                                                      : ',';
            QStringList names;
            for (const QString& heading : Fields(line, separator)) {
                names << Name(heading);
            }
            // Two counts would be two schedules: which to judge is the planner's
            // to say, as corvane-cli day refuses them.
            QStringList counts;
            for (const QString& name : names) {
                if (kCountColumns.contains(name)) {
                    counts << name;
                }
            }
            if (counts.size() > 1) {
                schedule.refused = QStringLiteral("配置の見出しに人数の列が %1 つあります（%2）。"
                                                  "評価する1列だけにしてください。")
                                       .arg(counts.size())
                                       .arg(counts.join(QStringLiteral("、")));
                return schedule;
            }
            countColumn = ColumnOf(names, kCountColumns);
            if (countColumn < 0) {
                schedule.refused =
                    QStringLiteral("配置の見出しの行に、時刻の列と人数の列（agents か "
                                   "on-phones）が要ります。");
                return schedule;
            }
            // Else the first other column, as corvane-cli day labels its rows.
            timeColumn = ColumnOf(names, kTimeColumns);
            timeColumn = timeColumn >= 0 ? timeColumn : countColumn == 0 ? 1 : 0;
            continue;
        }
        const QStringList fields = Fields(line, separator);
        schedule.rows.push_back({static_cast<int>(i + 1), fields.value(timeColumn).trimmed(),
                                 fields.value(countColumn)});
    }
    if (timeColumn < 0) {
        schedule.refused = QStringLiteral("配置がありません。時刻の列と agents の列を"
                                          "見出しと一緒に貼り付けてください。");
    } else if (schedule.rows.empty()) {
        schedule.refused = QStringLiteral("配置の見出しの下に行がありません。");
    }
    return schedule;
}

ScheduleRows ScheduleOfShifts(const shifts::Schedule& schedule) {
    ScheduleRows rows;
    rows.source = QStringLiteral("シフト作成");
    rows.periodMinutes = schedule.horizon.interval;
    for (std::size_t period = 0; period < schedule.coverage.size(); ++period) {
        const shifts::PeriodCoverage& cover = schedule.coverage[period];
        rows.rows.push_back({static_cast<int>(period + 1),
                             QString::fromStdString(schedule.horizon.Label(cover.start)),
                             QString::number(cover.onPhones)});
    }
    if (rows.rows.empty()) {
        rows.refused = QStringLiteral("シフト作成の配置に区間がありません。");
    }
    return rows;
}

ScheduleMatch MatchSchedule(const Day& day, const ScheduleRows& schedule) {
    ScheduleMatch match;
    if (!schedule.refused.isEmpty()) {
        match.refused = schedule.refused;
        return match;
    }
    const double interval = day.inputs.intervalMinutes;
    if (schedule.periodMinutes && *schedule.periodMinutes != interval) {
        match.refused = QStringLiteral("%1の配置は %2 分の区間ですが、1日は %3 分の区間です。")
                            .arg(schedule.source)
                            .arg(*schedule.periodMinutes)
                            .arg(Exact(interval));
        return match;
    }
    // The day's rows by their time where every label is one, else by label.
    bool byTime = !day.rows.empty();
    std::vector<std::optional<TimeKey>> dayKeys;
    for (const DayRow& row : day.rows) {
        dayKeys.push_back(KeyOf(row.label));
        byTime = byTime && dayKeys.back().has_value();
    }
    QMultiHash<qint64, int> atTime;
    QHash<QString, int> atLabel;
    for (int i = 0; i < static_cast<int>(day.rows.size()); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (byTime) {
            atTime.insert(dayKeys[at]->seconds, i);
        } else {
            atLabel.insert(day.rows[at].label.trimmed(), i);
        }
    }
    const qint64 firstSeconds = byTime ? dayKeys.front()->seconds : 0;
    const auto step = std::llround(interval * 60);

    QStringList problems;
    std::vector<int> lineOf(day.rows.size(), 0);
    match.agents.assign(day.rows.size(), 0);
    double sinceTotal = 0; // the counts since the last total row
    int rowsSinceTotal = 0;
    for (const ScheduleRow& row : schedule.rows) {
        const QString name =
            schedule.periodMinutes ? QStringLiteral("%1 %2").arg(schedule.source, row.time)
            : row.time.isEmpty()   ? QStringLiteral("行 %1").arg(row.line)
                                   : QStringLiteral("行 %1（%2）").arg(row.line).arg(row.time);
        const auto problem = [&](const QString& why) {
            problems << name + QStringLiteral(": ") + why;
        };
        if (row.time.isEmpty()) {
            problem(QStringLiteral("時刻が空欄です"));
            continue;
        }
        // A spreadsheet's foot is no interval, and is checked as the day's is.
        if (!schedule.periodMinutes && IsTotalLabel(row.time)) {
            double total = 0;
            if (const QString why = CountProblem(row.count, total); !why.isEmpty()) {
                problem(why);
            } else if (total != sinceTotal) {
                problem(QStringLiteral("合計 %1 が上の %2 行の和 %3 と合いません")
                            .arg(Exact(total))
                            .arg(rowsSinceTotal)
                            .arg(Exact(sinceTotal)));
            }
            sinceTotal = 0;
            rowsSinceTotal = 0;
            continue;
        }
        int found = -1;
        if (byTime) {
            const std::optional<TimeKey> key = KeyOf(row.time);
            if (!key) {
                problem(QStringLiteral("時刻として読めません"));
                continue;
            }
            int candidates = 0;
            for (const int i : atTime.values(key->seconds)) {
                const QString& dayText = dayKeys[static_cast<std::size_t>(i)]->day;
                if (key->day.isEmpty() || key->day == dayText) {
                    found = i;
                    ++candidates;
                }
            }
            if (candidates > 1) {
                problem(QStringLiteral("日付がなく、1日のどの区間か決まりません"));
                continue;
            }
            if (found < 0) {
                const bool onGrid = step > 0 && (key->seconds - firstSeconds) % step == 0;
                problem(
                    onGrid
                        ? QStringLiteral("1日にない区間です")
                        : QStringLiteral("区間の刻み（%1 分）に合いません").arg(Exact(interval)));
                continue;
            }
        } else {
            found = atLabel.value(row.time, -1);
            if (found < 0) {
                problem(QStringLiteral("1日にない区間です"));
                continue;
            }
        }
        const auto at = static_cast<std::size_t>(found);
        if (lineOf[at] != 0) {
            problem(schedule.periodMinutes
                        ? QStringLiteral("区間 %1 が二度あります").arg(day.rows[at].label)
                        : QStringLiteral("区間 %1 は行 %2 にもあります")
                              .arg(day.rows[at].label)
                              .arg(lineOf[at]));
            continue;
        }
        lineOf[at] = row.line;
        double agents = 0;
        if (const QString why = CountProblem(row.count, agents); !why.isEmpty()) {
            problem(why);
            continue;
        }
        match.agents[at] = agents;
        sinceTotal += agents;
        ++rowsSinceTotal;
    }
    for (std::size_t i = 0; i < day.rows.size(); ++i) {
        if (lineOf[i] == 0) {
            problems << QStringLiteral("区間 %1: %2に人数がありません")
                            .arg(day.rows[i].label, schedule.source);
        }
    }
    if (!problems.isEmpty()) {
        const auto more = problems.size() - kRowsNamed;
        if (more > 0) {
            problems = problems.mid(0, kRowsNamed);
            problems << QStringLiteral("ほか %1 件").arg(more);
        }
        match.refused = QStringLiteral("%1の配置を評価できません。\n").arg(schedule.source) +
                        problems.join(u'\n');
        match.agents.clear();
    }
    return match;
}

} // namespace tables
