// Stirling's correction and the deviance: the two parts of a gamma or a
// binomial density that cancel where a count meets its mean, each summed
// without that cancellation, in any of the engine's precisions.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/real.h"

#include <iterator>
#include <type_traits>

namespace teletraffic::detail {

// log Gamma*(a) = log Gamma(a) - (a - 1/2) log a + a - log sqrt(2 pi), by
// Stirling's series: eight terms reach 1e-23 from a = 20.
template <typename Real> Real LogGammaStar(Real a) {
    constexpr long double g[] = {1.0L / 12,   -1.0L / 360,      1.0L / 1260, -1.0L / 1680,
                                 1.0L / 1188, -691.0L / 360360, 1.0L / 156,  -3617.0L / 122400};
    const Real t = 1 / (a * a);
    Real sum = 0;
    for (int i = static_cast<int>(std::size(g)) - 1; i >= 0; --i) {
        sum = sum * t + static_cast<Real>(g[i]);
    }
    return sum / a;
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
