// Whole commands of corvane-cli, run in-process: what they print, where, and
// with which exit code. The engine's numbers are its own tests' business;
// these check the wiring, the text and the refusals.
#include "cli/commands.h"
#include "cli/run.h"
#include "run_cli.h"
#include "teletraffic/erlang_b.h"
#include "textio/csv.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::string Data(const std::string& name) {
    std::ifstream file(std::string(CLI_TEST_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(Cli, EachCommandPrintsItsAnswerAlone) {
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"lines", "--traffic", "+10", "--blocking", "0.01"}, "18\n"},
        {{"blocking", "--traffic", "10", "--lines", "18", "--digits", "6"}, "0.00714244\n"},
        {{"blocking", "--traffic", "10", "--lines", "17.5", "--digits", "6"}, "0.00967863\n"},
        {{"traffic", "--lines", "10", "--blocking", "0.01", "--digits", "5"}, "4.4612\n"},
        {{"extended-blocking", "--traffic", "10", "--lines", "15", "--recall", "0.9", "--digits",
          "6"},
         "0.0453353\n"},
        {{"extended-lines", "--traffic", "100", "--blocking", "0.1", "--recall", "0.9"}, "106\n"},
        {{"wait-probability", "--traffic", "10", "--agents", "12", "--digits", "6"}, "0.449388\n"},
        {{"service-level", "--traffic", "10", "--agents", "12", "--aht", "180", "--target-time",
          "20", "--digits", "6"},
         "0.640158\n"},
        {{"average-wait", "--traffic", "10", "--agents", "12", "--aht", "180", "--digits", "6"},
         "40.4449\n"},
        {{"agents", "--traffic", "10", "--aht", "180", "--target-time", "20", "--service-level",
          "0.8"},
         "14\n"},
        {{"--version"}, CORVANE_VERSION "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const Outcome r = Cli(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
    }
}

// Each help's example is run as shown and must print what the help shows
// below it; an example that throws shows its message there instead.
TEST(Cli, EveryHelpExampleRunsAndPrintsWhatItShows) {
    std::vector<std::string> commands{"table"};
    for (const cli::Command& command : cli::Commands()) {
        commands.emplace_back(command.name);
    }
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const Outcome help = Cli({command, "--help"});
        const auto at = help.out.find("Example:\n  corvane-cli ");
        ASSERT_NE(at, std::string::npos);
        std::istringstream lines(help.out.substr(at + 9));
        std::string line;
        std::getline(lines, line);
        std::istringstream words(line.substr(14));
        std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        std::string shown;
        while (std::getline(lines, line) && !line.empty()) {
            shown += line.substr(2) + "\n";
        }
        const Outcome run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, shown);
    }
}

// One option, each command's own help where it takes it its own way.
TEST(Cli, HelpDescribesEachOptionAsTheCommandTakesIt) {
    const struct {
        std::string command, line;
    } cases[] = {
        {"blocking",
         "--lines N                   number of lines (a number from 0 to 2e9), whole or "
         "fractional"},
        {"engset-blocking", "--lines N                   number of lines (a whole number from 0 to "
                            "1e9), at most the sources"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(Cli({c.command, "--help"}).out.find(c.line), std::string::npos) << c.command;
    }
}

// The engine's typed error is worded from its fields: a value the user gave
// by the user's name for it, one worked out along the way by no option (the
// traffic 1e9 lines carry at 0.5 is above what the engine takes as input).
TEST(Cli, EngineRefusalsNameOnlyOptionsTheUserGave) {
    using teletraffic::Argument;
    const cli::Named given[] = {{"lines", 1e9, "--lines"},
                                {"blocking", 0.5, "blocking"},
                                {"target-time", -1, "--target-time"}};
    const struct {
        teletraffic::DomainError error;
        std::string message;
    } cases[] = {
        {{Argument::Lines, 1e9, "R"}, "--lines must be R, got 1e+09"},
        {{Argument::Blocking, 0.5, "R"}, "blocking must be R, got 0.5"},
        {{Argument::TargetTime, -1, "R"}, "--target-time must be R, got -1"},
        {{Argument::Traffic, 1999999997.9999995, "R"},
         "traffic 1999999997.9999995, worked out from the inputs, is outside what the engine "
         "takes: traffic must be R"},
        {{Argument::Lines, 999, "R"},
         "lines 999, worked out from the inputs, is outside what the engine "
         "takes: lines must be R"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::Worded(c.error, given), c.message);
    }
}

TEST(Cli, JsonShowsWhyTheCountIsTheLeast) {
    const Outcome r = Cli({"lines", "--traffic", "10", "--blocking", "0.01", "--json"});
    ASSERT_EQ(r.status, 0);
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["traffic"], 10);
    EXPECT_EQ(json["lines"], 18);
    const auto& rows = json["blocking-by-lines"];
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["lines"], 17);
    EXPECT_GT(rows[0]["blocking"].get<double>(), 0.01);
    EXPECT_EQ(rows[1]["lines"], 18);
    EXPECT_LE(rows[1]["blocking"].get<double>(), 0.01);
}

TEST(Cli, RefusalsNameTheOptionAndExitWithTwo) {
    const Refused cases[] = {
        {{"lines", "--traffic", "10"}, "--blocking is required"},
        {{"lines", "--traffic", "10", "--blocking", "0.01", "--speed", "1"}, "--speed"},
        {{"lines", "--traffic", "abc", "--blocking", "0.01"}, "--traffic \"abc\" is not a number"},
        {{"lines", "--traffic", "1,000", "--blocking", "0.01"},
         "--traffic \"1,000\" is not a number: write it without thousands separators"},
        {{"lines", "--traffic", "nan", "--blocking", "0.01"}, "--traffic \"nan\" is not a number"},
        {{"lines", "--traffic", "0x10", "--blocking", "0.01"}, "\"0x10\" is not a number"},
        {{"lines", "--traffic", "10e", "--blocking", "0.01"}, "\"10e\" is not a number"},
        {{"lines", "--traffic=-1", "--blocking", "0.01"}, "--traffic must be"},
        {{"lines", "--traffic", "10", "--blocking", "0"}, "--blocking must be"},
        {{"wait-probability", "--traffic", "12", "--agents", "10"}, "grow without end"},
        {{"lnes", "--traffic", "10"}, "lnes is not a command"},
        {{"lines", "--traffic", "10", "--blocking", "0.01", "--digits", "0"}, "--digits"},
        {{"table", "--blocking", "0.01"}, "--lines or --traffic is required"},
        {{"table", "--lines", "5:1", "--blocking", "0.01"}, "--lines \"5:1\" runs backwards"},
        {{"table", "--lines", "1:3", "--blocking", "0.01,1"}, "--blocking must be"},
        {{"lines", "--input", "/nonexistent.csv"}, "--input /nonexistent.csv cannot be opened"},
        {{"lines", "--input", "-"}, "--input - has no column named blocking", "traffic\n10\n"},
    };
    ExpectEachRefused(cases);
}

TEST(Cli, TableInEachFormat) {
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{"--lines", "1:3", "--digits", "4"}, "table.txt"},
        {{"--lines", "1:3", "--digits", "4", "--format", "csv"}, "table.csv"},
        {{"--lines", "1:3", "--digits", "4", "--format", "markdown"}, "table.md"},
        {{"--lines", "1:3", "--digits", "4", "--format", "json"}, "table.json"},
        {{"--traffic", "0.5:2:0.5", "--format", "csv"}, "table-traffic.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::vector<std::string> args{"table", "--blocking", "0.01,0.05"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome r = Cli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, Data(c.expected));
    }
}

// Byte-order mark, CRLF, quoted commas, quotes and line breaks, extra
// columns, failing, short and blank rows, and a last row without a line end.
TEST(Cli, BatchKeepsEveryRowAndSaysWhyOneFailed) {
    const Outcome r = Cli({"lines", "--input", std::string(CLI_TEST_DATA) + "/batch.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Data("batch.expected.csv"));
    EXPECT_EQ(r.err, "");
}

// A record that cannot be read stops the batch: the rows before it go out
// whole with their answers, none after it, and the message counts them.
TEST(Cli, BatchStoppedByAReadErrorWritesWholeRowsAndCountsThem) {
    std::string input = "traffic,blocking\n";
    std::string expected = "traffic,blocking,error,lines\n";
    for (int i = 0; i < 5000; ++i) { // past one block of rows
        input += "10,0.01\n";
        expected += "10,0.01,,18\n";
    }
    input += std::string(2 * textio::CsvReader::kMaxRecordBytes, '1') + "\n10,0.01\n";
    const Outcome r = Cli({"lines", "--input", "-"}, input);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out == expected) << r.out.size() << " bytes out, not " << expected.size();
    EXPECT_NE(r.err.find("stopped there, after the 5000 rows before it"), std::string::npos)
        << r.err;
}

// An option given for every row is named as an option where a row fails by it.
TEST(Cli, BatchTakesOptionsForMissingColumnsAndLooseHeaderNames) {
    const struct {
        std::vector<std::string> args;
        std::string input, out;
        int status;
    } cases[] = {
        {{"agents", "--aht", "180", "--input", "-"},
         "Traffic,Target time,service_level\n10,20,0.8\n",
         "Traffic,Target time,service_level,error,agents\n10,20,0.8,,14\n",
         0},
        {{"lines", "--blocking", "1", "--input", "-"},
         "traffic\n10\n",
         "traffic,error,lines\n10,\"--blocking must be from 1e-300 up to but not including 1, got "
         "1\",\n",
         1},
    };
    for (const auto& c : cases) {
        const Outcome r = Cli(c.args, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
    }
}

// Past one block of rows, answered on several threads: each answer stays with its row.
// A total row at the foot of an ACD export (or of each day) is written back
// unanswered, its error column and standard error saying whether its calls
// are the sum of the rows since the last total; it fails no row.
TEST(Cli, BatchLeavesTotalRowsOutAndChecksThem) {
    const struct {
        std::string input, out, err;
        int status;
    } cases[] = {
        {"start,calls\n08:00,100\n08:30,200\n合計,300\n",
         "start,calls,error,agents\n08:00,100,,14\n08:30,200,,24\n"
         "合計,300,\"a total row, left out: calls 300 is the sum of the 2 rows above\",\n",
         "--input -: the row 合計 is a total row, left out: calls 300 is the sum of the 2 rows "
         "above\n",
         0},
        {"calls,day\n100.25,mon\n0.5,mon\n100.7,TOTAL\n20,tue\n21,Sum\n",
         "calls,day,error,agents\n100.25,mon,,14\n0.5,mon,,1\n"
         "100.7,TOTAL,\"a total row, left out: calls 100.7 is the sum of the 2 rows above\",\n"
         "20,tue,,4\n21,Sum,\"a total row, left out: calls 21, but the 1 row above sums to 20\",\n",
         "", 0},
    };
    for (const auto& c : cases) {
        const Outcome r = Cli({"agents", "--input", "-", "--interval", "30", "--aht", "180",
                               "--target-time", "20", "--service-level", "0.8"},
                              c.input);
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
        EXPECT_EQ(r.status, c.status);
    }
}

TEST(Cli, BatchOfManyBlocksKeepsEachAnswerWithItsRow) {
    std::string input = "traffic,blocking\n";
    std::string expected = "traffic,blocking,error,lines\n";
    for (int i = 0; i < 9000; ++i) {
        const std::string row = std::to_string(i % 997) + ",0.01";
        input += row + "\n";
        expected += row + ",," + std::to_string(teletraffic::ErlangBLines(i % 997, 0.01)) + "\n";
    }
    const Outcome r = Cli({"lines", "--input", "-"}, input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
}

} // namespace
