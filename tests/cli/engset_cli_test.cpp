// The finite-source, overflow and measured-traffic commands of corvane-cli:
// the load stated exactly one way, the method word, both in batches too.
#include "cli/run.h"
#include "run_cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace {

TEST(CliEngset, EachCommandPrintsItsAnswer) {
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"engset-blocking", "--sources", "40", "--lines", "8", "--traffic", "5"}, "0.0596264\n"},
        {{"engset-blocking", "--sources", "40", "--lines", "8", "--intended-traffic", "5"},
         "0.0613588\n"},
        {{"engset-blocking", "--sources", "4", "--lines", "2", "--idle-source-traffic", "0.25"},
         "0.0967742\n"},
        {{"engset-lines", "--sources", "40", "--traffic", "5", "--blocking", "0.01"}, "11\n"},
        {{"engset-traffic", "--sources", "40", "--lines", "8", "--blocking", "0.01"}, "3.35698\n"},
        {{"overflow", "--traffic", "10", "--lines", "10"}, "2.14582\n"},
        {{"equivalent-random", "--mean", "2", "--variance", "2"}, "2\n"},
        {{"overflow-blocking", "--mean", "2.145823", "--variance", "4.362447", "--lines", "5"},
         "0.170084\n"},
        {{"overflow-blocking", "--mean", "2.145823", "--variance", "4.362447", "--lines", "5",
          "--method", "hayward"},
         "0.131515\n"},
        {{"overflow-lines", "--mean", "2.145823", "--variance", "4.362447", "--blocking", "0.01",
          "--method", "hayward"},
         "9\n"},
        {{"offered-traffic", "--carried", "19.2", "--lines", "24"}, "20.9521\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--digits", "6"});
        const Outcome r = Cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

TEST(CliEngset, JsonGivesEveryCongestionAndTheMethod) {
    const auto engset = nlohmann::json::parse(
        Cli({"engset-blocking", "--sources", "4", "--lines", "2", "--idle-source-traffic",
             "0.3333333333333333", "--json", "--digits", "12"})
            .out);
    EXPECT_EQ(engset["time-congestion"], 0.222222222222);
    EXPECT_EQ(engset["call-congestion"], 0.142857142857);
    EXPECT_EQ(engset["traffic-congestion"], 0.111111111111);
    EXPECT_EQ(engset.count("intended-traffic") + engset.count("carried") + engset.count("traffic"),
              3u);
    EXPECT_EQ(engset.count("intended-traffic"), 1u);
    const auto overflow =
        nlohmann::json::parse(Cli({"overflow-blocking", "--mean", "2", "--variance", "3", "--lines",
                                   "4", "--method", "hayward", "--json"})
                                  .out);
    EXPECT_EQ(overflow["method"], "hayward");
    EXPECT_DOUBLE_EQ(overflow["lost"].get<double>(), 2 * overflow["blocking"].get<double>());
}

// Each row by its own load and its own method; a row that gives no load, two
// loads or an unknown word is marked, the others answered.
TEST(CliEngset, BatchReadsTheLoadAndTheMethodRowByRow) {
    const struct {
        std::vector<std::string> args;
        std::string input, out;
        int status;
    } cases[] = {
        {{"engset-blocking"},
         "pbx,Sources,Lines,Intended traffic\nA,40,8,5\nB,10,12,3\n",
         "pbx,Sources,Lines,Intended traffic,error,call-congestion\nA,40,8,5,,0.06136\n"
         "B,10,12,3,\"lines must be at most the sources, 10, got 12\",\n",
         1},
        {{"engset-blocking"},
         "sources,lines,traffic,idle-source-traffic\n40,8,5,\n4,2,,0.25\n40,8,,\n40,8,5,0.1\n",
         "sources,lines,traffic,idle-source-traffic,error,call-congestion\n40,8,5,,,0.05963\n"
         "4,2,,0.25,,0.09677\n"
         "40,8,,,\"give exactly one of traffic, idle-source-traffic (0 given)\",\n"
         "40,8,5,0.1,\"give exactly one of traffic, idle-source-traffic (2 given)\",\n",
         1},
        {{"overflow-lines", "--method", "hayward", "--blocking", "0.01"},
         "mean,variance\n2.145823,4.362447\n",
         "mean,variance,error,lines\n2.145823,4.362447,,9\n",
         0},
        {{"overflow-blocking", "--lines", "5"},
         "mean,variance,Method\n2.145823,4.362447,hayward\n2.145823,4.362447,\n"
         "2.145823,4.362447,Erlang\n",
         "mean,variance,Method,error,blocking\n2.145823,4.362447,hayward,,0.1315\n"
         "2.145823,4.362447,,,0.1701\n"
         "2.145823,4.362447,Erlang,\"method \"\"Erlang\"\" is not ert or hayward\",\n",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--input", "-", "--digits", "4"});
        const Outcome r = Cli(args, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
    }
}

TEST(CliEngset, RefusesALoadGivenTwiceOrNotAtAll) {
    const struct {
        std::vector<std::string> args;
        std::string message;
        std::string input = "";
    } cases[] = {
        {{"engset-blocking", "--sources", "40", "--lines", "8"},
         "give exactly one of --traffic, --intended-traffic, --idle-source-traffic (0 given)"},
        {{"engset-lines", "--sources", "40", "--traffic", "5", "--idle-source-traffic", "0.1",
          "--blocking", "0.01"},
         "(2 given)"},
        {{"engset-blocking", "--input", "-", "--traffic", "5"},
         "(2 given)",
         "sources,lines,idle-source-traffic\n40,8,0.1\n"},
        {{"engset-traffic", "--sources", "40", "--lines", "40", "--blocking", "0.01"},
         "--lines must be fewer than the sources"},
        {{"overflow-lines", "--mean", "2", "--variance", "1", "--blocking", "0.01"},
         "--variance must be at least the mean"},
        {{"overflow-lines", "--mean", "2", "--variance", "3", "--blocking", "0.01", "--method",
          "erlang"},
         "--method"},
        {{"offered-traffic", "--carried", "24", "--lines", "24"}, "--carried must be below"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome r = Cli(c.args, c.input);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

} // namespace
