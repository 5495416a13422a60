// The root of a function within a bracket, where it changes sign: by
// Alefeld, Potra and Shi's method (TOMS 748, Boost's), which interpolates by
// inverse cubics and secants and keeps a bracket that at least halves at
// every step or two; and a bracket for an increasing function found from a
// first point by steps that double. One failure policy: ConvergenceError,
// never the last iterate.
//
// Reference: G. E. Alefeld, F. A. Potra and Y. Shi, Algorithm 748: enclosing
// zeros of continuous functions, ACM Trans. Math. Software 21 (1995) 327-344.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/error.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace teletraffic::detail {

// Two points and f at each.
template <typename Real> struct Bracket {
    Real lo;
    Real hi;
    Real fLo;
    Real fHi;
};

// The root of f between b.lo < b.hi, where f changes sign (or is 0 at an
// end), to `bits` bits of the ends: the last bracket, both ends at a point
// where f is 0. An end where f is infinite (the log of a figure of 0) is
// moved in by halving first, at most 200 times: the interpolation needs
// finite values; one still infinite then is a jump, the root.
// ConvergenceError, naming `what`, where f does not change
// sign (or is NaN at an end) or after `most` steps.
template <typename Real, typename F>
std::pair<Real, Real> RootBracket(F f, Bracket<Real> b, const char* what,
                                  int bits = std::numeric_limits<Real>::digits, int most = 100) {
    if (!((b.fLo <= 0 && b.fHi >= 0) || (b.fLo >= 0 && b.fHi <= 0))) {
        throw ConvergenceError(std::string(what) + " was not bracketed");
    }
    const bool rising = b.fHi > 0 || b.fLo < 0;
    for (int i = 0; i < 200 && !(std::isfinite(b.fLo) && std::isfinite(b.fHi)); ++i) {
        const Real mid = b.lo / 2 + b.hi / 2;
        const Real fMid = f(mid);
        ((fMid > 0) == rising ? b.hi : b.lo) = mid;
        ((fMid > 0) == rising ? b.fHi : b.fLo) = fMid;
    }
    if (!(std::isfinite(b.fLo) && std::isfinite(b.fHi))) {
        return {b.lo, b.hi}; // f jumps from an infinity there: the root is the jump
    }
    auto iterations = static_cast<boost::uintmax_t>(most);
    const auto root = boost::math::tools::toms748_solve(
        f, b.lo, b.hi, b.fLo, b.fHi, boost::math::tools::eps_tolerance<Real>(bits), iterations);
    if (iterations >= static_cast<boost::uintmax_t>(most)) {
        throw ConvergenceError(std::string(what) + " did not converge");
    }
    return root;
}

// The midpoint of RootBracket's last bracket.
template <typename Real, typename F>
Real Root(F f, Bracket<Real> b, const char* what, int bits = std::numeric_limits<Real>::digits,
          int most = 100) {
    const auto [lo, hi] = RootBracket(f, b, what, bits, most);
    return lo / 2 + hi / 2;
}

// Where a search for a bracket ended.
enum class Bracketed { Yes, PositiveEverywhere, NotPositiveUpToTop };

// A bracket of the root of f, increasing, from x0 (f0 = f(x0), x0 at most
// `top`) by steps doubling from `step`: down while f is positive, at most 1100
// steps (to minus infinity), up to `top` while it is not, at most 64 steps.
template <typename Real, typename F>
std::pair<Bracketed, Bracket<Real>> BracketIncreasing(F f, Real x0, Real f0, Real step, Real top) {
    Bracket<Real> b{x0, x0, f0, f0};
    if (f0 > 0) {
        for (int i = 0; i < 1100 && b.fLo > 0; ++i, step *= 2) {
            b.hi = b.lo;
            b.fHi = b.fLo;
            b.lo -= step;
            b.fLo = f(b.lo);
        }
        return {b.fLo <= 0 ? Bracketed::Yes : Bracketed::PositiveEverywhere, b};
    }
    for (int i = 0; i < 64 && !(b.fHi > 0) && b.hi < top; ++i, step *= 2) {
        b.lo = b.hi;
        b.fLo = b.fHi;
        b.hi = std::fmin(b.hi + step, top);
        b.fHi = f(b.hi);
    }
    return {b.fHi > 0 ? Bracketed::Yes : Bracketed::NotPositiveUpToTop, b};
}

} // namespace teletraffic::detail
