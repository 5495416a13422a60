// The solve: the templates laid on the grid, the programme built for the
// objective, solved within the time left, the solution split into groups of
// agents with their breaks, and the coverage worked out from those groups
// (not from the programme's rows).
//
// Cover without a shortage cost is lexicographic. Where no template has a
// max, the fewest agent-periods short is known without a search: each
// period some shift can be on the phones for can be covered by enough of
// that shift, so only the periods out of every shift's reach are short, by
// their whole requirement. With a max that may not hold: a first programme
// finds the fewest short, the second the least cost among schedules short by
// no more.
//
// Service: the level row is met by the solver to its tolerance (some 1e-7);
// the schedule's own level, worked out from its counts, is what is
// reported, and where it falls short of p by that hair the programme is
// solved again with p raised by the miss.
#include "shifts/schedule.h"

#include "shifts/cbc_solver.h"
#include "shifts/error.h"
#include "shifts/model.h"
#include "shifts/options.h"
#include "shifts/shift_set.h"
#include "teletraffic/error.h"
#include "teletraffic/number_text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <tuple>

namespace shifts {
namespace {

using SteadyClock = std::chrono::steady_clock;

std::string Shown(double value) {
    return number_text::Show(value);
}

// The options by their rules, then the requirements against the objective.
void CheckProblem(const Problem& problem) {
    CheckSettings(problem.settings);
    const Objective objective = problem.settings.objective;
    const Measure wanted = objective == Objective::Cover ? Measure::Agents : Measure::Calls;
    if (problem.requirements.measure != wanted) {
        throw InputError(objective == Objective::Cover
                             ? "the objective cover needs the agents each period needs, not calls"
                             : "the objective service needs the calls of each period, not agents");
    }
}

// The unit every shift's cost (and the shortage's) is a whole multiple of,
// or 0: a search can then stop once it is within one unit of its bound.
double CostStep(const std::vector<Shift>& shifts, std::optional<double> shortageCost) {
    for (const double unit : {1.0, 0.5, 0.25, 1.0 / 12, 1.0 / 60}) {
        const auto whole = [unit](double cost) {
            const double n = cost / unit;
            return std::fabs(n - std::round(n)) <= 1e-9 * std::max(1.0, n);
        };
        if (std::ranges::all_of(shifts, [&](const Shift& s) { return whole(s.cost); }) &&
            (!shortageCost || whole(*shortageCost))) {
            return unit;
        }
    }
    return 0;
}

class Runner {
public:
    Runner(const Problem& problem, const Control& control)
        : problem_(problem)
        , control_(control)
        , start_(SteadyClock::now()) {}

    double Elapsed() const {
        return std::chrono::duration<double>(SteadyClock::now() - start_).count();
    }
    double Left() const { return problem_.settings.timeLimit - Elapsed(); }
    // When the time limit runs out.
    SteadyClock::time_point Deadline() const {
        return start_ + std::chrono::duration_cast<SteadyClock::duration>(
                            std::chrono::duration<double>(problem_.settings.timeLimit));
    }

    // Solves with at most `share` of the time left.
    // `infeasible` says why where none exists.
    MipResult Run(const MipProgramme& programme, const std::string& stage, double share,
                  const std::string& infeasible, std::vector<double> start = {}) {
        MipControl control;
        control.start = std::move(start);
        control.timeLimit = std::max(0.0, Left() * share);
        control.cancel = control_.cancel;
        if (control_.progress) {
            const double offset = Elapsed();
            control.progress = [this, stage, offset](const MipProgress& p) {
                Progress progress;
                progress.seconds = offset + p.seconds;
                progress.stage = stage;
                progress.best = std::isinf(p.best) ? NAN : p.best;
                progress.bound = std::isinf(p.bound) ? NAN : p.bound;
                progress.nodes = p.nodes;
                control_.progress(progress);
            };
        }
        columns_ = static_cast<int>(programme.columns.size());
        rows_ = static_cast<int>(programme.rows.size());
        integers_ = static_cast<int>(std::ranges::count_if(
            programme.columns, [](const MipProgramme::Column& c) { return c.integer; }));
        MipResult result = SolveByBlocks(CbcSolver(), programme, control);
        if (result.status == MipResult::Status::NoSolution) {
            const bool cancelled =
                result.stopped || (control_.cancel != nullptr && control_.cancel->load());
            throw NoSchedule(cancelled ? "the solve was stopped before any schedule was found"
                                       : "no schedule was found within the time limit of " +
                                             Shown(problem_.settings.timeLimit) + " s");
        }
        if (result.status == MipResult::Status::Infeasible) {
            throw NoSchedule(infeasible);
        }
        proven_ = proven_ && result.status == MipResult::Status::Optimal;
        return result;
    }

    bool Proven() const { return proven_; }
    // The schedule answered is not one a solve proved.
    void Unproven() { proven_ = false; }
    // Forgets the solves so far: they were for a start only.
    void ForgetProofs() { proven_ = true; }
    void Size(Summary& summary) const {
        summary.columns = columns_;
        summary.integerColumns = integers_;
        summary.rows = rows_;
    }
    bool Stopped() const {
        return Left() <= 0 || (control_.cancel != nullptr && control_.cancel->load());
    }

private:
    const Problem& problem_;
    const Control& control_;
    SteadyClock::time_point start_;
    bool proven_ = true;
    int columns_ = 0, integers_ = 0, rows_ = 0;
};

double Gap(const MipResult& result) {
    if (result.status == MipResult::Status::Optimal) {
        return 0;
    }
    return std::max(0.0, (result.objective - result.bound) /
                             std::max(std::fabs(result.objective), 1e-9));
}

struct Solution {
    std::vector<ScheduleModel::Split> splits;
    double gap = 0;
};

Schedule Build(const Problem& problem, const std::vector<Shift>& shifts, const Solution& solution,
               const std::vector<double>& required) {
    const Horizon& h = problem.requirements.horizon;
    const int interval = h.interval;
    Schedule schedule;
    schedule.horizon = h;
    std::vector<int> phones(static_cast<std::size_t>(h.periods), 0);
    std::vector<int> breaks(static_cast<std::size_t>(h.periods), 0);
    for (std::size_t s = 0; s < shifts.size(); ++s) {
        const ScheduleModel::Split& split = solution.splits[s];
        const Shift& shift = shifts[s];
        for (int i = 0; i < split.agents;) {
            // Agents i to j - 1 take the same breaks.
            int j = i + 1;
            const auto same = [&](int a, int b) {
                return std::ranges::all_of(split.breakStarts, [&](const std::vector<int>& starts) {
                    return starts[static_cast<std::size_t>(a)] ==
                           starts[static_cast<std::size_t>(b)];
                });
            };
            while (j < split.agents && same(i, j)) {
                ++j;
            }
            Group g;
            g.templateIndex = shift.templateIndex;
            g.shift = problem.templates[static_cast<std::size_t>(shift.templateIndex)].name;
            g.start = shift.start * interval;
            g.length = shift.length * interval;
            g.agents = j - i;
            g.cost = shift.cost;
            g.paidHours = shift.paidHours;
            for (std::size_t k = 0; k < shift.breaks.size(); ++k) {
                const int r = split.breakStarts[k][static_cast<std::size_t>(i)];
                g.breaks.push_back(
                    {(shift.start + r) * interval, shift.breaks[k].length * interval});
            }
            schedule.groups.push_back(std::move(g));
            i = j;
        }
    }
    std::ranges::sort(schedule.groups, [](const Group& a, const Group& b) {
        const auto key = [](const Group& g) {
            std::vector<int> breakStarts;
            for (const BreakTime& t : g.breaks) {
                breakStarts.push_back(t.start);
            }
            return std::tuple(g.start, g.templateIndex, g.length, breakStarts);
        };
        return key(a) < key(b);
    });
    Summary& sum = schedule.summary;
    for (const Group& g : schedule.groups) {
        for (int m = 0; m < g.length; m += interval) {
            phones[static_cast<std::size_t>((g.start + m) / interval % h.periods)] += g.agents;
        }
        for (const BreakTime& b : g.breaks) {
            for (int m = 0; m < b.length; m += interval) {
                const auto p = static_cast<std::size_t>((b.start + m) / interval % h.periods);
                phones[p] -= g.agents;
                breaks[p] += g.agents;
            }
        }
        sum.agents += g.agents;
        sum.cost += g.agents * g.cost;
        sum.paidHours += g.agents * g.paidHours;
    }
    const bool service = problem.settings.objective == Objective::Service;
    double calls = 0, answered = 0;
    for (int p = 0; p < h.periods; ++p) {
        const auto i = static_cast<std::size_t>(p);
        PeriodCoverage c;
        c.start = p * interval;
        c.required = required[i];
        c.calls = service ? problem.requirements.values[i] : NAN;
        c.onPhones = phones[i];
        c.onBreak = breaks[i];
        c.over = std::max(0, c.onPhones - static_cast<int>(c.required));
        c.shortBy = std::max(0, static_cast<int>(c.required) - c.onPhones);
        c.serviceLevel = NAN;
        if (service && c.calls > 0) {
            const Centre& centre = problem.settings.centre;
            c.serviceLevel = LevelAt(TrafficOf(c.calls, interval, centre), c.onPhones, centre);
            calls += c.calls;
            answered += c.calls * c.serviceLevel;
        }
        sum.shortPeriods += c.shortBy > 0 ? 1 : 0;
        sum.agentPeriodsShort += c.shortBy;
        schedule.coverage.push_back(c);
    }
    if (service) {
        sum.serviceLevel = calls > 0 ? answered / calls : 1;
    } else if (problem.settings.shortageCost) {
        sum.cost += *problem.settings.shortageCost * sum.agentPeriodsShort;
    }
    sum.gap = solution.gap;
    return schedule;
}

// Shortage makes every cover programme feasible: only the templates' limits
// could conflict, and min <= max is checked as they are read.
const std::string kNoCover = "no schedule meets the templates' min and max";

Schedule SolveCover(const Problem& problem, const std::vector<Shift>& shifts, Runner& runner) {
    const Horizon& h = problem.requirements.horizon;
    const std::vector<double>& required = problem.requirements.values;
    const Settings& s = problem.settings;
    const bool anyMax = std::ranges::any_of(
        problem.templates, [](const ShiftTemplate& t) { return t.max.has_value(); });
    const std::vector<bool> none(static_cast<std::size_t>(h.periods), false);
    const double step = CostStep(shifts, s.shortageCost);

    std::optional<double> shortLimit;
    std::vector<double> fewestShort; // the first programme's solution
    if (!s.shortageCost && anyMax) {
        ScheduleModel first(h, shifts, problem.templates);
        first.AddCover(required, first.Reachable(), 1, true);
        first.Programme().objectiveStep = 1;
        const MipResult fewest = runner.Run(first.Programme(), "shortage", 0.5, kNoCover,
                                            first.GreedyStart(required, runner.Deadline()));
        shortLimit = std::round(fewest.objective);
        fewestShort = fewest.values;
        if (runner.Stopped()) {
            return Build(problem, shifts, {first.Decompose(fewest.values), Gap(fewest)}, required);
        }
    }
    ScheduleModel model(h, shifts, problem.templates);
    if (s.shortageCost) {
        model.AddCover(required, model.Reachable(), *s.shortageCost, false);
    } else {
        // Whole shortfalls (the cover's counts are whole anyway), so that
        // their total's shares among linked days are whole too.
        model.AddCover(required, shortLimit ? model.Reachable() : none, 0, true);
        if (shortLimit) {
            model.LimitShort(*shortLimit);
        }
    }
    model.CostShifts(1);
    model.Programme().objectiveStep = step;
    // The same columns in the same order as the first programme's: its
    // solution is one of this one's.
    const MipResult result =
        runner.Run(model.Programme(), "cost", 1, kNoCover,
                   shortLimit ? fewestShort : model.GreedyStart(required, runner.Deadline()));
    return Build(problem, shifts, {model.Decompose(result.values), Gap(result)}, required);
}

constexpr std::size_t kMostCounts = 2'000'000;

Schedule SolveService(const Problem& problem, const std::vector<Shift>& shifts, Runner& runner) {
    const Horizon& h = problem.requirements.horizon;
    const Settings& s = problem.settings;
    const Centre& centre = s.centre;
    const double p = *s.serviceLevel;
    const double q = s.minServiceLevel.value_or(p / 2);
    const std::vector<double>& calls = problem.requirements.values;
    const double allCalls = std::accumulate(calls.begin(), calls.end(), 0.0);

    ScheduleModel model(h, shifts, problem.templates);
    std::vector<ScheduleModel::PeriodLevels> levels;
    std::vector<double> plan(calls.size(), 0); // the per-interval count for p
    // Each period at p alone: the horizon at p too, a schedule to start from.
    std::vector<double> startRequired(calls.size(), 0);
    double reachable = 0;
    std::size_t tabulated = 0;
    for (int period = 0; period < h.periods; ++period) {
        const auto i = static_cast<std::size_t>(period);
        if (calls[i] <= 0) {
            continue;
        }
        const std::string at = h.Label(period * h.interval);
        try {
            const double traffic = TrafficOf(calls[i], h.interval, centre);
            const std::int64_t floor = AgentsFor(traffic, q, centre);
            plan[i] = static_cast<double>(AgentsFor(traffic, p, centre));
            startRequired[i] = std::max(plan[i], static_cast<double>(floor));
            if (!model.Reachable()[i]) {
                if (floor > 0) {
                    throw NoSchedule("no shift can be on the phones at " +
                                     h.Label(period * h.interval) + ", whose " + Shown(calls[i]) +
                                     " calls need agents for the minimum service level " +
                                     Shown(q));
                }
                continue;
            }
            LevelCurve curve = TabulateLevels(traffic, floor, centre);
            tabulated += curve.levels.size() - static_cast<std::size_t>(floor);
            // Some thousands of erlangs a period; past that the programme
            // would not fit in memory.
            if (tabulated > kMostCounts) {
                throw InputError("the calls at " + at + " and before are too many for the " +
                                 "objective service: their levels by count run past " +
                                 std::to_string(kMostCounts) + " counts in all");
            }
            reachable += calls[i] * curve.levels.back();
            levels.push_back({period, calls[i] / allCalls, floor, std::move(curve)});
        } catch (const teletraffic::DomainError& e) {
            throw InputError("the " + Shown(calls[i]) + " calls at " + at +
                             ": the engine refuses them: " + e.what());
        }
    }
    if (allCalls > 0 && reachable / allCalls < p) {
        throw NoSchedule("no schedule can reach the service level " + Shown(p) +
                         ": with every period some shift reaches fully staffed it would be " +
                         Shown(reachable / allCalls));
    }
    // A schedule to start from: the least cost cover of the per-interval
    // plan at the lowest level x whose plan alone, period by period, gives
    // the horizon p (each period at least its floor). Any cover of that plan
    // has at least its agents everywhere, so it reaches p too; and covers
    // split into days and solve in a moment where the service's one level
    // row links them all. The plan at p itself would overshoot p.
    const auto planAt = [&](double x) {
        std::vector<double> required(calls.size(), 0);
        double answered = 0;
        for (const ScheduleModel::PeriodLevels& pl : levels) {
            const auto i = static_cast<std::size_t>(pl.period);
            const double traffic = TrafficOf(calls[i], h.interval, centre);
            const std::int64_t n = std::max(AgentsFor(traffic, x, centre), pl.floor);
            required[i] = static_cast<double>(n);
            answered += calls[i] * LevelAt(traffic, n, centre);
        }
        return std::pair{required, allCalls > 0 ? answered / allCalls : 1.0};
    };
    double low = 0, high = p; // the plan at p reaches p; find the least x that does
    for (int step = 0; step < 30 && high - low > 1e-4; ++step) {
        const double x = (low + high) / 2;
        (planAt(x).second >= p ? high : low) = x;
    }
    const std::vector<double> required = planAt(high).first;
    std::vector<double> start;
    {
        ScheduleModel cover(h, shifts, problem.templates);
        cover.AddCover(required, std::vector<bool>(calls.size(), false), 0, false);
        cover.CostShifts(1);
        cover.Programme().objectiveStep = CostStep(shifts, std::nullopt);
        try {
            start = runner
                        .Run(cover.Programme(), "start", 0.15, kNoCover,
                             cover.GreedyStart(required, runner.Deadline()))
                        .values;
        } catch (const NoSchedule&) {
            // a template's max, or no time: the greedy schedule instead
        }
    }
    runner.ForgetProofs();

    model.CostShifts(1);
    model.Programme().objectiveStep = CostStep(shifts, std::nullopt);
    const std::size_t levelRow = model.Programme().rows.size();
    model.AddService(levels, allCalls > 0 ? p : 0);
    start = start.empty() ? model.GreedyStart(startRequired, runner.Deadline())
                          : model.StartFrom(start);
    // A schedule a hair below p (the level row is met to the solver's
    // tolerance) lifted one agent at a time, each on the shift whose periods
    // on the phones gain the horizon the most level per unit of cost, within
    // the templates' max: the least that makes it sound.
    const auto lift = [&](std::vector<double>& values) {
        std::vector<double> traffic(calls.size(), 0);
        for (std::size_t i = 0; i < calls.size(); ++i) {
            traffic[i] = TrafficOf(calls[i], h.interval, centre);
        }
        for (;;) {
            Schedule schedule = Build(problem, shifts, {model.Decompose(values), 0}, plan);
            if (schedule.summary.serviceLevel >= p || allCalls <= 0) {
                return schedule;
            }
            const std::vector<int> onTemplate = model.AgentsByTemplate(values);
            std::vector<double> gain(calls.size(), 0); // of one agent more in each period
            for (std::size_t i = 0; i < calls.size(); ++i) {
                if (calls[i] > 0) {
                    const int n = schedule.coverage[i].onPhones;
                    gain[i] = calls[i] / allCalls *
                              (LevelAt(traffic[i], n + 1, centre) - LevelAt(traffic[i], n, centre));
                }
            }
            std::size_t best = shifts.size();
            double bestScore = 0;
            for (std::size_t k = 0; k < shifts.size(); ++k) {
                const auto t = static_cast<std::size_t>(shifts[k].templateIndex);
                if (problem.templates[t].max && onTemplate[t] >= *problem.templates[t].max) {
                    continue;
                }
                double score = 0;
                for (const int period : model.PhonesAtEarliest(k)) {
                    score += gain[static_cast<std::size_t>(period)];
                }
                score /= shifts[k].cost;
                if (score > bestScore) {
                    best = k;
                    bestScore = score;
                }
            }
            if (best == shifts.size()) {
                throw NoSchedule("no schedule found meets the service level " + Shown(p) +
                                 " to the last digit within the templates' max");
            }
            model.AddAgent(values, best);
        }
    };
    const std::string none = "no schedule reaches the service level " + Shown(p) +
                             " with no period below " + Shown(q) + " under these templates";
    const MipResult first = runner.Run(model.Programme(), "service", 1, none, start);
    // The bound of the programme as asked, which a retry above p does not give.
    const double bound = first.status == MipResult::Status::Optimal ? first.objective : first.bound;
    std::vector<double> values = first.values;
    Schedule best = lift(values);
    // Missed by a hair and lifted: solved again with the level row raised by
    // the miss, while there is time, for a cheaper schedule.
    double miss =
        p - Build(problem, shifts, {model.Decompose(first.values), 0}, plan).summary.serviceLevel;
    for (int attempt = 0; miss > 0 && attempt < 2 && runner.Left() > 0.25 * s.timeLimit;
         ++attempt) {
        model.Programme().rows[levelRow].lower += 2 * miss;
        const MipResult again = runner.Run(model.Programme(), "service", 1, none, values);
        std::vector<double> next = again.values;
        miss = p - Build(problem, shifts, {model.Decompose(next), 0}, plan).summary.serviceLevel;
        Schedule lifted = lift(next);
        if (lifted.summary.cost < best.summary.cost) {
            best = std::move(lifted);
        }
    }
    const double step = model.Programme().objectiveStep;
    const double over = best.summary.cost - bound;
    if (!(step > 0 && over < step * (1 - 1e-6)) && !(over <= 1e-9 * best.summary.cost)) {
        runner.Unproven();
    }
    best.summary.gap = std::max(0.0, over / std::max(best.summary.cost, 1e-9));
    return best;
}

} // namespace

RequirementSource Settings::Source(std::string name) const {
    RequirementSource source;
    source.name = std::move(name);
    source.measure = objective == Objective::Cover ? Measure::Agents : Measure::Calls;
    source.interval = interval;
    source.cyclic = cyclic;
    return source;
}

std::string BreaksText(const Horizon& horizon, const Group& group) {
    std::string text;
    for (const BreakTime& b : group.breaks) {
        text.append(text.empty() ? "" : ";")
            .append(horizon.Label(b.start))
            .append("-")
            .append(horizon.Label(b.start + b.length));
    }
    return text;
}

Schedule Solve(const Problem& problem, const Control& control) {
    CheckProblem(problem);
    Runner runner(problem, control);
    const std::vector<Shift> shifts =
        LayOnGrid(problem.templates, problem.requirements.horizon, problem.templatesName);
    Schedule schedule = problem.settings.objective == Objective::Cover
                            ? SolveCover(problem, shifts, runner)
                            : SolveService(problem, shifts, runner);
    schedule.summary.status = runner.Proven() ? Status::Optimal : Status::Feasible;
    if (runner.Proven()) {
        schedule.summary.gap = 0;
    }
    schedule.summary.seconds = runner.Elapsed();
    runner.Size(schedule.summary);
    return schedule;
}

SolveJob::SolveJob(Problem problem, std::function<void(const Progress&)> progress)
    : thread_([this, problem = std::move(problem), progress = std::move(progress)] {
        try {
            Control control;
            control.progress = progress;
            control.cancel = &cancel_;
            schedule_ = Solve(problem, control);
        } catch (...) {
            error_ = std::current_exception();
        }
        done_.store(true);
    }) {}

SolveJob::~SolveJob() {
    Cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

Schedule SolveJob::Get() {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (error_) {
        std::rethrow_exception(error_);
    }
    return *schedule_;
}

} // namespace shifts
