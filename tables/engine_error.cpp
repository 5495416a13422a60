#include "tables/engine_error.h"

#include "tables/inputs.h"

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
};

const Wording kArguments[] = {
    {Argument::Traffic, u"呼量(アーラン)", {0, teletraffic::kMaxTraffic}},
    {Argument::Lines, u"回線数", {0, teletraffic::kMaxLines}},
    {Argument::Agents, u"エージェント数", {0, teletraffic::kMaxLines}},
    {Argument::Blocking, u"呼損率", {teletraffic::kMinBlocking, 1, false, false, true}},
    {Argument::Recall, u"再呼率", {0, 1, false, false, true}},
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
     u"0 % 以上 100 % 未満"},
    {Argument::Shrinkage, u"シュリンケージ", {0, 1, false, false, true}, u"0 % 以上 100 % 未満"},
    {Argument::MaxOccupancy,
     u"最大稼働率",
     {0, 1, false, true, false},
     u"0 % より大きく 100 % 以下"},
    {Argument::Sources, u"呼源数", {1, teletraffic::kMaxSources, true}},
    {Argument::Mean, u"溢れ呼の平均", {0, teletraffic::kMaxTraffic}},
    {Argument::Variance, u"溢れ呼の分散", {0, INFINITY, false, false, true}},
    // Loads and measurements no tab takes today.
    {Argument::IntendedTraffic, u"意図呼量", {0, teletraffic::kMaxTraffic}},
    {Argument::IdleSourceTraffic, u"空き呼源あたりの呼量", {0, teletraffic::kMaxTraffic}},
    {Argument::Carried, u"運ばれた呼量", {0, teletraffic::kMaxTraffic}},
};
static_assert(std::size(kArguments) == teletraffic::kArgumentCount, "words for every argument");

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

} // namespace

QString EngineErrorText(const std::exception& error) {
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    if (domain == nullptr) {
        return QStringLiteral("計算できませんでした（内部エラー）。入力を変えてお試しください。");
    }
    for (const Wording& argument : kArguments) {
        if (domain->argument() == argument.argument) {
            const QString words = QString::fromUtf16(argument.words);
            if (argument.range.contains(domain->value())) {
                // In range, but not with the other inputs (traffic at or above the agents).
                return QStringLiteral("計算できません: この組み合わせでは%1 %2 は扱えません")
                    .arg(words, Number(domain->value()));
            }
            return QStringLiteral("計算できません: %1が %2 になり、扱える範囲（%3）を外れます")
                .arg(words, Number(domain->value()),
                     argument.rule ? QString::fromUtf16(argument.rule) : RangeText(argument.range));
        }
    }
    return QStringLiteral("計算できません: %1 は扱えません").arg(Number(domain->value()));
}

} // namespace tables
