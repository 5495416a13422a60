// The quantity every Erlang function is built on: the inverse of the Erlang B
// blocking, R(A, N) = 1 / B(A, N) = Gamma(N + 1, A) e^A / A^N, in extended
// precision and in scaled form, so that it neither overflows nor underflows
// anywhere in the engine's domain.
#pragma once

#include <cmath>

namespace teletraffic::detail {

// Every internal computation runs in x87 extended precision: 11 more bits
// than a double, so that rounding to double leaves results within a few
// units in the last place, and near-ties are rare enough to confirm exactly.
using Real = long double;
static_assert(sizeof(Real) > sizeof(double) && __LDBL_MANT_DIG__ >= 64,
              "the engine needs a long double with a 64-bit significand");

// R = mantissa * exp(scale), the mantissa of a moderate size.
struct Scaled {
    Real mantissa;
    Real scale = 0;

    Real Log() const { return std::log(mantissa) + scale; }
    // 1/R, 0 when it is below the extended range.
    Real Reciprocal() const { return std::exp(-scale) / mantissa; }
};

// Gamma(a, x) e^x / x^(a - 1) for x > 0 and a > 0: R(x, a - 1).
Scaled GammaRatio(Real x, Real a);

// R(A, N) for traffic A > 0 and lines N >= 0, whole or fractional.
inline Scaled InverseBlocking(Real traffic, Real lines) {
    return GammaRatio(traffic, lines + 1);
}

// R(A, N) - 1 = (N / A) R(A, N - 1), for N > 0: with it, 1 - B(A, N) =
// (R - 1) / R keeps its precision where the blocking is close to 1.
inline Scaled InverseBlockingLessOne(Real traffic, Real lines) {
    Scaled r = GammaRatio(traffic, lines);
    r.mantissa *= lines / traffic;
    return r;
}

} // namespace teletraffic::detail
