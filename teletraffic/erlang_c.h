// Erlang C: callers wait in an unlimited queue, served first come first
// served by N agents. Answers the probability of waiting, the service level
// (the share answered within a target time), the average wait over all
// callers, and the fewest whole agents that reach a service level or an
// average wait.
//
// Domain: traffic 0 to kMaxTraffic erlangs and agents 0 to kMaxLines (whole
// or fractional), the traffic below the agents (or no traffic): otherwise
// the queue grows without end, and the functions of agents throw DomainError
// saying so. The
// handling time `aht` greater than 0 and finite; the target time 0 or more,
// in the unit of `aht`; service-level targets from 0 up to 1 exclusive;
// average-wait targets greater than 0.
//
// Accuracy: as domain.h says: 1e-12 relative, counts exact.
//
// Method: from Erlang B's R = 1/B (erlang_b.h), C = N / (A + R (N - A)) and
// 1 - SL = C e^-z, z = (N - A) t / aht, each formed from terms of one sign
// (a level near 1 from the blocking's complement). Counts by Newton's method
// on the count, on log C - z against log(1 - P) (or the logarithm of the
// average wait against its target), each count decided in double, in long
// double where double cannot tell, and in quadruple precision or exactly
// where neither can.
#pragma once

#include "teletraffic/domain.h"

#include <cstdint>

namespace teletraffic {

// Probability that a caller waits at all.
double ErlangC(double traffic, double agents);

// Share of callers answered within `targetTime` (0 or more), given the
// average handling time `aht` (greater than 0) in the same unit.
double ErlangCServiceLevel(double traffic, double agents, double aht, double targetTime);

// Average wait over all callers (the average speed of answer), in the unit
// of `aht`. Refused (DomainError on the traffic) where it would exceed the
// double range, the traffic within some 1e-300 of the agents.
double ErlangCAverageWait(double traffic, double agents, double aht);

// Smallest whole number of agents (more than `traffic`) whose service level
// is at or above `serviceLevel` (0 up to 1 exclusive); 0 for no traffic.
std::int64_t ErlangCAgents(double traffic, double aht, double targetTime, double serviceLevel);

// Smallest whole number of agents (more than `traffic`) whose average wait is
// at most `averageWait` (greater than 0, the unit of `aht`); 0 for no traffic.
std::int64_t ErlangCAgentsForWait(double traffic, double aht, double averageWait);

} // namespace teletraffic
