// Erlang A (M/M/N+M): callers who hang up. Calls arrive at random, offering
// `traffic` erlangs; `agents` serve them, handling times exponential with mean
// `aht`; a caller still waiting hangs up after an exponential time with mean
// `patience` (the unit of `aht`). Unlike Erlang C the queue is stable at any
// traffic, so the agents may be at or below it.
//
// Domain: traffic 0 to kMaxTraffic erlangs, agents 0 to kMaxLines (whole or
// fractional, through the same continuous extension as Erlang B and C), aht
// and patience greater than 0 and finite, target time 0 or more, service-level
// target from 0 up to 1 exclusive. Outside it, DomainError.
//
// Accuracy: as domain.h says: 1e-12 relative, counts exact.
//
// Method: from the birth-death chain, in closed form. With x = traffic times
// patience / aht and a = agents times patience / aht, the states above the
// agents weigh as the lower incomplete gamma ratio gamma(a + 1, x) e^x / x^a
// and those below as Erlang B's R - 1 (numerics/gamma_ratio.cpp); every
// probability is formed from terms of one sign (erlang_a.cpp says how), the
// service level over a short time by 16-point Gauss-Legendre. Counts by
// Newton's method on the count, at most doubling it, each count decided in
// double, in long double where double cannot tell, and by long double's own
// estimate past that.
#pragma once

#include "teletraffic/domain.h"
#include "teletraffic/staffing_factors.h"

#include <cstdint>

namespace teletraffic {

struct Abandonment {
    double waitProbability;    // P(W > 0): a caller waits at all
    double abandonProbability; // P(Ab): a caller hangs up before being answered
    double averageWait;        // over all callers, those who hang up counted until they do
    double occupancy;          // carried traffic per agent, A (1 - P(Ab)) / N
};

Abandonment ErlangA(double traffic, double agents, double aht, double patience);

// Share of all callers answered within `targetTime`; callers who hang up,
// at any time, count as not answered within it.
double ErlangAServiceLevel(double traffic, double agents, double aht, double patience,
                           double targetTime);

// Smallest whole number of agents whose service level is at or above
// `serviceLevel`: 0 for no traffic, otherwise 1 or more (calls need someone
// to answer them, even where no agent would meet a target of 0).
std::int64_t ErlangAAgents(double traffic, double aht, double patience, double targetTime,
                           double serviceLevel);

// Smallest whole number of agents whose average wait over all callers is at
// most `averageWait` (greater than 0, the unit of `aht`): 0 for no traffic,
// otherwise 1 or more.
std::int64_t ErlangAAgentsForWait(double traffic, double aht, double patience, double averageWait);

// The staffing factors (staffing_factors.h) by Erlang A, where the carried
// traffic, A (1 - P(Ab)), falls short of the offered: its occupancy at each
// count decides.
Schedule ErlangAScheduleAgents(double traffic, std::int64_t agentsForTarget, double aht,
                               double patience, double shrinkage, double maxOccupancy);

} // namespace teletraffic
