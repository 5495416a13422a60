// A day whose queue carries over: the calls of each interval, the agents of
// each interval (staffed here, or a schedule given), and the figures of each
// interval as the day really unfolds, the calls waiting and in service at the
// end of one interval being those at the start of the next.
//
// The model. Intervals of tau = 60 M seconds; in interval i calls arrive at
// random at lambda_i = calls_i / tau, handling times exponential with mean
// aht, a waiting caller hangs up after an exponential time with mean
// patience (never, without one), at most `lines` calls held at once. The
// state is (b, q), calls in service and calls waiting. With c_i agents an
// arrival is accepted while b + q < lines, starts at once if b < c_i, else
// waits. A call ends at rate 1/aht: when b > c_i its agent leaves (the
// agents beyond the count finish the calls they hold), otherwise the next
// waiting call starts. At a boundary to c' > b, min(q, c' - b) waiting calls
// start at once; to c' < b nothing moves.
//
// The figures of interval i, for its arrivals, with I the integral over the
// interval of the state's probabilities. Each accepted arrival is judged by
// the state it finds, with the interval's own agents held for its wait (an
// arrival finding b >= c_i waits for b - c_i + 1 ends of calls, then its
// place in the queue, those ahead hanging up), and the figures weighted by
// I over the states that accept:
//   service-level: the probability that it reaches an agent within the
//     target time before it hangs up;
//   abandon-probability: the probability that it hangs up before it is
//     answered;
//   average-wait: its wait until it is answered or hangs up, in seconds
//     (infinite where no agent is held and callers never hang up);
//   blocking = I(b + q = lines) / tau;
//   occupancy = E_I[b] / E_I[max(b, c_i)], 0 with no agent present;
//   queue-at-end = E[q] at the interval's end.
// Hang-ups and waits judged so are those of the interval's own callers, on
// the same footing as its service level: the hang-ups and the time waited
// within the interval, over its accepted calls (theta E_I[q] / (lambda_i
// I(accept)) and E_I[q] / (lambda_i I(accept))), are the same in a steady
// state but count a queue carried in against the interval's calls: after a
// peak, an interval of 5 calls inheriting 50 waiting would show 877 % of
// hang-ups and a wait of 88 minutes in a quarter-hour.
// An interval without calls reports a service level of 1, no blocking, no
// hang-ups, no wait, and carries its state all the same.
//
// Staffing by the method `transient`: a forward sweep, each interval the
// smallest count (at least 1 where calls arrive or callers wait at its start
// with a probability above 1e-9, else 0) whose figures meet the target and,
// where calls arrive, the occupancy cap, from the state it starts in.
// `stationary` and `lagged` staff as if each interval lasted for ever
// (Erlang C, A or X, teletraffic/), on the interval's own load or on the
// load shifted back by one handling time, and are judged carried over.
//
// Method (chain.h): the transient solution by uniformization over the states
// that hold probability above 1e-20 (the queue is cut there, far below 1e-16
// beyond it), the calls finishing beyond the count as rows of their own that
// exist only after a fall; the service level from the tagged caller's own
// chain, by uniformization over the target time.
#pragma once

#include "transient/options.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace transient {

// The most intervals a day may have: a year of 5-minute intervals.
inline constexpr std::size_t kMaxIntervals = 110000;

struct DayModel {
    double intervalMinutes = 30;
    double ahtSeconds = 180;
    double patienceSeconds = INFINITY; // infinite: callers never hang up
    double lines = INFINITY;           // infinite: no limit
};

// The service target is a service level (share answered within the target
// time) when `serviceLevel` is given, else an average wait.
struct DayTargets {
    std::optional<double> serviceLevel;
    double targetTimeSeconds = 20;
    std::optional<double> averageWaitSeconds;
    double shrinkage = 0;
    double maxOccupancy = 1;
};

struct DayInput {
    std::vector<double> calls;                 // fresh calls in each interval
    std::optional<std::vector<double>> agents; // a schedule to evaluate, whole counts
    DayModel model;
    DayTargets targets;
    Method method = Method::Transient; // unused when a schedule is given
    Start start = Start::Empty;
};

struct IntervalFigures {
    std::int64_t agents = 0;    // on the phones
    std::int64_t scheduled = 0; // ceil(agents / (1 - shrinkage))
    double serviceLevel = 1;
    double abandonProbability = 0;
    double blocking = 0;
    double averageWait = 0; // seconds
    double occupancy = 0;
    double queueAtEnd = 0;
    std::int64_t stationaryAgents = 0; // the usual plan's agents on the phones
    bool meetsTarget = true;           // the service target (not the cap)
    // Why the interval could not be staffed as asked (the state is then
    // carried with the most agents tried); empty where it was.
    std::string error;
};

struct DayTotals {
    double phoneHours = 0;     // agents on the phones times the interval, in hours
    double scheduledHours = 0; // agents scheduled times the interval
    // The day's service level: the intervals' weighted by their accepted
    // calls (1 for a day without calls).
    double serviceLevel = 1;
    std::vector<int> missed; // intervals (from 0) that miss the service target
};

struct DayResult {
    std::vector<IntervalFigures> intervals;
    DayTotals totals;
    bool cancelled = false; // stopped by the monitor: the intervals done so far
    int periodicDays = 0;   // with the periodic start, the days repeated to settle it
};

// How long work off the caller's thread reports and is stopped: `cancelled`
// is asked between steps, from the computing thread; `progress` says how
// many intervals of how many are done (a periodic start repeats the day).
struct Monitor {
    std::function<bool()> cancelled = [] { return false; };
    std::function<void(std::int64_t done, std::int64_t total)> progress = [](std::int64_t,
                                                                             std::int64_t) {};
};

// A day refused: the option at fault, the interval (from 0) where it is one
// interval's value, and a message naming both ("interval 7: calls must be a
// number of calls from 0 to 1e5, got -3"). Where one value is at fault, the
// value and what it must be, so that each front end words the refusal in its
// own terms (an option, a column and its row, a keyword, a field).
class DayError : public std::invalid_argument {
public:
    // A value outside the domain of `rule`, the registry's.
    DayError(Option option, int interval, double value, const teletraffic::Rule& rule);
    // A value in its domain, refused for what goes with it: `rule` says
    // what it must be ("at least the interval over 1e4 (0.18 seconds)").
    DayError(Option option, int interval, double value, std::string rule);
    // The day refused for what no one value says ("the day has no interval").
    DayError(Option option, int interval, const std::string& message);

    Option option() const noexcept { return option_; }
    const teletraffic::ArgumentInfo& about() const noexcept { return About(option_); }
    int interval() const noexcept { return interval_; } // -1 for the day as a whole
    // The value refused; NaN where no one value is.
    double value() const noexcept { return value_; }
    // What the value must be; empty where no one value is refused.
    const std::string& rule() const noexcept { return rule_; }
    // The registry's rule whose domain refused the value; null otherwise.
    const teletraffic::Rule* domainRule() const noexcept { return domainRule_; }

private:
    Option option_;
    int interval_;
    double value_ = NAN;
    std::string rule_;
    const teletraffic::Rule* domainRule_ = nullptr;
};

// Every reason `input` is refused, in order: the day's own (the first alone,
// as the others may follow from it), else each interval's value refused, the
// calls before the agents. Empty for a day PlanDay takes. A front end that
// lists every bad row asks this; PlanDay throws the first.
std::vector<DayError> Refusals(const DayInput& input);

// Staffs the day (or evaluates its schedule) and gives each interval's
// figures and the day's totals. Throws the first of Refusals; an interval
// that cannot be staffed says so in its `error`. Safe in several threads at
// once: it shares nothing.
DayResult PlanDay(const DayInput& input, const Monitor& monitor = {});

// The value of a figure of an interval, as a double (counts exactly).
double FigureValue(const IntervalFigures& figures, Figure figure);

} // namespace transient
