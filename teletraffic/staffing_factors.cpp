#include "teletraffic/staffing_factors.h"

#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/staffing.h"

namespace teletraffic {

using namespace detail;

Schedule ScheduleAgents(double traffic, std::int64_t agentsForTarget, double shrinkage,
                        double maxOccupancy) {
    CheckFactors(agentsForTarget, shrinkage, maxOccupancy);
    Check(Argument::Traffic, traffic);
    return Finish(agentsForTarget, ForOccupancy(traffic, maxOccupancy), shrinkage);
}

} // namespace teletraffic
