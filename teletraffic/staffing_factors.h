// Staffing factors, for every model that staffs agents: from the agents a
// service target needs, the agents on the phones once an occupancy cap is
// kept, and the agents to schedule once shrinkage is allowed for.
//
// Domain: the agents for the target a whole count from 0 to kMaxLines;
// traffic from 0 to kMaxTraffic erlangs; shrinkage (the share of paid time
// agents are off the phones) from 0 up to 1 exclusive; the occupancy cap
// above 0 and at most 1. A factor that would need more than 2e9 agents is
// refused.
//
// Accuracy: exact. Both factors are taken as the shortest decimal that reads
// back as the double given, and the counts they lead to are worked out in
// rationals: 84 agents at a shrinkage of 0.2 schedule 105, and 7 erlangs at a
// cap of 0.7 need 10 (the nearest doubles would give 106 and 11).
//
// Method: here the occupancy is the offered traffic per agent, as where
// every caller is served (Erlang C). A model whose carried traffic falls
// short of the offered has a schedule of its own in its header (Erlang A's in
// erlang_a.h), found by bisection on its occupancy between the two counts.
#pragma once

#include "teletraffic/domain.h"

#include <cstdint>

namespace teletraffic {

// Which constraint decided the agents on the phones.
enum class Decided { ServiceTarget, Occupancy };

struct Schedule {
    std::int64_t onPhones;  // agents taking calls
    std::int64_t scheduled; // agents to schedule: ceil(onPhones / (1 - shrinkage))
    Decided decidedBy;
};

// From the agents a service target needs for `traffic` erlangs,
// `agentsForTarget`: raised until the occupancy, traffic / agents, is at
// most `maxOccupancy`, then grossed up for `shrinkage`.
Schedule ScheduleAgents(double traffic, std::int64_t agentsForTarget, double shrinkage,
                        double maxOccupancy);

} // namespace teletraffic
