// From agents (or calls) per period to shifts people can work, optimal: the
// room's entry. The pieces, bottom up: the horizon and its clock texts
// (horizon.h); the requirements per period, from CSV or arrays
// (requirements.h); the shift templates from JSON (templates.h), laid on the
// requirements' grid (shift_set.h); each period's service level by count
// from the engine (service.h); the mixed-integer programme with its breaks
// placed inside it (model.h) and a solver behind an interface of our own
// (mip.h, CBC in cbc_solver.h); the options as one table in the registry's
// form that the front ends derive from (arguments.h), applied by options.h;
// and a check of any schedule that shares none of the model
// (verify.h).
//
// Objectives. Cover: every period gets at least its agents on the phones;
// where no choice of shifts can, the fewest agent-periods short first, then
// the least cost (or, given a shortage cost, each agent-period short priced
// inside the one objective). Service: the calls-weighted service level of
// the horizon at least p, no period with calls below q, at the least cost.
//
// Solve runs on the caller's thread and may be called from several at once;
// SolveJob runs it on a thread of its own, to be cancelled, polled or waited
// for. The time limit bounds the whole solve; the answer is then the best
// found, with its proven gap.
#pragma once

#include "shifts/arguments.h"
#include "shifts/error.h"
#include "shifts/requirements.h"
#include "shifts/service.h"
#include "shifts/templates.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace shifts {

struct Settings {
    Objective objective = Objective::Cover;
    std::optional<double> shortageCost; // cover: each agent-period short, in the unit of cost
    double timeLimit = 60;              // seconds
    bool cyclic = false;
    std::optional<int> interval; // minutes; unset: from the requirements
    // Service.
    std::optional<double> serviceLevel;    // p, of the horizon, calls-weighted
    std::optional<double> minServiceLevel; // q, of each period with calls; unset: p / 2
    Centre centre;

    // How the requirements are read under these settings.
    RequirementSource Source(std::string name) const;
};

struct Problem {
    Requirements requirements;
    std::vector<ShiftTemplate> templates;
    Settings settings;
    std::string templatesName = "the shift templates"; // as messages name them
};

// Times are minutes from the start of the horizon's first period; a shift of
// a cyclic horizon may run past its end (Horizon::Label wraps them).
struct BreakTime {
    int start;
    int length;
};

struct Group {
    int templateIndex;
    std::string shift; // the template's name
    int start;
    int length;
    std::vector<BreakTime> breaks;
    int agents;
    double cost;      // of one agent
    double paidHours; // of one agent
};

struct PeriodCoverage {
    int start; // minutes from the first period
    // Cover: the agents the period needs; service: the fewest that alone
    // meet the level p there (the per-interval plan), for over and short.
    double required;
    double calls; // service; NaN under cover
    int onPhones;
    int onBreak;
    int over;
    int shortBy;
    double serviceLevel; // service, NaN where the period has no calls or under cover
};

enum class Status { Optimal, Feasible };

struct Summary {
    Status status = Status::Feasible;
    double gap = 0;  // relative, (cost - bound) / cost
    double cost = 0; // the shifts' cost, with the shortage's where it is priced
    int agents = 0;
    double paidHours = 0;
    int shortPeriods = 0;
    int agentPeriodsShort = 0;
    double serviceLevel = NAN; // service: of the horizon
    double seconds = 0;
    // The size of the (last) programme solved.
    int columns = 0;
    int integerColumns = 0;
    int rows = 0;
};

struct Schedule {
    Horizon horizon;
    std::vector<Group> groups; // by start, then template, then breaks
    std::vector<PeriodCoverage> coverage;
    Summary summary;
};

// The breaks as "HH:MM-HH:MM" pieces joined by ";" ("DAY HH:MM-DAY HH:MM" in a week).
std::string BreaksText(const Horizon& horizon, const Group& group);

struct Progress {
    double seconds = 0;
    std::string stage; // "shortage", "cost" or "service"
    double best = NAN; // the best objective found so far, NaN: none yet
    double bound = NAN;
    long nodes = 0;
};

struct Control {
    std::function<void(const Progress&)> progress; // called on the solving thread
    const std::atomic<bool>* cancel = nullptr;
};

// Throws InputError for inputs refused (naming the field, option, template
// or row), NoSchedule where none exists or none was found in time.
Schedule Solve(const Problem& problem, const Control& control = {});

// A solve on its own thread. The destructor cancels it and waits.
class SolveJob {
public:
    explicit SolveJob(Problem problem, std::function<void(const Progress&)> progress = {});
    ~SolveJob();
    SolveJob(const SolveJob&) = delete;
    SolveJob& operator=(const SolveJob&) = delete;

    void Cancel() { cancel_.store(true); }
    bool Done() const { return done_.load(); }
    // Waits, then returns the schedule or throws what Solve threw.
    Schedule Get();

private:
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::optional<Schedule> schedule_;
    std::exception_ptr error_;
    std::thread thread_;
};

} // namespace shifts
