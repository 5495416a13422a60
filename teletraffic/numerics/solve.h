// Newton's method for the searches: the smallest whole count that meets a
// target (SmallestCount), and the root of a function increasing in a traffic
// (IncreasingRoot). A root within a bracket is roots.h's.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/domain.h"
#include "teletraffic/error.h"
#include "teletraffic/numerics/real.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace teletraffic::detail {

// Smallest whole count above `lo` (a count that does not meet the target, or
// less) that meets a target which every larger count meets too, by Newton's
// method on the count. `probe(n)` returns whether n meets the target, and the
// excess (positive while it does not) and its fall to n + 1, from which the
// next count is estimated. Only whole counts from floor(lo) + 1 to kMaxLines
// are probed; ConvergenceError if none of them meets the target.
template <typename Probe> std::int64_t SmallestCount(double lo, double guess, Probe probe) {
    lo = std::floor(lo);
    double hi = INFINITY;
    // NaN-safe: a NaN guess starts just above lo.
    double n = std::fmin(std::fmax(std::ceil(guess), lo + 1), kMaxLines);
    double span = std::fmax(1, n - lo);
    // Newton's steps for 40 probes, then at most 31 doublings and 31 halvings.
    for (int i = 0; i < 120; ++i) {
        const auto [meets, excess, fall] = probe(static_cast<std::int64_t>(n));
        (meets ? hi : lo) = n;
        if (hi - lo <= 1) {
            return static_cast<std::int64_t>(hi);
        }
        if (lo >= kMaxLines) {
            break;
        }
        double next = n + std::ceil(excess / fall);
        if (next == n) {
            next = meets ? n - 1 : n + 1;
        }
        if (!(next > lo && next < hi) || i >= 40) {
            // Off the bracket (or NaN), or slow: halve it, or widen it upwards.
            span *= 2;
            next = hi < INFINITY ? std::floor(lo / 2 + hi / 2) : lo + span;
        }
        n = std::fmin(next, kMaxLines);
    }
    throw ConvergenceError("no whole count up to 2e9 meets the target");
}

struct Step {
    bool meets;
    double excess;
    double fall;
};

// Newton's step on the count, at most doubling it: where the function is
// flat (every caller waits, or none) its slope says nothing.
inline Step Bounded(std::int64_t n, bool meets, double excess, double fall) {
    const auto most = static_cast<double>(std::max<std::int64_t>(n, 1));
    if (!(std::fabs(excess) <= most * fall)) {
        fall = std::fabs(excess) / most;
    }
    return {meets, excess, fall};
}

// --- Solving for a traffic -------------------------------------------------------

// The root of f, increasing in x > 0, between `lo` and `hi` where f(lo) <= 0
// <= f(hi) (neither end is evaluated). With lo = 0 no lower end is known: x
// falls from hi geometrically, down to the smallest positive Real, and the
// root is 0 if f is still positive there (it lies below the range of Real).
// Newton's method on log x from `guess`, f(x) returning the value and its
// derivative in log x (a Slope); a step that leaves the bracket or fails to
// halve the step before last is replaced by bisection on log x, so the
// bracket narrows at least twofold every two steps: ConvergenceError after
// 300. It ends within rounding of the root: where Newton's step falls below
// the rounding of Real, or where the steps stop shrinking below 1e-12, at
// the rounding of f. The steps multiply x rather than add to log x: log x
// would hold x to only |log x| units in its last place.
template <typename Real, typename F> Real IncreasingRoot(F f, Real guess, Real lo, Real hi) {
    constexpr Real smallest = std::numeric_limits<Real>::denorm_min();
    constexpr Real eps = kEpsilon<Real>;
    Real x = guess > lo && guess < hi ? guess
             : lo > 0                 ? std::sqrt(lo) * std::sqrt(hi)
                                      : std::fmax(hi / 2, smallest);
    Real drop = 1;
    Real last = INFINITY;   // the size of the last step, in log x
    Real before = INFINITY; // and of the one before
    for (int i = 0; i < 300; ++i) {
        const auto [value, slope] = f(x);
        if (value == 0) {
            return x;
        }
        if (std::isnan(value)) {
            break;
        }
        (value > 0 ? hi : lo) = x;
        if (value > 0 && x == smallest) {
            return 0; // below the range
        }
        const Real step = value / slope;
        Real next = x * std::exp(-step);
        if (slope > 0 && next == x) {
            // Newton's step is below the rounding of x: x is the root if f
            // changes sign at the next Real towards it (the slope may be
            // too rough to say).
            const Real beside = std::nextafter(x, value > 0 ? Real(0) : Real(INFINITY));
            const Real there = f(beside).value;
            if (there == 0 || (!std::isnan(there) && (there > 0) != (value > 0))) {
                return std::fabs(there) < std::fabs(value) ? beside : x;
            }
        }
        const bool newton = slope > 0 && std::isfinite(step) && next > lo && next < hi;
        // Within rounding of the root, or the steps stopped shrinking at the
        // rounding of f.
        if (newton && (std::fabs(step) <= eps ||
                       (std::fabs(step) < Real(1e-12) && std::fabs(step) > last / 2))) {
            return next;
        }
        if (!newton || !(std::fabs(step) <= before / 2)) {
            next = lo > 0 ? std::sqrt(lo) * std::sqrt(hi)
                          : std::fmax(hi * std::exp(-(drop *= 2)), smallest);
        }
        // The bracket is down to rounding, or to neighbours where Real has
        // fewer digits (a traffic in the denormal range, below one line).
        if (lo > 0 && (hi <= lo * (1 + 4 * eps) || std::nextafter(lo, hi) >= hi)) {
            return x;
        }
        before = last;
        last = std::fabs(std::log(next / x));
        x = next;
    }
    throw ConvergenceError("the solve for a traffic did not converge");
}

// What f gives IncreasingRoot: its value and its derivative in log x.
template <typename Real = double> struct Slope {
    Real value;
    Real slope;
};

} // namespace teletraffic::detail
