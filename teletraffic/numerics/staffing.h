// The staffing factors' arithmetic, for every model's schedule: both factors
// are taken as the shortest decimal that reads back as the double given, and
// the counts they lead to are worked out exactly, in rationals.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/staffing_factors.h"

#include <cstdint>
#include <functional>

namespace teletraffic::detail {

// The refusals of the agents a target needs, the shrinkage and the cap.
void CheckFactors(std::int64_t agents, double shrinkage, double maxOccupancy);

// The smallest count whose occupancy, the offered traffic per agent, is at
// most the cap.
std::int64_t ForOccupancy(double traffic, double maxOccupancy);

// The larger of the two counts on the phones, grossed up for shrinkage.
Schedule Finish(std::int64_t forTarget, std::int64_t forOccupancy, double shrinkage);

// For a model whose carried traffic falls short of the offered: its occupancy
// at n agents (carried traffic per agent) falls with n and lies below the
// offered traffic's, so the smallest count from `forTarget` on that
// `within(n, cap)` holds for lies below ForOccupancy's, and is found by
// bisection. `cap` is the decimal's nearest long double.
Schedule ScheduleByOccupancy(double traffic, std::int64_t forTarget, double shrinkage,
                             double maxOccupancy,
                             const std::function<bool(std::int64_t, long double)>& within);

} // namespace teletraffic::detail
