#include "tables/engine_error.h"

#include "tables/inputs.h"
#include "tables/number_format.h"

#include "teletraffic/domain.h"

#include <cmath>
#include <iterator>

namespace tables {
namespace {

using teletraffic::Argument;

// Each of the engine's arguments in the window's words, and the range it takes.
struct Wording {
    Argument argument;
    const char16_t* words;
    Range range;
    const char16_t* rule = nullptr; // in place of the range's own text
    bool percent = false;           // typed as a percentage, taken as a fraction
    // Why a value in the range is refused, where only one reason can be.
    const char16_t* inRange = nullptr;
};

const Wording kArguments[] = {
    {Argument::Traffic, u"呼量(アーラン)", {0, teletraffic::kMaxTraffic}},
    {Argument::Lines, u"回線数", {0, teletraffic::kMaxLines}},
    {Argument::Agents, u"エージェント数", {0, teletraffic::kMaxLines}},
    {Argument::Blocking, u"呼損率", {teletraffic::kMinBlocking, 1, false, false, true}},
    {Argument::Recall, u"再呼率", {0, 1, false, false, true}, u"0 % 以上 100 % 未満", true},
    {Argument::Aht, u"平均処理時間", {0, INFINITY, false, true, true}, u"0 より長い時間"},
    {Argument::TargetTime, u"応答目標時間", {0, INFINITY, false, false, true}, u"0 以上の時間"},
    {Argument::Patience, u"平均放棄時間", {0, INFINITY, false, true, true}, u"0 より長い時間"},
    {Argument::AverageWait,
     u"平均応答時間目標",
     {0, INFINITY, false, true, true},
     u"0 より長い時間"},
    {Argument::ServiceLevel,
     u"サービスレベル目標",
     {0, 1, false, false, true},
     u"0 % 以上 100 % 未満",
     true},
    {Argument::Shrinkage,
     u"シュリンケージ",
     {0, 1, false, false, true},
     u"0 % 以上 100 % 未満",
     true,
     u"スケジュールするエージェント数が 2000000000 人を超えます"},
    {Argument::MaxOccupancy,
     u"最大稼働率",
     {0, 1, false, true, false},
     u"0 % より大きく 100 % 以下",
     true,
     u"必要なエージェント数が 2000000000 人を超えます"},
    {Argument::Sources, u"呼源数", {1, teletraffic::kMaxSources, true}},
    {Argument::Mean, u"溢れ呼の平均", {0, teletraffic::kMaxTraffic}},
    {Argument::Variance, u"溢れ呼の分散", {0, INFINITY, false, false, true}},
    // Loads and measurements no tab takes today.
    {Argument::IntendedTraffic, u"意図呼量", {0, teletraffic::kMaxTraffic}},
    {Argument::IdleSourceTraffic, u"空き呼源あたりの呼量", {0, teletraffic::kMaxTraffic}},
    {Argument::Carried, u"運ばれた呼量", {0, teletraffic::kMaxTraffic}},
    // Erlang X's, for its tab to come.
    {Argument::Redial, u"再ダイヤル率", {0, 1, false, false, true}, u"0 % 以上 100 % 未満", true},
    {Argument::Calls, u"呼数", {0, INFINITY, false, true, true}, u"0 より大きい数"},
    {Argument::AnsweredWait,
     u"平均応答時間目標・応答呼",
     {0, INFINITY, false, true, true},
     u"0 より長い時間"},
    {Argument::MaxAbandon,
     u"最大放棄率",
     {0, 1, false, true, true},
     u"0 % より大きく 100 % 未満",
     true},
    {Argument::MaxBlocking,
     u"最大呼損率",
     {0, 1, false, true, true},
     u"0 % より大きく 100 % 未満",
     true},
    {Argument::Basis, u"サービスレベルの基準", {0, 3, true}},
    {Argument::Interval, u"区間の長さ (分)", {0, INFINITY, false, true, true}, u"0 より長い時間"},
};
static_assert(std::size(kArguments) == teletraffic::kArgumentCount, "words for every argument");

// The value as the user gave it: a percentage as typed, a count whole.
QString Value(const Wording& argument, double value) {
    if (argument.percent) {
        return Exact(ToPercent(value)) + QStringLiteral(" %");
    }
    return std::floor(value) == value ? Exact(value) : Significant(value);
}

} // namespace

QString EngineErrorText(const std::exception& error) {
    return EngineErrorText(error, nullptr);
}

QString EngineErrorText(const std::exception& error, const Range* allowed) {
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    if (domain == nullptr) {
        return QStringLiteral("計算できませんでした（内部エラー）。入力を変えてお試しください。");
    }
    for (const Wording& argument : kArguments) {
        if (domain->argument() == argument.argument) {
            const QString words = QString::fromUtf16(argument.words);
            const QString value = Value(argument, domain->value());
            if ((allowed != nullptr ? *allowed : argument.range).contains(domain->value())) {
                // In range, but not with the other inputs (traffic at or above the agents).
                if (argument.inRange != nullptr) {
                    return QStringLiteral("計算できません: %1 %2 では%3")
                        .arg(words, value, QString::fromUtf16(argument.inRange));
                }
                return QStringLiteral("計算できません: この組み合わせでは%1 %2 は扱えません")
                    .arg(words, value);
            }
            return QStringLiteral("計算できません: %1が %2 になり、扱える範囲（%3）を外れます")
                .arg(words, value,
                     argument.rule ? QString::fromUtf16(argument.rule) : RangeText(argument.range));
        }
    }
    return QStringLiteral("計算できません: %1 は扱えません").arg(Significant(domain->value()));
}

} // namespace tables
