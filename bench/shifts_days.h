// Realistic days for the shift benchmarks and the measurement of service
// against cover: calls per 15-minute period of a centre open 07:00 to 22:00,
// 180 s a call, 80 % within 20 s; three templates starting over windows of
// four hours, 8:30 long with three breaks (15, an unpaid 30, 15).
#pragma once

#include "shifts/schedule.h"
#include "shifts/templates.h"
#include "teletraffic/erlang_c.h"

#include <cmath>
#include <string>
#include <vector>

namespace shifts_days {

inline constexpr double kAht = 180;
inline constexpr double kTargetTime = 20;
inline constexpr double kLevel = 0.8;

inline const char* const kTemplates = R"({"shifts": [
  {"name": "early", "start": {"earliest": "06:00", "latest": "10:00", "step": 15},
   "length": "8:30",
   "breaks": [{"length": 15, "after": "1:30", "before": "3:00"},
              {"length": 30, "after": "3:30", "before": "5:30", "paid": false},
              {"length": 15, "after": "5:30", "before": "7:30"}]},
  {"name": "day", "start": {"earliest": "09:00", "latest": "13:00", "step": 15},
   "length": "8:30",
   "breaks": [{"length": 15, "after": "1:30", "before": "3:00"},
              {"length": 30, "after": "3:30", "before": "5:30", "paid": false},
              {"length": 15, "after": "5:30", "before": "7:30"}]},
  {"name": "late", "start": {"earliest": "11:30", "latest": "15:30", "step": 15},
   "length": "8:30",
   "breaks": [{"length": 15, "after": "1:30", "before": "3:00"},
              {"length": 30, "after": "3:30", "before": "5:30", "paid": false},
              {"length": 15, "after": "5:30", "before": "7:30"}]}
]})";

// Calls in the 15 minutes from `minute` (of the day) on a day shaped by `kind`.
enum class Shape { DoublePeak, MorningRise, Saturday, Sunday };

inline double Calls(Shape shape, int minute) {
    const double h = minute / 60.0;
    if (h < 7 || h >= 22) {
        return 0;
    }
    const auto bump = [h](double at, double width) {
        return std::exp(-0.5 * std::pow((h - at) / width, 2));
    };
    switch (shape) {
    case Shape::DoublePeak:
        return std::round(12 + 110 * bump(10.5, 1.4) + 90 * bump(15, 1.6) + 25 * bump(19.5, 1.2));
    case Shape::MorningRise:
        // Quiet until 08:00, then a wall of calls that ebbs through the day.
        return std::round(h < 8 ? 8 + 4 * (h - 7) : 20 + 140 * std::exp(-(h - 8) / 3.5));
    case Shape::Saturday:
        return std::round(8 + 60 * bump(11.5, 2));
    case Shape::Sunday:
        return std::round(5 + 35 * bump(13, 2.5));
    }
    return 0;
}

struct Day {
    std::vector<std::string> starts;
    std::vector<double> calls;
};

inline Day OneDay(Shape shape) {
    Day day;
    for (int m = 0; m < 1440; m += 15) {
        day.starts.push_back(shifts::ClockText(m));
        day.calls.push_back(Calls(shape, m));
    }
    return day;
}

// Monday to Friday double-peaked, each a little busier than the next, then
// the weekend.
inline Day OneWeek() {
    Day week;
    for (int d = 0; d < 7; ++d) {
        const Shape shape = d < 5 ? Shape::DoublePeak : d == 5 ? Shape::Saturday : Shape::Sunday;
        for (int m = 0; m < 1440; m += 15) {
            week.starts.push_back(shifts::WeekText(d * 1440 + m));
            week.calls.push_back(std::round(Calls(shape, m) * (d < 5 ? 1.1 - 0.04 * d : 1)));
        }
    }
    return week;
}

// Today's per-interval staffing: the fewest agents meeting the level in
// each period alone (Erlang C).
inline std::vector<double> AgentsFor(const Day& day) {
    std::vector<double> agents;
    for (const double calls : day.calls) {
        const double traffic = calls * kAht / (15 * 60.0);
        agents.push_back(
            static_cast<double>(teletraffic::ErlangCAgents(traffic, kAht, kTargetTime, kLevel)));
    }
    return agents;
}

inline shifts::Problem CoverProblem(const Day& day, double timeLimit = 60) {
    shifts::Problem problem;
    problem.settings.timeLimit = timeLimit;
    problem.requirements =
        shifts::RequirementsFrom(day.starts, AgentsFor(day), problem.settings.Source("the day"));
    problem.templates = shifts::ReadTemplates(kTemplates, "the templates");
    return problem;
}

inline shifts::Problem ServiceProblem(const Day& day, double level, double timeLimit = 60) {
    shifts::Problem problem;
    problem.settings.objective = shifts::Objective::Service;
    problem.settings.timeLimit = timeLimit;
    problem.settings.serviceLevel = level;
    problem.settings.centre.aht = kAht;
    problem.settings.centre.targetTime = kTargetTime;
    problem.requirements =
        shifts::RequirementsFrom(day.starts, day.calls, problem.settings.Source("the day"));
    problem.templates = shifts::ReadTemplates(kTemplates, "the templates");
    return problem;
}

} // namespace shifts_days
