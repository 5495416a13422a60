// The day of day.h simulated caller by caller, a check on its figures made
// another way: each caller with its own handling time and patience drawn at
// random, agents who finish the calls they hold when the count falls, the
// centre opening empty. From a seed, the same figures every time.
//
// Each figure is estimated as day.h defines it, a ratio of sums over the
// days simulated: the service level, the hang-ups and the wait from the fate
// of each accepted caller drawn from the state it finds with the interval's
// own agents held (the callers ahead of it and the calls in service drawn
// afresh, as the chain has them; its own patience its own); the blocked
// calls and the agents busy and present as counted in the interval; the
// queue at its end. Each estimate comes with its standard error, from the
// spread between days.
#pragma once

#include "transient/day.h"

#include <cstdint>
#include <vector>

namespace transient {

struct Estimate {
    double mean = 0;
    double standardError = 0;
};

struct SimulatedInterval {
    Estimate serviceLevel, abandonProbability, blocking, averageWait, occupancy, queueAtEnd;
};

// `days` days of `input`'s calls, model and target time with `agents` on
// the phones in each interval (one count per interval of calls).
std::vector<SimulatedInterval> SimulateDay(const DayInput& input,
                                           const std::vector<std::int64_t>& agents,
                                           std::uint64_t seed, int days);

} // namespace transient
