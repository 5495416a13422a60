// The waits of Erlang X's accepted attempts at one attempt traffic, and the
// service level on each basis (service_level.cpp), by whichever of the
// forms below keeps its digits: without a cut Erlang A's closed forms
// (waits_untruncated.cpp), a short window position by position
// (positions.cpp), without patience geometric sums (waits_without_patience.cpp),
// else the quadrature of the wait's law (wait_law.cpp).
#pragma once

#include "teletraffic/erlang_x.h"
#include "teletraffic/erlang_x/chain.h"

#include <cstdint>

namespace teletraffic::erlang_x {

// Over the queue, relative to state N and in one scale unless said: the
// positions accepted attempts find, those answered and those who hang up;
// answered within the target time and after it; still waiting at it; the
// wait to an agent within it and after it (in a scale of their own with
// their sum, `seen` again); and the answered's waits summed, in units of
// patience, with the answered in that sum's scale.
template <typename Real> struct Waits {
    Scaled<Real> seen, answered, abandoned;
    Scaled<Real> within, late, waiting;
    Scaled<Real> reached, unreached;
    Scaled<Real> time, timeAnswered;
};

// Service level and its complement on a basis, and the answered wait.
template <typename Real> struct Service {
    Real level;
    Real miss;
    Real answeredWait;
    Real kept; // the basis's denominator per accepted attempt
};

// The service level within `targetTime` on `basis`, and with `timed` the
// answered wait, at the chain `ch`.
template <typename Real>
Service<Real> ServiceOf(const Chain<Real>& ch, const Centre& c, Real targetTime, Basis basis,
                        bool timed);

// The waits within w (the target time in units of patience), by the form
// the centre's region takes.
template <typename Real>
Waits<Real> WaitsOf(const Chain<Real>& ch, const Centre& c, Real w, bool timed);

// Without a cut (or with one beyond every digit): Erlang A's closed forms,
// the answered wait (with `timed`) by its positions or by quadrature.
template <typename Real>
Waits<Real> WaitsUntruncated(Real x, Real a, Real perCall, Real w, bool timed,
                             const Window<Real>& window);

// The positions one by one, for a window of at most kDirect positions or one
// whose weights fall below every digit within it. False elsewhere.
template <typename Real>
bool WaitsByPositions(Real x, Real a, std::int64_t m, Real w, Waits<Real>& waits);

// Without patience, with m queue positions: z = N t/aht, the agents' mean
// completions within the target time.
template <typename Real>
Waits<Real> WaitsWithoutPatience(const Chain<Real>& ch, std::int64_t m, Real z);

} // namespace teletraffic::erlang_x
