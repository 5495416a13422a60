// corvane-cli's Erlang X: that each option and command reaches the engine
// where it should (values to 6 digits, each confirmed by
// tests/data/make_erlang_x_reference.py), the combinations it refuses, the
// names in its JSON, its batch columns, and its staffing factors.
#include "cli/run.h"
#include "run_cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

// Ten erlangs on 12 agents, 16 lines, half the lost callers calling again.
const std::vector<std::string> kCentreX{"--traffic", "10",         "--agents", "12",      "--aht",
                                        "180",       "--patience", "300",      "--lines", "16",
                                        "--redial",  "0.5",        "--digits", "6"};

TEST(CliErlangX, EachOptionAndCommandReachesTheEngine) {
    const std::vector<std::string> level = Joined(kCentreX, {"--target-time", "20"});
    const Prints cases[] = {
        {Joined({"service-level"}, level), "0.811948\n"},
        // Each word of --basis, in the order of the engine's bases.
        {Joined({"service-level", "--basis", "answered"}, level), "0.837182\n"},
        {Joined({"service-level", "--basis", "excluding-short-abandons"}, level), "0.824997\n"},
        {Joined({"service-level", "--basis", "virtual"}, level), "0.815891\n"},
        {Joined({"average-wait"}, kCentreX), "9.04244\n"},
        {Joined({"answered-wait"}, kCentreX), "8.55213\n"},
        {Joined({"abandon-probability"}, kCentreX), "0.0301415\n"},
        {{"wait-probability", "--traffic", "10", "--agents", "12", "--lines", "14", "--digits",
          "6"},
         "0.199605\n"},
        {{"queue-blocking", "--traffic", "10", "--agents", "12", "--lines", "14", "--digits", "6"},
         "0.0702931\n"},
        {{"queue-lines", "--traffic", "10", "--agents", "12", "--blocking", "0.01"}, "24\n"},
        // The forecast's variance with the calls it is of.
        {{"wait-probability", "--calls", "100", "--interval", "30", "--aht", "180", "--agents",
          "12", "--lines", "14", "--variance", "200", "--digits", "6"},
         "0.205409\n"},
        {{"agents", "--traffic", "10", "--aht", "180", "--patience", "300", "--max-abandon",
          "0.02"},
         "14\n"},
        {{"agents", "--traffic", "10", "--aht", "180", "--patience", "300", "--answered-wait", "5"},
         "14\n"},
        {{"agents", "--traffic", "10", "--aht", "180", "--lines", "30", "--max-blocking", "0.01"},
         "12\n"},
        {{"capacity", "--agents", "14", "--aht", "180", "--patience", "300", "--lines", "18",
          "--max-abandon", "0.03", "--digits", "6"},
         "12.7036\n"},
        {{"capacity", "--agents", "14", "--aht", "180", "--target-time", "20", "--service-level",
          "0.8", "--basis", "virtual", "--patience", "60", "--digits", "6"},
         "13.6061\n"},
    };
    ExpectEachPrints(cases);
}

TEST(CliErlangX, RefusesWhatDoesNotGoTogetherNamingTheOption) {
    const std::vector<std::string> agents{"agents", "--traffic", "10", "--aht", "180"};
    const std::vector<std::string> waits{"wait-probability", "--traffic", "10", "--agents", "12"};
    const Refused cases[] = {
        {Joined(waits, {"--lines", "10"}), "--lines must be at least the agents, 12, got 10"},
        {Joined(waits, {"--lines", "14.5"}), "--lines must be a whole number"},
        {{"queue-blocking", "--traffic", "10", "--agents", "12.5", "--lines", "14"},
         "--agents must be a whole number when lines are given, got 12.5"},
        {Joined(waits, {"--redial", "1"}),
         "--redial must be from 0 up to but not including 1, got 1"},
        {{"wait-probability", "--calls", "100", "--interval", "30", "--aht", "180", "--agents",
          "12", "--lines", "14", "--variance", "90"},
         "--variance must be at least the calls, 100, got 90"},
        {Joined(waits, {"--lines", "14", "--variance", "200"}),
         "--variance needs --calls with --interval"},
        {Joined(agents, {"--max-abandon", "0.05"}), "--max-abandon needs --patience"},
        {Joined(agents, {"--patience", "300", "--max-blocking", "0.05"}),
         "--max-blocking needs --lines"},
        {Joined(agents, {"--average-wait", "10", "--basis", "answered"}),
         "--basis needs --service-level"},
        {Joined(agents, {"--service-level", "0.8", "--patience", "300", "--max-abandon", "0.05"}),
         "--service-level needs --target-time"},
        // With lines the agents stop at them.
        {Joined(agents, {"--lines", "12", "--max-blocking", "0.001"}),
         "--max-blocking must be met by at most 12 agents on 12 lines, got 0.001"},
        {Joined(agents, {"--target-time", "20", "--service-level", "0.8", "--lines", "12",
                         "--max-occupancy", "0.5"}),
         "--max-occupancy must be met by at most 12 agents on 12 lines, got 0.5"},
    };
    ExpectEachRefused(cases);
}

std::vector<std::string> JsonKeys(const nlohmann::ordered_json& json) {
    std::vector<std::string> keys;
    for (const auto& item : json.items()) {
        keys.push_back(item.key());
    }
    return keys;
}

// Every figure by its name with Erlang X; none of them, and no default
// basis, where the answer is by Erlang A as before.
TEST(CliErlangX, JsonNamesEveryFigureOnlyWhereErlangXAnswers) {
    const std::vector<std::string> level{
        "service-level", "--traffic",     "10", "--agents",   "12",  "--aht",
        "180",           "--target-time", "20", "--patience", "300", "--json"};
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> keys;
    } cases[] = {
        {Joined(level, {"--lines", "16"}),
         {"command", "traffic", "agents", "aht", "target-time", "patience", "lines",
          "service-level", "blocking", "wait-probability", "abandon-probability", "average-wait",
          "answered-wait", "occupancy", "attempts-traffic", "callers-lost"}},
        {level,
         {"command", "traffic", "agents", "aht", "target-time", "patience", "service-level",
          "wait-probability", "abandon-probability", "average-wait", "occupancy"}},
    };
    for (const auto& c : cases) {
        const Outcome r = Cli(c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(JsonKeys(nlohmann::ordered_json::parse(r.out)), c.keys);
    }
}

TEST(CliErlangX, JsonSaysWhatDecidedTheAgentsAndTheCapacity) {
    const Outcome plan =
        Cli({"agents", "--traffic", "10", "--aht", "180", "--target-time", "20", "--service-level",
             "0.8", "--lines", "20", "--max-occupancy", "0.6", "--shrinkage", "0.3", "--json"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    const auto staffing = nlohmann::json::parse(plan.out);
    EXPECT_EQ(staffing["agents"], 25);
    EXPECT_EQ(staffing["agents-on-phones"], 17);
    EXPECT_EQ(staffing["decided-by"], "max-occupancy");
    const auto& rows = staffing["by-agents"];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_LT(rows[0]["service-level"].get<double>(), 0.8);
    EXPECT_GE(rows[1]["service-level"].get<double>(), 0.8);
    EXPECT_LE(rows[2]["occupancy"].get<double>(), 0.6);

    // Of two targets, the one the count one fewer misses.
    const Outcome abandon =
        Cli({"agents", "--traffic", "10", "--aht", "180", "--target-time", "20", "--service-level",
             "0.8", "--patience", "300", "--max-abandon", "0.02", "--json"});
    EXPECT_EQ(nlohmann::json::parse(abandon.out)["decided-by"], "max-abandon");
    // Five lines hold 100 calls in half an hour to a level of 1 by blocking
    // more than half of them: said, not left to the decided target.
    const Outcome lines =
        Cli({"agents", "--calls", "100", "--interval", "30", "--aht", "180", "--target-time", "20",
             "--service-level", "0.8", "--lines", "5", "--json"});
    const auto bound = nlohmann::json::parse(lines.out);
    EXPECT_EQ(bound["lines-bound"], true);
    EXPECT_NEAR(bound["blocking"].get<double>(), 0.564, 1e-3);
    // A service level and an average wait together, the commonest pair: 14
    // agents meet the level, 15 the wait (and capacity meets both).
    const Outcome pair = Cli({"agents", "--traffic", "10", "--aht", "180", "--target-time", "20",
                              "--service-level", "0.8", "--average-wait", "5", "--json"});
    ASSERT_EQ(pair.status, 0) << pair.err;
    EXPECT_EQ(nlohmann::json::parse(pair.out)["agents"], 15);
    EXPECT_EQ(nlohmann::json::parse(pair.out)["decided-by"], "average-wait");
    const Outcome both =
        Cli({"capacity", "--agents", "14", "--aht", "180", "--target-time", "20", "--service-level",
             "0.8", "--average-wait", "5", "--patience", "300", "--json"});
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(nlohmann::json::parse(both.out)["decided-by"], "average-wait");

    // The figures at the capacity apart from the targets of the same names.
    const Outcome capacity =
        Cli({"capacity", "--agents", "14", "--aht", "180", "--target-time", "20", "--service-level",
             "0.8", "--patience", "300", "--lines", "18", "--max-abandon", "0.03", "--json"});
    const auto json = nlohmann::json::parse(capacity.out);
    EXPECT_EQ(json["service-level"], 0.8);
    EXPECT_GE(json["at-capacity"]["service-level"].get<double>(), 0.8);
    EXPECT_EQ(json["decided-by"], "max-abandon");
}

// A row gives its own targets and basis; a blank service level is left out
// where another target stands in for it, a blank traffic where calls do.
TEST(CliErlangX, BatchTakesEachRowsBasisAndTargets) {
    const Outcome r = Cli({"agents", "--interval", "30", "--aht", "180", "--target-time", "20",
                           "--patience", "300", "--input", "-"},
                          "traffic,calls,lines,max-abandon,service-level,basis\n"
                          ",100,,,0.8,\n"
                          "10,,16,0.02,0.8,answered\n"
                          ",100,,0.02,,\n"
                          ",100,,,0.8,weird\n"
                          ",100,,0.02,,virtual\n"
                          ",100,12.5,,0.8,\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "traffic,calls,lines,max-abandon,service-level,basis,error,agents\n"
                     ",100,,,0.8,,,13\n"
                     "10,,16,0.02,0.8,answered,,13\n"
                     ",100,,0.02,,,,14\n"
                     ",100,,,0.8,weird,\"basis \"\"weird\"\" is not offered, answered, "
                     "excluding-short-abandons or virtual\",\n"
                     ",100,,0.02,,virtual,--basis needs --service-level: it says what the "
                     "service level is a share of,\n"
                     ",100,12.5,,0.8,,\"lines must be a whole number from 1 to 2e9, or none (left "
                     "out), got 12.5\",\n");
}

// Erlang X without lines, redials or variance is Erlang A (or C): so is its
// schedule, where the occupancy cap is sought between the two counts.
TEST(CliErlangX, StaffingFactorsAgreeWithErlangAWhereNothingElseChanges) {
    const std::vector<std::string> cases[] = {
        {"--traffic", "10", "--patience", "30", "--target-time", "20", "--service-level", "0.3",
         "--max-occupancy", "0.7"},
        {"--traffic", "400", "--patience", "60", "--average-wait", "30", "--max-occupancy", "0.95",
         "--shrinkage", "0.25"},
        {"--traffic", "7", "--target-time", "20", "--service-level", "0.1", "--max-occupancy",
         "0.7"},
    };
    for (const auto& args : cases) {
        const std::vector<std::string> agents = Joined({"agents", "--aht", "180"}, args);
        const Outcome a = Cli(agents);
        const Outcome x = Cli(Joined(agents, {"--redial", "0"}));
        ASSERT_EQ(a.status, 0) << a.err;
        EXPECT_EQ(x.out, a.out) << args[1];
    }
}

} // namespace
