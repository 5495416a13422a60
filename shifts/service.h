// The service level of a period at each count of agents on the phones, from
// the engine's exact figures: the model of `corvane-cli agents` (handling
// time, patience, lines, redial, basis, target time). Erlang C where neither
// patience nor lines are given, whose level at or below the traffic is 0 (its
// queue grows without end); Erlang X (Erlang A where only patience is given)
// otherwise. No agents answer nothing: level 0.
#pragma once

#include "teletraffic/erlang_x.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace shifts {

struct Centre {
    double aht = NAN;        // seconds
    double targetTime = NAN; // seconds
    double patience = INFINITY;
    double lines = INFINITY;
    double redial = 0;
    teletraffic::Basis basis = teletraffic::Basis::Offered;
};

// The traffic of `calls` over a period of `interval` minutes, in erlangs.
double TrafficOf(double calls, int interval, const Centre& centre);

// The level `agents` give the period's traffic. Throws teletraffic::DomainError
// where the engine refuses the centre.
double LevelAt(double traffic, std::int64_t agents, const Centre& centre);

// The fewest agents whose level is at least `level` (0 for a level of 0 or no
// traffic); the engine's exact count.
std::int64_t AgentsFor(double traffic, double level, const Centre& centre);

// A period's levels by count from 0 up to where they stop rising: past the
// last, more agents change nothing the engine can tell (the level is within
// 1e-12 of 1, its own accuracy, or the lines are all staffed), or the cap was
// reached. The model takes no credit for agents past the last: it may only
// understate a level, never overstate it.
struct LevelCurve {
    std::vector<double> levels; // levels[n] at n agents
    bool saturated = true;
};
LevelCurve TabulateLevels(double traffic, std::int64_t from, const Centre& centre);

} // namespace shifts
