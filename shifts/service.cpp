// Every level by the engine's Erlang X (which answers Erlang C's and A's to
// the bit where the centre is theirs), the two cases it refuses answered by
// their rule: no agents, and Erlang C's queue at or below the traffic. The
// table runs from the floor to where the level is within 1e-12 of 1, the
// engine's own accuracy, or the lines are all staffed.
#include "shifts/service.h"

#include "teletraffic/erlang_c.h"

#include <algorithm>

namespace shifts {
namespace {

bool ErlangC(const Centre& centre) {
    return std::isinf(centre.patience) && std::isinf(centre.lines);
}

} // namespace

double TrafficOf(double calls, int interval, const Centre& centre) {
    return calls * centre.aht / (interval * 60.0);
}

double LevelAt(double traffic, std::int64_t agents, const Centre& centre) {
    const auto n = static_cast<double>(agents);
    if (agents <= 0) {
        return 0;
    }
    if (traffic == 0) {
        return 1;
    }
    if (ErlangC(centre) && n <= traffic) {
        return 0;
    }
    if (n > centre.lines) {
        // The engine takes no more agents than lines; those beyond answer nothing.
        return LevelAt(traffic, static_cast<std::int64_t>(centre.lines), centre);
    }
    teletraffic::ErlangXModel model;
    model.aht = centre.aht;
    model.patience = centre.patience;
    model.lines = centre.lines;
    model.redial = centre.redial;
    return teletraffic::ErlangX(traffic, n, model, centre.targetTime, centre.basis).serviceLevel;
}

std::int64_t AgentsFor(double traffic, double level, const Centre& centre) {
    if (level <= 0 || traffic == 0) {
        return 0;
    }
    teletraffic::ErlangXModel model;
    model.aht = centre.aht;
    model.patience = centre.patience;
    model.lines = centre.lines;
    model.redial = centre.redial;
    teletraffic::ErlangXTargets targets;
    targets.targetTime = centre.targetTime;
    targets.basis = centre.basis;
    targets.serviceLevel = level;
    return teletraffic::ErlangXAgents(traffic, model, targets);
}

LevelCurve TabulateLevels(double traffic, std::int64_t from, const Centre& centre) {
    LevelCurve curve;
    // Far past the traffic every model's level is 1 to the last bit: at
    // 50 standard deviations of the busy servers the queue's tail is below
    // e^-1000. The cap only guards a centre that never gets there.
    const auto cap = static_cast<std::int64_t>(traffic + 50 * std::sqrt(traffic) + 100);
    const double lines = std::min(centre.lines, 1e9);
    for (std::int64_t n = 0;; ++n) {
        if (n < from) {
            curve.levels.push_back(NAN); // below the floor, never used
            continue;
        }
        const double level = LevelAt(traffic, n, centre);
        curve.levels.push_back(level);
        if (level >= 1 - 1e-12 || static_cast<double>(n) >= lines) {
            return curve;
        }
        if (n >= cap) {
            curve.saturated = false;
            return curve;
        }
    }
}

} // namespace shifts
