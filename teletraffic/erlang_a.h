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
// Accuracy as for the rest of the engine: real results within 1e-12 relative,
// counts exact.
#pragma once

#include "teletraffic/erlang.h"

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

// The same target on the average wait by Erlang C (callers never hang up):
// the smallest number of agents above the traffic whose average speed of
// answer is at most `averageWait`; 0 for no traffic.
std::int64_t ErlangCAgentsForWait(double traffic, double aht, double averageWait);

// --- Staffing factors, for Erlang C and Erlang A alike ---------------------------

// Which constraint decided the agents on the phones.
enum class Decided { ServiceTarget, Occupancy };

struct Schedule {
    std::int64_t onPhones;  // agents taking calls
    std::int64_t scheduled; // agents to schedule: ceil(onPhones / (1 - shrinkage))
    Decided decidedBy;
};

// From the agents a service target needs, for `traffic` erlangs: raised until
// the occupancy (carried traffic per agent, the traffic itself for Erlang C;
// for Erlang A see below) is at most `maxOccupancy` (0 up to 1 inclusive), then
// grossed up for `shrinkage` (0 up to 1 exclusive), the share of paid time
// agents are not on the phones. Both factors are decided on the shortest
// decimal that reads back as the double given: 84 agents at a shrinkage of 0.2
// schedule 105, and 7 erlangs at a cap of 0.7 need 10. A factor that would
// need more than 2e9 agents is refused (DomainError).
Schedule ScheduleAgents(std::int64_t agentsForTarget, double traffic, double shrinkage,
                        double maxOccupancy);

// The same by Erlang A, where the carried traffic, A (1 - P(Ab)), falls short
// of the offered: its occupancy at each count decides.
Schedule ScheduleAgents(std::int64_t agentsForTarget, double traffic, double aht, double patience,
                        double shrinkage, double maxOccupancy);

} // namespace teletraffic
