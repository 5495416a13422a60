// Schedules against optima known another way (tests/data/shifts/
// make_reference.py: explicit placements by SciPy's milp, the smallest by
// enumeration), each schedule checked by the verifier; what a planner relies
// on beyond the optimum (periods short named, the same schedule every time,
// the time limit, the cancel, two solves at once); and the verifier itself,
// which must catch a schedule put wrong.
#include "shifts/error.h"
#include "shifts/schedule.h"
#include "shifts/verify.h"
#include "teletraffic/error.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <thread>

namespace {

using Json = nlohmann::json;

shifts::Problem FromReference(const Json& item) {
    shifts::Problem problem;
    shifts::Settings& s = problem.settings;
    s.objective =
        item["objective"] == "cover" ? shifts::Objective::Cover : shifts::Objective::Service;
    s.cyclic = item["cyclic"].get<bool>();
    const Json& given = item["settings"];
    const auto number = [&](const char* key) -> std::optional<double> {
        return given.contains(key) ? std::optional(given[key].get<double>()) : std::nullopt;
    };
    s.shortageCost = number("shortage_cost");
    s.serviceLevel = number("service_level");
    s.minServiceLevel = number("min_service_level");
    s.centre.aht = number("aht").value_or(NAN);
    s.centre.targetTime = number("target_time").value_or(NAN);
    const auto starts = item["starts"].get<std::vector<std::string>>();
    const auto values = item["values"].get<std::vector<double>>();
    problem.requirements = shifts::RequirementsFrom(starts, values, s.Source("reference"));
    problem.templates = shifts::ReadTemplates(item["templates"].dump(), "reference");
    return problem;
}

void ExpectSound(const shifts::Problem& problem, const shifts::Schedule& schedule) {
    for (const std::string& fault : shifts::Verify(problem, schedule)) {
        ADD_FAILURE() << fault;
    }
}

Json Reference() {
    std::ifstream in(SHIFTS_REFERENCE);
    return in ? Json::parse(in) : Json::array();
}

TEST(ShiftsOptima, MatchTheReference) {
    const Json reference = Reference();
    ASSERT_GE(reference.size(), 15u);
    for (const Json& item : reference) {
        SCOPED_TRACE(item["name"].get<std::string>() + " (" + item["method"].get<std::string>() +
                     ")");
        const shifts::Problem problem = FromReference(item);
        shifts::Schedule schedule;
        try {
            schedule = shifts::Solve(problem);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(schedule.summary.status, shifts::Status::Optimal);
        EXPECT_NEAR(schedule.summary.cost, item["cost"].get<double>(), 1e-9);
        if (problem.settings.objective == shifts::Objective::Cover) {
            EXPECT_EQ(schedule.summary.agentPeriodsShort, item["short"].get<int>());
        }
        ExpectSound(problem, schedule);
    }
}

// Templates of a planner's day: three breaks, windows of several hours.
constexpr const char* kDayTemplates = R"({"shifts": [
  {"name": "early", "start": {"earliest": "06:00", "latest": "09:00", "step": 15}, "length": "8:30",
   "breaks": [{"length": 15, "after": "1:30", "before": "3:00"},
              {"length": 30, "after": "3:30", "before": "5:30", "paid": false},
              {"length": 15, "after": "5:30", "before": "7:30"}]},
  {"name": "late", "start": {"earliest": "12:00", "latest": "15:30", "step": 15}, "length": "8:30",
   "breaks": [{"length": 15, "after": "1:30", "before": "3:00"},
              {"length": 30, "after": "3:30", "before": "5:30", "paid": false},
              {"length": 15, "after": "5:30", "before": "7:30"}]},
  {"name": "part", "start": {"earliest": "10:00", "latest": "17:00", "step": 30},
   "length": {"min": "4:00", "max": "6:00", "step": 30},
   "breaks": [{"length": 15, "after": "1:30", "before": "3:30"}]}]})";

// Agents (or calls) over a day from 07:00 to 22:00, two peaks.
std::vector<double> DayProfile(double scale) {
    std::vector<double> values;
    for (int m = 0; m < 1440; m += 15) {
        const double h = m / 60.0;
        const double v = 2 + 14 * std::exp(-0.5 * std::pow((h - 10.5) / 1.5, 2)) +
                         11 * std::exp(-0.5 * std::pow((h - 15.5) / 1.8, 2));
        values.push_back(h < 7 || h >= 22 ? 0 : std::round(v * scale));
    }
    return values;
}

shifts::Problem DayProblem(shifts::Objective objective, std::vector<double> values,
                           const char* templates = kDayTemplates) {
    shifts::Problem problem;
    problem.settings.objective = objective;
    std::vector<std::string> starts;
    for (int m = 0; m < 1440; m += 15) {
        starts.push_back(shifts::ClockText(m));
    }
    problem.requirements =
        shifts::RequirementsFrom(starts, values, problem.settings.Source("the day"));
    problem.templates = shifts::ReadTemplates(templates, "the templates");
    return problem;
}

TEST(ShiftsCover, PeriodsNoShiftReachesAreShortByTheirRequirement) {
    std::vector<double> values = DayProfile(1);
    values[4] = 3; // 01:00, before any shift
    values[1] = 2; // 00:15
    const shifts::Problem problem = DayProblem(shifts::Objective::Cover, values);
    const shifts::Schedule schedule = shifts::Solve(problem);
    EXPECT_EQ(schedule.summary.status, shifts::Status::Optimal);
    EXPECT_EQ(schedule.summary.agentPeriodsShort, 5);
    EXPECT_EQ(schedule.summary.shortPeriods, 2);
    EXPECT_EQ(schedule.coverage[4].shortBy, 3);
    EXPECT_EQ(schedule.coverage[1].shortBy, 2);
    ExpectSound(problem, schedule);
}

TEST(ShiftsCover, SameInputSameSchedule) {
    const shifts::Problem problem = DayProblem(shifts::Objective::Cover, DayProfile(1.5));
    const shifts::Schedule a = shifts::Solve(problem);
    const shifts::Schedule b = shifts::Solve(problem);
    ASSERT_EQ(a.groups.size(), b.groups.size());
    for (std::size_t i = 0; i < a.groups.size(); ++i) {
        EXPECT_EQ(a.groups[i].start, b.groups[i].start);
        EXPECT_EQ(a.groups[i].agents, b.groups[i].agents);
        EXPECT_EQ(shifts::BreaksText(a.horizon, a.groups[i]),
                  shifts::BreaksText(b.horizon, b.groups[i]));
    }
    ExpectSound(problem, a);
}

TEST(ShiftsCover, TwoSolvesAtOnceAnswerAsOne) {
    const shifts::Problem problem = DayProblem(shifts::Objective::Cover, DayProfile(2));
    const shifts::Schedule alone = shifts::Solve(problem);
    shifts::SolveJob first(problem), second(problem);
    const shifts::Schedule a = first.Get(), b = second.Get();
    for (const shifts::Schedule* s : {&a, &b}) {
        EXPECT_EQ(s->summary.cost, alone.summary.cost);
        EXPECT_EQ(s->groups.size(), alone.groups.size());
    }
}

// A week whose days a limit on one template links into one search too big
// to finish in a second.
shifts::Problem HardWeek(double timeLimit) {
    shifts::Problem problem;
    problem.settings.timeLimit = timeLimit;
    std::vector<std::string> starts;
    std::vector<double> values;
    const std::vector<double> day = DayProfile(3);
    for (int d = 0; d < 7; ++d) {
        for (int p = 0; p < 96; ++p) {
            starts.push_back(shifts::WeekText(d * 1440 + p * 15));
            values.push_back(std::round(day[static_cast<std::size_t>(p)] * (1 + 0.07 * d)));
        }
    }
    problem.requirements =
        shifts::RequirementsFrom(starts, values, problem.settings.Source("week"));
    std::string templates = kDayTemplates;
    templates.replace(templates.find("\"length\": {\"min\""), 0, "\"max\": 60, ");
    problem.templates = shifts::ReadTemplates(templates, "the templates");
    return problem;
}

shifts::Problem Limited(shifts::Problem problem, double seconds) {
    problem.settings.timeLimit = seconds;
    return problem;
}

// Whatever the time limit, a schedule stopped short of its proof says a
// gap whose bound lies at or below the optimum known another way (or, under
// cover, it has more periods short, the first objective, than the fewest):
// weeks whose days a limit or the week's level links.
TEST(ShiftsLimits, AStoppedSolvesBoundNeverPassesTheOptimum) {
    const Json reference = Reference();
    for (const char* name : {"week with a weekly max and min", "week of service"}) {
        const auto week =
            std::ranges::find(reference, name, [](const Json& i) { return i["name"]; });
        ASSERT_NE(week, reference.end()) << name;
        const double optimum = (*week)["cost"];
        const int fewest = (*week)["short"];
        const bool cover = (*week)["objective"] == "cover";
        for (const double limit : {0.02, 0.1, 0.5, 3.0}) {
            SCOPED_TRACE(std::string(name) + " in " + std::to_string(limit) + " s");
            shifts::Schedule schedule;
            const shifts::Problem problem = Limited(FromReference(*week), limit);
            try {
                schedule = shifts::Solve(problem);
            } catch (const shifts::NoSchedule&) {
                continue; // none found in time: an answer too
            }
            ExpectSound(problem, schedule);
            const shifts::Summary& s = schedule.summary;
            if (cover && s.agentPeriodsShort != fewest) {
                EXPECT_GT(s.agentPeriodsShort, fewest);
                EXPECT_EQ(s.status, shifts::Status::Feasible);
            } else if (s.status == shifts::Status::Optimal) {
                EXPECT_NEAR(s.cost, optimum, 1e-9);
            } else {
                EXPECT_GE(s.cost, optimum - 1e-9);
                EXPECT_LE(s.cost * (1 - s.gap), optimum + 1e-9) << "gap " << s.gap;
            }
        }
    }
}

TEST(ShiftsLimits, TheTimeLimitIsHonoured) {
    std::vector<double> huge = DayProfile(1);
    for (double& v : huge) {
        v *= 50000;
    }
    const struct {
        const char* behaviour;
        shifts::Problem problem;
        double within;
    } kCases[] = {
        {"a week linked into one search", HardWeek(1), 3},
        {"requirements of a million agents", Limited(DayProblem(shifts::Objective::Cover, huge), 2),
         4},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.behaviour);
        const auto start = std::chrono::steady_clock::now();
        try {
            const shifts::Schedule schedule = shifts::Solve(c.problem);
            EXPECT_TRUE(schedule.summary.status == shifts::Status::Optimal ||
                        schedule.summary.gap > 0);
            ExpectSound(c.problem, schedule);
        } catch (const shifts::NoSchedule& e) {
            EXPECT_NE(std::string(e.what()).find("time limit"), std::string::npos) << e.what();
        }
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  c.within);
    }
}

TEST(ShiftsLimits, ACancelledSolveStopsSoon) {
    shifts::SolveJob job(HardWeek(60));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto cancelled = std::chrono::steady_clock::now();
    job.Cancel();
    try {
        const shifts::Schedule schedule = job.Get();
        EXPECT_EQ(schedule.summary.status, shifts::Status::Feasible);
    } catch (const shifts::NoSchedule& e) {
        EXPECT_NE(std::string(e.what()).find("stopped"), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - cancelled).count(),
              2);
}

TEST(ShiftsLimits, AJobHandsBackTheRefusal) {
    shifts::Problem problem = DayProblem(shifts::Objective::Cover, DayProfile(1));
    problem.settings.timeLimit = -1;
    shifts::SolveJob job(problem);
    EXPECT_THROW(job.Get(), teletraffic::DomainError);
    EXPECT_TRUE(job.Done());
}

TEST(ShiftsService, ErlangAScheduleMeetsItsLevels) {
    shifts::Problem problem = DayProblem(shifts::Objective::Service, DayProfile(3));
    shifts::Settings& s = problem.settings;
    s.serviceLevel = 0.85;
    s.centre.aht = 240;
    s.centre.targetTime = 30;
    s.centre.patience = 120;
    const shifts::Schedule schedule = shifts::Solve(problem);
    EXPECT_EQ(schedule.summary.status, shifts::Status::Optimal);
    EXPECT_GE(schedule.summary.serviceLevel, 0.85);
    ExpectSound(problem, schedule);
}

TEST(ShiftsService, ErlangXScheduleReportsItsProgress) {
    shifts::Problem problem = DayProblem(shifts::Objective::Service, DayProfile(3));
    shifts::Settings& s = problem.settings;
    s.serviceLevel = 0.8;
    s.centre.aht = 180;
    s.centre.targetTime = 20;
    s.centre.lines = 40;
    s.centre.redial = 0.3;
    s.centre.basis = teletraffic::Basis::Answered;
    std::vector<shifts::Progress> seen;
    shifts::Control control;
    control.progress = [&seen](const shifts::Progress& p) { seen.push_back(p); };
    const shifts::Schedule schedule = shifts::Solve(problem, control);
    ExpectSound(problem, schedule);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().stage, "service");
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].seconds, seen[i - 1].seconds);
    }
}

TEST(ShiftsService, RefusesWhatNoScheduleCanReach) {
    std::vector<double> calls = DayProfile(6);
    calls[2] = 20; // 00:30, when no shift is on
    shifts::Problem problem = DayProblem(shifts::Objective::Service, calls);
    problem.settings.serviceLevel = 0.8;
    problem.settings.centre.aht = 180;
    problem.settings.centre.targetTime = 20;
    try {
        shifts::Solve(problem);
        ADD_FAILURE() << "solved";
    } catch (const shifts::NoSchedule& e) {
        EXPECT_NE(std::string(e.what()).find("at 00:30"), std::string::npos) << e.what();
    }
    problem.settings.minServiceLevel = 0;
    problem.settings.serviceLevel = 0.995; // the 20 calls lost weigh more than 0.5 %
    EXPECT_THROW(shifts::Solve(problem), shifts::NoSchedule);
}

// The verifier: each way of putting a sound schedule wrong is caught.
TEST(ShiftsVerify, CatchesEachFault) {
    shifts::Problem problem = DayProblem(shifts::Objective::Service, DayProfile(6));
    problem.settings.serviceLevel = 0.8;
    problem.settings.centre.aht = 180;
    problem.settings.centre.targetTime = 20;
    const shifts::Schedule sound = shifts::Solve(problem);
    ASSERT_TRUE(shifts::Verify(problem, sound).empty());
    const struct {
        const char* fault;
        std::function<void(shifts::Schedule&)> put;
    } kFaults[] = {
        {"a break moved out of its window",
         [](shifts::Schedule& s) { s.groups[0].breaks[0].start -= 60; }},
        {"two breaks overlapping",
         [](shifts::Schedule& s) {
             auto& b = s.groups[0].breaks;
             b[1].start = b[0].start;
         }},
        {"a start outside the window",
         [](shifts::Schedule& s) { s.groups[0].start += 24 * 60 / 2; }},
        {"a length the template lacks", [](shifts::Schedule& s) { s.groups[0].length += 15; }},
        {"an agent more than the coverage shows",
         [](shifts::Schedule& s) { s.groups[0].agents += 1; }},
        {"the cost misstated", [](shifts::Schedule& s) { s.summary.cost -= 1; }},
        {"the level misstated", [](shifts::Schedule& s) { s.summary.serviceLevel += 1e-6; }},
        {"a group removed, the level below the target",
         [](shifts::Schedule& s) { s.groups.erase(s.groups.begin() + 3); }},
        {"an unknown template", [](shifts::Schedule& s) { s.groups[0].shift = "night"; }},
    };
    for (const auto& c : kFaults) {
        shifts::Schedule wrong = sound;
        c.put(wrong);
        EXPECT_FALSE(shifts::Verify(problem, wrong).empty()) << c.fault;
    }
}

} // namespace
