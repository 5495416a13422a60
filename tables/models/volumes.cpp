#include "tables/models/volumes.h"

#include "tables/models/engine_error.h"
#include "tables/models/inputs.h"
#include "tables/models/number_format.h"

#include "teletraffic/number_text.h"
#include "textio/csv.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <span>

namespace tables {
namespace {

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

// The fields of a line, unquoted and trimmed, without empty ones at its end
// beyond `least` (a label's blank count is a field, a spreadsheet's empty
// cells after the last column are not).
QStringList Fields(QStringView line, QChar separator, qsizetype least) {
    QStringList fields;
    for (const std::string& field : Split(line, separator)) {
        fields << QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size())).trimmed();
    }
    while (fields.size() > std::max<qsizetype>(1, least) && fields.back().isEmpty()) {
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
constexpr const char16_t* kTimeNames[] = {u"time",   u"start", u"時刻",    u"時間",
                                          u"時間帯", u"区間",  u"開始時刻"};
constexpr const char16_t* kDateNames[] = {u"date", u"日付"};
// A total row's label, in the words ACD exports and spreadsheets foot a day with.
constexpr const char16_t* kTotalNames[] = {u"合計",  u"総計",        u"小計", u"計",
                                           u"total", u"grand-total", u"sum"};

// A heading or a label as the batch reads a column's name: full-width forms
// as their ASCII, any case, "-", "_" and a blank the same.
QString Key(const QString& name) {
    return QString::fromStdString(teletraffic::NormalWord(Plain(name).toStdString()));
}

bool Named(const QString& field, Names names) {
    const QString key = Key(field);
    return std::any_of(names.begin(), names.end(),
                       [&](const char16_t* name) { return key == QStringView(name); });
}

bool IsTotal(const QString& label) {
    return Named(label, kTotalNames);
}

// The argument of kDayColumns a heading names, or Traffic for a column of
// traffic (refused), or none.
std::optional<teletraffic::Argument> OwnArgument(const QString& heading) {
    const QString key = Key(heading);
    for (teletraffic::Argument argument : kDayColumns) {
        const std::string_view option = teletraffic::About(argument).option;
        if (key == QString::fromUtf8(option.data(), static_cast<qsizetype>(option.size()))) {
            return argument;
        }
    }
    if (key == QStringLiteral("traffic")) {
        return teletraffic::Argument::Traffic;
    }
    return std::nullopt;
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
        return Named(field, kCountNames) || Named(field, kTimeNames) || Named(field, kDateNames) ||
               OwnArgument(field);
    });
    return named || (fields.size() >= 2 && std::all_of(fields.begin(), fields.end(), Words));
}

// The columns a heading names; -1 for those it does not.
struct Columns {
    qsizetype count = -1;
    qsizetype time = -1;
    bool timeNamed = false; // not the first other column
    qsizetype date = -1;
    std::vector<std::pair<qsizetype, OwnColumn>> own;
};

// The columns of `heading`, the headings it names but the day does not read
// in `unread`, or why it cannot be a day's.
Columns HeadingColumns(const QStringList& heading, Volumes& volumes) {
    Columns columns;
    std::vector<bool> taken(static_cast<std::size_t>(heading.size()));
    for (qsizetype i = heading.size() - 1; i >= 0; --i) { // the first of a name wins
        qsizetype* at = Named(heading[i], kCountNames)  ? &columns.count
                        : Named(heading[i], kTimeNames) ? &columns.time
                        : Named(heading[i], kDateNames) ? &columns.date
                                                        : nullptr;
        if (at != nullptr) {
            *at = i;
            taken[static_cast<std::size_t>(i)] = true;
        }
    }
    for (qsizetype i = 0; i < heading.size(); ++i) {
        const auto argument = OwnArgument(heading[i]);
        if (!argument) {
            continue;
        }
        taken[static_cast<std::size_t>(i)] = true;
        if (*argument == teletraffic::Argument::Traffic) {
            volumes.refused = QStringLiteral("列「%1」（呼量）は1日の計画では読みません。区間ごとの"
                                             "呼数の列（calls か 呼数）にしてください")
                                  .arg(heading[i]);
            continue;
        }
        for (const auto& [column, own] : columns.own) {
            if (own.argument == *argument) {
                volumes.refused = QStringLiteral("列「%1」と列「%2」は同じ入力です。どちらか 1 つに"
                                                 "してください")
                                      .arg(own.heading, heading[i]);
            }
        }
        columns.own.emplace_back(i, OwnColumn{*argument, heading[i]});
    }
    columns.timeNamed = columns.time >= 0;
    if (columns.count >= 0 && columns.time < 0) {
        // The first other, as corvane-cli's files put it.
        for (qsizetype i = 0; i < heading.size() && columns.time < 0; ++i) {
            columns.time = taken[static_cast<std::size_t>(i)] ? -1 : i;
        }
        if (columns.time >= 0) {
            taken[static_cast<std::size_t>(columns.time)] = true;
        }
    }
    for (qsizetype i = 0; i < heading.size(); ++i) {
        if (!taken[static_cast<std::size_t>(i)] && !heading[i].isEmpty()) {
            volumes.unread << heading[i];
        }
    }
    if (columns.count < 0 && !columns.own.empty() && volumes.refused.isEmpty()) {
        volumes.refused =
            QStringLiteral("見出しに呼数の列（calls か 呼数）がありません。区間ごとの呼数の列を"
                           "入れてください");
    }
    for (const auto& [column, own] : columns.own) {
        volumes.own.push_back(own);
    }
    return columns;
}

struct Line {
    QString date;
    QString label;
    QString calls;
    QString error;
    std::vector<QString> own; // the cells of Columns::own, in their order
};

Line Layout(const QStringList& fields, const Columns& columns, QChar separator, qsizetype number) {
    const QString numbered = QString::number(number);
    if (columns.count >= 0) {
        Line line{fields.value(columns.date),
                  fields.value(columns.time, numbered),
                  fields.value(columns.count),
                  {},
                  {}};
        for (const auto& [column, own] : columns.own) {
            line.own.push_back(fields.value(column));
        }
        return line;
    }
    switch (fields.size()) {
    case 1:
        // A time alone is a label whose count was left blank (or lost by the
        // clipboard with the tab after it).
        return IsTime(fields[0]) ? Line{{}, fields[0], {}, {}, {}}
                                 : Line{{}, numbered, fields[0], {}, {}};
    case 2:
        return {{}, fields[0], fields[1], {}, {}};
    case 3:
        if (IsDate(fields[0]) && IsTime(fields[1])) {
            return {fields[0], fields[1], fields[2], {}, {}};
        }
        // The total at the foot of dates and times: "合計,,1038".
        if (IsTotal(fields[0]) && fields[1].isEmpty()) {
            return {{}, fields[0], fields[2], {}, {}};
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
            {},
            grouped ? QStringLiteral("「,」区切りでは、桁区切りのある数を \"%1\" のように"
                                     "引用符で囲んでください")
                          .arg(rest)
                    : QStringLiteral("列が多すぎます（区間と呼数の 2 列か、日付・時刻・呼数の "
                                     "3 列にするか、列の名前を見出しの行に書いてください）"),
            {}};
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
            volume.error = QStringLiteral("呼数が空欄です");
        } else if (reading.problem == number_text::Problem::OutOfRange) {
            volume.error = QStringLiteral("呼数「%1」が扱える範囲を外れます").arg(volume.calls);
        } else {
            volume.error = QStringLiteral("呼数「%1」が数値ではありません").arg(volume.calls);
        }
    }
}

// A row's own input from its cell, in the paste's decimal mark (or the
// cell's own where the paste has both); a share with a "%" as the
// percentage it is. Blank: the field's. A value the argument's rule refuses
// is the row's reason.
std::optional<double> ReadOwn(const OwnColumn& column, const QString& cell, QChar mark,
                              QString& error) {
    using teletraffic::Argument;
    const teletraffic::ArgumentInfo& about = teletraffic::About(column.argument);
    QString text = Plain(cell);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const QString named =
        QStringLiteral("列「%1」（%2）").arg(column.heading, ArgumentLabel(column.argument));
    if (about.unit == teletraffic::Unit::Word) {
        const auto basis = teletraffic::ParseChoice<teletraffic::Basis>(text.toStdString());
        if (!basis) {
            const std::string words =
                teletraffic::WordList(teletraffic::ChoiceOf<teletraffic::Basis>());
            error = QStringLiteral("%1の「%2」は %3 のどれかにしてください")
                        .arg(named, cell, QString::fromStdString(words));
            return std::nullopt;
        }
        return static_cast<double>(*basis);
    }
    const bool share = about.unit == teletraffic::Unit::Share;
    const bool percent = share && text.endsWith(u'%');
    if (percent) {
        text.chop(1);
    }
    const number_text::Reading reading =
        ReadCount(text, mark.isNull() ? OwnMark(text).value_or(u'.') : mark);
    if (!reading.ok()) {
        error = QStringLiteral("%1の「%2」が数値ではありません").arg(named, cell);
        return std::nullopt;
    }
    const double value = percent ? FromPercent(reading.value) : reading.value;
    // The centre's lines are whole, from 1; every other argument's own rule.
    const teletraffic::Rule& rule =
        column.argument == Argument::Lines ? teletraffic::rules::kCentreLines : *about.rule;
    const Range range = RangeOf(rule);
    if (!range.contains(value)) {
        const QString allowed =
            range.max == INFINITY
                ? QStringLiteral("%1 %2").arg(Exact(range.min),
                                              range.minOpen ? u"より大きい数" : u"以上の数")
                : RangeText(range);
        error = QStringLiteral("%1の「%2」は %3 にしてください%4")
                    .arg(named, cell, allowed,
                         share ? QStringLiteral("（割合です。80 % なら 0.8 か 80%）") : QString());
        return std::nullopt;
    }
    return value;
}

// The decimals a count is written with ("1,038" none, "270,7" one).
int DecimalsOf(const QString& calls, QChar mark) {
    const QString plain = Plain(calls);
    const qsizetype at = plain.lastIndexOf(mark.isNull() ? u'.' : mark);
    if (at < 0) {
        return 0;
    }
    qsizetype digits = 0;
    while (at + 1 + digits < plain.size() && plain[at + 1 + digits].isDigit()) {
        ++digits;
    }
    return static_cast<int>(digits);
}

// Each total row out of the rows, with the sum of the counts since the last.
void TakeTotals(Volumes& volumes, const std::vector<bool>& total) {
    std::vector<Volume> rows;
    TotalRow since;
    for (std::size_t i = 0; i < volumes.rows.size(); ++i) {
        Volume& row = volumes.rows[i];
        if (!total[i]) {
            since.sum += row.count.value_or(0);
            since.rows += 1;
            since.unread += row.count ? 0 : 1;
            rows.push_back(std::move(row));
            continue;
        }
        since.label = row.label;
        since.calls = row.calls;
        since.count = row.count;
        if (row.count) {
            const QChar mark = volumes.decimalMark.isNull() ? OwnMark(row.calls).value_or(u'.')
                                                            : volumes.decimalMark;
            // To the digits the total is written in: a spreadsheet shows a
            // sum of decimals rounded.
            const double half = 0.5 * std::pow(10.0, -DecimalsOf(row.calls, mark));
            since.matches = std::abs(*row.count - since.sum) <= half + 1e-9 * std::abs(since.sum);
        }
        volumes.totals.push_back(since);
        since = {};
    }
    volumes.rows = std::move(rows);
}

constexpr QChar kSeparators[] = {u'\t', u';', u','};

QChar LineSeparator(QStringView line, QChar paste);

// An ACD export's "Interval" column of times ("09:00-09:30") is the labels,
// not the interval's length in minutes that corvane-cli's column of that
// name gives: so where no column is named as the time and every cell of it
// reads as a time.
void LabelsNamedInterval(Columns& columns, Volumes& volumes, const QStringList& heading,
                         const std::vector<QStringView>& lines) {
    const auto interval = std::find_if(columns.own.begin(), columns.own.end(), [](const auto& own) {
        return own.second.argument == teletraffic::Argument::Interval;
    });
    if (interval == columns.own.end() || columns.timeNamed || lines.size() < 2) {
        return;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const QString cell =
            Fields(lines[i], LineSeparator(lines[i], volumes.separator), 2).value(interval->first);
        if (!cell.isEmpty() && !IsTime(cell)) {
            return;
        }
    }
    // The first other column, taken for the label, is not read after all.
    if (columns.time >= 0) {
        volumes.unread.prepend(heading.value(columns.time));
    }
    columns.time = interval->first;
    columns.own.erase(interval);
    volumes.own.erase(
        std::find_if(volumes.own.begin(), volumes.own.end(), [](const OwnColumn& own) {
            return own.argument == teletraffic::Argument::Interval;
        }));
}

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

bool IsTotalLabel(const QString& label) {
    return IsTotal(label);
}

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
    std::vector<bool> total;
    std::vector<std::vector<QString>> own;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QChar separator = LineSeparator(lines[i], volumes.separator);
        const QStringList fields = Fields(lines[i], separator, 2);
        if (i == 0 && IsHeading(fields)) {
            volumes.heading = true;
            columns = HeadingColumns(fields, volumes);
            LabelsNamedInterval(columns, volumes, fields, lines);
            continue;
        }
        const auto number = static_cast<qsizetype>(volumes.rows.size()) + 1;
        const Line line = Layout(fields, columns, separator, number);
        dates << line.date;
        total.push_back(IsTotal(line.label) || IsTotal(line.date));
        own.push_back(line.own);
        volumes.rows.push_back({line.label, line.calls, std::nullopt, line.error, {}, {}});
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
    for (std::size_t i = 0; i < volumes.rows.size(); ++i) {
        Volume& row = volumes.rows[i];
        for (std::size_t c = 0; c < volumes.own.size() && c < own[i].size(); ++c) {
            QString error;
            const auto value = ReadOwn(volumes.own[c], own[i][c], volumes.decimalMark, error);
            if (value) {
                row.own.push_back({volumes.own[c].argument, *value});
            } else if (!error.isEmpty()) {
                row.refused.push_back(volumes.own[c].argument);
                row.error = row.error.isEmpty() ? error : row.error;
            }
        }
    }
    TakeTotals(volumes, total);
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

std::optional<LabelTime> TimeOfLabel(const QString& label) {
    static const QRegularExpression time(QStringLiteral(
        R"((?:^|[^\d:])(\d{1,2})(?::(\d{2})(?::(\d{2}))?|時(?:(\d{1,2})分)?)(?![\d:]))"));
    const QString plain = Plain(label);
    const QRegularExpressionMatch match = time.match(plain);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(match.hasCaptured(2) ? 2 : 4).toInt();
    const int seconds = match.captured(3).toInt();
    if (hours > 47 || minutes > 59 || seconds > 59) {
        return std::nullopt;
    }
    return LabelTime{plain.left(match.capturedStart(1)).trimmed(),
                     hours * 60 + minutes + seconds / 60.0};
}

std::optional<double> LabelMinutes(const QString& label) {
    const auto time = TimeOfLabel(label);
    return time ? std::optional(time->minutes) : std::nullopt;
}

} // namespace tables
