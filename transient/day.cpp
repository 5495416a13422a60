// A day's plan (day.h): the day checked, the usual plan's counts from the
// engine, then the forward sweep of the chain (chain/chain.h), each interval
// staffed or evaluated from the state the last one left; for the periodic
// start the day repeated until its end state is its start state.
#include "transient/day.h"

#include "transient/chain/chain.h"

#include "teletraffic/erlang_x.h"
#include "teletraffic/error.h"
#include "teletraffic/staffing_factors.h"

#include <algorithm>
#include <map>
#include <utility>

namespace transient {

namespace {

// Below this a probability of waiting callers is taken for none.
constexpr double kWaitingAtStart = 1e-9;
// The periodic start: the day repeated until no state's probability moves
// by more than this from one day's end to the next, for at most kDays days.
constexpr double kSettled = 1e-14;
constexpr int kDays = 60;
// The largest traffic of one interval, and the most handling times or
// patiences one interval spans: the chain's steps grow with both.
constexpr double kMaxIntervalTraffic = 1e4;
constexpr double kMaxSpan = 1e4;

std::string IntervalText(int interval) {
    return "interval " + std::to_string(interval + 1);
}

std::string Message(Option option, int interval, const std::string& rule, double value) {
    return (interval >= 0 ? IntervalText(interval) + ": " : "") + std::string(About(option).words) +
           " must be " + rule + ", got " + teletraffic::ShowNumber(value);
}

// The refusals of a check, gathered.
struct Refused {
    std::vector<DayError> errors;

    // By the option's own rule.
    void Check(Option option, double value, int interval = -1) {
        const teletraffic::Rule& rule = *About(option).rule;
        if (!rule.domain.Contains(value)) {
            errors.emplace_back(option, interval, value, rule);
        }
    }
    void For(Option option, int interval, double value, std::string rule) {
        errors.emplace_back(option, interval, value, std::move(rule));
    }
};

struct Context {
    const DayInput& input;
    double tau;   // seconds
    double aht;   // seconds
    double theta; // hang-ups per second per caller
    teletraffic::ErlangXModel engine;
    teletraffic::ErlangXTargets targets;
};

double Traffic(const Context& x, double calls) {
    return calls * x.aht / x.tau;
}

// The usual plan's agents for `traffic` (on the phones, to schedule), or why
// the engine has none.
struct Usual {
    teletraffic::Schedule schedule{0, 0, teletraffic::Decided::ServiceTarget};
    std::string error;
};
Usual UsualPlan(const Context& x, double traffic, bool callsArrive) {
    Usual u;
    try {
        if (traffic > 0) {
            const std::int64_t agents = teletraffic::ErlangXAgents(traffic, x.engine, x.targets);
            u.schedule = teletraffic::ErlangXScheduleAgents(
                traffic, agents, x.engine, x.input.targets.shrinkage, x.input.targets.maxOccupancy);
        } else if (callsArrive) {
            // The lagged load of an opening is none: calls need someone all the same.
            u.schedule = teletraffic::ScheduleAgents(0, 1, x.input.targets.shrinkage, 1);
        }
    } catch (const std::exception& e) {
        u.error = e.what();
    }
    return u;
}

// The integral of the arrival rate from the day's start to `t` seconds: none
// before the day from an empty start, the day repeated from a periodic one.
double CallsBefore(const Context& x, double t) {
    const std::vector<double>& calls = x.input.calls;
    const double day = x.tau * static_cast<double>(calls.size());
    double total = 0;
    for (const double c : calls) {
        total += c;
    }
    double laps = 0;
    if (x.input.start == Start::Periodic) {
        laps = std::floor(t / day);
        t -= laps * day;
    } else if (t <= 0) {
        return 0;
    }
    double sum = laps * total;
    for (std::size_t i = 0; i < calls.size() && t > 0; ++i) {
        sum += calls[i] * std::min(t, x.tau) / x.tau;
        t -= x.tau;
    }
    return sum;
}

IntervalFigures FiguresOf(const Context& x, double calls, std::int64_t agents,
                          const chain::Sums& s) {
    IntervalFigures f;
    f.agents = agents;
    f.scheduled = teletraffic::ScheduleAgents(0, agents, x.input.targets.shrinkage, 1).scheduled;
    f.queueAtEnd = s.queueAtEnd;
    f.occupancy = s.present > 0 ? s.busy / s.present : 0;
    if (calls > 0) {
        f.blocking = s.blocked / s.time;
        if (s.accepting > 0) {
            f.serviceLevel = s.answered / s.accepting;
            f.averageWait = s.waited / s.accepting;
            f.abandonProbability = s.lost / s.accepting;
        } else {
            f.serviceLevel = 0; // every call finds the lines full: none is answered
        }
    }
    const DayTargets& t = x.input.targets;
    f.meetsTarget =
        t.serviceLevel ? f.serviceLevel >= *t.serviceLevel : f.averageWait <= *t.averageWaitSeconds;
    return f;
}

struct Done {
    chain::Interval interval;
    IntervalFigures figures;
};

struct Sweep {
    const Context& x;
    const Monitor& monitor;
    std::vector<std::int64_t> fixed; // the counts of a schedule or the usual plans; empty: staff
    std::vector<Usual> usual;        // each interval's own usual plan
    std::vector<std::string> fixedErrors;

    Done Run(const chain::State& start, int i, std::int64_t agents, std::int64_t hint) const {
        const double calls = x.input.calls[static_cast<std::size_t>(i)];
        const DayModel& m = x.input.model;
        const chain::Rates rates{calls / x.tau, 1 / x.aht, x.theta, m.lines, x.tau};
        Done d{chain::Advance(start, agents, rates, x.input.targets.targetTimeSeconds,
                              x.input.targets.serviceLevel.has_value(), hint, monitor.cancelled),
               {}};
        d.figures = FiguresOf(x, calls, agents, d.interval.sums);
        return d;
    }

    bool Meets(const Done& d, double calls) const {
        return d.figures.meetsTarget &&
               (calls == 0 || d.figures.occupancy <= x.input.targets.maxOccupancy);
    }

    // The smallest count meeting the targets from `start`: from the usual
    // plan's count moved by `shift` (what the interval before needed beyond
    // its own), down or up by steps doubling from one, then bisected.
    Done Staff(const chain::State& start, int i, std::int64_t shift) const {
        const double calls = x.input.calls[static_cast<std::size_t>(i)];
        const bool work = calls > 0 || chain::WaitingProbability(start) > kWaitingAtStart;
        if (!work) {
            return Run(start, i, 0, 0);
        }
        const double lines = x.input.model.lines;
        const std::int64_t most =
            lines < INFINITY ? static_cast<std::int64_t>(lines) : static_cast<std::int64_t>(1e6);
        std::map<std::int64_t, Done> tried;
        std::int64_t hint = 0;
        const auto meets = [&](std::int64_t c) {
            auto it = tried.find(c);
            if (it == tried.end()) {
                it = tried.emplace(c, Run(start, i, c, hint)).first;
                hint = it->second.interval.queueBound;
            }
            return Meets(it->second, calls);
        };
        std::int64_t lo = 0; // fails, or below the least allowed
        std::int64_t hi = -1;
        std::int64_t guess = std::clamp<std::int64_t>(
            usual[static_cast<std::size_t>(i)].schedule.onPhones + shift, 1, most);
        if (meets(guess)) {
            hi = guess;
            for (std::int64_t step = 1; hi > 1; step *= 2) {
                const std::int64_t c = std::max<std::int64_t>(hi - step, 1);
                if (!meets(c)) {
                    lo = c;
                    break;
                }
                hi = c;
            }
        } else {
            lo = guess;
            for (std::int64_t step = 1; lo < most; step *= 2) {
                const std::int64_t c = std::min(lo + step, most);
                if (meets(c)) {
                    hi = c;
                    break;
                }
                lo = c;
            }
        }
        if (hi < 0) {
            Done d = std::move(tried.at(most));
            d.figures.error = lines < INFINITY
                                  ? "no count up to the lines (" + teletraffic::ShowNumber(lines) +
                                        ") meets the occupancy cap"
                                  : "no count up to 1e6 agents meets the targets";
            return d;
        }
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            (meets(mid) ? hi : lo) = mid;
        }
        return std::move(tried.at(hi));
    }

    // One pass over the day from `start`; its intervals and end state.
    std::pair<std::vector<IntervalFigures>, chain::State> Pass(chain::State state,
                                                               int* done) const {
        const int m = static_cast<int>(x.input.calls.size());
        std::vector<IntervalFigures> out;
        std::int64_t shift = 0;
        for (int i = 0; i < m; ++i) {
            const Usual& own = usual[static_cast<std::size_t>(i)];
            Done d = fixed.empty() ? Staff(state, i, shift)
                                   : Run(state, i, fixed[static_cast<std::size_t>(i)], 0);
            if (own.schedule.onPhones > 0 && d.figures.agents > 0) {
                shift = d.figures.agents - own.schedule.onPhones;
            }
            if (!fixed.empty() && d.figures.error.empty()) {
                d.figures.error = fixedErrors[static_cast<std::size_t>(i)];
            }
            d.figures.stationaryAgents = usual[static_cast<std::size_t>(i)].schedule.onPhones;
            if (!fixed.empty() && !x.input.agents) {
                d.figures.scheduled = fixedScheduled[static_cast<std::size_t>(i)];
            }
            state = std::move(d.interval.end);
            out.push_back(std::move(d.figures));
            *done = i + 1;
            monitor.progress(i + 1, m);
        }
        return {std::move(out), std::move(state)};
    }
    std::vector<std::int64_t> fixedScheduled;
};

// The day's own refusals. Each may follow from one before it, so the first
// is enough.
void CheckDay(const DayInput& in, Refused& refused) {
    const DayModel& m = in.model;
    const DayTargets& t = in.targets;
    if (in.calls.empty()) {
        refused.errors.emplace_back(Option::Calls, -1,
                                    "the day has no interval: calls must hold one or more");
        return;
    }
    if (in.calls.size() > kMaxIntervals) {
        refused.errors.emplace_back(Option::Calls, -1,
                                    "the day has " + std::to_string(in.calls.size()) +
                                        " intervals: calls must hold at most " +
                                        std::to_string(kMaxIntervals));
        return;
    }
    refused.Check(Option::Interval, m.intervalMinutes);
    refused.Check(Option::Aht, m.ahtSeconds);
    refused.Check(Option::Patience, m.patienceSeconds);
    refused.Check(Option::Lines, m.lines);
    refused.Check(Option::Shrinkage, t.shrinkage);
    refused.Check(Option::MaxOccupancy, t.maxOccupancy);
    if (t.serviceLevel.has_value() == t.averageWaitSeconds.has_value()) {
        refused.errors.emplace_back(
            t.serviceLevel ? Option::AverageWait : Option::ServiceLevel, -1,
            "one service target is needed: a service level with its target time, or an average "
            "wait");
        return;
    }
    if (t.serviceLevel) {
        refused.Check(Option::ServiceLevel, *t.serviceLevel);
        refused.Check(Option::TargetTime, t.targetTimeSeconds);
    } else {
        refused.Check(Option::AverageWait, *t.averageWaitSeconds);
    }
    if (!refused.errors.empty()) {
        return;
    }
    const double tau = 60 * m.intervalMinutes;
    const std::string span =
        "at least the interval over 1e4 (" + teletraffic::ShowNumber(tau / kMaxSpan) + " seconds)";
    if (tau / m.ahtSeconds > kMaxSpan) {
        refused.For(Option::Aht, -1, m.ahtSeconds, span);
    } else if (m.patienceSeconds < INFINITY && tau / m.patienceSeconds > kMaxSpan) {
        refused.For(Option::Patience, -1, m.patienceSeconds, span);
    } else if (in.agents && in.agents->size() != in.calls.size()) {
        refused.errors.emplace_back(Option::Agents, -1,
                                    "the schedule has " + std::to_string(in.agents->size()) +
                                        " counts of agents for " + std::to_string(in.calls.size()) +
                                        " intervals of calls");
    }
}

} // namespace

std::vector<DayError> Refusals(const DayInput& in) {
    Refused refused;
    CheckDay(in, refused);
    if (!refused.errors.empty()) {
        refused.errors.erase(refused.errors.begin() + 1, refused.errors.end());
        return std::move(refused.errors);
    }
    const double tau = 60 * in.model.intervalMinutes;
    const double most = kMaxIntervalTraffic * tau / in.model.ahtSeconds;
    for (std::size_t i = 0; i < in.calls.size(); ++i) {
        const int at = static_cast<int>(i);
        const std::size_t before = refused.errors.size();
        refused.Check(Option::Calls, in.calls[i], at);
        if (refused.errors.size() == before && in.calls[i] > most) {
            refused.For(Option::Calls, at, in.calls[i],
                        "at most " + teletraffic::ShowNumber(most) + " (a traffic of 1e4 erlangs)");
        }
        if (in.agents) {
            refused.Check(Option::Agents, (*in.agents)[i], at);
        }
    }
    return std::move(refused.errors);
}

DayError::DayError(Option option, int interval, double value, const teletraffic::Rule& rule)
    : DayError(option, interval, value, std::string(rule.text)) {
    domainRule_ = &rule;
}

DayError::DayError(Option option, int interval, double value, std::string rule)
    : std::invalid_argument(Message(option, interval, rule, value))
    , option_(option)
    , interval_(interval)
    , value_(value)
    , rule_(std::move(rule)) {}

DayError::DayError(Option option, int interval, const std::string& message)
    : std::invalid_argument((interval >= 0 ? IntervalText(interval) + ": " : "") + message)
    , option_(option)
    , interval_(interval) {}

DayResult PlanDay(const DayInput& input, const Monitor& monitor) {
    if (std::vector<DayError> refused = Refusals(input); !refused.empty()) {
        throw std::move(refused.front());
    }
    const DayModel& m = input.model;
    Context x{input,        60 * m.intervalMinutes,
              m.ahtSeconds, m.patienceSeconds < INFINITY ? 1 / m.patienceSeconds : 0.0,
              {},           {}};
    x.engine.aht = m.ahtSeconds;
    x.engine.patience = m.patienceSeconds;
    x.engine.lines = m.lines;
    x.targets.targetTime = input.targets.targetTimeSeconds;
    x.targets.serviceLevel = input.targets.serviceLevel;
    x.targets.averageWait = input.targets.averageWaitSeconds;

    const std::size_t count = input.calls.size();
    Sweep sweep{x, monitor, {}, {}, {}, {}};
    for (std::size_t i = 0; i < count; ++i) {
        const double calls = input.calls[i];
        sweep.usual.push_back(UsualPlan(x, Traffic(x, calls), false));
    }
    if (input.agents) {
        for (const double a : *input.agents) {
            sweep.fixed.push_back(static_cast<std::int64_t>(a));
            sweep.fixedErrors.emplace_back();
        }
    } else if (input.method != Method::Transient) {
        for (std::size_t i = 0; i < count; ++i) {
            Usual u = sweep.usual[i];
            if (input.method == Method::Lagged) {
                // The load of [start - aht, end - aht), averaged over the interval.
                const double from = x.tau * static_cast<double>(i) - x.aht;
                const double calls = CallsBefore(x, from + x.tau) - CallsBefore(x, from);
                u = UsualPlan(x, Traffic(x, std::max(calls, 0.0)), input.calls[i] > 0);
            }
            // Without a count of its own, the interval is carried with the
            // most agents the lines allow (none without lines).
            const std::int64_t fallback =
                m.lines < INFINITY ? static_cast<std::int64_t>(m.lines) : 0;
            sweep.fixed.push_back(u.error.empty() ? u.schedule.onPhones : fallback);
            sweep.fixedScheduled.push_back(
                u.error.empty()
                    ? u.schedule.scheduled
                    : teletraffic::ScheduleAgents(0, fallback, input.targets.shrinkage, 1)
                          .scheduled);
            sweep.fixedErrors.push_back(u.error);
        }
    }

    DayResult result;
    int done = 0;
    try {
        chain::State start = chain::EmptyState();
        auto [figures, end] = sweep.Pass(start, &done);
        result.periodicDays = input.start == Start::Periodic ? 1 : 0;
        while (input.start == Start::Periodic) {
            if (result.periodicDays >= kDays) {
                throw DayError(Option::Start, -1,
                               "the periodic start does not settle within " +
                                   std::to_string(kDays) +
                                   " days: the queue left at the day's end grows from one day to "
                                   "the next");
            }
            auto [again, next] = sweep.Pass(end, &done);
            ++result.periodicDays;
            bool same = chain::Distance(end, next) <= kSettled;
            for (std::size_t i = 0; same && i < count; ++i) {
                same = again[i].agents == figures[i].agents;
            }
            figures = std::move(again);
            end = std::move(next);
            if (same) {
                break;
            }
        }
        result.intervals = std::move(figures);
    } catch (const chain::Cancelled&) {
        result.cancelled = true;
        return result;
    }

    DayTotals& t = result.totals;
    double accepted = 0, answered = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const IntervalFigures& f = result.intervals[i];
        t.phoneHours += static_cast<double>(f.agents) * x.tau / 3600;
        t.scheduledHours += static_cast<double>(f.scheduled) * x.tau / 3600;
        const double calls = input.calls[i] * (1 - f.blocking);
        accepted += calls;
        answered += calls * f.serviceLevel;
        if (!f.meetsTarget) {
            t.missed.push_back(static_cast<int>(i));
        }
    }
    t.serviceLevel = accepted > 0 ? answered / accepted : 1;
    return result;
}

double FigureValue(const IntervalFigures& f, Figure figure) {
    switch (figure) {
    case Figure::Agents:
        return static_cast<double>(f.agents);
    case Figure::Scheduled:
        return static_cast<double>(f.scheduled);
    case Figure::ServiceLevel:
        return f.serviceLevel;
    case Figure::AbandonProbability:
        return f.abandonProbability;
    case Figure::Blocking:
        return f.blocking;
    case Figure::AverageWait:
        return f.averageWait;
    case Figure::Occupancy:
        return f.occupancy;
    case Figure::QueueAtEnd:
        return f.queueAtEnd;
    case Figure::StationaryAgents:
        return static_cast<double>(f.stationaryAgents);
    }
    return NAN;
}

} // namespace transient
