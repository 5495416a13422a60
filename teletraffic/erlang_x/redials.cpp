// Erlang X's attempt traffic with redials: a share r of the blocked and
// abandoning attempts calls again, joining the fresh ones as a Poisson
// stream, so that the attempt traffic A solves A = A0 + r A L(A), L the
// share lost per attempt at A (chain.h). A (1 - r L(A)) rises with A (A L(A)
// grows no faster than A), from at most A0 at A0 to at least A0 at A0/(1 -
// r), and is solved for by TOMS 748 to the last bits, the bracket narrowed
// from the roots at nearby fresh traffics where there are some (a
// forecast's rules ask at many). Its residual, relative to A0, is taken
// where it keeps its digits: below the agents as A ((1 - r) + r (1 - L)) -
// A0, which keeps them where r and L are both near 1; from the agents on,
// where they are nearly always busy and the carried traffic N (1 - idle)
// nearly N whatever A, as (A - N)(1 - r) - r N idle - (A0 - N), the idle
// share of its own digits: there A rises some 1/(1 - r) times faster than
// A0, and the carried traffic rounded to double would leave A's last
// 1/(1 - r) units in doubt.
//
// Reference: G. E. Alefeld, F. A. Potra and Y. Shi, Algorithm 748, ACM
// Trans. Math. Software 21 (1995) 327-344.
#include "teletraffic/erlang_x/redials.h"

#include "teletraffic/erlang_x/chain.h"
#include "teletraffic/numerics/roots.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace teletraffic::erlang_x {

template <typename Real> Real AttemptTraffic(Real A0, const Centre& c, NearbyRoots<Real>* near) {
    const auto r = static_cast<Real>(c.redial);
    if (r == 0 || A0 == 0 || (!c.hangUps && !c.limited)) {
        return A0;
    }
    const Centre& lossOf = c.losses ? *c.losses : c;
    const auto N = static_cast<Real>(lossOf.agents);
    const auto f = [&](Real A) {
        const Chain<Real> ch = ChainAt(A, lossOf);
        if (A < N) {
            return (A * ((1 - r) + r * SharesOf(ch, lossOf).kept) - A0) / A0;
        }
        return ((A - N) * (1 - r) - r * N * IdleShare(ch, A, lossOf) - (A0 - N)) / A0;
    };
    Real lo = A0;
    Real hi = A0 / (1 - r);
    Real fLo = NAN;
    Real fHi = NAN;
    if (near && near->fresh > 0) {
        // A guess from the nodes nearby, by the slope of log A over log A0
        // where there are two, else by their ratio; and a step from it half
        // again as far as Newton's (f's slope in log A is its inverse): a
        // bracket in two evaluations where they hold, else the whole one.
        Real slope = 1;
        if (near->freshBefore > 0 && near->freshBefore != near->fresh) {
            const Real s = std::log(near->attempts / near->attemptsBefore) /
                           std::log(near->fresh / near->freshBefore);
            // At most 1/(1 - r): A (1 - r L) rises at least 1 - r times as
            // fast as A (A L no faster than A).
            slope = s > 0 && s < std::fmax(Real(1e3), 2 / (1 - r)) ? s : 1;
        }
        const Real guess =
            std::clamp(near->attempts * std::exp(slope * std::log(A0 / near->fresh)), lo, hi);
        const Real fGuess = f(guess);
        const Real other = std::clamp(guess * std::exp(-Real(1.5) * fGuess * slope), lo, hi);
        const Real fOther = other == guess ? fGuess : f(other);
        if (fGuess <= 0 && fOther >= 0) {
            std::tie(lo, fLo, hi, fHi) = std::tuple(guess, fGuess, other, fOther);
        } else if (fGuess >= 0 && fOther <= 0) {
            std::tie(lo, fLo, hi, fHi) = std::tuple(other, fOther, guess, fGuess);
        }
    }
    if (std::isnan(fLo)) {
        lo = A0;
        hi = A0 / (1 - r);
        fLo = f(lo);
        if (fLo >= 0) {
            return lo;
        }
        fHi = f(hi);
        if (fHi <= 0) {
            return hi;
        }
    }
    Real A = fLo == 0 ? lo : hi;
    if (fLo != 0 && fHi != 0) {
        A = Root(f, Bracket<Real>{lo, hi, fLo, fHi}, "the attempt rate with redials");
    }
    if (near) {
        *near = {A0, A, near->fresh, near->attempts};
    }
    return A;
}

template double AttemptTraffic(double, const Centre&, NearbyRoots<double>*);
template long double AttemptTraffic(long double, const Centre&, NearbyRoots<long double>*);

} // namespace teletraffic::erlang_x
