// Stirling's correction and the deviance: the two parts of a gamma or a
// binomial density that cancel where a count meets its mean, each summed
// without that cancellation, in any of the engine's precisions.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/real.h"

#include <cstdint>
#include <iterator>
#include <type_traits>

namespace teletraffic::detail {

// Stirling's series' coefficients B_2k / (2k (2k - 1)), each the ratio
// rounded once in the type it is used in.
template <typename Real>
constexpr Real kStirling[] = {Real(1) / 12,    Real(-1) / 360,      Real(1) / 1260,
                              Real(-1) / 1680, Real(1) / 1188,      Real(-691) / 360360,
                              Real(1) / 156,   Real(-3617) / 122400};

// log Gamma*(a) = log Gamma(a) - (a - 1/2) log a + a - log sqrt(2 pi), by
// Stirling's series: eight terms reach 1e-23 from a = 16 (Stirling's error
// of a factorial, log(n!) - log(sqrt(2 pi n) (n / e)^n), at a = n).
template <typename Real> Real LogGammaStar(Real a) {
    const Real t = 1 / (a * a);
    Real sum = 0;
    for (int i = static_cast<int>(std::size(kStirling<Real>)) - 1; i >= 0; --i) {
        sum = sum * t + kStirling<Real>[i];
    }
    return sum / a;
}

// log n! for whole n >= 0: from the product itself below 100, by Stirling's
// series beyond (to 1e-31 in quadruple precision). Not lgamma, which writes
// the global signgam from every thread.
template <typename Real> Real LogFactorial(std::int64_t n) {
    if (n < 100) {
        Real product = 1;
        for (std::int64_t k = 2; k <= n; ++k) {
            product *= k;
        }
        return math::log(product);
    }
    const Real a = static_cast<Real>(n) + 1;
    return (a - Real(0.5)) * math::log(a) - a + math::log(2 * Pi<Real>()) / 2 + LogGammaStar(a);
}

// Stirling's error of a factorial, log(n!) - log(sqrt(2 pi n) (n / e)^n), for
// whole n >= 1: the series from 16 on (from 100 in quadruple precision, where
// its eight terms reach 1e-35), below from the factorial itself.
template <typename Real> Real StirlingError(Real n) {
    if (n < (kIsQuad<Real> ? 100 : 16)) {
        return LogFactorial<Real>(static_cast<std::int64_t>(n)) - (n + Real(0.5)) * math::log(n) +
               n - math::log(math::sqrt(2 * Pi<Real>()));
    }
    return LogGammaStar(n);
}

// lambda - 1 - log(lambda) for lambda = x/a, the exponent of x^a e^-x against
// a^a e^-a. Near lambda = 1 the terms cancel, so there it is summed as
// Loader's series in v = (x - a)/(x + a), whose terms are all of one sign.
// Elsewhere in at least extended precision: a phi is the exponent of B, and
// a rounding of x/a in double would come back multiplied by a. Below a/2 as
// log(x/a): there the rounding of (x - a)/a near -1 would swamp lambda.
template <typename Real> Real Phi(Real x, Real a) {
    const Real sigma = (x - a) / a;
    if (math::fabs(sigma) >= Real(0.1)) {
        using Wide = std::conditional_t<(sizeof(Real) > sizeof(double)), Real, long double>;
        const Wide s = (static_cast<Wide>(x) - a) / a;
        return static_cast<Real>(s -
                                 (s < -0.5 ? math::log(x / static_cast<Wide>(a)) : math::log1p(s)));
    }
    const Real v = (x - a) / (x + a);
    const Real v2 = v * v;
    Real power = v;
    Real sum = 0;
    for (int j = 3; j < 1000; j += 2) { // |v| < 0.053: 30 terms at most
        power *= v2;
        const Real term = power / j;
        sum += term;
        if (math::fabs(term) <= kEpsilon<Real> * math::fabs(sum)) {
            break;
        }
    }
    return sigma * v - 2 * sum;
}

} // namespace teletraffic::detail
