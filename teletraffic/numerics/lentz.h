// The modified Lentz method for continued fractions: Legendre's for the
// incomplete gamma and Laplace's for erfc (gamma_ratio.cpp), the tail of
// Legendre's in Erlang X's queue cut.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/error.h"
#include "teletraffic/numerics/real.h"

#include <limits>

namespace teletraffic::detail {

// Below this Lentz's method takes a divisor for 0.
template <typename Real> constexpr Real kTiny = std::numeric_limits<Real>::min() / kEpsilon<Real>;
template <> constexpr Quad kTiny<Quad> = 1e-300;

// A continued fraction by the modified Lentz method: f, c and d as the
// fraction's form starts them, then for j = 1, 2, ... the partial numerator
// and denominator (a_j, b_j) from `next(j)`, until the factor each brings is
// 1 to rounding; ConvergenceError after 20,000 terms.
template <typename Real, typename Next> Real Lentz(Real f, Real c, Real d, Next next) {
    constexpr Real tiny = kTiny<Real>;
    for (int j = 1; j <= 20000; ++j) {
        const auto [a, b] = next(j);
        d = a * d + b;
        d = 1 / (d == 0 ? tiny : d);
        c = b + a / c;
        c = c == 0 ? tiny : c;
        const Real delta = d * c;
        f *= delta;
        if (math::fabs(delta - 1) <= kEpsilon<Real>) {
            return f;
        }
    }
    throw ConvergenceError("a continued fraction of the incomplete gamma did not converge");
}

} // namespace teletraffic::detail
