// Erlang X: a call centre with a limit of lines, callers who hang up and call
// again, and a forecast that is itself uncertain. Fresh calls arrive at
// random, offering `traffic` erlangs; `agents` answer them first come first
// served, handling times exponential with mean `aht`. A centre holds at most
// `lines` calls at once, answered or waiting: an attempt that finds them all
// busy is blocked. A waiting caller hangs up after an exponential time with
// mean `patience`. A blocked or abandoning attempt calls again, at random,
// with probability `redial`. With a forecast of `calls` fresh calls whose
// count has `variance` (more than the calls themselves), the fresh rate is
// Gamma distributed and the calls Poisson given it.
//
// Answers every figure of such a centre (blocking, waiting, abandonment,
// waits, occupancy, the service level on four bases, the attempts with
// redials, the callers lost), the fewest agents that meet targets on them,
// the fewest lines that meet a blocking, and the largest traffic some
// agents take within their targets.
//
// Without lines and patience this is Erlang C, without lines Erlang A (both
// answered by those functions, to the bit, when nothing else is given), and
// with neither patience nor agents above the traffic the queue grows without
// end: refused. With lines any traffic is carried. Redials join the fresh
// calls as a Poisson stream.
//
// Domain: traffic 0 to 1e9 erlangs; agents 0 to 2e9 (whole with lines,
// greater than 0 without patience); aht greater than 0 and finite; patience
// greater than 0, infinite for none; lines whole, from the agents (and 1) to
// 2e9, infinite for none; redial from 0 up to 1 exclusive; variance 0 (no
// forecast spread) or from the calls (greater than 0) up, lines or patience
// given; target time 0 or more. Outside it, DomainError naming the argument.
//
// Accuracy as for the rest of the engine: real results within 1e-12 relative
// (the tests hold them to 50-digit values region by region: the worst is some
// 15 units in the last place), counts exact, near-ties decided in extended
// precision, where its own estimate has the last word.
//
// Method, by region (x = traffic * patience / aht, a = agents * patience / aht,
// m = lines - agents, all at the attempt traffic): without lines, Erlang A's
// incomplete gamma functions; with lines, the queue's sums over its m + 1
// states as Erlang A's less what lies beyond the cut (a shifted series), or
// where the cut falls before the queue's peak from the cut downwards (the
// tail of Legendre's fraction); a cut whose tail changes no digit is Erlang
// A's; without patience, geometric sums. Where both forms would lose more
// than a factor 16 (a cut within the queue's spread, m well below sqrt(a))
// the states one by one up to 4096, beyond by quadrature. The service
// levels, by the same regions: closed forms without a cut, the positions
// one by one (negative binomial tails) up to 4096, beyond Gauss-Kronrod
// quadrature of the wait's density; the answered wait is that density's
// first moment, by quadrature without a cut. Redials: the attempt rate's
// fixed point by TOMS 748 to the last bits. Forecast variance: Gauss-Kronrod
// over the fresh traffic's Gamma law between its 1e-20 quantiles (tanh-sinh
// below the mean for a shape under 2). Counts: Newton's method on the count,
// each verdict in double, else extended precision; capacity: TOMS 748 on
// the log of the traffic, read back.
#pragma once

#include "teletraffic/domain.h"
#include "teletraffic/staffing_factors.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace teletraffic {

// What the service level is a share of, Basis, is a choice of the registry
// (arguments.h), with its words.

// The centre beyond its traffic and agents.
struct ErlangXModel {
    double aht = 1;
    double patience = INFINITY; // mean time to hang up, the unit of aht; infinite: never
    double lines = INFINITY;    // calls held at once, answered or waiting; infinite: no limit
    double redial = 0;          // share of blocked and abandoning attempts that call again
    double calls = 0;           // the forecast: fresh calls in its interval, and the
    double variance = 0;        // variance of their count; 0, or equal to calls: Poisson
};

struct ErlangXFigures {
    double blocking;           // share of attempts that find every line busy
    double waitProbability;    // share of accepted attempts that wait at all
    double abandonProbability; // share of accepted attempts that hang up unanswered
    double averageWait;        // over accepted attempts, those who hang up until they do
    double answeredWait;       // mean wait of the answered (average speed of answer)
    double occupancy;          // carried traffic per agent
    double serviceLevel;       // answered within the target time, on the basis given
    double attemptsTraffic;    // erlangs offered by fresh calls and redials together
    double callersLost;        // share of fresh callers never answered, redials and all
};

// Every figure of `agents` offered `traffic` fresh erlangs, the service level
// for `targetTime` on `basis`.
ErlangXFigures ErlangX(double traffic, double agents, const ErlangXModel& model,
                       double targetTime = 0, Basis basis = Basis::Offered);

// Targets for the counts; each one given is met.
struct ErlangXTargets {
    double targetTime = 0;
    Basis basis = Basis::Offered;
    std::optional<double> serviceLevel; // at least, 0 up to 1 exclusive
    std::optional<double> averageWait;  // at most, greater than 0
    std::optional<double> answeredWait; // at most, greater than 0
    std::optional<double> maxAbandon;   // at most, 0 up to 1 exclusive; patience needed
    std::optional<double> maxBlocking;  // at most, 0 up to 1 exclusive; lines needed
};

// Smallest whole number of agents meeting every target given (at least one):
// 0 for no traffic, else 1 or more. With lines the agents run up to the lines: a target no count
// up to them meets is refused (DomainError on that target).
std::int64_t ErlangXAgents(double traffic, const ErlangXModel& model,
                           const ErlangXTargets& targets);

// The staffing factors (staffing_factors.h) by Erlang X, as Erlang A's
// (erlang_a.h), whose answers these are where the centre is Erlang A's or
// C's: from the agents the targets need, raised until the occupancy, as
// ErlangX gives it, is at most `maxOccupancy`, then grossed up for
// `shrinkage`. With lines the agents stop at them: a cap no count up to
// them meets is refused (DomainError on max-occupancy).
Schedule ErlangXScheduleAgents(double traffic, std::int64_t agentsForTarget,
                               const ErlangXModel& model, double shrinkage, double maxOccupancy);

// Smallest whole number of lines, at least the agents (whole), whose blocking
// is at most `blocking` (greater than 0, below 1). model.lines is not read.
std::int64_t ErlangXLines(double traffic, double agents, const ErlangXModel& model,
                          double blocking);

// Largest fresh traffic `agents` take while meeting every target given (at
// least one): each figure worsens as the traffic grows. Refused (DomainError
// on `agents`) where it would exceed 1e9 erlangs.
double ErlangXCapacity(double agents, const ErlangXModel& model, const ErlangXTargets& targets);

} // namespace teletraffic
