#include "tables/models/day_staffing.h"

#include "tables/models/engine_error.h"
#include "tables/models/number_format.h"

#include "teletraffic/number_text.h"
#include "textio/csv.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

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
    kFigures
};

// The fields of a line as textio reads CSV (quotes around a field, doubled
// inside it), at `separator`; the whole line as one field for none.
std::vector<std::string> Split(QStringView line, QChar separator) {
    const QByteArray text = line.toUtf8();
    const std::string_view bytes(text.constData(), static_cast<std::size_t>(text.size()));
    // Every separator is ASCII: a byte of it is never part of another character.
    return separator.isNull() ? std::vector<std::string>{textio::SplitLine(bytes, '\n')}
                              : textio::SplitLine(bytes, static_cast<char>(separator.unicode()));
}

// Whether `line` holds `separator` outside quotes.
bool Holds(QStringView line, QChar separator) {
    return Split(line, separator).size() > 1;
}

// The fields of a line, unquoted and trimmed, without empty ones at its end.
QStringList Fields(QStringView line, QChar separator) {
    QStringList fields;
    for (const std::string& field : Split(line, separator)) {
        fields << QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())).trimmed();
    }
    while (fields.size() > 1 && fields.back().isEmpty()) {
        fields.removeLast();
    }
    return fields;
}

QString Plain(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

// A count read with `mark` as its decimal mark, the other mark grouping its
// digits in threes.
number_text::Reading ReadCount(const QString& text, QChar mark) {
    QString plain = Plain(text);
    if (mark == u',') {
        for (QChar& c : plain) {
            c = c == u',' ? u'.' : c == u'.' ? u',' : c;
        }
    }
    std::string utf8 = plain.toStdString();
    number_text::Reading reading = number_text::Read(utf8);
    if (reading.problem == number_text::Problem::DigitGroups) {
        std::erase(utf8, ',');
        reading = number_text::Read(utf8);
    }
    return reading;
}

bool IsNumber(const QString& text) {
    return ReadCount(text, u'.').ok() || ReadCount(text, u',').ok();
}

bool IsDate(const QString& text) {
    static const QRegularExpression date(QStringLiteral(
        R"(^(\d{4}[-/.]\d{1,2}[-/.]\d{1,2}|\d{1,2}[-/.]\d{1,2}[-/.]\d{2,4}|\d{1,2}/\d{1,2}|)"
        R"((\d{2,4}年)?\d{1,2}月\d{1,2}日)$)"));
    return date.match(Plain(text)).hasMatch();
}

bool IsTime(const QString& text) {
    static const QRegularExpression time(
        QStringLiteral(R"(^\d{1,2}(:\d{2}(:\d{2})?|時(\d{1,2}分)?)(\s*[-~～〜–].*)?$)"));
    return time.match(Plain(text)).hasMatch();
}

using Names = std::span<const char16_t* const>;
constexpr const char16_t* kCountNames[] = {u"calls", u"呼数"};
constexpr const char16_t* kTimeNames[] = {u"time", u"時刻", u"時間", u"時間帯", u"区間"};
constexpr const char16_t* kDateNames[] = {u"date", u"日付"};

bool Named(const QString& field, Names names) {
    return std::any_of(names.begin(), names.end(), [&](const char16_t* name) {
        return field.compare(QStringView(name), Qt::CaseInsensitive) == 0;
    });
}

bool Words(const QString& field) {
    return std::any_of(field.begin(), field.end(), [](QChar c) { return c.isLetter(); }) &&
           std::none_of(field.begin(), field.end(), [](QChar c) { return c.isDigit(); });
}

bool IsHeading(const QStringList& fields) {
    const bool data = std::any_of(fields.begin(), fields.end(), [](const QString& field) {
        return IsNumber(field) || IsTime(field) || IsDate(field);
    });
    if (data) {
        return false;
    }
    const bool named = std::any_of(fields.begin(), fields.end(), [](const QString& field) {
        return Named(field, kCountNames) || Named(field, kTimeNames) || Named(field, kDateNames);
    });
    return named || (fields.size() >= 2 && std::all_of(fields.begin(), fields.end(), Words));
}

// The columns a heading names; -1 for those it does not.
struct Columns {
    qsizetype count = -1;
    qsizetype time = -1;
    qsizetype date = -1;
};

Columns HeadingColumns(const QStringList& heading) {
    Columns columns;
    for (qsizetype i = heading.size() - 1; i >= 0; --i) { // the first of a name wins
        if (Named(heading[i], kCountNames)) {
            columns.count = i;
        } else if (Named(heading[i], kTimeNames)) {
            columns.time = i;
        } else if (Named(heading[i], kDateNames)) {
            columns.date = i;
        }
    }
    if (columns.count >= 0 && columns.time < 0) {
        columns.time = columns.count == 0 ? 1 : 0; // the first other, as corvane-cli's files put it
    }
    return columns;
}

struct Line {
    QString date;
    QString label;
    QString calls;
    QString error;
};

Line Layout(const QStringList& fields, const Columns& columns, QChar separator, qsizetype number) {
    const QString numbered = QString::number(number);
    if (columns.count >= 0) {
        return {fields.value(columns.date),
                fields.value(columns.time, numbered),
                fields.value(columns.count),
                {}};
    }
    switch (fields.size()) {
    case 1:
        return {{}, numbered, fields[0], {}};
    case 2:
        return {{}, fields[0], fields[1], {}};
    case 3:
        if (IsDate(fields[0]) && IsTime(fields[1])) {
            return {fields[0], fields[1], fields[2], {}};
        }
        break;
    default:
        break;
    }
    const QString rest = fields.mid(1).join(separator);
    const bool grouped =
        separator == u',' &&
        number_text::Read(Plain(rest).toStdString()).problem == number_text::Problem::DigitGroups;
    return {{},
            fields[0],
            rest,
            grouped ? QStringLiteral("「,」区切りでは、桁区切りのある数を \"%1\" のように"
                                     "引用符で囲んでください")
                          .arg(rest)
                    : QStringLiteral("列が多すぎます（区間と呼数の 2 列か、日付・時刻・呼数の "
                                     "3 列にしてください）")};
}

// The decimal mark a count's own form shows: the one of the two readings that
// reads, when only one does.
std::optional<QChar> OwnMark(const QString& calls) {
    const bool point = ReadCount(calls, u'.').ok();
    const bool comma = ReadCount(calls, u',').ok();
    if (point == comma) {
        return std::nullopt;
    }
    return point ? u'.' : u',';
}

void ReadCounts(Volumes& volumes) {
    bool points = false;
    bool commas = false;
    for (const Volume& volume : volumes.rows) {
        if (volume.error.isEmpty()) {
            const std::optional<QChar> mark = OwnMark(volume.calls);
            points = points || mark == u'.';
            commas = commas || mark == u',';
        }
    }
    const bool mixed = points && commas;
    volumes.decimalMark = mixed                       ? QChar()
                          : commas                    ? u','
                          : points                    ? u'.'
                          : volumes.separator == u';' ? u','
                                                      : u'.';
    for (Volume& volume : volumes.rows) {
        if (!volume.error.isEmpty()) {
            continue;
        }
        const QChar mark = mixed ? OwnMark(volume.calls).value_or(u'.') : volumes.decimalMark;
        const number_text::Reading reading = ReadCount(volume.calls, mark);
        const number_text::Reading other = ReadCount(volume.calls, mark == u'.' ? u',' : u'.');
        if (mixed && reading.ok() && other.ok() && reading.value != other.value) {
            volume.error = QStringLiteral("%1 とも %2 とも読めます（この貼り付けには小数点が"
                                          "「.」の数と「,」の数があります）")
                               .arg(Exact(reading.value), Exact(other.value));
        } else if (reading.ok()) {
            volume.count = reading.value;
        } else if (reading.problem == number_text::Problem::Empty) {
            volume.error = QStringLiteral("呼数がありません");
        } else if (reading.problem == number_text::Problem::OutOfRange) {
            volume.error = QStringLiteral("呼数が扱える範囲を外れます");
        } else {
            volume.error = QStringLiteral("呼数が数値ではありません");
        }
    }
}

constexpr QChar kSeparators[] = {u'\t', u';', u','};

QChar PasteSeparator(const std::vector<QStringView>& lines) {
    const auto every = [&](auto holds) { return std::all_of(lines.begin(), lines.end(), holds); };
    for (QChar separator : kSeparators) {
        if (!lines.empty() && every([&](QStringView line) { return Holds(line, separator); })) {
            return separator;
        }
    }
    const auto held = [](QStringView line) {
        return std::find_if(std::begin(kSeparators), std::end(kSeparators),
                            [&](QChar c) { return Holds(line, c); });
    };
    // A column of counts alone, those with decimals written with a comma.
    if (every([&](QStringView line) {
            const auto separator = held(line);
            return separator == std::end(kSeparators) ||
                   (*separator == u',' && OwnMark(line.toString()) == u',');
        })) {
        return {};
    }
    QChar most;
    qsizetype mostLines = 0;
    for (QChar separator : kSeparators) {
        const auto count = std::count_if(lines.begin(), lines.end(),
                                         [&](QStringView line) { return Holds(line, separator); });
        if (count > mostLines) {
            most = separator;
            mostLines = count;
        }
    }
    return most;
}

// A line's own separator, where it differs from the paste's (typed beside
// pasted lines): the first it holds. A tab is never inside a field, and a
// ';' only in a label, where a ',' may be in a count ("09:00;114,5").
QChar LineSeparator(QStringView line, QChar paste) {
    if (paste.isNull()) {
        return paste;
    }
    for (QChar separator : kSeparators) {
        if (Holds(line, separator)) {
            return separator;
        }
    }
    return {};
}

} // namespace

Volumes ReadVolumes(QStringView text) {
    Volumes volumes;
    std::vector<QStringView> lines;
    bool head = false; // within the head of a file Corvane Tables saved
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.startsWith(u'\uFEFF')) {
            line = line.mid(1);
        }
        if (std::any_of(line.begin(), line.end(), [](QChar c) {
                return !c.isSpace() && c != u',' && c != u';' && c != u'"';
            })) {
            const QStringView start = line.trimmed();
            head = lines.empty() && (head ? start.startsWith(u'#')
                                          : start.startsWith(QStringLiteral("# Corvane Tables")));
            if (!head) {
                lines.push_back(line);
            }
        }
    }
    volumes.separator = PasteSeparator(lines);
    Columns columns;
    QStringList dates;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QChar separator = LineSeparator(lines[i], volumes.separator);
        const QStringList fields = Fields(lines[i], separator);
        if (i == 0 && IsHeading(fields)) {
            volumes.heading = true;
            columns = HeadingColumns(fields);
            continue;
        }
        const auto number = static_cast<qsizetype>(volumes.rows.size()) + 1;
        const Line line = Layout(fields, columns, separator, number);
        dates << line.date;
        volumes.rows.push_back({line.label, line.calls, std::nullopt, line.error});
    }
    // A day's times alone; the date too where the volumes run over days.
    if (QSet<QString>(dates.begin(), dates.end()).size() > 1) {
        for (std::size_t i = 0; i < volumes.rows.size(); ++i) {
            const QString& date = dates[static_cast<qsizetype>(i)];
            QString& label = volumes.rows[i].label;
            label = date.isEmpty() ? label : date + u' ' + label;
        }
    }
    ReadCounts(volumes);
    return volumes;
}

QString DecodeVolumes(const QByteArray& bytes) {
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder shiftJis("Shift_JIS");
    if (shiftJis.isValid()) {
        text = shiftJis(bytes);
        if (!shiftJis.hasError()) {
            return text;
        }
    }
    return QString::fromUtf8(bytes); // what cannot be read shows as U+FFFD
}

std::optional<double> LabelMinutes(const QString& label) {
    static const QRegularExpression time(QStringLiteral(
        R"((?:^|[^\d:])(\d{1,2})(?::(\d{2})(?::(\d{2}))?|時(?:(\d{1,2})分)?)(?![\d:]))"));
    const QRegularExpressionMatch match = time.match(Plain(label));
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(match.hasCaptured(2) ? 2 : 4).toInt();
    const int seconds = match.captured(3).toInt();
    if (hours > 47 || minutes > 59 || seconds > 59) {
        return std::nullopt;
    }
    return hours * 60 + minutes + seconds / 60.0;
}

namespace {

struct Spacing {
    std::optional<double> minutes;
    QString offLabel;
};

// The most common step between consecutive labels' times (the shorter of
// equals), over midnight too; the first label whose step is not a whole
// number of it, or that is no time among times.
Spacing LabelSpacing(const std::vector<Volume>& rows) {
    constexpr double kDay = 24 * 60;
    std::vector<std::pair<double, const QString*>> steps;
    std::optional<double> last;
    QString notTime;
    for (const Volume& row : rows) {
        const std::optional<double> at = LabelMinutes(row.label);
        if (!at) {
            notTime = notTime.isEmpty() ? row.label : notTime;
            continue;
        }
        if (last) {
            const double step = std::fmod(*at - *last, kDay);
            steps.emplace_back(step < 0 ? step + kDay : step, &row.label);
        }
        last = at;
    }
    if (steps.empty()) {
        return {};
    }
    std::map<double, int> counts;
    for (const auto& step : steps) {
        counts[step.first] += step.first > 0 ? 1 : 0;
    }
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
    // A most common step over half a day is the labels running backwards.
    if (most->second == 0 || most->first > kDay / 2) {
        return {std::nullopt, *steps.front().second};
    }
    Spacing spacing{most->first, notTime};
    for (const auto& [step, label] : steps) {
        if (spacing.offLabel.isEmpty() && (step == 0 || std::fmod(step, most->first) != 0)) {
            spacing.offLabel = *label;
        }
    }
    return spacing;
}

} // namespace

Day StaffDay(const Volumes& volumes, const StaffingInputs& inputs, const Monitor& monitor) {
    Day day;
    day.inputs = inputs;
    day.fieldMinutes = inputs.intervalMinutes;
    day.read = volumes;
    day.read.rows.clear();
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
    const double hours = day.inputs.intervalMinutes / 60;
    for (const Volume& volume : volumes.rows) {
        if (monitor.cancelled()) {
            break;
        }
        DayRow row{volume.label, volume.calls, volume.error, {}};
        if (!volume.count) {
            row.error =
                row.error.isEmpty() ? QStringLiteral("呼数が数値ではありません") : row.error;
        } else if (*volume.count < 0) {
            row.error = QStringLiteral("呼数は 0 以上にしてください");
        } else {
            try {
                row.staffing = Staff(ForInterval(day.inputs, *volume.count), false);
            } catch (const std::exception& error) {
                row.error = StaffingErrorText(error);
            }
        }
        if (!row.error.isEmpty()) {
            day.firstFailed =
                day.failed++ == 0 ? static_cast<int>(day.rows.size()) : day.firstFailed;
        } else {
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

QString DaySummary(const Day& day) {
    if (!day.refused.isEmpty()) {
        return {};
    }
    if (day.rows.empty()) {
        return QStringLiteral("区間ごとの呼数を左に貼り付けるか、CSV を読み込んでください。");
    }
    QString summary = QStringLiteral("%1 区間").arg(day.rows.size());
    if (day.peak >= 0) {
        const DayRow& peak = day.rows[static_cast<std::size_t>(day.peak)];
        summary += QStringLiteral("　ピーク %1（応対 %2 人、スケジュール %3 人）　"
                                  "延べ %4 人時（電話応対 %5 人時）")
                       .arg(peak.label)
                       .arg(peak.staffing.agents)
                       .arg(peak.staffing.scheduled)
                       .arg(day.agentHours, 0, 'f', 1)
                       .arg(day.phoneHours, 0, 'f', 1);
    }
    const QString minutes = Exact(day.inputs.intervalMinutes);
    summary += u'\n' + (day.intervalFromLabels
                            ? QStringLiteral("区間の長さ %1 分（時刻の間隔から）").arg(minutes)
                            : QStringLiteral("区間の長さ %1 分").arg(minutes));
    const QChar separator = day.read.separator;
    const QChar mark = day.read.decimalMark;
    summary += QStringLiteral("　%1・%2%3")
                   .arg(separator.isNull()   ? QStringLiteral("1 列")
                        : separator == u'\t' ? QStringLiteral("タブ区切り")
                                             : QStringLiteral("「%1」区切り").arg(separator),
                        mark.isNull() ? QStringLiteral("小数点は数ごとに「.」か「,」")
                                      : QStringLiteral("小数点「%1」").arg(mark),
                        day.read.heading ? QStringLiteral("・見出し行あり") : QString());
    return summary;
}

QStringList DayWarnings(const Day& day) {
    QStringList warnings;
    if (day.failed > 0) {
        warnings
            << QStringLiteral("計算できない区間が %1 か所あります（赤字の行）。").arg(day.failed);
    }
    if (day.intervalFromLabels && day.inputs.intervalMinutes != day.fieldMinutes) {
        warnings << QStringLiteral("区間の時刻が %1 分おきなので、1日は %1 分の区間で計算しました"
                                   "（「区間の長さ」は %2 分）。")
                        .arg(Exact(day.inputs.intervalMinutes), Exact(day.fieldMinutes));
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

DayModel::DayModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void DayModel::setDay(Day day) {
    beginResetModel();
    day_ = std::move(day);
    const StaffingColumns applies = ColumnsFor(day_.inputs);
    figures_ = {kLabel, kCalls, kTraffic, kOnPhones, kScheduled, kServiceLevel};
    for (const auto& [figure, shown] : {std::pair{kAbandonment, applies.abandonment},
                                        {kBlocking, applies.blocking},
                                        {kCallersLost, applies.callersLost},
                                        {kOccupancy, true},
                                        {kWait, true}}) {
        if (shown) {
            figures_.push_back(figure);
        }
    }
    endResetModel();
}

int DayModel::errorColumn() const {
    return kTraffic;
}

int DayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(day_.rows.size());
}

int DayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(figures_.size());
}

QVariant DayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const DayRow& row = day_.rows.at(static_cast<std::size_t>(index.row()));
    const int figure = figures_.at(static_cast<std::size_t>(index.column()));
    if (role == Qt::TextAlignmentRole) {
        const bool left = figure == kLabel || (!row.error.isEmpty() && figure >= kTraffic);
        return QVariant::fromValue((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && !row.error.isEmpty()) {
        return row.error; // whole, where the cell is too narrow
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (figure == kLabel) {
        return row.label;
    }
    if (figure == kCalls) {
        return row.callsText;
    }
    if (!row.error.isEmpty()) {
        return figure == kTraffic ? row.error : QString();
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
    if (figure == kWait) {
        const WaitWords words =
            WaitWording(day_.inputs.waitBasis, day_.inputs.patienceSeconds.has_value());
        return tip ? words.heading + u'\n' + words.explanation : words.brief;
    }
    if (tip && figure == kServiceLevel) {
        return headings[figure][1] + u'\n' + BasisExplanation(day_.inputs.basis);
    }
    return headings[figure][tip ? 1 : 0];
}

} // namespace tables
