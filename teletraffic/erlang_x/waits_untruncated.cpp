// Erlang X's waits without a cut (or with one below every digit): Erlang A's
// closed forms. With the caller's own patience the attempt from position k
// is answered within w = theta t with probability a/(a + k + 1) I_p(k + 1,
// a + 1) (p = 1 - e^-w) and reaches an agent within it with I_p(k + 1, a)
// (the virtual wait); summed over the positions these are incomplete gamma
// functions of x and x e^-w:
//   answered within w:   (a/x) e^x x^-a (gamma(a + 1, x) - gamma(a + 1, x e^-w)),
//   reached after w:     a e^x x^-a gamma(a, x e^-w) = late + e^(x (1 - e^-w) - a w),
// each difference taken on the side of the Gamma law's peak that keeps it of
// one sign, and over a short time (the integrand within a factor e^1.5) by
// Gauss-Legendre's rule of 16 points.
//
// The answered's mean wait, E[V e^-V] summed, by region: far into the
// overload (the Gamma(a + 1) law's mass beyond x below e^-40 by Chernoff's
// bound) in closed form, log(x/(a + 1)) + log(a + 1) - digamma(a + 1);
// where the queue's weights fall below every digit within 1024 positions,
// position by position (a/(a + k + 1) sum_(i<=k) 1/(a + i + 1)); elsewhere
// by Gauss-Legendre's rule of 30 points on three panels over the law's side
// of x, to its fall by e^-45.
//
// References: O. Garnett, A. Mandelbaum and M. Reiman, Manuf. Serv. Oper.
// Manag. 4 (2002) 208-227; NIST DLMF 8.2 (incomplete gamma functions),
// 5.11.2 (the digamma function's asymptotic series).
#include "teletraffic/erlang_x/waits.h"

#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/quadrature.h"
#include "teletraffic/numerics/roots.h"

#include <boost/math/special_functions/digamma.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/log1p.hpp>

#include <cmath>
#include <cstdint>

namespace teletraffic::erlang_x {
namespace {

// Erlang A's answered waits position by position, at most (some 4 µs).
constexpr std::int64_t kLongest = 1024;

// Over the untruncated queue of shape b (a + 1 for those answered, a for the
// virtual wait), e^x x^(1 - b) (gamma(b, x) - gamma(b, x y)) and
// e^x x^(1 - b) gamma(b, x y), y = e^-w, each a sum of one sign, in the scale
// of L(b) = e^x x^(1 - b) gamma(b, x) (`queue`); and e^(x (1 - y) - (b - 1) w),
// the difference of the shapes b and b - 1, in the scale of the second.
template <typename Real> struct SplitAtTime { Scaled<Real> within, late, density; };

template <typename Real>
SplitAtTime<Real> AnsweredWithin(Real x, Real b, const Scaled<Real>& queue, Real w) {
    const Real y = std::exp(-w);
    const Real xy = x * y;
    const Real rise = -(b - 1) * w - x * std::expm1(-w); // log(y^(b - 1) e^(x (1 - y)))
    // Where x y leaves the double range, its powers need not: for a shape
    // near 0, y^b is far from 0. There gamma(b, z) = z^b/b to every digit.
    const bool tiny = !(xy > Real(1e-290));
    const Real logXY = std::log(x) - w;
    int sign = 0;
    // The density's own scale where `late` is regularized, in the queue's.
    const auto density = [&](Real scale) -> Scaled<Real> {
        if (scale == 0) {
            return {1, rise};
        }
        return {std::exp(tiny ? (b - 1) * logXY - boost::math::lgamma(b, &sign)
                              : LogGammaDensity(xy, b)),
                scale};
    };
    if (w == 0) {
        return {{0}, queue, {1}};
    }
    if (std::fabs(x - b) * w <= 1 && x * w * w <= 1) {
        // Over a short time the integrand e^g(v), g = -b v + x (1 - e^-v),
        // varies by at most a factor e^1.5, and the difference of the two
        // incomplete gammas would cancel: x times its integral by Gauss.
        const auto g = [&](Real v) { return std::exp(-b * v - x * std::expm1(-v)); };
        const Real D = x * GaussLegendre<16>(g, Real(0), w);
        const Scaled<Real> within{D, 0};
        return {within, Plus(queue, Scaled<Real>{-D * std::exp(-queue.scale), queue.scale}),
                density(queue.scale)};
    }
    if (x <= b) {
        // The integrand u^(b - 1) e^-u rises over [xy, x]: the lower parts,
        // e^x x^(1 - b) gamma(b, xy) = (x/b) e^(x - b w) for a tiny xy.
        Scaled<Real> late = tiny ? Scaled<Real>{x / b, x - b * w} : LowerGammaRatio(xy, b);
        if (!tiny) {
            late.scale += rise;
        }
        return {Plus(queue, Scaled<Real>{-late.mantissa, late.scale}), late, density(0)};
    }
    // Beyond the peak at b: regularized, in the scale of the queue,
    // Gamma(b) e^x / x^(b - 1), which here is queue.scale.
    const Real tailAbove = UpperGammaTail(x, b);
    if (xy >= b) {
        const Real tail2 = UpperGammaTail(xy, b);
        return {{tail2 - tailAbove, queue.scale}, {1 - tail2, queue.scale}, density(queue.scale)};
    }
    // Across the peak: the whole less both tails, P(b, z) = z^b/Gamma(b + 1)
    // for a tiny z.
    Real tailBelow = 0;
    if (tiny) {
        tailBelow = std::exp(b * logXY - boost::math::lgamma(b + 1, &sign));
    } else {
        tailBelow = LowerGammaTail(xy, b);
    }
    return {
        {1 - tailBelow - tailAbove, queue.scale}, {tailBelow, queue.scale}, density(queue.scale)};
}

// The answered's waits, in units of patience, and the answered, relative to
// state N, by the positions one by one where the queue's weights fall below
// every digit within kLongest of them (fewer than its peak, x - a, and some
// ten of its standard deviations beyond). False elsewhere.
template <typename Real> bool TimeByPositions(Real x, Real a, Waits<Real>& out) {
    // (Below half the agents' worth the weights halve at least at each.)
    if (x > a / 2 &&
        std::fmax(x - a, Real(0)) + 10 * std::sqrt(x + 1) > static_cast<Real>(kLongest)) {
        return false;
    }
    Real t = 1;
    Real total = 0;
    Real answered = 0;
    Real time = 0;
    Real harmonic = 0;
    Real scale = 0;
    for (std::int64_t k = 0; k < kDirect; ++k) {
        const Real kk = static_cast<Real>(k + 1);
        const Real share = a / (a + kk); // answered from position k
        harmonic += 1 / (a + kk);
        total += t;
        answered += t * share;
        time += t * share * harmonic;
        t *= x / (a + kk);
        if (t > Real(1e250)) {
            t *= Real(1e-250);
            total *= Real(1e-250);
            answered *= Real(1e-250);
            time *= Real(1e-250);
            scale += 250 * std::log(Real(10));
        }
        if (t < kEpsilon<Real> / 1024 * total && x < a + kk + 1) {
            out.time = {time, scale};
            out.timeAnswered = {answered, scale};
            return true;
        }
    }
    return false;
}

// log s - digamma(s), positive: from Boost's digamma below 20, where the
// difference loses at most a factor 100 of its digits; above, where it
// would lose them all, by its own asymptotic series (to 1e-19).
template <typename Real> Real LogLessDigamma(Real s) {
    if (s < 20) {
        return std::log(s) - boost::math::digamma(s);
    }
    // B_2n/(2n), n = 1..7, in powers of 1/s^2.
    constexpr Real kTerms[] = {Real(1) / 12,  Real(-1) / 120,     Real(1) / 252, Real(-1) / 240,
                               Real(1) / 132, Real(-691) / 32760, Real(1) / 12};
    const Real z = 1 / (s * s);
    Real sum = 0;
    for (int i = 6; i >= 0; --i) {
        sum = (sum + kTerms[i]) * z;
    }
    return 1 / (2 * s) + sum;
}

// Far into the overload, the answered's waits in closed form. Summed over
// the positions, an answered caller's wait in units of patience is log(x/U)
// for U of Gamma(a + 1) law held below x; where that law's mass beyond x is
// below e^-40 (Chernoff's bound), the mean is log(x/(a + 1)) + log(a + 1) -
// digamma(a + 1), two positive terms. False nearer the turn.
template <typename Real>
bool TimeInOverload(Real x, Real a, const Scaled<Real>& answered, Waits<Real>& out) {
    const Real s = a + 1;
    const Real d = (x - a) - 1; // x - a exact near the turn
    if (!(d > 0) || !(-s * boost::math::log1pmx(d / s) >= 40)) {
        return false;
    }
    out.timeAnswered = answered;
    out.time = Times(answered, boost::math::log1p(d / s) + LogLessDigamma(s));
    return true;
}

// The same mean where the positions are many, or too many to sum, and the
// law's mass beyond x counts: over the side of x away from the law's mode
// (or, below it, x's own side), where the density falls from x by e^(a
// log(u/x) - (u - x)), on three panels of Gauss's rule of 30 points to its
// fall by e^-45 (a few microseconds, against some 4 ns a position). Below
// the mode, the mean of log(x/U) over that side itself; above it, the
// whole law's mean less what lies beyond x (log(U/x) there), over P(a + 1,
// x), each part positive. `lower`: gamma(a + 1, x) e^x / x^a.
template <typename Real>
void TimeByTheLaw(Real x, Real a, const Scaled<Real>& lower, const Scaled<Real>& answered,
                  Waits<Real>& out) {
    const Real s = a + 1;
    const Real sign = x < s ? -1 : 1; // below the mode: u = x - w
    const auto fall = [&](Real w) { return a * boost::math::log1p(sign * w / x) - sign * w; };
    Real lo = 0; // fallen by less than e^-45 here
    Real hi = sign < 0 ? std::fmin(Real(1), x) : Real(1);
    for (int i = 0; i < 1100 && fall(hi) > -45 && (sign > 0 || hi < x); ++i) {
        lo = hi;
        hi = sign < 0 ? std::fmin(2 * hi, x) : 2 * hi;
    }
    Real span = hi;
    // (Down to u = 0, where the density is 0, only within some ten
    // deviations of a traffic below 1e4, which the positions take.)
    if (fall(hi) < -45 && !(sign < 0 && hi == x)) {
        const auto fallen = [&](Real w) { return fall(w) + 45; };
        // The far end of the last bracket: the fall has passed e^-45 there.
        span =
            RootBracket(fallen, Bracket<Real>{lo, hi, fallen(lo), fallen(hi)}, "the law's span", 20)
                .second;
    }
    Real weighted = 0;
    Real mass = 0;
    constexpr int kPanels = 3;
    for (int i = 0; i < kPanels; ++i) {
        const Real lo = span * static_cast<Real>(i) / kPanels;
        const Real up = span * static_cast<Real>(i + 1) / kPanels;
        weighted += GaussLegendre<30>(
            [&](Real w) { return sign * boost::math::log1p(sign * w / x) * std::exp(fall(w)); }, lo,
            up);
        if (sign < 0) {
            mass += GaussLegendre<30>([&](Real w) { return std::exp(fall(w)); }, lo, up);
        }
    }
    Real mean = 0;
    if (sign < 0) {
        mean = weighted / mass;
    } else {
        // The density at x over P(a + 1, x) is 1/lower.
        const Real whole = boost::math::log1p(((x - a) - 1) / s) + LogLessDigamma(s);
        const Real P = lower.mantissa * std::exp(lower.scale + LogGammaDensity(x, s));
        mean = whole / P + weighted / Plain(lower);
    }
    out.timeAnswered = answered;
    out.time = Times(answered, mean);
}

} // namespace

// Without a cut (or with one beyond every digit): Erlang A's closed forms,
// the answered wait by its positions or by quadrature.
template <typename Real>
Waits<Real> WaitsUntruncated(Real x, Real a, Real perCall, Real w, bool timed,
                             const Window<Real>& window) {
    const Scaled<Real>& L0 = window.lower;
    const SplitAtTime<Real> b = AnsweredWithin(x, a + 1, L0, w);
    const SplitAtTime<Real> v = AnsweredWithin(x, a, LowerGammaRatio(x, a), w);
    Waits<Real> out;
    out.seen = window.seen;
    out.answered = window.answered;
    out.abandoned = window.abandoned;
    out.within = Times(b.within, perCall);
    out.late = Times(b.late, perCall);
    // Still waiting at w: e^-w times the virtual wait's tail, gamma(a + 1,
    // x y) + (x y)^a e^-xy over the same factor.
    out.waiting = Times(Plus(b.late, b.density), std::exp(-w));
    out.reached = Times(v.within, perCall);
    out.unreached = Times(v.late, perCall);
    out.time = {0};
    out.timeAnswered = {1};
    if (timed && !TimeInOverload(x, a, out.answered, out) && !TimeByPositions(x, a, out)) {
        TimeByTheLaw(x, a, L0, out.answered, out);
    }
    return out;
}

template Waits<double> WaitsUntruncated(double, double, double, double, bool,
                                        const Window<double>&);
template Waits<long double> WaitsUntruncated(long double, long double, long double, long double,
                                             bool, const Window<long double>&);

} // namespace teletraffic::erlang_x
