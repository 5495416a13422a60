// corvane-cli day, in-process: each row of the input written back with its
// own interval's figures, as the room gives them for the day read; bad rows
// named, a bad day refused with 2; the day's totals in JSON.
#include "run_cli.h"
#include "textio/csv.h"
#include "transient/day.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace {

using transient::DayInput;

const std::vector<std::string> kDayOptions = {
    "day", "--interval",      "15",  "--aht",   "240", "--patience", "180", "--target-time",
    "20",  "--service-level", "0.8", "--input", "-"};

DayInput DayOf(std::vector<double> calls) {
    DayInput in;
    in.calls = std::move(calls);
    in.model = {15, 240, 180, INFINITY};
    in.targets.serviceLevel = 0.8;
    in.targets.targetTimeSeconds = 20;
    return in;
}

std::vector<textio::Record> DayRecords(const std::string& text) {
    std::istringstream in(text);
    textio::CsvReader reader(in);
    std::vector<textio::Record> records;
    for (textio::Record r; reader.Next(r);) {
        records.push_back(r);
    }
    return records;
}

// The figures written for a day are the room's for the day read: the
// options each in its place, the rows in order past a blank line and a
// quoted label, the schedule from either column, an input column named as a
// figure kept under another name.
TEST(DayCli, EachRowCarriesItsOwnIntervalsFigures) {
    const std::string rows = "\xEF\xBB\xBFstart,calls\r\n08:00,40\r\n\r\n\"08:15, peak\",160\r\n"
                             "08:30,150\r\n08:45,60\r\n";
    const std::string coverage = "start,calls,on-phones,service-level\n08:00,40,10,0.7\n"
                                 "08:15,160,40,0.6\n08:30,150,45,0.8\n08:45,60,20,0.9\n";
    DayInput stationary = DayOf({40, 160, 150, 60});
    stationary.method = transient::Method::Stationary;
    stationary.start = transient::Start::Periodic;
    stationary.targets.shrinkage = 0.3;
    DayInput judged = DayOf({40, 160, 150, 60});
    judged.agents = std::vector<double>{10, 40, 45, 20};
    DayInput waited = DayOf({40, 160, 150, 60});
    waited.targets.serviceLevel.reset();
    waited.targets.averageWaitSeconds = 12;
    waited.model.lines = 60;
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        DayInput day;
        std::string header; // the input's, as written
    } cases[] = {
        {"transient", kDayOptions, rows, DayOf({40, 160, 150, 60}), "\xEF\xBB\xBFstart,calls"},
        {"stationary, periodic",
         Joined(kDayOptions,
                {"--method", "Stationary", "--start", "PERIODIC", "--shrinkage", "0.3"}),
         rows, stationary, "\xEF\xBB\xBFstart,calls"},
        {"on-phones judged", kDayOptions, coverage, judged,
         "start,calls,on-phones,input-service-level"},
        {"agents judged", kDayOptions, "calls,agents\n40,10\n160,40\n150,45\n60,20\n", judged,
         "calls,input-agents"},
        {"average wait, lines",
         {"day", "--input", "-", "--lines", "60", "--aht", "240", "--patience", "180", "--interval",
          "15", "--average-wait", "12"},
         rows,
         waited,
         "\xEF\xBB\xBFstart,calls"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = Cli(c.args, c.input);
        ASSERT_EQ(r.status, 0) << r.err;
        const transient::DayResult want = transient::PlanDay(c.day);
        const std::vector<textio::Record> out = DayRecords(r.out);
        std::string header = c.header;
        for (const transient::FigureInfo& figure : transient::Figures()) {
            header += std::string(",") + figure.kebab;
        }
        EXPECT_EQ(r.out.substr(0, r.out.find_first_of("\r\n")), header + ",error");
        std::size_t k = 0;
        for (std::size_t i = 1; i < out.size(); ++i) {
            if (out[i].raw.empty()) {
                continue; // the blank line, passed through
            }
            const std::size_t first = out[i].Size() - transient::Figures().size() - 1;
            for (std::size_t f = 0; f < transient::Figures().size(); ++f) {
                const double value =
                    transient::FigureValue(want.intervals.at(k), transient::Figures()[f].figure);
                EXPECT_EQ(std::stod(std::string(out[i].Field(first + f))), value) << i << " " << f;
            }
            EXPECT_EQ(out[i].Field(out[i].Size() - 1), "");
            ++k;
        }
        EXPECT_EQ(k, c.day.calls.size());
    }
    EXPECT_NE(Cli(kDayOptions, rows).out.find("\r\n\r\n\"08:15, peak\",160,"), std::string::npos);
}

TEST(DayCli, ABadDayIsRefusedWithTwoAndNothingWritten) {
    const std::string good = "calls\n10\n";
    // kDayOptions with one option's value changed, or added.
    const auto with = [](std::vector<std::string> more) {
        std::vector<std::string> args = kDayOptions;
        const auto at = std::find(args.begin(), args.end(), more[0]);
        return at == args.end() ? Joined(args, more) : (at[1] = more[1], args);
    };
    const Refused cases[] = {
        {kDayOptions, "has no column named calls", "start,traffic\n08:00,3\n"},
        {kDayOptions, "the shifts from calls", "start,required,on-phones\n08:00,3,3\n"},
        {kDayOptions, "has a column named aht: the day takes one --aht", "calls,aht\n10,200\n"},
        {kDayOptions, "has 2 columns named calls", "calls,Calls\n1,2\n"},
        {kDayOptions, "has both agents and on-phones", "calls,agents,on_phones\n1,2,3\n"},
        {kDayOptions, "line 3: agents is empty: a schedule needs a count for every interval",
         "calls,agents\n10,2\n20,\n"},
        {kDayOptions, "is empty: its first line must name the columns", ""},
        {kDayOptions, "has no interval", "calls\n\n"},
        {with({"--lines", "0.5"}), "--lines must be a whole number of lines from 1 to 1e6", good},
        {with({"--interval", "0"}), "--interval must be a number of minutes above 0", good},
        {with({"--aht", "0.05"}), "--aht must be at least the interval over 1e4 (0.09 seconds)",
         good},
        {with({"--average-wait", "20"}), "give exactly one of --service-level, --average-wait",
         good},
        {{"day", "--input", "-", "--interval", "15", "--aht", "240", "--service-level", "0.8"},
         "--service-level needs --target-time",
         good},
        {{"day", "--input", "-", "--interval", "15", "--aht", "240", "--target-time", "20",
          "--average-wait", "9"},
         "--target-time goes with --service-level",
         good},
        {with({"--method", "lagged"}), "--method is for staffing", "calls,agents\n10,2\n"},
        {with({"--method", "lag"}), "\"lag\" is not transient, stationary or lagged", good},
        {{"day", "--input", "no/such.csv", "--interval", "15", "--aht", "240", "--average-wait",
          "9"},
         "--input no/such.csv cannot be opened",
         good},
    };
    ExpectEachRefused(cases);
}

// Each bad row says why in its own error, and no interval gets figures: the
// day carries the queue from row to row.
TEST(DayCli, BadRowsAreNamedAndNoIntervalIsPlanned) {
    const struct {
        std::string row, error;
    } cases[] = {
        {"08:15,", "calls is empty"},
        {"08:15,\"12,5\"", "calls \"12,5\" is not a number: use a decimal point"},
        {"08:15,-3", "calls must be a number of calls from 0 to 1e5, got -3"},
        {"08:15,2e5", "calls must be a number of calls from 0 to 1e5, got 2e+05"},
        {"08:15,5e4", "calls must be at most 37500 (a traffic of 1e4 erlangs), got 50000"},
        {"08:15,3,4", "this row has 3 fields, the header 2"},
        {"Total,10", "a total row (Total) before the day's end: leave it out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const Outcome r = Cli(kDayOptions, "start,calls\n08:00,40\n" + c.row + "\n08:30,10\n");
        EXPECT_EQ(r.status, 1);
        const std::vector<textio::Record> out = DayRecords(r.out);
        ASSERT_EQ(out.size(), 4u);
        for (std::size_t i = 1; i < out.size(); ++i) {
            ASSERT_EQ(out[i].Size(), 2 + transient::Figures().size() + 1);
            for (std::size_t f = 2; f < out[i].Size() - 1; ++f) {
                EXPECT_EQ(out[i].Field(f), "") << i;
            }
            EXPECT_EQ(out[i].Field(out[i].Size() - 1), i == 2 ? c.error : "");
        }
        EXPECT_NE(r.err.find("1 of 3 intervals refused"), std::string::npos) << r.err;
    }
    const Outcome agents = Cli(kDayOptions, "calls,agents\n40,2.5\n");
    EXPECT_NE(agents.out.find("agents must be a whole number of agents from 0 to 1e6, got 2.5"),
              std::string::npos);
}

// The foot of an ACD export is no interval: left out, checked against the
// rows, and the day planned as if it were not there.
TEST(DayCli, ATotalRowAtTheFootIsLeftOutAndChecked) {
    const std::string day = "start,calls\n08:00,40\n08:15,160\n";
    const std::string planned = Cli(kDayOptions, day).out;
    const struct {
        std::string foot, note;
    } cases[] = {
        {"合計,200\n", "line 4: the total row (合計) is left out of the day; its calls are the "
                       "rows' sum"},
        {" TOTAL ,210", "its calls, 210, are not the rows' sum, 200"},
        {"sum,x\n", "the total row (sum) is left out of the day; not checked"},
    };
    for (const auto& c : cases) {
        const Outcome r = Cli(kDayOptions, day + c.foot);
        EXPECT_EQ(r.status, 0) << c.foot;
        EXPECT_EQ(r.out, planned) << c.foot;
        EXPECT_NE(r.err.find(c.note), std::string::npos) << r.err;
    }
}

// The totals are the room's; the intervals missed are named by their labels.
TEST(DayCli, JsonHoldsTheDaysTotalsAndTheIntervalsMissed) {
    const std::string rows = "start,calls\n08:00,40\n08:15,160\n08:30,150\n08:45,60\n";
    DayInput day = DayOf({40, 160, 150, 60});
    day.method = transient::Method::Stationary;
    const transient::DayResult want = transient::PlanDay(day);
    const Outcome r = Cli(Joined(kDayOptions, {"--json", "--method", "stationary"}), rows);
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["method"], "stationary");
    EXPECT_EQ(json["phone-hours"].get<double>(), want.totals.phoneHours);
    EXPECT_EQ(json["day-service-level"].get<double>(), want.totals.serviceLevel);
    ASSERT_FALSE(want.totals.missed.empty());
    ASSERT_EQ(json["missed"].size(), want.totals.missed.size());
    const char* labels[] = {"08:00", "08:15", "08:30", "08:45"};
    for (std::size_t i = 0; i < want.totals.missed.size(); ++i) {
        EXPECT_EQ(json["missed"][i]["label"], labels[want.totals.missed[i]]);
    }
    EXPECT_EQ(json["intervals"][2]["stationary-agents"], want.intervals[2].stationaryAgents);
}

// An interval no count can staff as asked keeps its figures, says why, and
// makes the exit status 1.
TEST(DayCli, AnIntervalThatCannotBeStaffedSaysWhy) {
    const Outcome r =
        Cli(Joined(kDayOptions, {"--lines", "10", "--max-occupancy", "0.5"}), "calls\n1000\n10\n");
    EXPECT_EQ(r.status, 1);
    const std::vector<textio::Record> out = DayRecords(r.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].Field(1), "10");
    EXPECT_EQ(out[1].Field(out[1].Size() - 1),
              "no count up to the lines (10) meets the occupancy cap");
    EXPECT_EQ(out[2].Field(out[2].Size() - 1), "");
    EXPECT_NE(r.err.find("interval 1, line 2 cannot be staffed as asked"), std::string::npos);
}

} // namespace
