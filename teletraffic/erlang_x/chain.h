// The birth-death chain of Erlang X at one attempt traffic (chain.cpp): the
// queue's window of m = lines - agents positions, and the shares of the
// attempts blocked, waiting, hanging up and answered.
#pragma once

#include "teletraffic/erlang_x/centre.h"

namespace teletraffic::erlang_x {

// Sums over the queue, relative to state N, all in one scale: the positions
// an accepted attempt may find (S_(m-1)), the blocked state (t_m), those
// answered ((a/x)(S_m - 1)) and those who hang up (G/x).
template <typename Real> struct Window {
    Scaled<Real> seen;
    Scaled<Real> last;
    Scaled<Real> answered;
    Scaled<Real> abandoned;
    bool whole = false;    // the untruncated forms: the cut changes no digit
    Scaled<Real> lower{0}; // and with them L(a + 1), which the waits reuse
};

// The chain at an attempt traffic A: x = A patience/aht, a = N patience/aht,
// the states below the agents (R - 1) and the window.
template <typename Real> struct Chain {
    Real x, a, perCall, load;
    Real logLoad; // log(A/N), of its own digits near 1: rho^m at many lines
    bool vanishing;
    Scaled<Real> below;
    Window<Real> window;
};

template <typename Real> struct Shares {
    Real blocking;
    Real pass; // 1 - blocking, of its own digits
    Real wait;
    Real abandon;
    Real answered; // 1 - abandon, of its own digits
    Real occupancy;
    Real lost; // per attempt: blocked or hung up
    Real kept; // 1 - lost
};

template <typename Real> Chain<Real> ChainAt(Real A, const Centre& c);
template <typename Real> Shares<Real> SharesOf(const Chain<Real>& ch, const Centre& c);

// The agents' idle share, 1 - occupancy, of its own digits, of the chain at
// attempt traffic A: what the redials' fixed point turns on where the agents
// are nearly always busy.
template <typename Real> Real IdleShare(const Chain<Real>& ch, Real A, const Centre& c);

} // namespace teletraffic::erlang_x
