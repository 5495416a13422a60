#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/lentz.h"

#include "teletraffic/error.h"
#include "teletraffic/numerics/real.h"
#include "teletraffic/numerics/stirling.h"
#include "teletraffic/numerics/temme_coefficients.h"

#include <boost/math/special_functions/gamma.hpp>

#include <quadmath.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>
#include <type_traits>
#include <utility>

// R = Gamma(a, x) e^x / x^(a - 1) is computed by one of four methods, chosen
// by where x stands against a (a = lines + 1, or lines for R - 1):
//
//   x < a, far from a      the power series of the lower incomplete gamma:
//                          R = (1 - P) / D, with P = D S small;
//   x > a, far from a      Legendre's continued fraction for Gamma(a, x);
//   x near a, a >= 20      Temme's uniform asymptotic expansion;
//   a < 1, x <= 1.5        Gamma(a) - gamma(a, x) with the 1/a poles taken
//                          out: there P is within a of 1, and the fraction
//                          converges slowly.
//
// The series and the fraction need about sqrt(a) terms when x is near a:
// 30,000 at a billion lines. There the uniform expansion takes over, and
// needs fewer terms the larger a is. Boost's gamma_q would serve between
// them, but above a = 200 it keeps the expansion to |x - a| < sqrt(20 a)
// and falls back on the slow methods beyond (0.8 ms at a = 1e9), and its
// values underflow where R does not.
//
// Every method returns R in scaled form, so that B = 1/R and log B hold
// across the whole domain: B(1e9 lines, 1 erlang) is e^-1.97e10.
namespace teletraffic::detail {
namespace {

// Terms of the expansion below this are dropped: a little under the
// precision of the type, whose own rounding dominates from there on.
template <typename Real> constexpr Real kNegligible = kEpsilon<Real> / 16;

// The expansion's coefficients in the type they are used in: converting
// each from long double as it is used would cost more than the arithmetic.
template <typename Real> struct Coefficients {
    int count;
    Real c[std::size(TemmeCoefficients{}.c)];
};
template <typename Real>
constexpr auto kTemmeAs = [] {
    std::array<Coefficients<Real>, kTemmeTerms> table{};
    for (int k = 0; k < kTemmeTerms; ++k) {
        table[k].count = kTemme[k].count;
        for (int i = 0; i < kTemme[k].count; ++i) {
            table[k].c[i] = static_cast<Real>(kTemme[k].c[i]);
        }
    }
    return table;
}();

// From this shape on, the uniform expansion with the generated terms is
// accurate to 1e-20 for |x/a - 1| <= 0.5.
constexpr double kTemmeMinShape = 20;

// The lower incomplete gamma as a series: P(a, x) = D S with
// D = x^(a-1) e^-x / Gamma(a) and S = x/a + x^2/(a(a+1)) + ..., whose terms
// fall at least as fast as (x/a)^k. R = Q/D = (1 - P)/D.
template <typename Real> Real LogD(Real x, Real a) {
    if constexpr (!kIsQuad<Real>) {
        if (a < kTemmeMinShape) {
            // Boost's, with its sign apart: std::lgamma writes the global signgam.
            // In the argument's own precision: promoted, its long double logs
            // were half of an Erlang A figure's time.
            using Own = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
            int sign = 0;
            return (a - 1) * math::log(x) - x - boost::math::lgamma(a, &sign, Own());
        }
    }
    // Through Stirling's series: log Gamma(a) itself is too large near a
    // billion to keep the digits of a small difference.
    return -a * Phi(x, a) - LogGammaStar(a) + math::log(a / (2 * Pi<Real>())) / 2 - math::log(x);
}

template <typename Real> Real SeriesSum(Real x, Real a) {
    Real term = x / a;
    Real sum = term;
    // x < a: the terms fall at least as (x/a)^k; near a < 20 in about 100.
    for (Real k = a + 1; term > kEpsilon<Real> * sum; k += 1) {
        if (k > a + 10000) {
            throw ConvergenceError("the series of the incomplete gamma function did not converge");
        }
        term *= x / k;
        sum += term;
    }
    return sum;
}

template <typename Real> Scaled<Real> Series(Real x, Real a) {
    const Real logD = LogD(x, a);
    return {1 - math::exp(logD) * SeriesSum(x, a), -logD};
}

// Legendre's continued fraction Gamma(a, x) = e^-x x^a / (x + 1 - a -
// 1(1 - a) / (x + 3 - a - 2(2 - a) / (x + 5 - a - ...))). For whole a it ends
// after a terms; for x >= 1.5 and x >= a, after some 200 at most (x = 1.5, a
// near 1).
template <typename Real> Scaled<Real> ContinuedFraction(Real x, Real a) {
    Real b = x + 1 - a;
    const Real h = Lentz(1 / b, 1 / kTiny<Real>, 1 / b, [&](int j) {
        const Real i = j;
        b += 2;
        return std::pair{-i * (i - a), b};
    });
    return {x * h, 0};
}

// Gamma(a, x) for a < 1 and x <= 1.5 as Gamma(a) - gamma(a, x), each with
// its pole 1/a taken out (Temme's way, as in DLMF 8.7.3):
//   Gamma(a, x) = (Gamma(1 + a) - 1)/a - (x^a - 1)/a - x^a sum_k>=1 (-x)^k/(k! (a + k)),
// which at a = 0 is E1(x); the terms cancel by less than a tenth here.
template <typename Real> Scaled<Real> SmallShape(Real x, Real a) {
    const Real logX = math::log(x);
    const Real t = a * logX;
    // Below 1e-8 the second order of Gamma(1 + a) = 1 - gamma a + (gamma^2/2 + pi^2/12) a^2 is
    // below the rounding, and tgamma1pm1(a)/a would lose a denormal a's digits.
    constexpr Real euler = std::numbers::egamma_v<Real>;
    const Real poles =
        (a < Real(1e-8) ? -euler + a * (euler * euler / 2 + Pi<Real>() * Pi<Real>() / 12)
                        : static_cast<Real>(boost::math::tgamma1pm1(a)) / a) -
        logX * (t == 0 ? Real(1) : math::expm1(t) / t);
    Real term = 1;
    Real sum = 0;
    for (int k = 1; k < 60; ++k) { // 1.5^k / k! is below 1e-20 from k = 28
        term *= -x / k;
        sum += term / (a + k);
    }
    const Real gamma = poles - math::exp(t) * sum;
    // R = Gamma(a, x) e^x x^(1 - a)
    return {gamma * math::exp(x) * x / math::exp(t), 0};
}

// sum c_k(eta) a^-k over k from `first` on.
template <typename Real> Real TemmeSum(Real eta, Real a, int first) {
    // The coefficients fall about as 2.8^-n, so a small |eta| needs few.
    const Real absEta = math::fabs(eta);
    const int degree = absEta < Real(1e-6)
                           ? 4
                           : static_cast<int>(math::ceil(math::log(kNegligible<Real>) /
                                                         math::log(absEta / 2.8f))) +
                                 2;
    Real sum = 0;
    Real power = 1;
    Real firstPower = 1; // a^-first: the later terms are negligible against it
    for (int k = 0; k < first; ++k) {
        firstPower /= a;
    }
    for (int k = 0; k < kTemmeTerms; ++k) {
        const Coefficients<Real>& ck = kTemmeAs<Real>[k];
        const int n = std::min(degree, ck.count);
        Real poly = 0;
        for (int i = n - 1; i >= 0; --i) {
            poly = poly * eta + ck.c[i];
        }
        sum += k >= first ? poly * power : 0;
        power /= a;
        if (power < kNegligible<Real> * firstPower) {
            break;
        }
    }
    return sum;
}

// Temme: Q(a, x) = erfc(eta sqrt(a/2)) / 2 + e^-y / sqrt(2 pi a) sum c_k(eta) a^-k,
// y = a phi = a eta^2 / 2. Divided by D = e^-y sqrt(a / 2 pi) / (x Gamma*(a)),
// the Gaussian factor leaves R whole above a and as a scale below it.
template <typename Real> Scaled<Real> Temme(Real x, Real a) {
    const Real sigma = (x - a) / a;
    const Real phi = Phi(x, a);
    const Real y = a * phi;
    const Real eta = math::copysign(math::sqrt(2 * phi), sigma);

    const Real sum = TemmeSum(eta, a, 0);
    const Real scale = x * math::exp(LogGammaStar(a));
    const Real gauss = math::sqrt(2 * Pi<Real>() / a);
    const Real tail = math::erfc(math::sqrt(y));
    if (sigma >= 0) {
        return {scale * (gauss * math::exp(y) * tail / 2 + sum / a), 0};
    }
    return {scale * (gauss * (1 - tail / 2) + math::exp(-y) * sum / a), y};
}

// sqrt(pi) e^(z^2) erfc(z), and 1 - z times it, for z >= 0 and zz = z^2.
template <typename Real> std::pair<Real, Real> ScaledErfc(Real z, Real zz) {
    if (z < 3) {
        // Below 3 the complement loses at most a factor 20 to cancellation;
        // Laplace's fraction would need from 40 terms up.
        const Real scaled = std::sqrt(Pi<Real>()) * std::exp(zz) * std::erfc(z);
        return {scaled, 1 - z * scaled};
    }
    // Laplace's continued fraction: scaled = 1 / (z + C), with
    // C = (1/2) / (z + 1 / (z + (3/2) / (z + ...))).
    const Real f = Lentz(kTiny<Real>, kTiny<Real>, Real(0), [&](int j) {
        return std::pair{Real(j) / 2, z};
    });
    return {1 / (z + f), f / (z + f)};
}

} // namespace

template <typename Real> Real LogGammaDensity(Real x, Real a) {
    return LogD(x, a);
}

template <typename Real> Scaled<Real> LowerGammaRatio(Real x, Real a) {
    if (x < a && (a < kTemmeMinShape || x < a / 2)) {
        return {SeriesSum(x, a), 0};
    }
    if (x < a) {
        // Temme's expansion for P = 1 - Q, divided by D as in Temme(): below
        // a it is of a moderate size, with no scale.
        const Real phi = Phi(x, a);
        const Real eta = -std::sqrt(2 * phi);
        const Real erfcx = ScaledErfc(std::sqrt(a * phi), a * phi).first;
        return {x * std::exp(LogGammaStar(a)) *
                    (erfcx / std::sqrt(2 * a) - TemmeSum(eta, a, 0) / a),
                0};
    }
    // From x = a on, P is at least 1/2 (the median of the gamma distribution
    // lies below its mean): 1/D less the upper ratio, without cancellation.
    const Scaled<Real> upper = GammaRatio(x, a);
    const Real logD = LogD(x, a);
    return {1 - upper.mantissa * std::exp(upper.scale + logD), -logD};
}

template <typename Real> Real LowerGammaDefect(Real x, Real a) {
    if (a < kTemmeMinShape || x < a / 2) {
        // E = (1/a) sum k t_k, t_k = x^k / ((a + 1) ... (a + k)): all terms
        // positive, falling at least as (x/a)^k.
        Real term = 1;
        Real sum = 0;
        for (int k = 1; k < 100000; ++k) {
            term *= x / (a + k);
            sum += k * term;
            // The rest is below k t_k r / (1 - r), r the ratio of the next
            // terms, which falls with k: at most k t_k once r <= 1/2. Just
            // below x = a/2, with a large, r stays above 1/2 for good.
            const Real ratio = (k + 1) * x / (k * (a + k + 1));
            const Real rest = ratio <= Real(0.5) ? k * term
                              : ratio < 1        ? k * term * ratio / (1 - ratio)
                                                 : Real(INFINITY);
            if (rest <= kEpsilon<Real> / 8 * sum) {
                return sum / a;
            }
        }
        throw ConvergenceError("the mean queue of Erlang A did not converge");
    }
    // 1 - (1 - lambda) S cancels to O(1/a) against Temme's expansion of S;
    // with c_0 = 1/(lambda - 1) - 1/eta taken out by hand it reads
    // E = 1 - G* + G* (1 - lambda) (M(z) / |eta| + sum_(k >= 1) c_k a^-k),
    // M(z) = 1 - sqrt(pi) z erfcx(z), z = |eta| sqrt(a/2): no cancellation left.
    const Real phi = Phi(x, a);
    const Real eta = -std::sqrt(2 * phi);
    const Real miss = ScaledErfc(std::sqrt(a * phi), a * phi).second;
    const Real below = (a - x) / a;
    const Real logStar = LogGammaStar(a);
    return -std::expm1(logStar) +
           std::exp(logStar) * (below / -eta * miss + below * TemmeSum(eta, a, 1));
}

template <typename Real> Scaled<Real> GammaRatio(Real x, Real a) {
    if constexpr (!kIsQuad<Real>) {
        if (a < 1 && x <= Real(1.5)) {
            return SmallShape(x, a);
        }
    }
    if (a < kTemmeMinShape) {
        return x < a ? Series(x, a) : ContinuedFraction(x, a);
    }
    // Where the continued fraction needs fewer than about 20 terms, it is
    // cheaper than the expansion: from some 6 standard deviations above a.
    const Real reach = math::fmin(a / 2, 6 * math::sqrt(a));
    if (x - a > reach) {
        return ContinuedFraction(x, a);
    }
    if (x < a / 2) {
        return Series(x, a);
    }
    return Temme(x, a);
}

template Scaled<double> GammaRatio(double, double);
template Scaled<long double> GammaRatio(long double, long double);
template Scaled<__float128> GammaRatio(__float128, __float128);
template Scaled<double> LowerGammaRatio(double, double);
template Scaled<long double> LowerGammaRatio(long double, long double);
template double LowerGammaDefect(double, double);
template long double LowerGammaDefect(long double, long double);
template double LogGammaDensity(double, double);
template long double LogGammaDensity(long double, long double);

} // namespace teletraffic::detail
