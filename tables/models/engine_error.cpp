#include "tables/models/engine_error.h"

#include "tables/models/inputs.h"
#include "tables/models/number_format.h"

#include "teletraffic/domain.h"

#include <cmath>
#include <iterator>

namespace tables {
namespace {

using teletraffic::Argument;

// The window's words for each of the engine's arguments, by id: what the
// registry (teletraffic/arguments.h) does not say, the Japanese. The range
// a refusal shows is the domain of the rule that refused (the registry's),
// or, for a value refused for what goes with it, of the argument's own rule.
struct Wording {
    Argument argument;
    const char16_t* words;
    bool percent = false; // typed as a percentage, taken as a fraction
    // Why a value in the range is refused, where only one reason can be.
    const char16_t* inRange = nullptr;
};

constexpr Wording kArguments[] = {
    {Argument::Traffic, u"呼量(アーラン)"},
    {Argument::Lines, u"回線数"},
    {Argument::Agents, u"エージェント数"},
    {Argument::Sources, u"呼源数"},
    {Argument::Blocking, u"呼損率"},
    {Argument::Recall, u"再呼率", true},
    {Argument::Aht, u"平均処理時間"},
    {Argument::Patience, u"平均放棄時間"},
    {Argument::TargetTime, u"応答目標時間"},
    {Argument::ServiceLevel, u"サービスレベル目標", true},
    {Argument::AverageWait, u"平均応答時間目標"},
    {Argument::Shrinkage, u"シュリンケージ", true,
     u"スケジュールするエージェント数が 2000000000 人を超えます"},
    {Argument::MaxOccupancy, u"最大稼働率", true,
     u"必要なエージェント数が 2000000000 人を超えます"},
    {Argument::IntendedTraffic, u"意図呼量"},
    {Argument::IdleSourceTraffic, u"空き呼源あたりの呼量"},
    {Argument::Mean, u"溢れ呼の平均"},
    {Argument::StreamVariance, u"溢れ呼の分散"},
    {Argument::Carried, u"運ばれた呼量"},
    {Argument::Redial, u"再ダイヤル率", true},
    {Argument::Calls, u"呼数"},
    {Argument::ForecastVariance, u"呼数の分散"},
    {Argument::AnsweredWait, u"平均応答時間目標・応答呼"},
    {Argument::MaxAbandon, u"最大放棄率", true},
    {Argument::MaxBlocking, u"最大呼損率", true},
    {Argument::Basis, u"サービスレベルの基準"},
    {Argument::Method, u"溢れ呼の計算方法"},
    {Argument::Interval, u"区間の長さ (分)"},
};

// Every id once: an argument added to the registry without its words does
// not build.
constexpr bool WordsForEveryArgument() {
    for (std::size_t id = 0; id < teletraffic::kArgumentCount; ++id) {
        int found = 0;
        for (const Wording& w : kArguments) {
            found += static_cast<std::size_t>(w.argument) == id ? 1 : 0;
        }
        if (found != 1) {
            return false;
        }
    }
    return std::size(kArguments) == teletraffic::kArgumentCount;
}
static_assert(WordsForEveryArgument(), "Japanese words for every argument of the registry");

// The value as the user gave it: a percentage as typed, a count whole.
QString Value(const Wording& argument, double value) {
    if (argument.percent) {
        return Exact(ToPercent(value)) + QStringLiteral(" %");
    }
    return std::floor(value) == value ? Exact(value) : Significant(value);
}

// The range a rule's domain lets through, in the window's words: times as
// times, percentages as typed.
QString DomainText(const Wording& argument, const teletraffic::ArgumentInfo& about,
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

Range RangeOf(const teletraffic::Rule& rule) {
    const teletraffic::Domain& d = rule.domain;
    return {d.min, d.max, d.whole, d.minOpen, d.maxOpen};
}

QString ArgumentWords(teletraffic::Argument argument) {
    for (const Wording& w : kArguments) {
        if (w.argument == argument) {
            return QString::fromUtf16(w.words);
        }
    }
    return {};
}

QString EngineErrorText(const std::exception& error) {
    return EngineErrorText(error, nullptr);
}

QString EngineErrorText(const std::exception& error, const Range* allowed) {
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    if (domain == nullptr) {
        return QStringLiteral("計算できませんでした（内部エラー）。入力を変えてお試しください。");
    }
    for (const Wording& argument : kArguments) {
        if (domain->OfEngine() && domain->argument() == argument.argument) {
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
