// Integrals over an interval, of one integrand or of several at once: Gauss's
// rules of a fixed number of points, Gauss-Kronrod's rules of 31 and 61 points
// halving the interval where they and their embedded Gauss rules disagree,
// and tanh-sinh, which takes a singularity at an end. Boost.Math's rules
// underneath (its tables of nodes and weights); the halving is this file's:
// Boost 1.74's own compares the error on the panel mapped to [-1, 1] with a
// tolerance for the panel itself, and so halves small panels in vain.
//
// References: A. S. Kronrod, Nodes and Weights of Quadrature Formulas (1965);
// R. Piessens et al., QUADPACK (1983), the error of a panel as the gap
// between its Kronrod and Gauss rules; H. Takahasi and M. Mori, Double
// exponential formulas for numerical integration, Publ. RIMS 9 (1974) 721.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/error.h"
#include "teletraffic/numerics/real.h"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>

#include <cmath>
#include <cstddef>
#include <ostream>
#include <type_traits>
#include <utility>

namespace teletraffic::detail {

// Several integrands at one point, or their integrals, as one value for the
// rules here and Boost's, whose error is the largest of its entries'.
// `Entries` is an aggregate of Reals by name (each the same type, `Real`),
// which lists pointers to them in Members(). Each operation takes them one
// by one in that order, unrolled at compile time: a loop over the pointers
// costs a forecast's rules a tenth of their time.
template <typename Entries> struct Integrands : Entries {
    using Real = typename Entries::Real;
    static constexpr std::size_t kSize = Entries::Members().size();

    // f(m) for each member pointer m, in order.
    template <typename F> static void EachMember(F&& f) {
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            (f(std::integral_constant<Real Entries::*, Entries::Members()[I]>::value), ...);
        }
        (std::make_index_sequence<kSize>{});
    }

    Integrands() = default;
    Integrands(const Entries& entries) // NOLINT: built by name
        : Entries(entries) {}
    Integrands(Real s) { // NOLINT: Boost starts its sums from 0
        EachMember([&](auto m) { this->*m = s; });
    }

    friend Integrands operator+(Integrands p, const Integrands& q) { return p += q; }
    friend Integrands operator-(Integrands p, const Integrands& q) {
        EachMember([&](auto m) { p.*m -= q.*m; });
        return p;
    }
    friend Integrands operator-(Integrands p) { return Real(-1) * p; }
    friend Integrands operator*(Integrands p, Real k) {
        EachMember([&](auto m) { p.*m *= k; });
        return p;
    }
    friend Integrands operator*(Real k, Integrands p) { return p * k; }
    Integrands& operator+=(const Integrands& q) {
        EachMember([&](auto m) { this->*m += q.*m; });
        return *this;
    }
    Integrands& operator*=(Real k) { return *this = *this * k; }
    friend std::ostream& operator<<(std::ostream& out, const Integrands& p) {
        return out << p.*Entries::Members()[0]; // for Boost's messages
    }
    friend Real abs(const Integrands& p) {
        Real most = 0;
        EachMember([&](auto m) { most = std::fmax(most, std::fabs(p.*m)); });
        return most;
    }
};

// Gauss-Legendre's rule of N points over [lo, hi], Boost's.
template <unsigned N, typename F, typename Real>
auto GaussLegendre(const F& f, Real lo, Real hi) -> decltype(f(lo)) {
    return boost::math::quadrature::gauss<Real, N>::integrate(f, lo, hi);
}

// Gauss-Kronrod's rule of N points over [lo, hi], with its error against the
// embedded Gauss rule of (N - 1)/2 points.
template <unsigned N, typename F, typename Real>
auto KronrodPanel(const F& f, Real lo, Real hi, Real& error) -> decltype(f(lo)) {
    const Real mid = lo / 2 + hi / 2;
    const Real half = hi / 2 - lo / 2;
    const auto mapped = [&](Real t) { return f(mid + half * t); };
    const auto K = half * boost::math::quadrature::gauss_kronrod<Real, N>::integrate(
                              mapped, Real(-1), Real(1), 0, Real(0), &error);
    error *= half;
    return K;
}

// Over [lo, hi] by the rule of 31 points, halving the panel where it and its
// Gauss rule of 15 differ by more than the tolerance (absolute) and than
// rounding. ConvergenceError past `depth` halvings, unless `floor`
// (absolute, not halved) is given: an integrand known only to some digits of
// its own, whose panels' rules then stop where they agree to it, and past
// `depth` the Kronrod sum stands. `digits`: the integrand's own relative
// rounding, where rules agreeing to it are as good as it.
template <typename F, typename Real>
auto AdaptiveKronrod(const F& f, Real lo, Real hi, Real tolerance, int depth, Real floor = 0,
                     Real digits = 256 * kEpsilon<Real>) -> decltype(f(lo)) {
    Real error = 0;
    const auto K = KronrodPanel<31>(f, lo, hi, error);
    if (error <= std::fmax(std::fmax(tolerance, floor), digits * abs(K))) {
        return K;
    }
    if (depth == 0) {
        if (floor > 0) {
            return K;
        }
        throw ConvergenceError("a quadrature did not converge");
    }
    const Real mid = lo / 2 + hi / 2;
    return AdaptiveKronrod(f, lo, mid, tolerance / 2, depth - 1, floor, digits) +
           AdaptiveKronrod(f, mid, hi, tolerance / 2, depth - 1, floor, digits);
}

// The same to a relative tolerance of the whole, its first panel by the rule
// of 61 points, enough for a smooth mass over it; `noise`, relative to the
// whole, the floor above.
template <typename F, typename Real>
auto RelativeKronrod(const F& f, Real lo, Real hi, Real relative, int depth = 12, Real noise = 0)
    -> decltype(f(lo)) {
    Real error = 0;
    const auto K = KronrodPanel<61>(f, lo, hi, error);
    const Real tolerance = relative * abs(K);
    if (error <= tolerance) {
        return K;
    }
    const Real mid = lo / 2 + hi / 2;
    const Real floor = noise * abs(K);
    return AdaptiveKronrod(f, lo, mid, tolerance / 2, depth, floor) +
           AdaptiveKronrod(f, mid, hi, tolerance / 2, depth, floor);
}

// Boost's tanh-sinh integrator, one per thread: Boost 1.74 declares its
// integrate const but defines it without, and builds its tables on first use.
template <typename Real> boost::math::quadrature::tanh_sinh<Real>& TanhSinh() {
    thread_local boost::math::quadrature::tanh_sinh<Real> integrator;
    return integrator;
}

} // namespace teletraffic::detail
