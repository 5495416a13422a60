#include "tables/engine_reason.h"

#include "teletraffic/error.h"

#include <string_view>

namespace tables {
namespace {

QString FieldName(const std::string& argument) {
    static const struct {
        std::string_view argument;
        const char16_t* name;
    } names[] = {
        {"traffic", u"呼量"},         {"lines", u"回線数"}, {"blocking", u"呼損率"},
        {"sources", u"呼源数"},       {"mean", u"平均"},    {"variance", u"分散"},
        {"carried", u"運ばれた呼量"},
    };
    for (const auto& n : names) {
        if (n.argument == argument) {
            return QString::fromUtf16(n.name);
        }
    }
    return QString::fromStdString(argument);
}

// The rules met by values that each read well but not together.
QString Why(const std::string& rule) {
    static const struct {
        std::string_view part;
        const char16_t* why;
    } known[] = {
        {"when every source has a line",
         u"回線数が呼源数と同じときは呼源数未満の呼量にしてください"},
        {"fewer lines than sources never meet it", u"呼源数より少ない回線数では目標の呼損率に届かず"
                                                   u"、呼源数と同じ回線数ではこの呼量になりません"},
        {"at most the sources", u"回線数は呼源数以下です"},
        {"fewer than the sources", u"呼源数と同じ回線数では呼損が起きません"},
        {"low enough that the idle-source traffic",
         u"呼源 1 つあたりの呼量が 1e9 アーランを超えます"},
        {"small enough that the equivalent traffic", u"等価ランダム呼量が 1e9 アーランを超えます"},
        {"reached within 2e9 lines", u"20 億回線まででは届きません"},
        {"at least the mean", u"分散が平均より小さい呼には等価ランダム法が使えません"},
    };
    for (const auto& k : known) {
        if (rule.find(k.part) != std::string::npos) {
            return QString::fromUtf16(k.why);
        }
    }
    return QString::fromStdString(rule);
}

} // namespace

QString EngineReason(const std::exception& error) {
    if (const auto* domain = dynamic_cast<const teletraffic::DomainError*>(&error)) {
        return QStringLiteral("%1 %2 では計算できません: %3")
            .arg(FieldName(domain->argument()),
                 QString::fromStdString(teletraffic::ShowNumber(domain->value())),
                 Why(domain->rule()));
    }
    return QString::fromUtf8(error.what());
}

} // namespace tables
