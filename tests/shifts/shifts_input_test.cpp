// The room's readers: what a requirement file, a template file and the
// options accept, and every refusal naming what it refuses.
#include "shifts/options.h"
#include "shifts/requirements.h"
#include "shifts/schedule.h"
#include "shifts/shift_set.h"
#include "shifts/templates.h"
#include "teletraffic/error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>

namespace {

using shifts::InputError;

shifts::RequirementSource Source(shifts::Measure measure = shifts::Measure::Agents) {
    shifts::RequirementSource source;
    source.name = "day.csv";
    source.measure = measure;
    return source;
}

struct ReadCase {
    const char* behaviour;
    const char* csv;
    shifts::Span span;
    int interval, first, periods;
    double firstValue, lastValue;
};

const ReadCase kReads[] = {
    {"a day in order", "start,agents\n07:00,3\n07:15,4\n07:30,5\n", shifts::Span::Day, 15, 420, 3,
     3, 5},
    {"rows out of order are put in time order", "start,agents\n07:30,5\n07:00,3\n07:15,4\n",
     shifts::Span::Day, 15, 420, 3, 3, 5},
    {"a night past midnight reads as it runs", "start,agents\n23:30,1\n00:00,2\n00:30,3\n23:00,9\n",
     shifts::Span::Day, 30, 1380, 4, 9, 3},
    {"a week as DAY HH:MM", "start,agents\nmon 23:30,1\ntue 00:00,2\n", shifts::Span::Week, 30,
     1410, 2, 1, 2},
    {"a week by a day column, other columns left alone",
     "Day,Start,calls,Agents\nsun,23:00,5,7\nmon,00:00,5,8\n", shifts::Span::Week, 60,
     6 * 1440 + 1380, 2, 7, 8},
    {"a byte-order mark, CRLF and a blank last line", "\xEF\xBB\xBFstart,agents\r\n08:00,1\r\n\r\n",
     shifts::Span::Day, 15, 480, 1, 1, 1},
};

TEST(ShiftsRequirements, ReadsTheGrid) {
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.behaviour);
        const shifts::Requirements r = shifts::ReadRequirements(c.csv, Source());
        EXPECT_EQ(r.horizon.span, c.span);
        EXPECT_EQ(r.horizon.interval, c.interval);
        EXPECT_EQ(r.horizon.first, c.first);
        EXPECT_EQ(r.horizon.periods, c.periods);
        EXPECT_EQ(r.values.front(), c.firstValue);
        EXPECT_EQ(r.values.back(), c.lastValue);
    }
}

struct RefusalCase {
    const char* behaviour;
    const char* csv;
    const char* message; // a part of it
};

const RefusalCase kRefusals[] = {
    {"missing period", "start,agents\n07:00,1\n07:15,1\n07:45,1\n",
     "no period 07:30 between 07:15 (day.csv line 3) and 07:45"},
    {"duplicated period", "start,agents\n07:00,1\n07:15,1\n07:00,2\n",
     "day.csv line 4: the period 07:00 is given again (first at day.csv line 2)"},
    {"period off the grid", "start,agents\n07:00,1\n07:15,1\n07:40,1\n",
     "day.csv line 4: the period 07:40 is not on the 15-minute grid"},
    {"negative requirement", "start,agents\n07:00,-1\n",
     "day.csv line 2: agents must be 0 or more"},
    {"fractional requirement", "start,agents\n07:00,1.5\n", "agents must be a whole number"},
    {"decimal comma", "start,agents\n07:00,\"1,5\"\n", "agents '1,5' is not a number"},
    {"not a time", "start,agents\n7h00,1\n", "start '7h00' is not a time"},
    {"unknown weekday", "day,start,agents\nmonday,07:00,1\nfunday,07:15,1\n",
     "day.csv line 3: day 'funday' is not a weekday"},
    {"a day and a week mixed", "start,agents\n07:00,1\nmon 07:15,1\n",
     "line 3: the start names a day"},
    {"no agents column", "start,calls\n07:00,1\n", "no column agents"},
    {"short row", "start,agents\n07:00\n", "line 2: this row has 1 fields, the header 2"},
    {"empty", "", "day.csv is empty"},
    {"interval not dividing a day", "start,agents\n07:00,1\n07:07,1\n", "7 minutes apart"},
    {"two gaps round the day", "start,agents\n23:30,1\n00:00,1\n01:00,1\n01:30,1\n",
     "no period 00:30 between 00:00"},
};

TEST(ShiftsRequirements, RefusesNamingTheRow) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.behaviour);
        try {
            shifts::ReadRequirements(c.csv, Source());
            ADD_FAILURE() << "accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(ShiftsRequirements, CyclicNeedsTheWholeDay) {
    shifts::RequirementSource source = Source();
    source.cyclic = true;
    EXPECT_THROW(shifts::ReadRequirements("start,agents\n07:00,1\n07:15,1\n", source), InputError);
    std::string day = "start,agents\n";
    for (int m = 0; m < 1440; m += 60) {
        day += shifts::ClockText(m) + ",1\n";
    }
    EXPECT_EQ(shifts::ReadRequirements(day, source).horizon.periods, 24);
}

TEST(ShiftsRequirements, ArraysReadAsTheCsv) {
    const std::vector<std::string> starts = {"08:30", "08:00", "09:00"};
    const std::vector<double> calls = {2.5, 1, 3};
    const shifts::Requirements r =
        shifts::RequirementsFrom(starts, calls, Source(shifts::Measure::Calls));
    EXPECT_EQ(r.horizon.first, 480);
    EXPECT_EQ(r.values, (std::vector<double>{1, 2.5, 3}));
    const std::vector<double> bad = {1, -2, 3};
    EXPECT_THROW(shifts::RequirementsFrom(starts, bad, Source()), InputError);
}

const RefusalCase kTemplateRefusals[] = {
    {"a template without starts", R"([{"name": "a", "length": "8:00"}])",
     "template 'a': start is missing"},
    {"a break longer than its window",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "8:00",
          "breaks": [{"length": 45, "after": "2:00", "before": "2:30"}]}])",
     "template 'a': breaks[0] is longer than its window"},
    {"an empty length range",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": {"min": "6:00", "max": "4:00"}}])",
     "length is an empty range"},
    {"an unknown weekday",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "8:00", "days": ["mon", "xyz"]}])",
     "days[1] is not a weekday"},
    {"breaks no placement can hold in order",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "4:00",
          "breaks": [{"length": 60, "after": "1:00", "before": "2:30"},
                     {"length": 60, "after": "1:00", "before": "2:30"}]}])",
     "breaks[1] cannot be placed in a shift of 4:00 after the breaks before it"},
    {"a length of a range too short for its breaks",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": {"min": "2:00", "max": "6:00"},
          "breaks": [{"length": 30, "after": "2:00", "before": "4:00"}]}])",
     "breaks[0] cannot be placed in a shift of 2:00"},
    {"a misspelt field", R"([{"name": "a", "start": {"earliest": "08:00"}, "lenght": "8:00"}])",
     "lenght is not a field"},
    {"max below min",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "8:00", "min": 3, "max": 2}])",
     "max must be at least min"},
    {"a cost of 0",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "8:00", "cost": 0}])",
     "cost must be a number above 0"},
    {"two templates of one name",
     R"([{"name": "a", "start": {"earliest": "08:00"}, "length": "8:00"},
         {"name": "a", "start": {"earliest": "09:00"}, "length": "8:00"}])",
     "template 'a' is named twice"},
    {"not JSON", R"({"shifts": [)", "t.json: not JSON"},
    {"a number past the double's range", R"([{"name": "a", "min": 7e777}])",
     "t.json: not JSON: [json.exception.out_of_range.406] number overflow"},
};

TEST(ShiftsTemplates, RefusesNamingTheTemplateAndField) {
    for (const RefusalCase& c : kTemplateRefusals) {
        SCOPED_TRACE(c.behaviour);
        try {
            shifts::ReadTemplates(c.csv, "t.json");
            ADD_FAILURE() << "accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(ShiftsTemplates, DeepNestingIsRefusedNotRecursedInto) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string json =
        R"([{"name": "a", "start": {"earliest": "08:00"}, "length": )" + deep + "}]";
    EXPECT_THROW(shifts::ReadTemplates(json, "t.json"), InputError);
}

TEST(ShiftsTemplates, PaidHoursLeaveOutUnpaidBreaks) {
    const auto t = shifts::ReadTemplates(R"({"shifts": [
        {"name": "early", "start": {"earliest": "06:00", "latest": "09:00", "step": 15},
         "length": "8:30", "breaks": [{"length": 30, "after": "3:30", "before": "5:30", "paid": false},
                                      {"length": 15, "after": "5:30", "before": "7:30"}]},
        {"name": "part", "start": {"earliest": "10:00"}, "length": {"min": 240, "max": "6:00", "step": 30},
         "cost": 5}]})",
                                         "t.json");
    EXPECT_EQ(t[0].PaidHours(510), 8);
    EXPECT_EQ(t[1].Lengths(15), (std::vector<int>{240, 270, 300, 330, 360}));
    EXPECT_EQ(t[1].Cost(300), 5);
}

// What only the requirements' grid can refuse.
TEST(ShiftsTemplates, RefusesWhatMissesTheGrid) {
    const shifts::Requirements day =
        shifts::ReadRequirements("start,agents\n08:00,1\n08:30,1\n09:00,1\n09:30,1\n", Source());
    const RefusalCase kOffGrid[] = {
        {"a start off the grid", R"([{"name": "a", "start": {"earliest": "08:15"}, "length": 60}])",
         "template 'a': start.earliest 08:15 is not on the 30-minute grid"},
        {"a step finer than the grid",
         R"([{"name": "a", "start": {"earliest": "08:00", "latest": "09:00", "step": 15}, "length": 60}])",
         "start.step (0:15) is not a whole number of the 30-minute periods"},
        {"a break finer than the grid",
         R"([{"name": "a", "start": {"earliest": "08:00"}, "length": 120,
              "breaks": [{"length": 15, "after": 30, "before": 90}]}])",
         "breaks[0].length (0:15)"},
        {"no shift within the horizon",
         R"([{"name": "a", "start": {"earliest": "09:00"}, "length": 120}])",
         "template 'a': none of its shifts lies within the requirements' periods (08:00 to 10:00)"},
        {"a length step finer than the grid",
         R"([{"name": "a", "start": {"earliest": "08:00"}, "length": {"min": 60, "max": 120, "step": 15}}])",
         "length.step (0:15)"},
        {"a day named in a day's horizon",
         R"([{"name": "a", "start": {"earliest": "mon 08:00"}, "length": 60}])",
         "start names a day, but the requirements are for a day"},
    };
    // Steps not given are the grid's: 08:00, 08:30, 09:00, each 1:00 or 1:30 long
    // (those from 09:00 only 1:00, to end by 10:00).
    EXPECT_EQ(shifts::LayOnGrid(shifts::ReadTemplates(R"([{"name": "a",
                  "start": {"earliest": "08:00", "latest": "09:00"},
                  "length": {"min": 60, "max": 90}}])",
                                                      "t.json"),
                                day.horizon, "t.json")
                  .size(),
              5u);
    for (const RefusalCase& c : kOffGrid) {
        SCOPED_TRACE(c.behaviour);
        try {
            shifts::LayOnGrid(shifts::ReadTemplates(c.csv, "t.json"), day.horizon, "t.json");
            ADD_FAILURE() << "accepted";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// Templates that would give a programme past memory, or one whose building
// alone would outlast any time limit, are refused as they are laid, naming
// the template: too many shifts, or too many break starts and periods.
TEST(ShiftsTemplates, RefusesAProgrammeTooLargeToHold) {
    std::string csv = "start,agents\n";
    for (int m = 0; m < 1440; ++m) {
        csv += shifts::ClockText(m) + ",1\n";
    }
    const shifts::Requirements minutes = shifts::ReadRequirements(csv, Source());
    for (const char* json : {
             R"([{"name": "any", "start": {"earliest": "00:00", "latest": "23:59"},
                  "length": {"min": 60, "max": 600}}])",
             R"([{"name": "any", "start": {"earliest": "00:00", "latest": "23:59"}, "length": 480,
                  "breaks": [{"length": 30, "after": 60, "before": 420}]}])",
         }) {
        try {
            shifts::LayOnGrid(shifts::ReadTemplates(json, "t.json"), minutes.horizon, "t.json");
            ADD_FAILURE() << "accepted " << json;
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find("t.json: template 'any': the templates give more "
                                                 "shifts and break starts than a programme can "
                                                 "hold"),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(ShiftsHorizon, LabelsWrapRoundTheCycle) {
    shifts::Horizon day;
    day.first = 22 * 60;
    shifts::Horizon week = day;
    week.span = shifts::Span::Week;
    week.first = 6 * 1440 + 22 * 60; // sun 22:00
    const struct {
        const shifts::Horizon* horizon;
        int offset;
        const char* label;
    } kLabels[] = {{&day, 0, "22:00"},
                   {&day, 150, "00:30"},
                   {&day, -1440, "22:00"},
                   {&week, 0, "sun 22:00"},
                   {&week, 150, "mon 00:30"}};
    for (const auto& c : kLabels) {
        EXPECT_EQ(c.horizon->Label(c.offset), c.label);
    }
    shifts::Group g{0, "night", 0, 480, {{120, 30}, {300, 15}}, 1, 8, 8};
    EXPECT_EQ(shifts::BreaksText(week, g), "mon 00:00-mon 00:30;mon 03:00-mon 03:15");
}

// Each option refused outside its rule by a DomainError over its row, which
// the front ends word; words in any spelling.
TEST(ShiftsOptions, EachRowChecksItsDomain) {
    namespace tt = teletraffic;
    shifts::Settings s;
    shifts::SetWord(s, shifts::About(shifts::Argument::Objective), "Service");
    EXPECT_EQ(s.objective, shifts::Objective::Service);
    shifts::SetOption(s, shifts::About(shifts::Argument::TimeLimit), 2.5);
    EXPECT_EQ(s.timeLimit, 2.5);
    shifts::SetWord(s, tt::About(tt::Argument::Basis), "excluding_short_abandons");
    EXPECT_EQ(s.centre.basis, tt::Basis::ExcludingShortAbandons);
    const struct {
        const char* option;
        double value;
        const char* message;
    } kBad[] = {
        {"time-limit", 0, "time limit must be a number of seconds above 0, at most 1e6, got 0"},
        {"service-level", 1, "service level must be from 0 up to but not including 1, got 1"},
        {"lines", 2.5, "lines must be a whole number from 1 to 2e9, or none"},
        {"interval", 0, "interval must be a whole number of minutes from 1 to 1440, got 0"},
        {"aht", 2e6, "average handling time must be a number of seconds above 0, at most 1e6"},
        {"objective", 2, "objective must be one of its words"},
    };
    for (const auto& c : kBad) {
        const shifts::OptionUse* use = shifts::OptionNamed(c.option);
        ASSERT_NE(use, nullptr) << c.option;
        try {
            shifts::SetOption(s, *use->argument, c.value);
            ADD_FAILURE() << c.option << " accepted";
        } catch (const tt::DomainError& e) {
            EXPECT_EQ(&e.about(), use->argument);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(shifts::SetWord(s, shifts::About(shifts::Argument::Objective), "cheapest"),
                 InputError);
}

// A row the table gains must reach Settings: a value inside its domain
// changes what the solve is given.
TEST(ShiftsOptions, EveryRowReachesTheSettings) {
    const auto digest = [](const shifts::Settings& s) {
        const shifts::Centre& c = s.centre;
        std::vector<double> values{static_cast<double>(s.objective),
                                   s.shortageCost.value_or(-1),
                                   s.timeLimit,
                                   static_cast<double>(s.cyclic),
                                   static_cast<double>(s.interval.value_or(-1)),
                                   s.serviceLevel.value_or(-1),
                                   s.minServiceLevel.value_or(-1),
                                   c.aht,
                                   c.targetTime,
                                   c.patience,
                                   c.lines,
                                   c.redial,
                                   static_cast<double>(c.basis)};
        for (double& v : values) {
            v = std::isnan(v) ? -2 : v; // unset, and equal to itself
        }
        return values;
    };
    for (const shifts::OptionUse& use : shifts::kOptions) {
        SCOPED_TRACE(std::string(use.argument->option));
        shifts::Settings s;
        const std::vector<double> before = digest(s);
        // Inside the domain and off every default: the second word, the
        // flag set, a whole number above the least, a real within the range.
        const teletraffic::Domain& d = use.rule->domain;
        double value = 1;
        if (use.Choice() == nullptr && !use.IsFlag()) {
            value = d.whole ? d.min + 1 : (d.min + std::min(d.max, d.min + 2)) / 2;
        }
        shifts::SetOption(s, *use.argument, value);
        EXPECT_NE(digest(s), before);
    }
}

} // namespace
