// corvane-cli's Erlang A and staffing options: the wiring of --patience,
// --calls with --interval, the staffing factors and their JSON, the optional
// columns of a batch, and the combinations it refuses.
#include "cli/run.h"
#include "run_cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace {

TEST(CliErlangA, EachOptionChangesTheAnswer) {
    const std::vector<std::string> agents{"agents", "--aht",           "180", "--target-time",
                                          "20",     "--service-level", "0.8"};
    const auto with = [&](const std::vector<std::string>& more) { return Joined(agents, more); };
    const Prints cases[] = {
        {{"abandon-probability", "--traffic", "10", "--agents", "14", "--aht", "180", "--patience",
          "300", "--digits", "6"},
         "0.0139837\n"},
        // At and above the agents, where Erlang C has no answer.
        {{"wait-probability", "--traffic", "10", "--agents", "8", "--aht", "180", "--patience",
          "300", "--digits", "6"},
         "0.84757\n"},
        {{"service-level", "--traffic", "10", "--agents", "14", "--aht", "180", "--target-time",
          "20", "--patience", "300", "--digits", "6"},
         "0.916792\n"},
        {{"average-wait", "--traffic", "10", "--agents", "14", "--aht", "180", "--patience", "300",
          "--digits", "6"},
         "4.19512\n"},
        {with({"--traffic", "10"}), "14\n"},
        {with({"--traffic", "10", "--patience", "300"}), "13\n"},
        {with({"--calls", "100", "--interval", "30", "--patience", "300"}), "13\n"},
        {with({"--traffic", "10", "--shrinkage", "0.3"}), "20\n"},
        // No calls need no agents, by either model.
        {with({"--calls", "0", "--interval", "30"}), "0\n"},
        {with({"--calls", "0", "--interval", "30", "--patience", "300"}), "0\n"},
        {{"agents", "--traffic", "7", "--aht", "180", "--target-time", "20", "--service-level",
          "0.1", "--max-occupancy", "0.7"},
         "10\n"},
        {{"agents", "--traffic", "10", "--aht", "180", "--average-wait", "10"}, "14\n"},
    };
    ExpectEachPrints(cases);
}

TEST(CliErlangA, JsonShowsTheAbandonmentAndWhatDecidedTheAgents) {
    const Outcome one = Cli({"service-level", "--traffic", "10", "--agents", "14", "--aht", "180",
                             "--target-time", "20", "--patience", "300", "--json"});
    ASSERT_EQ(one.status, 0) << one.err;
    const auto json = nlohmann::json::parse(one.out);
    for (const char* key : {"wait-probability", "abandon-probability", "service-level",
                            "average-wait", "occupancy"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }

    const Outcome plan = Cli({"agents", "--calls", "100", "--interval", "30", "--aht", "180",
                              "--target-time", "20", "--service-level", "0.8", "--patience", "300",
                              "--shrinkage", "0.3", "--max-occupancy", "0.7", "--json"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    const auto staffing = nlohmann::json::parse(plan.out);
    EXPECT_EQ(staffing["traffic"], 10);
    EXPECT_EQ(staffing["agents-on-phones"], 15);
    EXPECT_EQ(staffing["agents-to-schedule"], 22);
    EXPECT_EQ(staffing["agents"], 22);
    EXPECT_EQ(staffing["decided-by"], "max-occupancy");
    // The target's count, one less, and the count the cap raised it to.
    const auto& rows = staffing["by-agents"];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_LT(rows[0]["service-level"].get<double>(), 0.8);
    EXPECT_GE(rows[1]["service-level"].get<double>(), 0.8);
    EXPECT_GT(rows[1]["occupancy"].get<double>(), 0.7);
    EXPECT_LE(rows[2]["occupancy"].get<double>(), 0.7);

    // With no traffic, the one row of no agents, every caller (there are none) in time.
    const Outcome none = Cli({"agents", "--traffic", "0", "--aht", "180", "--target-time", "20",
                              "--service-level", "0.8", "--json"});
    ASSERT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(nlohmann::json::parse(none.out)["service-level-by-agents"],
              nlohmann::json::parse(R"([{"agents": 0, "service-level": 1}])"));
}

// A column per option; a blank optional field leaves the option out for its row.
TEST(CliErlangA, BatchTakesTheNewOptionsAsColumns) {
    const Outcome r = Cli({"wait-probability", "--input", "-", "--digits", "6"},
                          "traffic,agents,aht,patience\n10,14,180,300\n10,14,180,\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "traffic,agents,aht,patience,error,wait-probability\n10,14,180,300,,0.14526\n"
                     "10,14,180,,,0.174132\n");
    const Outcome day = Cli({"agents", "--interval", "30", "--aht", "180", "--target-time", "20",
                             "--service-level", "0.8", "--shrinkage", "0.3", "--input", "-"},
                            "start,calls\n08:00,100\n08:30,\n");
    EXPECT_EQ(day.status, 1);
    EXPECT_EQ(day.out, "start,calls,error,agents\n08:00,100,,20\n"
                       "08:30,,--traffic is required (or --calls),\n");
}

TEST(CliErlangA, RefusesOptionsThatDoNotGoTogether) {
    const Refused cases[] = {
        {{"wait-probability", "--traffic", "10", "--agents", "8", "--patience", "300"},
         "--aht is required with --patience"},
        {{"abandon-probability", "--traffic", "10", "--agents", "8", "--aht", "180", "--patience",
          "0"},
         "--patience must be a time greater than 0, got 0"},
        {{"agents", "--calls", "100", "--aht", "180", "--average-wait", "10"},
         "--calls needs --interval"},
        {{"agents", "--traffic", "12", "--calls", "100", "--interval", "30", "--aht", "180",
          "--average-wait", "10"},
         "give --traffic or --calls with --interval, not both"},
        {{"agents", "--calls", "100", "--interval", "0", "--aht", "180", "--average-wait", "10"},
         "--interval must be a number of minutes greater than 0, got 0"},
        {{"agents", "--traffic", "10", "--aht", "180", "--average-wait", "10", "--target-time",
          "20"},
         "give --target-time with --service-level beside --average-wait, or neither"},
        {{"agents", "--traffic", "10", "--aht", "180", "--target-time", "20"},
         "--service-level is required"},
        {{"agents", "--traffic", "10", "--aht", "180", "--average-wait", "10", "--shrinkage", "1"},
         "--shrinkage must be from 0 up to but not including 1, got 1"},
        // Refused as a value worked out, not as a --traffic the user never gave.
        {{"agents", "--calls", "1e12", "--interval", "1", "--aht", "1", "--average-wait", "1"},
         ": traffic 16666666666.666666, worked out from the inputs"},
    };
    ExpectEachRefused(cases);
}

} // namespace
