// corvane-cli shifts: what it prints agrees with itself (the CSV with the
// JSON, the coverage with the shifts and breaks it prints, recounted period
// by period from their clock texts), periods short are named with status 1
// unless priced, and each refusal names the option, the field or the row.
#include "run_cli.h"
#include "teletraffic/error.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <map>

namespace {

using Json = nlohmann::json;

const std::string kShiftsData = std::string(CLI_TEST_DATA) + "/shifts/";
const std::string kDay = kShiftsData + "day.csv";
const std::string kTemplates = kShiftsData + "shifts.json";
const std::string kCalls = kShiftsData + "calls.csv";

const std::vector<std::string> kService = {"--objective", "service", "--service-level", "0.8",
                                           "--aht",       "180",     "--target-time",   "20"};

std::vector<std::string> ShiftsArgs(const std::string& input, std::vector<std::string> more = {}) {
    return Joined({"shifts", "--input", input, "--shifts", kTemplates}, more);
}

int ClockOf(const std::string& text) {
    return std::stoi(text.substr(0, 2)) * 60 + std::stoi(text.substr(3, 2));
}

std::vector<std::string> CsvLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The shifts' agents on the phones and on a break in each quarter-hour, from
// the clock texts printed: "08:00" to "16:00", breaks "09:30-09:45;...".
std::map<int, std::pair<int, int>> Recount(const Json& shifts) {
    std::map<int, std::pair<int, int>> at;
    for (const Json& s : shifts) {
        const int agents = s["agents"].get<int>();
        for (int m = ClockOf(s["start"]); m < ClockOf(s["end"]); m += 15) {
            at[m].first += agents;
        }
        std::istringstream breaks(s["breaks"].get<std::string>());
        for (std::string piece; std::getline(breaks, piece, ';');) {
            for (int m = ClockOf(piece.substr(0, 5)); m < ClockOf(piece.substr(6, 5)); m += 15) {
                at[m].first -= agents;
                at[m].second += agents;
            }
        }
    }
    return at;
}

TEST(CliShifts, WhatItPrintsAgreesWithItself) {
    const struct {
        const char* objective;
        std::string input;
        std::vector<std::string> options;
    } kCases[] = {{"cover", kDay, {}}, {"service", kCalls, kService}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.objective);
        const Outcome json = Cli(ShiftsArgs(c.input, Joined(c.options, {"--json"})));
        // The requirements from standard input read as from the file.
        std::ifstream file(c.input);
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        const Outcome csv = Cli(ShiftsArgs("-", c.options), text);
        const Outcome coverage = Cli(ShiftsArgs(c.input, Joined(c.options, {"--coverage"})));
        for (const Outcome* o : {&json, &csv, &coverage}) {
            ASSERT_EQ(o->status, 0) << o->err;
            EXPECT_EQ(o->err, "");
        }
        const Json j = Json::parse(json.out);
        EXPECT_EQ(j["status"], "optimal");
        const std::vector<std::string> rows = CsvLines(csv.out);
        ASSERT_EQ(rows.size(), j["shifts"].size() + 1);
        EXPECT_EQ(rows[0], "shift,start,end,breaks,agents");
        int agents = 0;
        for (std::size_t i = 0; i < j["shifts"].size(); ++i) {
            const Json& s = j["shifts"][i];
            EXPECT_EQ(rows[i + 1],
                      s["shift"].get<std::string>() + "," + s["start"].get<std::string>() + "," +
                          s["end"].get<std::string>() + "," + s["breaks"].get<std::string>() + "," +
                          std::to_string(s["agents"].get<int>()));
            agents += s["agents"].get<int>();
        }
        EXPECT_EQ(j["agents"], agents);
        const std::map<int, std::pair<int, int>> recounted = Recount(j["shifts"]);
        const std::vector<std::string> periods = CsvLines(coverage.out);
        ASSERT_EQ(periods.size(), j["coverage"].size() + 1);
        const bool service = std::string(c.objective) == "service";
        EXPECT_EQ(periods[0], service ? "start,calls,on-phones,on-break,over,short,service-level"
                                      : "start,required,on-phones,on-break,over,short");
        const std::vector<std::string> given = CsvLines(text);
        double calls = 0, answered = 0;
        for (std::size_t i = 0; i < j["coverage"].size(); ++i) {
            const Json& p = j["coverage"][i];
            const std::string start = p["start"];
            const auto [phones, breaks] =
                recounted.contains(ClockOf(start)) ? recounted.at(ClockOf(start)) : std::pair{0, 0};
            EXPECT_EQ(p["on-phones"], phones) << start;
            EXPECT_EQ(p["on-break"], breaks) << start;
            const Json& need = p[service ? "calls" : "required"];
            EXPECT_EQ(given[i + 1], start + "," + std::to_string(need.get<int>()));
            std::string line = start + "," + std::to_string(need.get<int>());
            for (const char* key : {"on-phones", "on-break", "over", "short"}) {
                line += "," + std::to_string(p[key].get<int>());
            }
            if (service) {
                const bool level = !p["service-level"].is_null();
                EXPECT_EQ(level, need.get<double>() > 0) << start;
                line +=
                    level ? "," + teletraffic::ShowNumber(p["service-level"].get<double>()) : ",";
                calls += need.get<double>();
                answered += level ? need.get<double>() * p["service-level"].get<double>() : 0;
            } else {
                EXPECT_GE(phones, need.get<int>()) << start;
            }
            EXPECT_EQ(periods[i + 1], line);
        }
        if (service) {
            EXPECT_NEAR(j["service-level"].get<double>(), answered / calls, 1e-12);
            EXPECT_GE(j["service-level"].get<double>(), 0.8);
        }
    }
}

// A requirement before any template starts: short by it, named, status 1;
// priced by --shortage-cost, the cost holds it and the status is 0.
TEST(CliShifts, PeriodsShortAreNamed) {
    std::ifstream file(kDay);
    std::string text{std::istreambuf_iterator<char>(file), {}};
    text.replace(text.find("start,agents\n") + 13, 0, "07:30,2\n07:45,1\n");
    const Outcome plain = Cli(ShiftsArgs("-"), text);
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.err.find("2 periods short of the requirement, 3 agent-periods in all"),
              std::string::npos)
        << plain.err;
    EXPECT_NE(plain.err.find("07:30 by 2, 07:45 by 1"), std::string::npos) << plain.err;
    const Outcome priced = Cli(ShiftsArgs("-", {"--shortage-cost", "100", "--json"}), text);
    EXPECT_EQ(priced.status, 0) << priced.err;
    const Json j = Json::parse(priced.out);
    EXPECT_EQ(j["short"], 3);
    EXPECT_EQ(j["cost"].get<double>(), j["paid-hours"].get<double>() + 300);
}

TEST(CliShifts, RefusesNamingTheOptionFieldOrRow) {
    const std::string day = "start,agents\n08:00,1\n08:15,1\n";
    std::ifstream file(kCalls);
    std::string early{std::istreambuf_iterator<char>(file), {}};
    early.replace(early.find('\n') + 1, 0, "07:45,20\n");
    const Refused kRefusals[] = {
        {ShiftsArgs(kDay, {"--time-limit", "0"}),
         "--time-limit must be a number of seconds above 0, at most 1e6, got 0"},
        {ShiftsArgs(kDay, {"--objective", "cheapest"}), "\"cheapest\" is not cover or service"},
        {ShiftsArgs(kDay, {"--aht", "180"}), "--aht goes with --objective service, not cover"},
        {ShiftsArgs(kCalls, {"--objective", "service", "--aht", "180", "--target-time", "20"}),
         "--service-level is required with --objective service"},
        {ShiftsArgs(kCalls, Joined(kService, {"--shortage-cost", "2"})),
         "--shortage-cost goes with --objective cover, not service"},
        {ShiftsArgs(kDay, {"--interval", "7"}),
         "--interval must be a whole number of minutes dividing a day, got 7"},
        {ShiftsArgs(kDay, {"--lines", "2.5", "--objective", "service"}),
         "--lines must be a whole number from 1 to 2e9"},
        {ShiftsArgs(kCalls), "no column agents"},
        {ShiftsArgs("-"), "--input - line 4: the period 08:00 is given again", day + "08:00,2\n"},
        {ShiftsArgs(kShiftsData + "none.csv"),
         "--input " + kShiftsData + "none.csv cannot be opened"},
        {{"shifts", "--input", "-", "--shifts", "-"}, "cannot both read standard input"},
        {{"shifts", "--input", kDay, "--shifts", "-"},
         "--shifts -: template 'a': breaks[0] is longer than its window",
         R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "8:00",
              "breaks": [{"length": 45, "after": "2:00", "before": "2:30"}]}])"},
        {ShiftsArgs("-", kService), "no schedule: no shift can be on the phones at 07:45", early},
    };
    ExpectEachRefused(kRefusals);
}

} // namespace
