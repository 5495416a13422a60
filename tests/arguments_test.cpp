// The registry (teletraffic/arguments.h): its names as the front ends spell
// them, its words as every front end reads them, its domains as the engine
// checks them, and each refusal carrying the argument and the rule that
// refused it; a room's own table beside the engine's.
#include "teletraffic/engset.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace {

using namespace teletraffic;

// A keyword is its option in snake_case, and only the two variances share a
// name: a front end finds every other argument by its name alone.
TEST(Registry, NamesAreOneSpellingForEachArgument) {
    std::map<std::string_view, int> options;
    for (const ArgumentInfo& about : kArguments) {
        std::string keyword(about.option);
        std::ranges::replace(keyword, '-', '_');
        EXPECT_EQ(about.keyword, keyword) << about.option;
        ++options[about.option];
        EXPECT_FALSE(about.words.empty() || about.sense.empty()) << about.option;
        EXPECT_NE(about.rule, nullptr) << about.option;
    }
    for (const auto& [option, count] : options) {
        EXPECT_EQ(count, option == "variance" ? 2 : 1) << option;
    }
}

TEST(Registry, WordsReadInAnyCaseWithDashUnderscoreAndBlankTheSame) {
    const struct {
        const ChoiceInfo& choice;
        std::string_view text;
        std::optional<std::size_t> read;
    } cases[] = {
        {ChoiceOf<Basis>(), "answered", 1},
        {ChoiceOf<Basis>(), "Answered", 1},
        {ChoiceOf<Basis>(), " excluding short_abandons\t", 2},
        {ChoiceOf<Basis>(), "EXCLUDING-SHORT-ABANDONS", 2},
        {ChoiceOf<Basis>(), "excluding--short-abandons", std::nullopt},
        {ChoiceOf<Basis>(), "excludingshortabandons", std::nullopt},
        {ChoiceOf<Basis>(), "", std::nullopt},
        {ChoiceOf<Basis>(), "offered virtual", std::nullopt},
        {ChoiceOf<OverflowMethod>(), "Hayward", 1},
        {ChoiceOf<OverflowMethod>(), "ERT", 0},
        {ChoiceOf<EngsetLoad>(), "Idle Source Traffic", 0},
        {ChoiceOf<WaitBasis>(), "all_callers", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseWord(c.choice, c.text), c.read) << c.choice.name << " '" << c.text << "'";
    }
    EXPECT_EQ(ParseChoice<Basis>("Virtual"), Basis::Virtual);
    EXPECT_EQ(ChoiceFromValue<Basis>(3), Basis::Virtual);
    EXPECT_EQ(ChoiceFromValue<Basis>(4), std::nullopt);
    EXPECT_EQ(ChoiceFromValue<Basis>(0.5), std::nullopt);
}

TEST(Registry, DomainsAsTheEngineChecksThem) {
    const struct {
        const Rule& rule;
        double value;
        bool in;
    } cases[] = {
        {rules::kErlangs, NAN, false},
        {rules::kErlangs, 1e9, true},
        {rules::kErlangs, std::nextafter(1e9, 2e9), false},
        {rules::kCount, -0.0, true},
        {rules::kShare, 1, false},
        {rules::kOpenShare, 0, false},
        {rules::kOccupancyCap, 1, true},
        {rules::kBlocking, 1e-300, true},
        {rules::kBlocking, 9.99e-301, false},
        {rules::kDuration, INFINITY, false},
        {rules::kCentrePatience, INFINITY, true},
        {rules::kCentrePatience, NAN, false},
        {rules::kCentreLines, INFINITY, true},
        {rules::kCentreLines, 16.5, false},
        {rules::kCentreLines, 0, false},
        {rules::kWholeCount, 2e9, true},
        {rules::kSourceLines, -1, false},
        {rules::kSources, 1e9, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.rule.domain.Contains(c.value), c.in) << c.rule.text << " " << c.value;
    }
}

// Each front end words a refusal from the argument and the rule it carries:
// the domain that refused, or none for a value refused for what goes with it.
TEST(Registry, RefusalsCarryTheArgumentAndTheRuleThatRefused) {
    ErlangXModel centre;
    centre.aht = 180;
    ErlangXModel forecast = centre;
    forecast.lines = 20;
    forecast.calls = 100;
    forecast.variance = 50;
    ErlangXModel halfLines = centre;
    halfLines.lines = 16.5;
    ErlangXModel noPatience = centre;
    noPatience.patience = 0;
    const struct {
        const char* name;
        std::function<void()> call;
        Argument argument;
        const Rule* rule;
    } cases[] = {
        {"Erlang B's blocking", [] { ErlangBLines(10, 0); }, Argument::Blocking, &rules::kBlocking},
        {"Erlang X's blocking", [&] { ErlangXLines(10, 12, centre, 0); }, Argument::Blocking,
         &rules::kOpenShare},
        {"a stream's variance", [] { OverflowEquivalentRandom(2, -1); }, Argument::StreamVariance,
         &rules::kNumberFromZero},
        {"a stream smoother than random", [] { OverflowEquivalentRandom(2, 1); },
         Argument::StreamVariance, nullptr},
        {"a forecast's variance", [&] { ErlangX(10, 12, forecast); }, Argument::ForecastVariance,
         nullptr},
        {"a centre's lines", [&] { ErlangX(10, 12, halfLines); }, Argument::Lines,
         &rules::kCentreLines},
        {"a centre's patience", [&] { ErlangX(10, 12, noPatience); }, Argument::Patience,
         &rules::kCentrePatience},
        {"Engset's lines", [] { EngsetBlocking(EngsetLoad::Traffic, 1, 10, 2.5); }, Argument::Lines,
         &rules::kSourceLines},
        {"the occupancy cap", [] { ScheduleAgents(10, 12, 0, 0); }, Argument::MaxOccupancy,
         &rules::kOccupancyCap},
        {"a queue without end", [] { ErlangC(12, 12); }, Argument::Traffic, nullptr},
    };
    for (const auto& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << ": not refused";
        } catch (const DomainError& e) {
            EXPECT_TRUE(e.OfEngine()) << c.name;
            EXPECT_EQ(e.argument(), c.argument) << c.name << ": " << e.what();
            EXPECT_EQ(e.domainRule(), c.rule) << c.name << ": " << e.what();
            if (c.rule != nullptr) {
                EXPECT_EQ(e.rule(), c.rule->text) << c.name;
            }
        }
    }
}

// A room declares its arguments in the same form, in a table of its own, and
// a front end finds them beside the engine's; its refusals are worded from
// its own rows.
enum class RoomArgument { Trunk, Timezone };
constexpr Rule kTrunkRule{{1, 1e6, false, false, true}, "a whole number from 1 to 1e6"};
constexpr ArgumentRow<RoomArgument> kRoomRows[] = {
    {RoomArgument::Timezone,
     {"time zone", "timezone", "timezone", Unit::Word, &rules::kWord, "the records' time zone"}},
    {RoomArgument::Trunk,
     {"trunk group", "trunk", "trunk", Unit::Count, &kTrunkRule, "the trunk group to count"}},
};
constexpr auto kRoomArguments = ArgumentTable(kRoomRows);

TEST(Registry, ARoomsArgumentsBesideTheEngines) {
    const std::span<const ArgumentInfo> tables[] = {kArguments, kRoomArguments};
    const Registry view{tables, {}};
    ASSERT_NE(view.ByOption("trunk"), nullptr);
    EXPECT_EQ(view.ByOption("trunk"),
              &kRoomArguments[static_cast<std::size_t>(RoomArgument::Trunk)]);
    EXPECT_EQ(view.ByKeyword("target_time"), &About(Argument::TargetTime));
    EXPECT_EQ(view.ByOption("trunks"), nullptr);
    const DomainError refused(*view.ByOption("trunk"), 0, kTrunkRule);
    EXPECT_FALSE(refused.OfEngine());
    EXPECT_STREQ(refused.what(), "trunk group must be a whole number from 1 to 1e6, got 0");
    EXPECT_EQ(refused.about().option, "trunk");
    EXPECT_EQ(EngineRegistry().Choice("basis"), &ChoiceOf<Basis>());
}

} // namespace
