// Erlang X's room (erlang_x.h is its public header): what its files share.
// The centre's arguments as checked (checks.h) and as the formulas take
// them, and a few small helpers. How the files fit, from the bottom up:
//   chain.h        the birth-death chain at one attempt traffic: its shares
//   wait_law.h     the wait's density over a queue cut at its lines
//   waits.h        the waits and the service level on each basis
//   redials.h      the attempt traffic with redials, a fixed point
//   figures.h      every figure at a fresh traffic, with or without spread
//   forecast.h     a forecast's spread: the figures over its Gamma law
//   targets.h      the targets, one table, and whether figures meet them
//   checks.h       the arguments' domains
//   searches.cpp   the fewest agents, the fewest lines, the capacity
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/real.h"
#include "teletraffic/numerics/scaled.h"

#include <cmath>
#include <cstdint>

namespace teletraffic::erlang_x {

// The room is built on the engine's numerics throughout.
using namespace detail;

// The checked arguments, as the formulas take them.
struct Centre {
    double agents;
    double aht;
    double patience; // as the formulas use it: aht times the ratio below
    double ratio;    // patience/aht within [1e-100, 1e100]; without patience the largest
    bool hangUps;
    bool limited;
    double queueLines; // lines less agents
    double redial;
    double shape; // of the fresh traffic's Gamma law; infinite: no spread
};

// Past these, patience changes no digit of a double answer, and the sizes
// stay in range: no patience is the largest.
constexpr double kMinRatio = 1e-100;
constexpr double kMaxRatio = 1e100;
// Queue positions summed one by one, at most.
constexpr std::int64_t kDirect = 4096;

template <typename Real> Real Plain(const Scaled<Real>& u) {
    return u.mantissa * std::exp(u.scale);
}

// e^-d - 1 + d, of one sign, without the cancellation of its terms near 0.
template <typename Real> Real ExpMinusOneAndLinear(Real d) {
    if (std::fabs(d) > Real(0.25)) {
        return std::expm1(-d) + d;
    }
    Real term = d * d / 2;
    Real sum = term;
    for (int k = 3; k < 40 && std::fabs(term) > kEpsilon<Real> * sum / 4; ++k) {
        term *= -d / k;
        sum += term;
    }
    return sum;
}

} // namespace teletraffic::erlang_x
