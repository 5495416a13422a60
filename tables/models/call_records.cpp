#include "tables/models/call_records.h"

#include "tables/models/engine_error.h"
#include "tables/models/inputs.h"
#include "tables/models/number_format.h"

#include <QFile>

#include <array>
#include <iterator>

namespace tables {
namespace {

using records::Option;

// The window's words for each of the room's options, in the order of the
// ids (or it does not build).
struct Words {
    Option option;
    const char16_t* words;
};
constexpr Words kOptionWords[] = {
    {Option::Format, u"形式"},
    {Option::Timezone, u"タイムゾーン"},
    {Option::Interval, u"区間の長さ"},
    {Option::Trunk, u"トランク"},
    {Option::Holding, u"保留時間"},
    {Option::StartColumn, u"開始の列"},
    {Option::EndColumn, u"終了の列"},
    {Option::DurationColumn, u"通話時間の列"},
    {Option::AnswerColumn, u"応答の列"},
    {Option::CallIdColumn, u"呼 ID の列"},
    {Option::TimeFormat, u"時刻の書式"},
    {Option::Strict, u"不正な行で止める"},
    {Option::Window, u"呼をまとめる窓 (分)"},
    {Option::Jobs, u"同時に読むファイル数"},
    {Option::From, u"測定の初日"},
    {Option::To, u"測定の最終日"},
    {Option::NormalDays, u"平常時負荷の日数"},
    {Option::HighDays, u"高負荷の日数"},
    {Option::Blocking, u"平常時の呼損率"},
    {Option::HighBlocking, u"高負荷の呼損率"},
    {Option::Lines, u"測定した回線数"},
    {Option::FixedHour, u"固定の測定時"},
    {Option::Per, u"出力"},
    {Option::Json, u"JSON"},
};
template <typename Row, std::size_t N> constexpr bool InOrder(const Row (&rows)[N], std::size_t n) {
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(rows[i].option) != i) {
            return false;
        }
    }
    return N == n;
}
static_assert(InOrder(kOptionWords, records::kOptionCount), "words for every option, in order");

// What a rule over text accepts; a rule over numbers says it by its range.
constexpr std::pair<const teletraffic::Rule*, const char16_t*> kRuleWords[] = {
    {&records::rules::kInterval, u"60 を割り切る分数"},
    {&records::rules::kZone, u"tzdata にあるタイムゾーン（例: Asia/Tokyo）"},
    {&records::rules::kGlob, u"グロブ（* ? [...]）"},
    {&records::rules::kColumn, u"見出し行にある列の名前"},
    {&records::rules::kTimeFormat, u"strptime の書式（例: %d/%m/%Y %H:%M:%S）"},
    {&records::rules::kFlag, u"はい か いいえ"},
    {&records::rules::kDate, u"YYYY-MM-DD の日付"},
    {&records::rules::kFixedHour, u"区間の境目の HH:MM（23:00 まで）"},
    {&teletraffic::rules::kWord, u"選択肢のいずれか"},
};

constexpr const char16_t* kRefusals[] = {
    u"列の数が違う",
    u"開始か終了が空",
    u"時刻が読めない",
    u"秒のない時刻（表計算ソフトで保存し直した？）",
    u"時計が進められて存在しない時刻",
    u"終了が開始より前",
    u"通話時間が秒数でない",
    u"通話時間が負",
    u"応答が開始と終了の間にない",
    u"引用符が閉じていない",
    u"保留が 31 日を超える",
};
static_assert(std::size(kRefusals) == records::kRefusalCount, "words for every refusal");
constexpr const char16_t* kSkips[] = {u"通話以外のレコード", u"トランク以外のチャネル",
                                      u"応答のない呼"};
static_assert(std::size(kSkips) == records::kSkipCount, "words for every skip");
constexpr const char16_t* kFormats[] = {u"自動", u"Asterisk (Master.csv)", u"FreeSWITCH (CSV)",
                                        u"Cisco CUCM (CDR)", u"CSV（列を指定）"};
static_assert(std::size(kFormats) == records::choices::kFormat.size(), "words for every format");
constexpr const char16_t* kHoldings[] = {u"捕捉から切断まで（呼出中も）", u"応答から切断まで"};
static_assert(std::size(kHoldings) == records::choices::kHolding.size(), "words for holdings");
constexpr const char16_t* kWeekdays = u"日月火水木金土"; // 1970-01-01 was a Thursday

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Erlangs(double value) {
    return QStringLiteral("%1 アーラン").arg(Decimals(value, 2));
}

QString DayText(const records::DayRow& day) {
    const qsizetype weekday = static_cast<qsizetype>((day.day % 7 + 11) % 7);
    return Text(day.date) + QStringLiteral(" (") + QString(QChar(kWeekdays[weekday])) + u')';
}

// "09:45" of "2021-01-04T09:45:00+13:00".
QString ClockOf(const std::string& iso) {
    return Text(iso.size() >= 16 ? iso.substr(11, 5) : iso);
}

QString Percentage(double share) {
    return Exact(ToPercent(share)) + QStringLiteral(" %");
}

} // namespace

records::Tally ReadCallRecords(const QStringList& files, const records::ReadOptions& options,
                               const Monitor& monitor) {
    records::Reader reader(options);
    for (const QString& file : files) {
        reader.AddFile(QFile::encodeName(file).toStdString());
    }
    reader.OnProgress([&monitor](const records::Progress& p) {
        if (monitor.cancelled()) {
            return false;
        }
        monitor.progress(
            p.bytesTotal == 0 ? 0 : static_cast<qint64>(p.bytesRead * 1000 / p.bytesTotal));
        return true;
    });
    return reader.Read();
}

HeatGrid HeatGridOf(const records::Report& report, int interval) {
    HeatGrid grid;
    grid.interval = interval;
    grid.columns = 1440 / interval;
    if (report.days.empty()) {
        return grid;
    }
    const std::int64_t first = report.days.front().day;
    for (const records::DayRow& day : report.days) {
        grid.days << DayText(day);
    }
    grid.cells.resize(static_cast<std::size_t>(grid.rows() * grid.columns));
    for (const records::PeriodRow& p : report.periods) {
        const int row = static_cast<int>(p.day - first);
        const int column = p.clockMinutes / interval;
        if (row < 0 || row >= grid.rows() || column < 0 || column >= grid.columns) {
            continue;
        }
        HeatCell& cell = grid.cells[static_cast<std::size_t>(row * grid.columns + column)];
        (std::isnan(cell.first) ? cell.first : cell.second) = p.traffic;
        grid.most = std::max(grid.most, p.traffic);
    }
    const std::string& tcbh = report.summary.tcbh;
    if (tcbh.size() == 5) {
        const int minutes = std::stoi(tcbh.substr(0, 2)) * 60 + std::stoi(tcbh.substr(3, 2));
        grid.busyColumn = minutes / interval;
        grid.busyColumns = 60 / interval;
    }
    return grid;
}

// --- The days ------------------------------------------------------------------------

namespace {
enum DayColumn { kDate, kCalls, kPeak, kPeakHour, kPeakTraffic, kOffered, kDayColumns };
}

void RecordsDaysModel::setReport(records::Report report) {
    beginResetModel();
    report_ = std::move(report);
    endResetModel();
}

int RecordsDaysModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(report_.days.size());
}

int RecordsDaysModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : report_.summary.offered ? kDayColumns : kOffered;
}

QVariant RecordsDaysModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    switch (section) {
    case kDate:
        return QStringLiteral("日付");
    case kCalls:
        return QStringLiteral("呼数");
    case kPeak:
        return QStringLiteral("同時最大");
    case kPeakHour:
        return QStringLiteral("最繁時");
    case kPeakTraffic:
        return QStringLiteral("最繁時呼量(アーラン)");
    default:
        return QStringLiteral("提供呼量(アーラン)");
    }
}

QVariant RecordsDaysModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const records::DayRow& day = report_.days[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(index.column() == kDate ? Qt::AlignLeft | Qt::AlignVCenter
                                                           : Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && index.column() == kPeakHour) {
        return Text(day.peakHour);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case kDate:
        return DayText(day);
    case kCalls:
        return QString::number(day.calls);
    case kPeak:
        return PeakText(day.peak);
    case kPeakHour:
        return ClockOf(day.peakHour);
    case kPeakTraffic:
        return Significant(day.peakHourTraffic);
    default:
        return day.offered ? Significant(*day.offered) : QStringLiteral("飽和");
    }
}

// --- Words ---------------------------------------------------------------------------

QString OptionWords(records::Option option) {
    return QString::fromUtf16(kOptionWords[static_cast<std::size_t>(option)].words);
}

QString RecordsRuleWords(const teletraffic::Rule& rule) {
    for (const auto& [known, words] : kRuleWords) {
        if (known == &rule) {
            return QString::fromUtf16(words);
        }
    }
    return RangeText(RangeOf(rule));
}

QString RefusedBecause(records::Refusal reason) {
    return QString::fromUtf16(kRefusals[static_cast<std::size_t>(reason)]);
}

QString SkippedBecause(records::Skip reason) {
    return QString::fromUtf16(kSkips[static_cast<std::size_t>(reason)]);
}

QString FormatWords(records::Format format) {
    return QString::fromUtf16(kFormats[static_cast<std::size_t>(format)]);
}

QString HoldingWords(records::Holding holding) {
    return QString::fromUtf16(kHoldings[static_cast<std::size_t>(holding)]);
}

QString PeakText(const records::PeakRange& peak) {
    return peak.Exact() ? QString::number(peak.low)
                        : QStringLiteral("%1〜%2").arg(peak.low).arg(peak.high);
}

QString ReadingText(const records::Tally& t) {
    QStringList lines;
    QStringList read;
    for (const records::SourceInfo& s : t.sources) {
        read << QStringLiteral("%1（%2）")
                    .arg(Text(records::Printable(s.name)).section(u'/', -1),
                         s.format == records::Format::Auto ? QStringLiteral("記録なし")
                                                           : FormatWords(s.format));
    }
    if (read.size() > 3) {
        const QString rest = QStringLiteral("ほか %1 ファイル").arg(read.size() - 2);
        read = read.mid(0, 2) << rest;
    }
    lines << read.join(QStringLiteral("、")) +
                 QStringLiteral(": %1 行を読み、%2 行を使いました。").arg(t.rows).arg(t.rowsUsed);
    const auto counts = [](const auto& by, auto words) {
        QStringList parts;
        for (std::size_t i = 0; i < by.size(); ++i) {
            if (by[i] > 0) {
                parts << QStringLiteral("%1 %2").arg(words(i)).arg(by[i]);
            }
        }
        return parts.join(QStringLiteral("、"));
    };
    if (const std::int64_t refused = t.RowsRefused(); refused > 0) {
        QString line = QStringLiteral("読めなかった行 %1（%2）。")
                           .arg(refused)
                           .arg(counts(t.refused, [](std::size_t i) {
                               return RefusedBecause(static_cast<records::Refusal>(i));
                           }));
        if (!t.quotes.empty()) {
            const records::Quote& q = t.quotes.front();
            line += QStringLiteral("最初は %1 の %2 行目（%3）。")
                        .arg(Text(q.source).section(u'/', -1))
                        .arg(q.line)
                        .arg(RefusedBecause(q.reason));
        }
        lines << line;
    }
    if (const std::int64_t skipped = t.RowsSkipped(); skipped > 0) {
        lines << QStringLiteral("対象外の行 %1（%2）。")
                     .arg(skipped)
                     .arg(counts(t.skipped, [](std::size_t i) {
                         return SkippedBecause(static_cast<records::Skip>(i));
                     }));
    }
    if (t.ambiguous > 0) {
        lines << QStringLiteral("時計が戻された時間帯の時刻 %1 行は、早い方の時差で読みました。")
                     .arg(t.ambiguous);
    }
    if (t.late > 0 || t.uncertain > 0) {
        lines << QStringLiteral(
                     "順序が窓より乱れた行 %1（その区間の同時最大は範囲になることがあります）、"
                     "まとめ損ねたかもしれない行 %2。")
                     .arg(t.late)
                     .arg(t.uncertain);
    }
    return lines.join(u'\n');
}

QString SummaryText(const records::Summary& s, const records::SummaryOptions& o) {
    if (s.days == 0) {
        return QStringLiteral("呼がありません。");
    }
    const QString load = s.offered ? QStringLiteral("提供呼量") : QStringLiteral("運ばれた呼量");
    QStringList lines;
    const int start = std::stoi(s.tcbh.substr(0, 2)) * 60 + std::stoi(s.tcbh.substr(3, 2));
    lines << QStringLiteral("時刻一致最繁時 %1〜%2　%3（%4 日の平均）")
                 .arg(Text(s.tcbh))
                 .arg(QStringLiteral("%1:%2")
                          .arg((start + 60) / 60 % 24, 2, 10, QChar(u'0'))
                          .arg(start % 60, 2, 10, QChar(u'0')))
                 .arg(Erlangs(s.tcbhTraffic))
                 .arg(s.days);
    lines << QStringLiteral("平常時負荷 %1（上位 %2 日の日最繁時の平均、%3）: 呼損率 %4 で %5 回線")
                 .arg(Erlangs(s.normalLoad))
                 .arg(s.normalDays)
                 .arg(load, Percentage(o.blocking))
                 .arg(s.linesNormal);
    lines << QStringLiteral("高負荷 %1（上位 %2 日）: 呼損率 %3 で %4 回線")
                 .arg(Erlangs(s.highLoad))
                 .arg(s.highDays)
                 .arg(Percentage(o.highBlocking))
                 .arg(s.linesHigh);
    lines << QStringLiteral("必要回線数 %1　同時最大 %2 呼　呼数 %3　平均日最繁時呼量 %4")
                 .arg(s.lines)
                 .arg(PeakText(s.peak))
                 .arg(s.calls)
                 .arg(Erlangs(s.adphTraffic));
    if (!s.saturated.empty()) {
        QStringList days;
        for (const std::string& day : s.saturated) {
            days << Text(day);
        }
        lines << QStringLiteral(
                     "飽和した日（測定した回線数では提供呼量が決まらず、平均から除く）: %1")
                     .arg(days.join(QStringLiteral("、")));
    }
    return lines.join(u'\n');
}

QString RecordsErrorText(const std::exception& error) {
    if (const auto* option = dynamic_cast<const records::OptionError*>(&error)) {
        const QString words = OptionWords(option->id());
        switch (option->reason()) {
        case records::Reason::Outside:
            return QStringLiteral("%1「%2」は使えません。%3にしてください。")
                .arg(words, Text(option->value()), RecordsRuleWords(*option->about().rule));
        case records::Reason::NeededByCsv:
            return QStringLiteral("CSV 形式では%1が必要です。").arg(words);
        case records::Reason::EndOrDuration:
            return QStringLiteral("CSV 形式では終了の列か通話時間の列の、どちらか一つが必要です。");
        case records::Reason::TrunkNeedsChannel:
            return QStringLiteral(
                "トランクは Asterisk の記録のチャネル名で数えます。この形式の記録には"
                "チャネル名がありません。");
        case records::Reason::AnswerNeeded:
            return QStringLiteral("応答から数えるには、CSV 形式では%1が必要です。").arg(words);
        case records::Reason::BeforeFrom:
            return QStringLiteral("%1が測定の初日より前です。").arg(words);
        case records::Reason::TooManyDays:
            return QStringLiteral("測定する日が 10 年を超えます（時計の狂った記録か、別々の記録）。"
                                  "\n%1")
                .arg(QString::fromUtf8(option->what()));
        }
    }
    if (const auto* row = dynamic_cast<const records::RowRefused*>(&error)) {
        const records::Quote& q = row->quote();
        return QStringLiteral("%1 の %2 行目で止めました: %3\n%4")
            .arg(Text(q.source))
            .arg(q.line)
            .arg(RefusedBecause(q.reason), Text(q.text));
    }
    if (dynamic_cast<const records::Cancelled*>(&error) != nullptr) {
        return QStringLiteral("読み込みを中止しました。");
    }
    if (dynamic_cast<const records::FormatError*>(&error) != nullptr) {
        return QStringLiteral("通話記録として読めません。\n%1")
            .arg(QString::fromUtf8(error.what()));
    }
    return QStringLiteral("読み込めません。\n%1").arg(QString::fromUtf8(error.what()));
}

} // namespace tables
