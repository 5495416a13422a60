// Numbers too large or too small for their type, as mantissa * exp(scale):
// the inverse blocking R of a billion lines, the weight of Erlang A's queue.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/real.h"

#include <cmath>
#include <utility>

namespace teletraffic::detail {

// R = mantissa * exp(scale), the mantissa of a moderate size.
template <typename Real> struct Scaled {
    Real mantissa;
    Real scale = 0;

    Real Log() const { return math::log(mantissa) + scale; }
    // 1/R, 0 below the range of Real.
    Real Reciprocal() const { return math::exp(-scale) / mantissa; }
};

// u + v, in the scale of the larger.
template <typename Real> Scaled<Real> Plus(Scaled<Real> u, Scaled<Real> v) {
    if (u.mantissa == 0) {
        return v;
    }
    if (v.mantissa == 0) {
        return u;
    }
    if (u.scale < v.scale) {
        std::swap(u, v);
    }
    return {u.mantissa + v.mantissa * math::exp(v.scale - u.scale), u.scale};
}

// u - v, for v at most u, in the scale of u.
template <typename Real> Scaled<Real> Minus(Scaled<Real> u, Scaled<Real> v) {
    return {u.mantissa - (v.mantissa == 0 ? 0 : v.mantissa * math::exp(v.scale - u.scale)),
            u.scale};
}

template <typename Real> Scaled<Real> Times(Scaled<Real> u, Real k) {
    return {u.mantissa * k, u.scale};
}

// u times k = exp(logK), k perhaps beyond the range (N / A at 1e-300 erlangs):
// into the mantissa where the product stays normal, else into the scale,
// where adding its logarithm rounds it to the scale's precision.
template <typename Real> Scaled<Real> Times(Scaled<Real> u, Real k, Real logK) {
    if (u.mantissa == 0) {
        return u;
    }
    const Real product = u.mantissa * k;
    if (std::isnormal(product)) {
        return {product, u.scale};
    }
    return {u.mantissa, u.scale + logK};
}

// u / v as a plain number.
template <typename Real> Real Over(const Scaled<Real>& u, const Scaled<Real>& v) {
    if (u.mantissa == 0) {
        return 0;
    }
    return u.mantissa / v.mantissa * math::exp(u.scale - v.scale);
}

} // namespace teletraffic::detail
