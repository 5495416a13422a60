// Erlang X's attempt traffic with redials (redials.cpp): the fresh traffic and
// the redials of the blocked and the abandoning, a fixed point.
#pragma once

#include "teletraffic/erlang_x/centre.h"

namespace teletraffic::erlang_x {

// The last two fresh traffics solved for and their attempts (a quadrature's
// nodes before), which narrow the bracket to a few steps of the method.
template <typename Real> struct NearbyRoots {
    Real fresh = 0;
    Real attempts = 0;
    Real freshBefore = 0;
    Real attemptsBefore = 0;
};

// The attempt traffic of fresh traffic A0; `near`, if given, is used and
// updated with this one.
template <typename Real>
Real AttemptTraffic(Real A0, const Centre& c, NearbyRoots<Real>* near = nullptr);

} // namespace teletraffic::erlang_x
