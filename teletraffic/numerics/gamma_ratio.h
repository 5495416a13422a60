// The quantity every Erlang function is built on: the inverse of the Erlang B
// blocking, R(A, N) = 1 / B(A, N) = Gamma(N + 1, A) e^A / A^N, in scaled form
// so that it neither overflows nor underflows anywhere in the engine's domain.
//
// It comes in two precisions. Answers are computed in double (relative error
// a few units in 1e-16). Whole counts are decided by comparing with a target;
// where double cannot tell the two apart, the comparison is made again in x87
// extended precision (11 bits more), and only where even that cannot tell,
// exactly (see exact.h). Below R, what the models build from it, once each.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/real.h"
#include "teletraffic/numerics/scaled.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <type_traits>

namespace teletraffic::detail {

static_assert(__LDBL_MANT_DIG__ >= 64, "the engine needs a long double with a 64-bit significand");

// Bound on the error of Log(), relative to max(1, |log R|): four to ten
// times the worst seen against 50-digit values (1.3e-14 in double, 2.9e-18 in
// long double). The tests hold the evaluation to it.
template <typename Real> constexpr Real kLogTolerance = 256 * std::numeric_limits<Real>::epsilon();

// Gamma(a, x) e^x / x^(a - 1) for x > 0 and a > 0: R(x, a - 1).
template <typename Real> Scaled<Real> GammaRatio(Real x, Real a);
extern template Scaled<double> GammaRatio(double, double);
extern template Scaled<long double> GammaRatio(long double, long double);
// In GCC's quadruple precision for the near-ties (exact.cpp), from a = 20 on
// only: about 1e-21 relative, from the expansion's long double coefficients.
extern template Scaled<__float128> GammaRatio(__float128, __float128);

// The lower counterparts, for Erlang A's queue, whose states above the agents
// weigh as the lower incomplete gamma: gamma(a, x) e^x / x^(a - 1) for x > 0
// and a > 0, in scaled form;
template <typename Real> Scaled<Real> LowerGammaRatio(Real x, Real a);
extern template Scaled<double> LowerGammaRatio(double, double);
extern template Scaled<long double> LowerGammaRatio(long double, long double);
// for 0 < x < a, 1 - (a - x) gamma(a, x) e^x / x^a, positive, free of the
// cancellation of that difference (the mean queue of Erlang A below the
// traffic's crossing, divided by a);
template <typename Real> Real LowerGammaDefect(Real x, Real a);
extern template double LowerGammaDefect(double, double);
extern template long double LowerGammaDefect(long double, long double);
// and log(x^(a - 1) e^-x / Gamma(a)), to a relative precision of its own size.
template <typename Real> Real LogGammaDensity(Real x, Real a);
extern template double LogGammaDensity(double, double);
extern template long double LogGammaDensity(long double, long double);

// The regularized tails Q(a, x) = Gamma(a, x) / Gamma(a) and P(a, x) =
// gamma(a, x) / Gamma(a), from the ratios and the density: the wait's
// shares in Erlang A's and Erlang X's queues.
template <typename Real> Real UpperGammaTail(Real x, Real a) {
    const Scaled<Real> r = GammaRatio(x, a);
    return r.mantissa * std::exp(r.scale + LogGammaDensity(x, a));
}
template <typename Real> Real LowerGammaTail(Real x, Real a) {
    const Scaled<Real> r = LowerGammaRatio(x, a);
    return r.mantissa * std::exp(r.scale + LogGammaDensity(x, a));
}

template <typename Real> Scaled<Real> InverseBlockingLessOne(Real traffic, Real lines);

// A scaled number in double from long double, its mantissa in [1/2, 1): the
// wide mantissa may lie below double's range (some 1e-321 at 5e-324 erlangs).
inline Scaled<double> Narrow(const Scaled<long double>& wide) {
    int exponent = 0;
    const long double fraction = std::frexp(wide.mantissa, &exponent);
    return {static_cast<double>(fraction),
            static_cast<double>(wide.scale + exponent * std::numbers::ln2_v<long double>)};
}

// R(A, N) for traffic A > 0 and lines N >= 0, whole or fractional. Below one
// line as 1 + (R - 1): N + 1 would round away the low bits of N, which the
// answer depends on as A^N.
template <typename Real> Scaled<Real> InverseBlocking(Real traffic, Real lines) {
    if constexpr (std::is_same_v<Real, double>) {
        if (traffic < std::numeric_limits<double>::min()) {
            // A denormal traffic keeps too few digits through the evaluation
            // in double (B was 5e-4 off at 5e-324 erlangs): in long double,
            // here and for R - 1 below.
            return Narrow(InverseBlocking<long double>(traffic, lines));
        }
    }
    if (lines == 0) {
        return {1};
    }
    if (lines < 1) {
        const Scaled<Real> less = InverseBlockingLessOne(traffic, lines);
        const Real logLess = less.Log();
        return logLess > 0 ? Scaled<Real>{1 + std::exp(-logLess), logLess}
                           : Scaled<Real>{1 + std::exp(logLess)};
    }
    return GammaRatio(traffic, lines + 1);
}

// R(A, N) - 1 = (N / A) R(A, N - 1), for N > 0: with it, 1 - B(A, N) =
// (R - 1) / R keeps its precision where the blocking is close to 1.
template <typename Real> Scaled<Real> InverseBlockingLessOne(Real traffic, Real lines) {
    if constexpr (std::is_same_v<Real, double>) {
        if (traffic < std::numeric_limits<double>::min()) {
            return Narrow(InverseBlockingLessOne<long double>(traffic, lines));
        }
    }
    Scaled<Real> r = GammaRatio(traffic, lines);
    const Real ratio = lines / traffic;
    if (ratio > Real(1e-200) && ratio < Real(1e200)) {
        r.mantissa *= ratio;
    } else {
        // A denormal or infinite ratio would lose the digits of R - 1.
        r.scale += std::log(lines) - std::log(traffic);
    }
    return r;
}

// log(1 - B(A, N)) = log((R - 1) / R) from R = 1/B, for N > 0: to its last
// digits where B is near 1, which 1 - B would lose.
template <typename Real> Real LogPass(Real A, Real N, const Scaled<Real>& R) {
    return InverseBlockingLessOne(A, N).Log() - R.Log();
}

// 1 - B(A, N) from R = 1/B, to its last digits: as (R - 1)/R where B is near 1.
template <typename Real> Real Pass(Real A, Real N, const Scaled<Real>& R) {
    const Real B = R.Reciprocal();
    if (B < Real(0.5) || N == 0) {
        return 1 - B;
    }
    return std::exp(LogPass(A, N, R));
}

// d log B / d log A = N - A (1 - B): how a rounding of the traffic moves
// the blocking.
template <typename Real> Real Elasticity(Real A, Real N, Real B) {
    return N - A + A * B;
}

// log(R(A, N + 1) / R(A, N)) = log(B(A, N) + (N + 1) / A), from the
// recurrence R(N + 1) = 1 + (N + 1) / A R(N): how a count's excess falls
// with one line more.
template <typename Real> Real LogStep(Real A, Real N, const Scaled<Real>& R) {
    return std::log(R.Reciprocal() + (N + 1) / A);
}

// 1 - recall T as (1 - recall) + recall (1 - T), each difference exact where
// it would cancel: with both near 1, the product's rounding would be all of it.
template <typename Real> Real NotRetried(double recall, double T) {
    const auto R = static_cast<Real>(recall);
    return (1 - R) + R * (1 - static_cast<Real>(T));
}

// The traffic whose blocking, with a fraction `recall` of blocked callers
// retrying, is carried at exactly T: A / (1 - recall T).
template <typename Real> Real Effective(double traffic, double recall, double T) {
    return static_cast<Real>(traffic) / NotRetried<Real>(recall, T);
}

// Erlang C's probability of waiting, log C, from log R and B = 1/R:
// C = N / (A + R (N - A)), log(A + R (N - A)) = log R + log(N - A + A B),
// free of cancellation.
template <typename Real> Real LogWait(Real A, Real N, Real logR, Real B) {
    return math::log(N) - logR - math::log(N - A + A * B);
}
template <typename Real> Real LogWait(Real A, Real N, const Scaled<Real>& R) {
    return LogWait(A, N, R.Log(), R.Reciprocal());
}

// Erlang C's service level within z = (N - A) t / aht, from 1 - B (`pass`),
// B and log C: SL = (1 - C) + C (1 - e^-z), two terms of one sign, with
// 1 - C = (1 - B)(N - A) / (N - A + A B) from the blocking's complement, no
// difference of large logarithms.
template <typename Real> Real ErlangCLevel(Real A, Real N, Real pass, Real B, Real logC, Real z) {
    return pass * ((N - A) / (N - A + A * B)) - math::exp(logC) * math::expm1(-z);
}

} // namespace teletraffic::detail
