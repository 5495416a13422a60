// The density of the wait to an agent over Erlang X's queue cut at its lines,
// and its integrals (wait_law.cpp): for a cut within the spread of a long
// queue, where the closed forms cancel and the positions are too many to sum.
#pragma once

#include "teletraffic/erlang_x/centre.h"
#include "teletraffic/erlang_x/waits.h"
#include "teletraffic/numerics/quadrature.h"

#include <array>

namespace teletraffic::erlang_x {

// The wait's density over the queue and two of its moments, or their
// integrals: those answered, their waits (in units of patience, over the
// density's width) and those who hang up (over the growth of e^v - 1 across
// it).
template <typename R> struct WaitMomentEntries {
    using Real = R;
    Real answered = 0;
    Real answeredWaits = 0;
    Real abandoned = 0;
    static constexpr std::array<Real WaitMomentEntries::*, 3> Members() {
        return {&WaitMomentEntries::answered, &WaitMomentEntries::answeredWaits,
                &WaitMomentEntries::abandoned};
    }
};
template <typename Real> using WaitMoments = Integrands<WaitMomentEntries<Real>>;

// The law's integrals over [0, w] and [w, infinity).
template <typename Real> struct WaitLawParts {
    WaitMoments<Real> within; // over [0, w]
    WaitMoments<Real> late;   // over [w, infinity)
    Real scale;               // every integral times exp(scale)
};

// Over the queue of m positions at x = A patience/aht, a = N patience/aht;
// w infinite: all of it in `within`.
template <typename Real> WaitLawParts<Real> IntegrateWaitLaw(Real x, Real a, Real m, Real w);

// The waits from those integrals.
template <typename Real> Waits<Real> WaitsByQuadrature(Real x, Real a, Real m, Real w);

} // namespace teletraffic::erlang_x
