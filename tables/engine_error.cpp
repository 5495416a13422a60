#include "tables/engine_error.h"

#include "tables/inputs.h"

#include "teletraffic/domain.h"

#include <cmath>

namespace tables {
namespace {

struct Argument {
    const char* name; // as the engine names it
    const char16_t* words;
    Range range;
    const char16_t* rule = nullptr; // in place of the range's own text
};

const Argument kArguments[] = {
    {"traffic", u"呼量(アーラン)", {0, teletraffic::kMaxTraffic}},
    {"lines", u"回線数", {0, teletraffic::kMaxLines}},
    {"agents", u"エージェント数", {0, teletraffic::kMaxLines}},
    {"blocking", u"呼損率", {teletraffic::kMinBlocking, 1, false, false, true}},
    {"recall", u"再呼率", {0, 1, false, false, true}},
    {"aht", u"平均処理時間", {0, INFINITY, false, true, true}, u"0 より長い時間"},
    {"target-time", u"応答目標時間", {0, INFINITY, false, false, true}, u"0 以上の時間"},
    {"patience", u"平均放棄時間", {0, INFINITY, false, true, true}, u"0 より長い時間"},
    {"average-wait", u"平均応答時間目標", {0, INFINITY, false, true, true}, u"0 より長い時間"},
    {"service-level", u"サービスレベル目標", {0, 1, false, false, true}, u"0 % 以上 100 % 未満"},
    {"shrinkage", u"シュリンケージ", {0, 1, false, false, true}, u"0 % 以上 100 % 未満"},
    {"max-occupancy", u"最大稼働率", {0, 1, false, true, false}, u"0 % より大きく 100 % 以下"},
    {"sources", u"呼源数", {1, teletraffic::kMaxSources, true}},
    {"mean", u"溢れ呼の平均", {0, teletraffic::kMaxTraffic}},
    {"variance", u"溢れ呼の分散", {0, INFINITY, false, false, true}},
};

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

} // namespace

QString EngineErrorText(const std::exception& error) {
    const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error);
    if (domain == nullptr) {
        return QStringLiteral("計算できませんでした（内部エラー）。入力を変えてお試しください。");
    }
    for (const Argument& argument : kArguments) {
        if (domain->argument() == argument.name) {
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
    return QStringLiteral("計算できません: %1 = %2 は扱えません")
        .arg(QString::fromStdString(domain->argument()), Number(domain->value()));
}

} // namespace tables
