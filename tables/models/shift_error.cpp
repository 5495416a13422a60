// The room's messages are English sentences of a few fixed forms, each
// naming the template and the field by the JSON's path ("template 'early':
// breaks[1] is longer than its window: ..."): a table of those forms, the
// field's path turned into its column's words, gives the Japanese. Errors
// that carry their fields (OptionError, DomainError) are worded from the
// fields instead.
#include "tables/models/shift_error.h"

#include "shifts/error.h"
#include "teletraffic/domain.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>
#include <ranges>

namespace tables {
namespace {

using shifts::Argument;

constexpr const teletraffic::ArgumentInfo* Row(Argument argument) {
    return &shifts::About(argument);
}

constexpr ArgumentWords kShiftWords[] = {
    {Row(Argument::Objective), u"目的"},
    {Row(Argument::ShortageCost), u"不足 1 人・区間の費用"},
    {Row(Argument::TimeLimit), u"時間制限 (秒)"},
    {Row(Argument::Cyclic), u"日をまたいで繰り返す"},
    {Row(Argument::Interval), u"区間の長さ (分)"},
    {Row(Argument::MinServiceLevel), u"区間ごとの最低サービスレベル", true},
};

// Every argument of the room once, as the engine's words are checked.
constexpr bool WordsForEveryArgument() {
    for (const teletraffic::ArgumentInfo& about : shifts::kArguments) {
        if (std::ranges::count(kShiftWords, &about, &ArgumentWords::about) != 1) {
            return false;
        }
    }
    return std::size(kShiftWords) == std::size(shifts::kArguments);
}
static_assert(WordsForEveryArgument(), "Japanese words for every argument of the room");

QString ObjectiveWords(std::string_view word) {
    return word == "service" ? QStringLiteral("サービスレベルを満たす")
                             : QStringLiteral("必要人数を満たす");
}

QString Words(const teletraffic::ArgumentInfo& about) {
    for (const ArgumentWords& words : kShiftWords) {
        if (words.about == &about) {
            return QString::fromUtf16(words.words);
        }
    }
    for (std::size_t i = 0; i < std::size(teletraffic::kArguments); ++i) {
        if (&teletraffic::kArguments[i] == &about) {
            return ArgumentLabel(static_cast<teletraffic::Argument>(i));
        }
    }
    return QString::fromUtf8(about.words.data(), static_cast<qsizetype>(about.words.size()));
}

// "breaks[1].before" as its column's words: "休憩 2 の終わりの最遅".
std::optional<QString> FieldWords(const QString& path) {
    static const QRegularExpression form(
        QStringLiteral(R"(^([a-z]+)(?:\[(\d+)\])?(?:\.([a-z]+))?$)"));
    const QRegularExpressionMatch match = form.match(path);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    static const std::pair<const char*, const char16_t*> kFields[] = {
        {"name", u"名前"},
        {"start", u"開始"},
        {"start.earliest", u"開始の最早"},
        {"start.latest", u"開始の最遅"},
        {"start.step", u"開始の刻み"},
        {"length", u"長さ"},
        {"length.min", u"長さの最短"},
        {"length.max", u"長さの最長"},
        {"length.step", u"長さの刻み"},
        {"breaks", u"休憩"},
        {"breaks.length", u"の長さ"},
        {"breaks.after", u"の始まりの最早"},
        {"breaks.before", u"の終わりの最遅"},
        {"breaks.paid", u"の有給・無給"},
        {"cost", u"コスト"},
        {"min", u"最少"},
        {"max", u"最多"},
        {"days", u"曜日"},
    };
    const auto words = [&](const QString& key) -> std::optional<QString> {
        for (const auto& [field, text] : kFields) {
            if (key == QLatin1String(field)) {
                return QString::fromUtf16(text);
            }
        }
        return std::nullopt;
    };
    std::optional<QString> text = words(match.captured(1));
    if (!text) {
        return std::nullopt;
    }
    if (const QString index = match.captured(2); !index.isEmpty()) {
        *text += QStringLiteral(" %1").arg(index.toInt() + 1); // counted from 1 on the screen
    }
    if (const QString sub = match.captured(3); !sub.isEmpty()) {
        const std::optional<QString> subWords = words(match.captured(1) + u'.' + sub);
        if (!subWords) {
            return std::nullopt;
        }
        // A break's fields follow its number; the others replace the field.
        *text =
            match.captured(1) == QStringLiteral("breaks") ? *text + u' ' + *subWords : *subWords;
    }
    // A number at the end stands apart from the particle after it.
    if (text->back().isDigit()) {
        *text += u' ';
    }
    return text;
}

struct Form {
    const char* english;      // a whole message, or a reason after the field
    const char16_t* japanese; // %1... the english's captures
};

// The reasons after a template's field. Those without a particle first are
// said of the template as a whole.
const Form kReasons[] = {
    {R"(is missing)", u"がありません"},
    {R"(is not a field of a template here \(misspelt\?\))", u"は、ここでは使えない項目です"},
    {R"(must be a whole number of minutes from 0 to 10080, got (.*))",
     u"は 0 から 10080 までの整数の分にしてください（%1）"},
    {R"(must be a duration H:MM or a number of minutes, got (.*))",
     u"は H:MM か分の数にしてください（%1）"},
    {R"(must be a whole number from 0 to 1000000, got (.*))",
     u"は 0 から 1000000 までの整数にしてください（%1）"},
    {R"(must be a time HH:MM or DAY HH:MM, got (.*))",
     u"は HH:MM か「曜日 HH:MM」の時刻にしてください（%1）"},
    {R"(must be an? (?:object|list).*, got (.*))", u"の形が違います（%1）"},
    {R"(must be a list, got (.*))", u"の形が違います（%1）"},
    {R"(must give both earliest and latest with a day, or both without)",
     u"の最早と最遅は、両方に曜日を付けるか、両方とも付けないでください"},
    {R"(must be greater than 0)", u"は 0 より大きくしてください"},
    {R"(is an empty range: min (\S+) is above max (\S+))", u"の最短 %1 が最長 %2 を超えています"},
    {R"(must be at most a week)", u"は 1 週間までにしてください"},
    {R"(must be true or false, got (.*))", u"は有給か無給かにしてください（%1）"},
    {R"(is longer than its window: (\d+) minutes from after (\S+) end past before (\S+))",
     u"が枠より長い（%1 分は %2 からでも %3 を過ぎます）"},
    {R"(cannot be placed in a shift of (\S+) after the breaks before it: it would end at (\S+), .*)",
     u"が長さ %1 のシフトに、前の休憩のあとでは収まりません（終わりが %2 になります）"},
    {R"(cannot be placed in a shift of (\S+): it would end at (\S+), .*)",
     u"が長さ %1 のシフトに収まりません（終わりが %2 になります）"},
    {R"(must be a text that is not blank, got (.*))", u"が空です"},
    {R"(must be a number above 0 \(at most 1e9\) or "paid-hours", got (.*))",
     u"は 0 より大きく 1e9 までの数か「支払時間」にしてください（%1）"},
    {R"(must be at least min \((\d+)\), got (\d+))", u"は最少 %1 以上にしてください（%2）"},
    {R"(must be a list of weekdays \(mon to sun\), got (.*))", u"は曜日（月〜日）を並べてください"},
    {R"(cannot be given with a start window in the week \(DAY HH:MM\))",
     u"は、週の中の開始枠（曜日 HH:MM）と一緒には指定できません"},
    {R"(is not a weekday \(mon to sun\): (.*))", u"は曜日ではありません（%1）"},
    {R"(is the paid hours, and a shift of (\S+) has none left after its unpaid breaks)",
     u"は支払時間ですが、長さ %1 のシフトには無給の休憩を除くと残りません"},
    {R"(\((\S+)\) is not a whole number of the (\d+)-minute periods of the requirements)",
     u"（%1）が区間の長さ %2 分の倍数ではありません"},
    {R"((.+) is not on the (\d+)-minute grid of the requirements)",
     u" %1 が %2 分の区間の区切りにありません"},
    {R"(is longer than the day)", u"が 1 日より長い"},
    {R"(is longer than the week)", u"が 1 週間より長い"},
    {R"(names a day, but the requirements are for a day, not a week)",
     u"に曜日がありますが、計画は 1 週間でなく 1 日です"},
    {R"(none of its shifts lies within the requirements' periods \((\S+) to (\S+?)\).*)",
     u"どのシフトも区間 %1–%2 に収まりません（繰り返さない計画では、シフトは最後の区間までに"
     u"終わります）"},
    {R"(the templates give more shifts and break starts than a programme can hold \((\d+)\).*)",
     u"シフトと休憩の置き方が多すぎます（最大 %1）。開始枠、長さの幅か刻みを狭めてください"},
};

// Whole messages, the room's name of its input first where it has one.
const Form kMessages[] = {
    {R"(.*: template '(.*)' is named twice: .*)", u"「%1」という名前のひな型が 2 つあります"},
    {R"(.*: not JSON: (.*))", u"JSON として読めません: %1"},
    {R"(.*: (\S+) is not a field of a template here \(misspelt\?\))",
     u"「%1」は、ここでは使えない項目です"},
    {R"(.*: not JSON)", u"JSON として読めません"},
    {R"(.*: must hold a list of shift templates.*)",
     u"シフトのひな型の一覧がありません（{\"shifts\": [...]} の形にしてください）"},
    {R"(.*: a cyclic schedule needs the whole day, (\d+) periods of (\d+) minutes; it gives (\d+))",
     u"日をまたいで繰り返すには、1 日全体の %1 区間（%2 分ずつ）が要ります。この 1 日は %3 "
     u"区間です"},
    {R"(.*: a cyclic schedule needs the whole week, (\d+) periods of (\d+) minutes; it gives (\d+))",
     u"繰り返すには、1 週間全体の %1 区間（%2 分ずつ）が要ります。この計画は %3 区間です"},
    {R"(the solve was stopped before any schedule was found)",
     u"シフトが見つかる前に中止しました。"},
    {R"(no schedule was found within the time limit of (\S+) s)",
     u"時間制限 %1 秒のうちにシフトが見つかりませんでした。時間制限を延ばしてください。"},
    {R"(no schedule meets the templates' min and max)",
     u"ひな型の最少・最多をすべて満たすシフトはありません。"},
    {R"(no shift can be on the phones at (.+), whose (\S+) calls need agents for the minimum service level (\S+))",
     u"%1 に電話に出られるシフトがありませんが、その呼数 %2 には最低サービスレベル %3 の"
     u"ための人が要ります。"},
    {R"(no schedule can reach the service level (\S+): .* it would be (\S+))",
     u"サービスレベル %1 に届くシフトはありません（シフトの届く区間をすべて満たしても %2 です）。"},
    {R"(no schedule found meets the service level (\S+) to the last digit within the templates' max)",
     u"ひな型の最多の中では、サービスレベル %1 を満たすシフトが見つかりません。"},
    {R"(no schedule reaches the service level (\S+) with no period below (\S+) under these templates)",
     u"このひな型では、どの区間も %2 を下回らずにサービスレベル %1 に届くシフトはありません。"},
};

std::optional<QString> ByForm(std::span<const Form> forms, const QString& text) {
    for (const Form& form : forms) {
        const QRegularExpression pattern(
            QRegularExpression::anchoredPattern(QString::fromUtf8(form.english)));
        const QRegularExpressionMatch match = pattern.match(text);
        if (match.hasMatch()) {
            QString japanese = QString::fromUtf16(form.japanese);
            for (int i = 1; i <= match.lastCapturedIndex(); ++i) {
                japanese = japanese.arg(match.captured(i));
            }
            return japanese;
        }
    }
    return std::nullopt;
}

// "template 'early': breaks[1] is longer ..." as "early: 休憩 2 が枠より長い（...）".
std::optional<QString> TemplateText(const QString& message) {
    static const QRegularExpression named(
        QStringLiteral(R"(^(?:[^:]*: )?template '(.+?)': (.*)$)"));
    static const QRegularExpression placed(
        QStringLiteral(R"(^(?:[^:]*: )?shifts\[(\d+)\]: (.*)$)"));
    QString who;
    QString rest;
    if (const QRegularExpressionMatch match = named.match(message); match.hasMatch()) {
        who = match.captured(1);
        rest = match.captured(2);
    } else if (const QRegularExpressionMatch at = placed.match(message); at.hasMatch()) {
        who = QStringLiteral("%1 番目のひな型").arg(at.captured(1).toInt() + 1);
        rest = at.captured(2);
    } else {
        return std::nullopt;
    }
    const qsizetype blank = rest.indexOf(u' ');
    const QString path = rest.left(std::max<qsizetype>(blank, 0));
    const std::optional<QString> reason =
        blank > 0 ? ByForm(kReasons, rest.mid(blank + 1)) : std::nullopt;
    if (const std::optional<QString> field = FieldWords(path)) {
        return reason ? std::optional(who + QStringLiteral(": ") + *field + *reason) : std::nullopt;
    }
    if (const std::optional<QString> whole = ByForm(kReasons, rest)) {
        return who + QStringLiteral(": ") + *whole;
    }
    // A field the room does not know (misspelt) by its own spelling.
    if (reason) {
        return who + QStringLiteral(": 「%1」").arg(path) + *reason;
    }
    return std::nullopt;
}

} // namespace

std::span<const ArgumentWords> ShiftArgumentWords() {
    return kShiftWords;
}

QString ShiftArgumentLabel(shifts::Argument argument) {
    return Words(shifts::About(argument));
}

QString ShiftErrorText(const std::exception& error) {
    if (const auto* option = dynamic_cast<const shifts::OptionError*>(&error)) {
        const QString words = Words(option->argument());
        const QString objective = ObjectiveWords(option->objective());
        return option->kind() == shifts::OptionError::Kind::Required
                   ? QStringLiteral("目的「%1」には%2が要ります").arg(objective, words)
                   : QStringLiteral("%1は目的「%2」では使えません").arg(words, objective);
    }
    if (dynamic_cast<const teletraffic::DomainError*>(&error) != nullptr) {
        return EngineErrorText(error, nullptr, kShiftWords);
    }
    const QString message = QString::fromUtf8(error.what());
    if (std::optional<QString> text = TemplateText(message)) {
        return *text;
    }
    if (std::optional<QString> text = ByForm(kMessages, message)) {
        return *text;
    }
    // A form not in the tables: the room's own words, not a vaguer line.
    return message;
}

} // namespace tables
