#include "tables/models/engine_error.h"

#include "tables/models/inputs.h"
#include "tables/models/number_format.h"

#include "teletraffic/domain.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ranges>

namespace tables {
namespace {

using teletraffic::Argument;

// The window's words for each of the engine's arguments, by its row in the
// registry (teletraffic/arguments.h): what the registry does not say, the
// Japanese. The range a refusal shows is the domain of the rule that refused
// (the registry's), or, for a value refused for what goes with it, of the
// argument's own rule.
constexpr const teletraffic::ArgumentInfo* Row(Argument argument) {
    return &teletraffic::About(argument);
}

constexpr ArgumentWords kArguments[] = {
    {Row(Argument::Traffic), u"呼量(アーラン)"},
    {Row(Argument::Lines), u"回線数"},
    {Row(Argument::Agents), u"エージェント数"},
    {Row(Argument::Sources), u"呼源数"},
    {Row(Argument::Blocking), u"呼損率"},
    {Row(Argument::Recall), u"再呼率", true},
    {Row(Argument::Aht), u"平均処理時間"},
    {Row(Argument::Patience), u"平均放棄時間"},
    {Row(Argument::TargetTime), u"応答目標時間"},
    {Row(Argument::ServiceLevel), u"サービスレベル目標", true},
    {Row(Argument::AverageWait), u"平均応答時間目標"},
    {Row(Argument::Shrinkage), u"シュリンケージ", true,
     u"スケジュールするエージェント数が 2000000000 人を超えます"},
    {Row(Argument::MaxOccupancy), u"最大稼働率", true,
     u"必要なエージェント数が 2000000000 人を超えます"},
    {Row(Argument::IntendedTraffic), u"意図呼量"},
    {Row(Argument::IdleSourceTraffic), u"空き呼源あたりの呼量"},
    {Row(Argument::Mean), u"溢れ呼の平均"},
    {Row(Argument::StreamVariance), u"溢れ呼の分散"},
    {Row(Argument::Carried), u"運ばれた呼量"},
    {Row(Argument::Redial), u"再ダイヤル率", true},
    {Row(Argument::Calls), u"呼数"},
    {Row(Argument::ForecastVariance), u"呼数の分散"},
    {Row(Argument::AnsweredWait), u"平均応答時間目標・応答呼"},
    {Row(Argument::MaxAbandon), u"最大放棄率", true},
    {Row(Argument::MaxBlocking), u"最大呼損率", true},
    {Row(Argument::Basis), u"サービスレベルの基準"},
    {Row(Argument::Method), u"溢れ呼の計算方法"},
    {Row(Argument::Interval), u"区間の長さ (分)"},
};

// Every id once: an argument added to the registry without its words does
// not build.
constexpr bool WordsForEveryArgument() {
    for (const teletraffic::ArgumentInfo& about : teletraffic::kArguments) {
        int found = 0;
        for (const ArgumentWords& w : kArguments) {
            found += w.about == &about ? 1 : 0;
        }
        if (found != 1) {
            return false;
        }
    }
    return std::size(kArguments) == teletraffic::kArgumentCount;
}
static_assert(WordsForEveryArgument(), "Japanese words for every argument of the registry");

// The value as the user gave it: a percentage as typed, a count whole.
QString Value(const ArgumentWords& argument, double value) {
    if (argument.percent) {
        return Exact(ToPercent(value)) + QStringLiteral(" %");
    }
    return std::floor(value) == value ? Exact(value) : Significant(value);
}

// The range a rule's domain lets through, in the window's words: times as
// times, percentages as typed.
QString DomainText(const ArgumentWords& argument, const teletraffic::ArgumentInfo& about,
                   const Range& range) {
    const bool time =
        about.unit == teletraffic::Unit::Time || about.unit == teletraffic::Unit::Minutes;
    if (time && range.max == INFINITY) {
        return QStringLiteral("%1 %2").arg(Exact(range.min),
                                           range.minOpen ? u"より長い時間" : u"以上の時間");
    }
    if (argument.percent) {
        return QStringLiteral("%1 % %2 %3 % %4")
            .arg(Exact(ToPercent(range.min)), range.minOpen ? u"より大きく" : u"以上",
                 Exact(ToPercent(range.max)), range.maxOpen ? u"未満" : u"以下");
    }
    return RangeText(range);
}

} // namespace

namespace {

const ArgumentWords& WordsOf(teletraffic::Argument argument) {
    return *std::ranges::find(kArguments, Row(argument), &ArgumentWords::about);
}

} // namespace

QString ArgumentLabel(teletraffic::Argument argument) {
    return QString::fromUtf16(WordsOf(argument).words);
}

bool TypedAsPercent(teletraffic::Argument argument) {
    return WordsOf(argument).percent;
}

Range RangeOf(const teletraffic::Rule& rule) {
    const teletraffic::Domain& d = rule.domain;
    return {d.min, d.max, d.whole, d.minOpen, d.maxOpen};
}

QString EngineErrorText(const std::exception& error) {
    return EngineErrorText(error, nullptr);
}

QString EngineErrorText(const std::exception& error, const Range* allowed) {
    return EngineErrorText(error, allowed, {});
}

QString EngineErrorText(const std::exception& error, const Range* allowed,
                        std::span<const ArgumentWords> roomWords) {
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    if (domain == nullptr) {
        return QStringLiteral("計算できませんでした（内部エラー）。入力を変えてお試しください。");
    }
    const std::span<const ArgumentWords> tables[] = {kArguments, roomWords};
    for (const ArgumentWords& argument : tables | std::views::join) {
        if (argument.about == &domain->about()) {
            const QString words = QString::fromUtf16(argument.words);
            const QString value = Value(argument, domain->value());
            const teletraffic::ArgumentInfo& about = domain->about();
            const teletraffic::Rule& rule =
                domain->domainRule() != nullptr ? *domain->domainRule() : *about.rule;
            const Range range = RangeOf(rule);
            if ((allowed != nullptr ? *allowed : range).contains(domain->value())) {
                // In range, but not with the other inputs (traffic at or above the agents).
                if (argument.inRange != nullptr) {
                    return QStringLiteral("計算できません: %1 %2 では%3")
                        .arg(words, value, QString::fromUtf16(argument.inRange));
                }
                return QStringLiteral("計算できません: この組み合わせでは%1 %2 は扱えません")
                    .arg(words, value);
            }
            return QStringLiteral("計算できません: %1が %2 になり、扱える範囲（%3）を外れます")
                .arg(words, value, DomainText(argument, about, range));
        }
    }
    return QStringLiteral("計算できません: %1 は扱えません").arg(Significant(domain->value()));
}

} // namespace tables
