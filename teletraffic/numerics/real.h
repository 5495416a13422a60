// The three precisions the engine computes in: double for its answers, x87's
// long double (11 bits more) where double cannot decide a count, and GCC's
// quadruple precision (libquadmath, 113 bits) for the near-ties. One
// template serves all three through these names.
#pragma once

#include "teletraffic/numerics/internal.h"

#include <quadmath.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <type_traits>

namespace teletraffic::detail {

// GCC's quadruple precision, 113 bits: 49 more than long double, software
// arithmetic some five times faster than Boost's 50-digit floats.
using Quad = __float128;
template <typename Real> constexpr bool kIsQuad = std::is_same_v<Real, Quad>;

// The functions of <cmath>, and their quadruple-precision twins, under one
// name each.
namespace math {
using std::ceil, std::copysign, std::erfc, std::exp, std::expm1, std::fabs, std::fmin,
    std::isfinite, std::log, std::log1p, std::sqrt;
inline Quad ceil(Quad x) {
    return ceilq(x);
}
inline Quad copysign(Quad x, Quad y) {
    return copysignq(x, y);
}
inline Quad erfc(Quad x) {
    return erfcq(x);
}
inline Quad exp(Quad x) {
    return expq(x);
}
inline Quad expm1(Quad x) {
    return expm1q(x);
}
inline Quad fabs(Quad x) {
    return fabsq(x);
}
inline Quad fmin(Quad x, Quad y) {
    return fminq(x, y);
}
inline bool isfinite(Quad x) {
    return finiteq(x) != 0;
}
inline Quad log(Quad x) {
    return logq(x);
}
inline Quad log1p(Quad x) {
    return log1pq(x);
}
inline Quad sqrt(Quad x) {
    return sqrtq(x);
}
} // namespace math

template <typename Real> Real Pi() {
    if constexpr (kIsQuad<Real>) {
        static const Quad pi = acosq(-1);
        return pi;
    } else {
        return std::numbers::pi_v<Real>;
    }
}

template <typename Real> constexpr Real kEpsilon = std::numeric_limits<Real>::epsilon();
template <> constexpr Quad kEpsilon<Quad> = Quad(1) / (Quad(1ULL << 56) * Quad(1ULL << 56));

} // namespace teletraffic::detail
