#include "teletraffic/erlang_x.h"

#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/gauss_rules.h"
#include "teletraffic/numerics/lentz.h"
#include "teletraffic/numerics/quadrature.h"
#include "teletraffic/numerics/roots.h"
#include "teletraffic/numerics/scaled.h"
#include "teletraffic/numerics/solve.h"
#include "teletraffic/numerics/stirling.h"

#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/digamma.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/log1p.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <numeric>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Erlang X from its birth-death chain, Erlang A's (erlang_a.cpp) with the
// queue cut at m = lines - agents. At an attempt rate lambda, with x =
// lambda/theta and a = N mu/theta (theta = 1/patience), the states N + k weigh
// t_k = x^k/((a+1)...(a+k)) against state N, k = 0..m, those below it R - 1
// (R = 1/B(A, N)). Attempts are blocked in state N + m; the accepted ones see
// the chain cut at N + m - 1 (arrivals see time averages). With the window's
// sums S_j = t_0 + ... + t_j and G = sum_(k<=m) k t_k, T' = R - 1 + S_(m-1):
//   blocking = t_m/(T' + t_m), P(W > 0) = S_(m-1)/T', P(Ab) = G/(x T'),
//   1 - P(Ab) = (R - 1 + (a/x)(S_m - 1))/T'  (as k t_k = x t_(k-1) - a t_k),
// the average wait P(Ab) patience (Little's law), the occupancy
// ((A/N)(R - 1) + S_m - 1)/T. Lost per attempt L = (t_m + G/x)/T.
// The window's sums are the series Erlang A sums less what lies beyond the
// cut, itself a shifted series: with L(b) = gamma(b, x) e^x/x^(b-1),
//   S_m - 1 = L(a + 1) - t_m L(a + m + 1),
//   G = G(a) - t_m (m L(a + m + 1) + G(a + m)),  G(c) = c + (x - c)(1 + L(c + 1)),
// G(c) the untruncated mean queue. Where the cut falls before the queue's
// peak (x >= a + m) these cancel; there, from the cut downwards, with
// U(b) = Gamma(b, x) e^x/x^(b-1) = x/(x + 1 - b + tau(b)) (tau the tail of
// Legendre's fraction) and the defect D(b) = 1 - (x - b) U(b)/x:
//   S_m/t_m = U(a + m + 1) - (a/x) U(a)/t_m,
//   S_(m-1)/t_m = ((a + m)/x) U(a + m) - (a/x) U(a)/t_m,
//   G/t_m = x (m - tau(a + m + 1))/(x - a - m + tau(a + m + 1)) + a D(a)/t_m.
// From queue position k the wait to an agent, in units of patience, is
// V = sum_(i<=k) Exp(a + i): 1 - e^-V is Beta(k + 1, a). With the caller's
// own patience the attempt is answered within w = theta t with probability
// a/(a + k + 1) I_p(k + 1, a + 1) (p = 1 - e^-w), reaches an agent within it
// with I_p(k + 1, a) (the virtual wait), and E[V e^-V] = a/(a + k + 1)
// sum_(i<=k) 1/(a + i + 1) is the answered one's mean wait. Over the positions
// the wait has the density a e^(-(a+1) v + y) Q(m, y), y = x (1 - e^-v), Q
// the Poisson distribution's: without a cut the integrals are Erlang A's,
//   answered within w:   (a/x) e^x x^-a (gamma(a + 1, x) - gamma(a + 1, x e^-w)),
//   reached after w:     a e^x x^-a gamma(a, x e^-w) = late + e^(x (1 - e^-w) - a w),
// and the answered wait is the density's first moment. The bases: answered
// within t over the accepted (offered), over the answered, over the accepted
// less those gone within t (answered within t or still waiting at t, e^-w
// times the virtual tail), and the virtual wait's share.
// Redials: the attempt rate solves lambda = lambda0 + r lambda L(lambda),
// increasing as lambda (1 - r L) since lambda L grows no faster than lambda.
// A Gamma distributed fresh rate makes each share a ratio of expected counts.
namespace teletraffic {
namespace {

using namespace detail;

template <typename Real> Real Plain(const Scaled<Real>& u) {
    return u.mantissa * std::exp(u.scale);
}

// Past these, patience changes no digit of a double answer, and the sizes
// stay in range: no patience is the largest.
constexpr double kMinRatio = 1e-100;
constexpr double kMaxRatio = 1e100;
// A closed form is taken where its differences lose at most this factor.
constexpr double kMostLoss = 16;
// Queue positions summed one by one, at most.
constexpr std::int64_t kDirect = 4096;
// Erlang A's answered waits position by position, at most (some 4 µs).
constexpr std::int64_t kLongest = 1024;
// The loss the waits' closed forms without patience may take.
constexpr double kWaitsLoss = 256;

// log Gamma(z) - (z - 1/2) log z + z - log sqrt(2 pi), Binet's remainder: by
// Stirling's series from 10 on (to 1e-21), below from lgamma itself.
long double BinetRemainder(long double z) {
    if (z < 10) {
        int sign = 0;
        return boost::math::lgamma(z, &sign) - (z - 0.5L) * std::log(z) + z -
               std::log(2 * 3.14159265358979323846264338327950288L) / 2;
    }
    return LogGammaStar(z);
}

// log t_m = log(x^m/((a + 1) ... (a + m))), in extended precision: its
// terms one by one up to 32, beyond by Stirling's formula with b = a + 1,
//   -m log((b + m)/x) - b log1pmx(m/b) + log1p(m/b)/2 - (Binet(b + m) - Binet(b)),
// each of the size of the queue's rise and fall, (b + m - x) formed first so
// that a cut near the traffic keeps its digits.
template <typename Real> Real LogLastWeight(Real x, Real a, Real m) {
    const long double X = x;
    const long double A = a;
    if (m <= 32) {
        long double product = 1;
        for (int i = 1; i <= static_cast<int>(m); ++i) {
            product *= X / (A + i);
        }
        return static_cast<Real>(std::log(product));
    }
    const long double M = m;
    const long double b = A + 1;
    const long double u = M / b;
    return static_cast<Real>(-M * std::log1p(((A - X) + (M + 1)) / X) -
                             b * boost::math::log1pmx(u) + std::log1p(u) / 2 -
                             (BinetRemainder(b + M) - BinetRemainder(b)));
}

// R - 1 = N Gamma(N, A) e^A / A^N, as Erlang A takes it; none below no agents.
template <typename Real> Scaled<Real> WeightBelowAgents(Real A, Real N) {
    return N == 0 ? Scaled<Real>{0} : InverseBlockingLessOne(A, N);
}

// --- The queue's window --------------------------------------------------------------

// Sums over the queue, relative to state N, all in one scale: the positions
// an accepted attempt may find (S_(m-1)), the blocked state (t_m), those
// answered ((a/x)(S_m - 1)) and those who hang up (G/x).
template <typename Real> struct Window {
    Scaled<Real> seen;
    Scaled<Real> last;
    Scaled<Real> answered;
    Scaled<Real> abandoned;
    bool whole = false;    // the untruncated forms: the cut changes no digit
    Scaled<Real> lower{0}; // and with them L(a + 1), which the waits reuse
};

// G(c) = sum k t_k for the untruncated queue of shape c, given L(c + 1),
// from whichever side of its crossing x = c is free of cancellation.
template <typename Real> Scaled<Real> MeanQueue(Real x, Real c, const Scaled<Real>& beyond) {
    if (x >= c) {
        return Plus(Scaled<Real>{c}, Times(Plus(beyond, Scaled<Real>{1}), x - c));
    }
    return {c * LowerGammaDefect(x, c), 0};
}

template <typename Real> Window<Real> UntruncatedWindow(Real x, Real a, Real perCall) {
    const Scaled<Real> beyond = LowerGammaRatio(x, a + 1);
    return {Plus(Scaled<Real>{1}, beyond),         {0},  Times(beyond, perCall),
            Times(MeanQueue(x, a, beyond), 1 / x), true, beyond};
}

// tau(b), the tail of Legendre's fraction U(b)/x = 1/(x + 1 - b + tau): (b -
// 1)/(x + 3 - b - 2 (2 - b)/(x + 5 - b - ...)), for x >= b. Within some
// standard deviations of b the fraction converges slowly, and tau is taken
// from U itself, losing at most (x - b)^2/b, below 40.
template <typename Real> Real FractionTail(Real x, Real b) {
    if (!((b < 20 && x >= Real(1.5)) || x - b > 6 * std::sqrt(b))) {
        return x / Plain(GammaRatio(x, b)) - (x + 1 - b);
    }
    // f = b_1 + a_2/(b_2 + a_3/(b_3 + ...)), a_i = -i (i - b), b_i = x + 2 i + 1 - b.
    Real f = x + 3 - b;
    f = f == 0 ? kTiny<Real> : f;
    f = Lentz(f, f, Real(0), [&](int j) {
        const int i = j + 1;
        return std::pair<Real, Real>{-i * (i - b), x + 2 * i + 1 - b};
    });
    return (b - 1) / f;
}

template <typename Real> struct ClosedFormWindow {
    Window<Real> window;
    Real loss;               // the factor the differences lost; infinite: not tried
    bool negligible = false; // what lies beyond the cut changes no digit
};

// From the far end: the untruncated sums less the tail beyond the cut, in
// the scale of L(a + 1). Taken for x < a + m + 1, where the tail's terms fall.
template <typename Real>
ClosedFormWindow<Real> WindowLessTail(Real x, Real a, Real m, Real perCall) {
    const Scaled<Real> L0 = LowerGammaRatio(x, a + 1);
    const Real n = a + m;
    const Scaled<Real> Ln = LowerGammaRatio(x, n + 1); // x < n + 1: no scale
    // t_m in the scale of L0, which is 0 or exactly -d0, d0 the log density
    // of Gamma(a + 1) at x: there the density at the cut, exp(dm), shares
    // the rounding of d0.
    const Real s0 = L0.scale;
    const Real last = std::exp(s0 == 0 ? LogLastWeight(x, a, m) : LogGammaDensity(x, n + 1));
    const Real one = std::exp(-s0);
    const Real tail = last * Ln.mantissa;
    const Real beyond = L0.mantissa - tail; // S_m - 1
    // G(a) in the scale of L0, G(a + m) in none.
    const Real Ga = x >= a ? a * one + (x - a) * (one + L0.mantissa) : a * LowerGammaDefect(x, a);
    const Real Gn = x >= n ? n + (x - n) * (1 + Ln.mantissa) : n * LowerGammaDefect(x, n);
    const Real G = Ga - last * (m * Ln.mantissa + Gn);
    ClosedFormWindow<Real> cut;
    cut.window = {{one + (beyond - last), s0}, {last, s0}, {beyond * perCall, s0}, {G / x, s0}};
    cut.loss = std::fmax(L0.mantissa / beyond, Ga / G);
    if (!(cut.loss >= 1)) {
        cut.loss = INFINITY; // a difference of the wrong sign: all digits lost
    }
    cut.negligible = tail <= kEpsilon<Real> / 64 * (one + L0.mantissa) &&
                     last * (m * Ln.mantissa + Gn) <= kEpsilon<Real> / 64 * Ga;
    return cut;
}

// From the cut downwards, relative to t_m: taken for x >= a + m, where the
// window's terms rise to the cut.
template <typename Real>
ClosedFormWindow<Real> WindowFromCut(Real x, Real a, Real m, Real perCall) {
    const Real n = a + m;
    const Real logLast = LogLastWeight(x, a, m);
    const Real inverse = std::exp(-logLast); // 1/t_m, at most 1 here
    const Real tau = FractionTail(x, n + 1);
    const Real Un1 = x / (x - n + tau);
    const Real Un = Plain(GammaRatio(x, n));
    const Real Ua = Plain(GammaRatio(x, a));
    const Real below = a / x * Ua * inverse; // (R(x, a) - 1)/t_m
    const Real whole = Un1 - below;          // S_m/t_m
    const Real seen = n / x * Un - below;    // S_(m-1)/t_m
    const Real ta = FractionTail(x, a);
    const Real defect = a * (1 + ta) / (x + 1 - a + ta) * inverse;
    const Real near = x * m / (x - n + tau);
    const Real G = near - x * tau / (x - n + tau) + defect;
    ClosedFormWindow<Real> cut;
    cut.window = {
        {seen, logLast}, {1, logLast}, {(whole - inverse) * perCall, logLast}, {G / x, logLast}};
    cut.loss = std::fmax(std::fmax(Un1 / whole, n / x * Un / seen), (near + defect) / G);
    if (!(cut.loss >= 1)) {
        cut.loss = INFINITY;
    }
    return cut;
}

// e^-d - 1 + d, of one sign, without the cancellation of its terms near 0.
template <typename Real> Real ExpMinusOneAndLinear(Real d) {
    if (std::fabs(d) > Real(0.25)) {
        return std::expm1(-d) + d;
    }
    Real term = d * d / 2;
    Real sum = term;
    for (int k = 3; k < 40 && std::fabs(term) > kEpsilon<Real> * sum / 4; ++k) {
        term *= -d / k;
        sum += term;
    }
    return sum;
}

// Without patience (a beyond 1e60, where m^2/a is below every digit) the
// weights are rho^k = e^(k l), rho = A/N: sums of a geometric series. With
// u = m l and E(d) = e^-d - 1 + d >= 0, the mean queue's
// 1 - (m + 1) rho^m + m rho^(m + 1) is e^u (E(u) + m E(-l)), two terms of
// one sign, so that rho near 1 loses no digit; for u below -1 the plain
// difference loses less than a factor 3 and e^-u may leave the range.
template <typename Real> ClosedFormWindow<Real> GeometricWindow(Real rho, Real l, Real x, Real m) {
    ClosedFormWindow<Real> cut{};
    cut.loss = 1;
    if (l == 0) {
        cut.window = {{m}, {1}, {m}, {m * (m + 1) / 2 / x}, false};
        return cut;
    }
    const Real em = std::expm1(l);
    const Real u = m * l;
    const Real rise = ExpMinusOneAndLinear(u) + m * ExpMinusOneAndLinear(-l);
    if (l < 0) {
        const Real power = std::exp(u);
        const Real seen = -std::expm1(u) / -em;
        const Real G = rho * (u < -1 ? -std::expm1(u) + m * power * em : power * rise) / (em * em);
        cut.window = {{seen}, {power}, {seen}, {G / x}, false};
    } else {
        // Relative to rho^m.
        const Real seen = -std::expm1(-u) / em;
        const Real G = rho * rise / (em * em);
        cut.window = {{seen, u}, {1, u}, {seen, u}, {G / x, u}, false};
    }
    return cut;
}

// The window's m + 1 terms one by one, for a short window within the
// queue's spread, where both closed forms cancel: there the terms are of
// one size. Relative to state N, renormalized should they grow.
template <typename Real>
Window<Real> WindowStateByState(Real x, Real a, std::int64_t m, Real perCall) {
    Real t = 1;
    Real seen = 0;
    Real beyond = 0;
    Real G = 0;
    Real scale = 0;
    for (std::int64_t k = 0;; ++k) {
        if (k == m) {
            break;
        }
        seen += t;
        t *= x / (a + static_cast<Real>(k + 1));
        beyond += t;
        G += static_cast<Real>(k + 1) * t;
        if (t > Real(1e250)) {
            t *= Real(1e-250);
            seen *= Real(1e-250);
            beyond *= Real(1e-250);
            G *= Real(1e-250);
            scale += 250 * std::log(Real(10));
        }
    }
    return {{seen, scale},
            {1, LogLastWeight(x, a, static_cast<Real>(m))},
            {beyond * perCall, scale},
            {G / x, scale}};
}

// Below the double range of x (a traffic of some 1e-300 erlangs) the sums
// keep their limits: one position, answered with probability a/(a + 1).
template <typename Real> Window<Real> VanishingWindow(Real x, Real a, Real m) {
    if (m == 0) {
        return {{0}, {1}, {0}, {0}};
    }
    const Real last = m == INFINITY ? 0 : std::exp(LogLastWeight(x, a, m));
    return {{1}, {last}, {a / (a + 1)}, {1 / (a + 1)}};
}

// --- The wait's law by quadrature -------------------------------------------------

// The wait's density over the queue and two of its moments, or their
// integrals: those answered, their waits (in units of patience, over the
// density's width) and those who hang up (over the growth of e^v - 1 across
// it).
template <typename R> struct WaitMomentEntries {
    using Real = R;
    Real answered = 0;
    Real answeredWaits = 0;
    Real abandoned = 0;
    static constexpr std::array<Real WaitMomentEntries::*, 3> Members() {
        return {&WaitMomentEntries::answered, &WaitMomentEntries::answeredWaits,
                &WaitMomentEntries::abandoned};
    }
};
template <typename Real> using WaitMoments = Integrands<WaitMomentEntries<Real>>;

// The density of the wait to an agent over the queue, in units of patience,
// a e^(-(a + 1) v + y) Q(m, y) with y = x (1 - e^-v), cut at m queue lines,
// with its moments v and e^v - 1 (the answered wait, and those who hang up).
// Integrated in the offset d from the density's mode, which is found, with
// the points where it has fallen by e^-45, where it is concave: in y.
template <typename Real> class WaitLaw {
public:
    struct Parts {
        WaitMoments<Real> within; // over [0, w]
        WaitMoments<Real> late;   // over [w, infinity)
        Real scale;               // every integral times exp(scale)
    };

    WaitLaw(Real x, Real a, Real m)
        : x_(x)
        , a_(a)
        , m_(m) {
        // The mode: d/dy of log density = 1 - (a + 1)/(x - y) - h(y), h the
        // Gamma(m) hazard, 1/U(y, m), all falling in y.
        const Real top = x - a - 1; // the mode without a cut
        Real y = std::fmax(top, Real(0));
        const auto slope = [&](Real u) {
            return 1 - (a + 1) / (x - u) - (u > 0 ? 1 / Plain(GammaRatio(u, m)) : 0);
        };
        // Unless the cut lies far beyond the untruncated mode, which it then
        // leaves where it was.
        if (top > 0 && slope(top) < 0) {
            Real hi = std::fmin(top, 2 * std::fmax(m, m * x / (a + m)) + 10 * std::sqrt(m) + 10);
            if (!(slope(hi) < 0)) {
                hi = top;
            }
            y = RootWithin(slope, Real(0), hi);
        }
        yRef_ = y;
        vRef_ = -std::log1p(-y / x);
        // The log density's differences in extended precision: where the cut
        // holds the mode far from the untruncated one, its terms run to some
        // 1e5 and would leave double's rounding on every node.
        wide_.a = a;
        wide_.m = m;
        wide_.yRef = y;
        wide_.xRef = static_cast<Wide>(x) - y; // x e^-vref
        wide_.kappa = wide_.xRef - (wide_.a + 1);
        wide_.logQRef = LogQ(wide_.yRef);
        if (y > m) {
            wide_.gammaRef = Plain(GammaRatio(wide_.yRef, wide_.m));
            wide_.linear = (wide_.a + 1) - (wide_.m - 1) * (wide_.xRef / wide_.yRef);
        }
        const auto logQRef = static_cast<Real>(wide_.logQRef);
        // log a + log density at the mode, -(a + 1) v + y, as (a + 1) log1pmx(-u) + (x - a - 1) u.
        const Real u = y / x;
        scale_ = std::log(a) + (a + 1) * (std::log1p(-u) + u) + (x - a - 1) * u + logQRef;
        if (u < Real(0.5)) {
            scale_ = std::log(a) + (a + 1) * boost::math::log1pmx(-u) + (x - a - 1) * u + logQRef;
        }
        // Beyond vEnd, y is x to the last digit: the density falls as e^-(a + 1) v.
        vEnd_ = 40 + std::fmax(std::log(x), Real(0));
        // Where the density (answered) and its virtual form (times e^v) have
        // fallen by e^-45, the first below the mode, the second above: by
        // steps doubling from the least width the density can have.
        const Real least = 1 / (a + 1 + 2 * x);
        vLo_ = vRef_ - FallOffset([&](Real d) { return LogDensity(-d); }, least, vRef_);
        vHi_ = vRef_ + FallOffset([&](Real d) { return LogDensity(d) + d; }, least, vEnd_ - vRef_);
        // The moments scaled to the density's size near its mass.
        width_ = std::fmax(vRef_, (vHi_ - vLo_) / 9);
        growth_ = std::expm1(width_);
    }

    // The integrals over [0, w] and [w, infinity) (w infinite: all in `within`).
    // Pieces between the mass's ends and its mode; where w lies outside the
    // mass, the piece beyond it counts in full, and a point within the
    // density's fall from w keeps Gauss-Kronrod's nodes on it.
    Parts Integrate(Real w) const {
        if (w == INFINITY) {
            // All of it: the two sides of the mode, each to its own size (past
            // vHi the density is below e^-45 of its peak, save the tail of a
            // virtual wait that falls slowly).
            Parts all{RelativeKronrod([&](Real d) { return MomentsAt(d); }, vLo_ - vRef_, Real(0),
                                      64 * kEpsilon<Real>),
                      WaitMoments<Real>(0), scale_};
            all.within += RelativeKronrod([&](Real d) { return MomentsAt(d); }, Real(0),
                                          vHi_ - vRef_, 64 * kEpsilon<Real>);
            if (vHi_ == vEnd_) {
                all.within += TailBeyond(vEnd_);
            }
            all.within.answeredWaits *= width_;
            all.within.abandoned *= growth_;
            return all;
        }
        const Real lower = w < vLo_ ? 0 : vLo_;
        const Real upper = w > vHi_ ? vEnd_ : vHi_;
        std::array<Real, 8> points{lower, vLo_, vRef_, vHi_, upper, std::fmin(w, vEnd_),
                                   lower, upper};
        if (w < vLo_ || (w > vHi_ && w < vEnd_)) {
            const Real fall = 45 / std::fabs(Slope(w - vRef_));
            points[6] = w < vLo_ ? std::fmax(w - fall, Real(0)) : std::fmin(w + fall, vEnd_);
        }
        std::sort(points.begin(), points.end());
        // Each side held to its own size, from a first estimate of its pieces.
        std::array<std::pair<Real, Real>, 7> pieces{};
        std::array<bool, 7> inside{};
        std::array<Real, 2> size{0, 0};
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            pieces[i] = {std::fmax(points[i], lower), std::fmin(points[i + 1], upper)};
            inside[i] = pieces[i].second <= w;
            if (pieces[i].second > pieces[i].first) {
                size[inside[i] ? 0 : 1] += abs(
                    IntegratePanel(pieces[i].first - vRef_, pieces[i].second - vRef_, INFINITY, 0));
            }
        }
        Parts parts{WaitMoments<Real>(0), WaitMoments<Real>(0), scale_};
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const auto [from, to] = pieces[i];
            if (to > from) {
                (inside[i] ? parts.within : parts.late) += IntegratePanel(
                    from - vRef_, to - vRef_, 64 * kEpsilon<Real> * size[inside[i] ? 0 : 1], 16);
            }
        }
        if (upper == vEnd_) {
            // Beyond vEnd, split at w should it lie there.
            const WaitMoments<Real> beyond = TailBeyond(vEnd_);
            if (w <= vEnd_) {
                parts.late += beyond;
            } else {
                const WaitMoments<Real> after = w < INFINITY ? TailBeyond(w) : WaitMoments<Real>(0);
                parts.within += beyond - after;
                parts.late += after;
            }
        }
        for (WaitMoments<Real>* p : {&parts.within, &parts.late}) {
            p->answeredWaits *= width_;
            p->abandoned *= growth_;
        }
        return parts;
    }

private:
    // The point where f falls through 0 within [lo, hi], to 30 bits.
    template <typename F> static Real RootWithin(F f, Real lo, Real hi) {
        const Real fLo = f(lo);
        const Real fHi = f(hi);
        if (fLo == 0 || fHi == 0) {
            return fLo == 0 ? lo : hi;
        }
        return Root(f, Bracket<Real>{lo, hi, fLo, fHi}, "the wait's mode", 30, 200);
    }

    // The offset, up to `most`, where `drop` (0 at 0, concave) reaches -45.
    template <typename F> static Real FallOffset(F drop, Real least, Real most) {
        if (!(most > 0) || drop(most) >= -45) {
            return std::fmax(most, Real(0));
        }
        Real inner = 0;
        Real outer = std::fmin(least, most);
        for (int i = 0; i < 1100 && drop(outer) >= -45; ++i) {
            inner = outer;
            outer = std::fmin(2 * outer, most);
        }
        return RootWithin([&](Real d) { return drop(d) + 45; }, inner, outer);
    }

    // log Q(m, y): from the lower series below m, where Q is near 1.
    using Wide = long double;

    Wide LogQ(Wide y) const {
        if (y <= 0) {
            return 0;
        }
        const Wide D = LogGammaDensity(y, wide_.m);
        if (y <= wide_.m) {
            const Scaled<Wide> P = LowerGammaRatio(y, wide_.m);
            return std::log1p(-P.mantissa * std::exp(P.scale + D));
        }
        const Scaled<Wide> U = GammaRatio(y, wide_.m);
        return std::log(U.mantissa) + U.scale + D;
    }

    // log density at vref + d less at vref, every term of the local size.
    // Beyond m on both sides, log Q's own y^(m - 1) e^-y is taken with the
    // e^g it cancels: their linear terms, x e^-vref times e^-d - 1 each
    // (some 1e7 far into the overload), leave ((a + 1) - (m - 1) x e^-vref
    // / yref) times it.
    Real LogDensity(Real offset) const {
        const Wide d = offset;
        const Wide em1 = std::expm1(-d);
        const Wide dy = -wide_.xRef * em1;
        const Wide y = std::fmax(wide_.yRef + dy, Wide(0)); // v = 0 within rounding
        if (y > wide_.m && wide_.yRef > wide_.m) {
            const Wide u = dy / wide_.yRef;
            return static_cast<Real>(-(wide_.a + 1) * ExpMinusOneAndLinear(d) + wide_.linear * em1 +
                                     (wide_.m - 1) * boost::math::log1pmx(u) +
                                     std::log(Plain(GammaRatio(y, wide_.m)) / wide_.gammaRef));
        }
        return static_cast<Real>(-(wide_.a + 1) * ExpMinusOneAndLinear(d) - wide_.kappa * em1 +
                                 (LogQ(y) - wide_.logQRef));
    }

    WaitMoments<Real> MomentsAt(Real d) const {
        const Real e = std::exp(LogDensity(d));
        const Real v = vRef_ + d;
        return WaitMomentEntries<Real>{.answered = e,
                                       .answeredWaits = e * v / width_,
                                       .abandoned = e * std::expm1(v) / growth_};
    }

    // Over [lo, hi] in the offset. The density is the exponential of its
    // logarithm, whose rounding grows with its size (some 1e4 far into a
    // tail, 1e-15 of the density): its largest on the piece, at an end
    // (concave, 0 at the mode), sets the digits the rules can agree to.
    WaitMoments<Real> IntegratePanel(Real lo, Real hi, Real tolerance, int depth) const {
        const Real size = std::fmax(std::fabs(LogDensity(lo)), std::fabs(LogDensity(hi)));
        return AdaptiveKronrod([&](Real d) { return MomentsAt(d); }, lo, hi, tolerance, depth,
                               Real(0), (256 + 2 * size) * kEpsilon<Real>);
    }

    // Beyond vEnd the density is e^-(a + 1) v times its value there.
    WaitMoments<Real> TailBeyond(Real from) const {
        const WaitMoments<Real> at = MomentsAt(from - vRef_);
        const Real b = a_ + 1;
        return WaitMomentEntries<Real>{.answered = at.answered / b,
                                       .answeredWaits = at.answeredWaits * (1 + 1 / (from * b)) / b,
                                       .abandoned =
                                           at.answered * (std::exp(from) / a_ - 1 / b) / growth_};
    }

    // d/dv of the log density at vref + d.
    Real Slope(Real d) const {
        const auto xRef = static_cast<Real>(wide_.xRef);
        const Real front = xRef * std::exp(-d); // x e^-v
        const Real y = yRef_ - xRef * std::expm1(-d);
        const Real hazard = y > 0 ? 1 / Plain(GammaRatio(y, m_)) : 0;
        return -(a_ + 1) + front * (1 - hazard);
    }

    Real x_, a_, m_;
    struct {
        Wide a = 0, m = 0, yRef = 0, xRef = 0, kappa = 0, logQRef = 0, gammaRef = 1, linear = 0;
    } wide_;
    Real yRef_ = 0, vRef_ = 0;
    Real scale_ = 0, vLo_ = 0, vHi_ = 0, vEnd_ = 0, width_ = 1, growth_ = 1;
};

// --- Service levels and the answered wait -------------------------------------------

// Over the queue, relative to state N and in one scale unless said: the
// positions accepted attempts find, those answered and those who hang up;
// answered within the target time and after it; still waiting at it; the
// wait to an agent within it and after it (in a scale of their own with
// their sum, `seen` again); and the answered's waits summed, in units of
// patience, with the answered in that sum's scale.
template <typename Real> struct Waits {
    Scaled<Real> seen, answered, abandoned;
    Scaled<Real> within, late, waiting;
    Scaled<Real> reached, unreached;
    Scaled<Real> time, timeAnswered;
};

// Over the untruncated queue of shape b (a + 1 for those answered, a for the
// virtual wait), e^x x^(1 - b) (gamma(b, x) - gamma(b, x y)) and
// e^x x^(1 - b) gamma(b, x y), y = e^-w, each a sum of one sign, in the scale
// of L(b) = e^x x^(1 - b) gamma(b, x) (`queue`); and e^(x (1 - y) - (b - 1) w),
// the difference of the shapes b and b - 1, in the scale of the second.
template <typename Real> struct Split { Scaled<Real> within, late, density; };

template <typename Real>
Split<Real> AnsweredWithin(Real x, Real b, const Scaled<Real>& queue, Real w) {
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

// Without a cut (or with one beyond every digit): Erlang A's closed forms,
// the answered wait by its positions or by quadrature.
template <typename Real>
Waits<Real> WaitsUntruncated(Real x, Real a, Real perCall, Real w, bool timed,
                             const Window<Real>& window) {
    const Scaled<Real>& L0 = window.lower;
    const Split<Real> b = AnsweredWithin(x, a + 1, L0, w);
    const Split<Real> v = AnsweredWithin(x, a, LowerGammaRatio(x, a), w);
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

// From the quadrature of the wait's density, cut at m.
template <typename Real> Waits<Real> WaitsByQuadrature(Real x, Real a, Real m, Real w) {
    const typename WaitLaw<Real>::Parts law = WaitLaw<Real>(x, a, m).Integrate(w);
    const Real s = law.scale;
    const WaitMoments<Real>& in = law.within;
    const WaitMoments<Real>& out = law.late;
    Waits<Real> waits;
    waits.answered = {in.answered + out.answered, s};
    waits.abandoned = {in.abandoned + out.abandoned, s};
    waits.seen = {in.answered + out.answered + in.abandoned + out.abandoned, s};
    waits.within = {in.answered, s};
    waits.late = {out.answered, s};
    waits.reached = {in.answered + in.abandoned, s};
    waits.unreached = {out.answered + out.abandoned, s};
    waits.waiting = Times(waits.unreached, std::exp(-w));
    waits.time = {in.answeredWaits + out.answeredWaits, s};
    waits.timeAnswered = waits.answered;
    return waits;
}

// P(J >= m) for J negative binomial (shape b, p), given P(J <= m - 1) and
// the ratio of its terms: from the complement below the median, else the
// tail's own terms while they fall fast, else Boost's incomplete beta.
template <typename Real>
Real NegativeBinomialTail(std::int64_t m, Real b, Real p, Real below, Real term, bool poisson,
                          Real z) {
    if (below <= Real(0.5)) {
        return 1 - below;
    }
    const auto ratio = [&](std::int64_t j) {
        return poisson ? z / static_cast<Real>(j)
                       : (static_cast<Real>(j) + b - 1) * p / static_cast<Real>(j);
    };
    if (ratio(m) < Real(0.9) && (poisson || b >= 1 || p < Real(0.9))) {
        Real sum = 0;
        for (std::int64_t j = m; j < m + 1000; ++j) {
            term *= ratio(j);
            sum += term;
            if (term <= kEpsilon<Real> / 8 * sum) {
                return sum;
            }
        }
    }
    if (poisson) {
        // P(Poisson(z) >= m) = P(m, z), the lower regularized gamma.
        const Scaled<Real> L = LowerGammaRatio(z, static_cast<Real>(m));
        return L.mantissa * std::exp(L.scale + LogGammaDensity(z, static_cast<Real>(m)));
    }
    // In the type's own precision: Boost would carry a double through long
    // double's powl, several times the cost of the rest of a traffic's figures.
    using Own = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
    return boost::math::ibeta(static_cast<Real>(m), b, p, Own());
}

// The positions one by one, for a short window. From position k, reaching
// an agent within w takes k + 1 service completions before the virtual
// wait's e^-V falls to e^-w: P(J >= k + 1), J negative binomial of shape a
// and p = 1 - e^-w; with the caller's own patience, shape a + 1 and weight
// a/(a + k + 1). The lower tails run upwards from P(J = 0) = e^(-b w), the
// upper ones downwards from P(J >= m): each a sum of one sign. Without
// patience (a beyond 1e30) J is Poisson, of mean N t/aht.
// What each position gives does not depend on the traffic.
template <typename Real> struct Positions {
    Real a = NAN;
    Real w = NAN;
    std::int64_t m = -1;
    std::vector<Real> step;      // 1/(a + k + 1), the weight's factor over the traffic
    std::vector<Real> answered;  // a/(a + k + 1)
    std::vector<Real> abandoned; // (k + 1)/(a + k + 1)
    std::vector<Real> in, out;   // answered within w and after it
    std::vector<Real> reached, unreached;
    std::vector<Real> time; // the answered's wait, in units of patience
};

// The first m positions, their upper tails from P(J >= m).
template <typename Real>
void TabulatePositions(Positions<Real>& q, Real a, std::int64_t m, Real w) {
    q.a = a;
    q.m = m;
    q.w = w;
    const auto size = static_cast<std::size_t>(m);
    for (auto* v :
         {&q.step, &q.answered, &q.abandoned, &q.in, &q.out, &q.reached, &q.unreached, &q.time}) {
        v->resize(size);
    }
    const Real p = -std::expm1(-w);
    const bool poisson = a > Real(1e30);
    std::vector<Real> late(size), within(size), terms(size);
    for (int s = 0; s < 2; ++s) {
        const Real b = s == 0 ? a + 1 : a;
        const Real z = b * std::expm1(w); // the mean, without patience
        // u = P(J = j) e^-uScale, kept in range however small P(J = 0).
        const Real logU0 = poisson ? -z : -b * w;
        Real uScale = std::fmin(logU0 + 600, Real(0));
        Real u = std::exp(logU0 - uScale);
        Real sum = 0;
        Real factor = std::exp(uScale); // changed only with the scale
        for (std::size_t k = 0; k < size; ++k) {
            if (k > 0) {
                u *= poisson ? z / static_cast<Real>(k)
                             : (static_cast<Real>(k) + b - 1) * p / static_cast<Real>(k);
            }
            sum += u;
            if (u > Real(1e250)) {
                u *= Real(1e-250);
                sum *= Real(1e-250);
                uScale += 250 * std::log(Real(10));
                factor = std::exp(uScale);
            }
            late[k] = sum * factor;
            terms[k] = u * factor;
        }
        Real upper = NegativeBinomialTail(m, b, p, late[size - 1], terms[size - 1], poisson, z);
        for (std::size_t k = size; k-- > 0;) {
            within[k] = late[k] <= Real(0.5) ? 1 - late[k] : upper;
            upper += terms[k];
        }
        if (s == 1) {
            q.reached = within;
            q.unreached = late;
            break;
        }
        Real harmonic = 0;
        for (std::size_t k = 0; k < size; ++k) {
            const Real kk = static_cast<Real>(k + 1);
            q.step[k] = 1 / (a + kk);
            const Real share = a / (a + kk);
            harmonic += q.step[k];
            q.answered[k] = share;
            q.abandoned[k] = kk / (a + kk);
            q.in[k] = share * within[k];
            q.out[k] = share * late[k];
            q.time[k] = share * harmonic;
        }
    }
}

// The positions' sums at traffic x: the weight of each relative to the
// first, rescaled while it grows, left out past the queue's last digits.
// False where the positions end before the weights fall so.
template <typename Real> bool SumPositions(const Positions<Real>& q, Real x, Waits<Real>& out) {
    Real tScale = 0;
    Real weight = 1;
    Real seen = 0, answered = 0, abandoned = 0, in = 0, late = 0, reached = 0, unreached = 0;
    Real time = 0;
    bool fell = false;
    for (std::size_t k = 0; k < static_cast<std::size_t>(q.m); ++k) {
        seen += weight;
        answered += weight * q.answered[k];
        abandoned += weight * q.abandoned[k];
        in += weight * q.in[k];
        late += weight * q.out[k];
        reached += weight * q.reached[k];
        unreached += weight * q.unreached[k];
        time += weight * q.time[k];
        weight *= x * q.step[k];
        if (weight > Real(1e250)) {
            for (Real* v :
                 {&weight, &seen, &answered, &abandoned, &in, &late, &reached, &unreached, &time}) {
                *v *= Real(1e-250);
            }
            tScale += 250 * std::log(Real(10));
        }
        if (weight < kEpsilon<Real> / 1024 * seen && x < q.a + static_cast<Real>(k + 2)) {
            fell = true; // the rest no longer counts
            break;
        }
    }
    out.seen = {seen, tScale};
    out.answered = {answered, tScale};
    out.abandoned = {abandoned, tScale};
    out.within = {in, tScale};
    out.late = {late, tScale};
    out.waiting = {unreached * std::exp(-q.w), tScale};
    out.reached = {reached, tScale};
    out.unreached = {unreached, tScale};
    out.time = {time, tScale};
    out.timeAnswered = out.answered;
    return fell;
}

template <typename Real>
bool WaitsByPositions(Real x, Real a, std::int64_t m, Real w, Waits<Real>& waits) {
    // The weights fall below the queue's last digits within some twelve of
    // their deviations past their peak at x - a: where that leaves most of
    // the window, only the positions up to there, for this traffic alone;
    // else the whole window's (at most kDirect), kept for the next traffic (a
    // forecast's quadrature asks the same queue at each of its nodes).
    // Either way a function of the arguments, whatever was asked before.
    const Real reach = std::fmax(x - a, Real(0)) + 12 * std::sqrt(x + 1) + 64;
    if (reach < std::fmin(static_cast<Real>(m) / 2, static_cast<Real>(kDirect))) {
        thread_local Positions<Real> part;
        TabulatePositions(part, a, static_cast<std::int64_t>(reach), w);
        if (SumPositions(part, x, waits)) {
            return true;
        }
    }
    if (m > kDirect) {
        return false;
    }
    thread_local Positions<Real> whole;
    if (!(whole.a == a && whole.m == m && whole.w == w)) {
        TabulatePositions(whole, a, m, w);
    }
    SumPositions(whole, x, waits);
    return true;
}

// log(1 + rho + ... + rho^(n - 1)), rho = e^l, n >= 1, for any size of n l.
template <typename Real> Real LogGeometricSum(Real n, Real l) {
    if (l == 0) {
        return std::log(n);
    }
    if (n * l > 30) {
        return n * l + std::log(-std::expm1(-n * l)) - std::log(std::expm1(l));
    }
    return std::log(std::expm1(n * l) / std::expm1(l));
}

// Q(a, x) and P(a, x) in scaled form, the smaller from its ratio and the
// density, the larger as its complement: the density's logarithm, of the
// size of a, costs the smaller one digits only where it is negligible.
template <typename Real> std::pair<Scaled<Real>, Scaled<Real>> GammaTails(Real x, Real a) {
    const Real logD = LogGammaDensity(x, a);
    if (x < a) {
        const Scaled<Real> L = LowerGammaRatio(x, a);
        const Scaled<Real> P{L.mantissa, L.scale + logD};
        return {{1 - Plain(P)}, P};
    }
    const Scaled<Real> U = GammaRatio(x, a);
    const Scaled<Real> Q{U.mantissa, U.scale + logD};
    return {Q, {1 - Plain(Q)}};
}

// Whether what remains of the whole, taken as a difference, keeps its
// digits: a remainder that rounding leaves below 0 (a share of 1e-300 taken
// from one of its size) keeps none.
template <typename Real> bool KeepsDigits(const Scaled<Real>& whole, const Scaled<Real>& rest) {
    return rest.mantissa > 0 && Over(whole, rest) <= kWaitsLoss;
}

// Without patience, with m queue positions weighing rho^k = e^(k l): from
// position k the caller reaches an agent within the target time when J >= k +
// 1 agents finish, J Poisson of mean z = N t/aht. Over the positions, the
// late are sum_(j<m) P(J = j) rho^j (1 - rho^(m - j))/(1 - rho) and the rest
// of the seen reach an agent in time; the sums telescope into
//   late   = (T1 - rho^m Q(m, z))/(1 - rho),
//   within = (1 - T1 - rho^m P(m, z))/(1 - rho),
// T1 = e^(z (rho - 1)) Q(m, z rho),
// Q and P the regularized gammas, good to some units in their last place:
// each difference is taken where it loses at most a factor 256 (1e-13
// kept), the other as what remains of the seen; false where neither keeps
// its digits (rho a hair from 1 against the lines, or the cut near z).
template <typename Real>
bool GeometricWaits(Real l, Real m, Real z, const Scaled<Real>& seen, Scaled<Real>& within,
                    Scaled<Real>& late) {
    if (l == 0) {
        // rho = 1: late = sum_(j<m) P(J = j) (m - j) = m Q(m, z) - z Q(m - 1, z)
        // and within = z Q(m - 1, z) + m P(m, z), of one sign.
        const auto [q, p] = GammaTails(z, m);
        const Real before = m > 1 ? z * Plain(GammaTails(z, m - 1).first) : 0;
        within = {before + m * Plain(p)};
        const Real lateSum = m * Plain(q) - before;
        if (m * Plain(q) <= kWaitsLoss * lateSum) {
            late = {lateSum};
            return true;
        }
        late = Minus(seen, within);
        return KeepsDigits(seen, late);
    }
    const auto [q1, p1] = GammaTails(z * std::exp(l), m);
    const auto [q, p] = GammaTails(z, m);
    const Scaled<Real> t1{q1.mantissa, q1.scale + z * std::expm1(l)};
    const Scaled<Real> upper{q.mantissa, q.scale + m * l};
    const Scaled<Real> lower{p.mantissa, p.scale + m * l};
    const Real em = -std::expm1(l); // 1 - rho
    const Scaled<Real> lateSum = Plus(t1, Scaled<Real>{-upper.mantissa, upper.scale});
    const Scaled<Real> withinSum = Plus(Plus(Scaled<Real>{1}, Scaled<Real>{-t1.mantissa, t1.scale}),
                                        Scaled<Real>{-lower.mantissa, lower.scale});
    const auto loss = [](const Scaled<Real>& sum, const Scaled<Real>& part) {
        return std::fabs(Over(part, sum));
    };
    const Real lateLoss = std::fmax(loss(lateSum, t1), loss(lateSum, upper));
    const Real withinLoss = std::fmax(
        std::fmax(loss(withinSum, Scaled<Real>{1}), loss(withinSum, t1)), loss(withinSum, lower));
    const bool lateKept = lateLoss <= kWaitsLoss;
    const bool withinKept = withinLoss <= kWaitsLoss;
    if (lateKept) {
        late = Times(lateSum, 1 / em);
    }
    if (withinKept) {
        within = Times(withinSum, 1 / em);
    }
    if (lateKept && !withinKept) {
        within = Minus(seen, late);
        return KeepsDigits(seen, within);
    }
    if (withinKept && !lateKept) {
        late = Minus(seen, within);
        return KeepsDigits(seen, late);
    }
    return lateKept;
}

// The same sums term by term over the Poisson law's span, about z: their
// terms of one sign, P(J = j) from Temme's density, for rho near 1 or a cut
// near z, where the closed forms cancel.
template <typename Real>
void GeometricWaitsBySpan(Real l, std::int64_t m, Real z, const Scaled<Real>& seen,
                          Scaled<Real>& within, Scaled<Real>& late) {
    const Real spread = 40 * std::sqrt(z) + 40;
    // Clamped in Real before the casts: a target time of 1e300 puts z far
    // beyond any count, where every position is reached in time.
    const Real end = std::fmin(z + spread, static_cast<Real>(m - 1));
    const auto first = static_cast<std::int64_t>(std::fmin(std::fmax(z - spread, Real(0)), end));
    const auto last = static_cast<std::int64_t>(end);
    thread_local std::vector<Real> logs;
    logs.clear();
    Real top = -INFINITY;
    const auto M = static_cast<Real>(m);
    for (std::int64_t j = first; j <= last; ++j) {
        const auto J = static_cast<Real>(j);
        const Real p = LogGammaDensity(z, J + 1);
        const Real in = j == 0 ? -INFINITY : p + LogGeometricSum(J, l);
        const Real out = p + J * l + LogGeometricSum(M - J, l);
        logs.push_back(in);
        logs.push_back(out);
        top = std::fmax(top, std::fmax(in, out));
    }
    Real in = 0;
    Real out = 0;
    for (std::size_t i = 0; i < logs.size(); i += 2) {
        in += std::exp(logs[i] - top);
        out += std::exp(logs[i + 1] - top);
    }
    late = {out, top};
    // J >= m: every position reaches an agent in time.
    const Real reach = last < m - 1 ? 0 : LowerGammaTail(z, M);
    within = Plus(Scaled<Real>{in, top}, Times(seen, reach));
}

// --- The centre at an attempt traffic ---------------------------------------------

// The checked arguments, as the formulas take them.
struct Centre {
    double agents;
    double aht;
    double patience; // as the formulas use it: aht times the ratio below
    double ratio;    // patience/aht within [1e-100, 1e100]; without patience the largest
    bool hangUps;
    bool limited;
    double queueLines; // lines less agents
    double redial;
    double shape; // of the fresh traffic's Gamma law; infinite: no spread
};

template <typename Real> struct Chain {
    Real x, a, perCall, load;
    Real logLoad; // log(A/N), of its own digits near 1: rho^m at many lines
    bool vanishing;
    Scaled<Real> below;
    Window<Real> window;
};

// The window's sums by whichever form keeps its digits: the closed forms
// from beyond the cut or from it, else the terms one by one, else (a cut
// within the spread of a queue of more than 1e8 agents' worth of patience)
// the quadrature.
template <typename Real> Window<Real> WindowOf(const Chain<Real>& ch, const Centre& c) {
    const Real x = ch.x;
    const Real a = ch.a;
    const auto m = static_cast<Real>(c.queueLines);
    if (c.agents == 0) {
        // Every caller waits until they hang up: Erlang B of x erlangs on the lines.
        if (!c.limited) {
            return {{1}, {0}, {0}, {1}, false};
        }
        const Scaled<Real> rest = InverseBlockingLessOne(x, m);
        return {rest, {1}, {0}, rest, false};
    }
    if (ch.vanishing) {
        return VanishingWindow(x, a, c.limited ? m : Real(INFINITY));
    }
    if (!c.limited) {
        return UntruncatedWindow(x, a, ch.perCall);
    }
    if (m == 0) {
        return {{0}, {1}, {0}, {0}, false};
    }
    if (a > Real(1e60)) {
        const ClosedFormWindow<Real> geometric = GeometricWindow(ch.load, ch.logLoad, x, m);
        if (geometric.loss <= kMostLoss) {
            return geometric.window;
        }
    } else if (x < a + m + 1) {
        const ClosedFormWindow<Real> beyond = WindowLessTail(x, a, m, ch.perCall);
        if (beyond.negligible) {
            Window<Real> whole = UntruncatedWindow(x, a, ch.perCall);
            whole.last = beyond.window.last;
            return whole;
        }
        if (beyond.loss <= kMostLoss) {
            return beyond.window;
        }
    } else {
        const ClosedFormWindow<Real> from = WindowFromCut(x, a, m, ch.perCall);
        if (from.loss <= kMostLoss) {
            return from.window;
        }
    }
    // Both cancel: the cut lies within the queue's spread of its peak.
    if (c.queueLines <= kDirect) {
        return WindowStateByState(x, a, static_cast<std::int64_t>(c.queueLines), ch.perCall);
    }
    const typename WaitLaw<Real>::Parts law = WaitLaw<Real>(x, a, m).Integrate(INFINITY);
    const Real s = law.scale;
    return {{law.within.answered + law.within.abandoned, s},
            {1, LogLastWeight(x, a, m)},
            {law.within.answered, s},
            {law.within.abandoned, s},
            false};
}

template <typename Real> Chain<Real> ChainAt(Real A, const Centre& c) {
    Chain<Real> ch;
    const auto N = static_cast<Real>(c.agents);
    const auto ratio = static_cast<Real>(c.ratio);
    ch.x = A * ratio;
    ch.a = N * ratio;
    ch.perCall = N / A;
    ch.load = A / N;
    // A - N is exact within a factor 2 of N.
    ch.logLoad = N > 0 && A >= N / 2 && A <= 2 * N ? std::log1p((A - N) / N) : std::log(ch.load);
    ch.vanishing = !(ch.x >= std::numeric_limits<Real>::min());
    ch.below = WeightBelowAgents(A, N);
    ch.window = WindowOf(ch, c);
    return ch;
}

template <typename Real> struct Shares {
    Real blocking;
    Real pass; // 1 - blocking, of its own digits
    Real wait;
    Real abandon;
    Real answered; // 1 - abandon, of its own digits
    Real occupancy;
    Real lost; // per attempt: blocked or hung up
    Real kept; // 1 - lost
};

template <typename Real> Shares<Real> SharesOf(const Chain<Real>& ch, const Centre& c) {
    const Window<Real>& w = ch.window;
    const Scaled<Real> accepted = Plus(ch.below, w.seen);
    const Scaled<Real> total = Plus(accepted, w.last);
    const Scaled<Real> served = Plus(ch.below, w.answered);
    // Each a share of its whole: at most 1, whatever the rounding.
    const auto share = [](const Scaled<Real>& part, const Scaled<Real>& whole) {
        return std::fmin(Over(part, whole), Real(1));
    };
    Shares<Real> s;
    s.blocking = share(w.last, total);
    s.pass = share(accepted, total);
    s.wait = share(w.seen, accepted);
    s.abandon = share(w.abandoned, accepted);
    s.answered = share(served, accepted);
    // Without patience the window's hang-ups are those of a patience of
    // 1e100 handling times, which no caller has.
    s.lost = share(c.hangUps ? Plus(w.last, w.abandoned) : w.last, total);
    s.kept = share(served, total);
    if (c.agents == 0) {
        s.occupancy = 0;
    } else if (ch.load > Real(1e-250) && ch.load < Real(1e250)) {
        s.occupancy = share(Times(served, ch.load), total);
    } else {
        // A / N into the scale, where it leaves the range.
        const Scaled<Real> weighted{served.mantissa, served.scale + std::log(ch.load)};
        s.occupancy = share(weighted, total);
    }
    return s;
}

// Service level and its complement on a basis, and the answered wait.
template <typename Real> struct Service {
    Real level;
    Real miss;
    Real answeredWait;
    Real kept; // the basis's denominator per accepted attempt
};

// Without patience everyone accepted is answered, and the answered wait is
// the average one: Little's law on the window's mean queue.
template <typename Real>
Waits<Real> WaitsWithoutPatience(const Chain<Real>& ch, std::int64_t m, Real z) {
    const Window<Real>& win = ch.window;
    Waits<Real> q{};
    q.seen = win.seen;
    q.answered = q.timeAnswered = win.answered;
    q.abandoned = q.time = win.abandoned;
    const Real l = ch.logLoad;
    if (z == 0) {
        q.within = {0};
        q.late = win.seen;
    } else if (!GeometricWaits(l, static_cast<Real>(m), z, win.seen, q.within, q.late)) {
        GeometricWaitsBySpan(l, m, z, win.seen, q.within, q.late);
    }
    q.reached = q.within;
    q.unreached = q.waiting = q.late;
    return q;
}

template <typename Real>
Waits<Real> WaitsOf(const Chain<Real>& ch, const Centre& c, Real w, bool timed) {
    const Real x = ch.x;
    const Real a = ch.a;
    if (c.agents == 0) {
        Waits<Real> none{};
        none.seen = none.abandoned = ch.window.seen;
        none.waiting = Times(ch.window.seen, std::exp(-w));
        none.unreached = ch.window.seen;
        none.within = none.late = none.reached = none.answered = none.time =
            none.timeAnswered = {0};
        return none;
    }
    if (ch.vanishing) {
        const Real b = a + 1;
        const auto m = static_cast<Real>(c.queueLines);
        Waits<Real> v{};
        const bool one = !c.limited || m > 0;
        const Real share = one ? a / b : 0;
        v.seen = {one ? Real(1) : Real(0)};
        v.answered = v.timeAnswered = {share};
        v.abandoned = {one ? 1 / b : 0};
        v.within = {-share * std::expm1(-b * w)};
        v.late = {share * std::exp(-b * w)};
        v.reached = {one ? -std::expm1(-a * w) : 0};
        v.unreached = {one ? std::exp(-a * w) : 0};
        v.waiting = Times(v.unreached, std::exp(-w));
        v.time = {share / b};
        return v;
    }
    if (ch.window.whole) {
        Waits<Real> q = WaitsUntruncated(x, a, ch.perCall, w, timed && c.hangUps, ch.window);
        if (!c.hangUps) {
            // Everyone is answered: the answered wait is the average one.
            q.time = ch.window.abandoned;
            q.timeAnswered = ch.window.answered;
        }
        return q;
    }
    if (c.queueLines == 0) {
        Waits<Real> none{};
        none.seen = none.answered = none.abandoned = none.within = none.late = none.waiting =
            none.reached = none.unreached = none.time = none.timeAnswered = {0};
        return none;
    }
    if (!c.hangUps && c.agents > 0) {
        return WaitsWithoutPatience(ch, static_cast<std::int64_t>(c.queueLines),
                                    static_cast<Real>(c.agents) * w * static_cast<Real>(c.ratio));
    }
    Waits<Real> direct;
    if (WaitsByPositions(x, a, static_cast<std::int64_t>(c.queueLines), w, direct)) {
        return direct;
    }
    return WaitsByQuadrature(x, a, static_cast<Real>(c.queueLines), w);
}

template <typename Real>
Service<Real> ServiceOf(const Chain<Real>& ch, const Centre& c, Real targetTime, Basis basis,
                        bool timed) {
    const Real w = targetTime / static_cast<Real>(c.patience);
    const Waits<Real> q = WaitsOf(ch, c, w, timed);
    const Scaled<Real>& below = ch.below;
    Scaled<Real> level = Plus(below, q.within);
    Scaled<Real> miss{0};
    Scaled<Real> whole{0};
    switch (basis) {
    case Basis::Offered:
        whole = Plus(below, q.seen);
        miss = Plus(q.abandoned, q.late);
        break;
    case Basis::Answered:
        whole = Plus(below, q.answered);
        miss = q.late;
        break;
    case Basis::ExcludingShortAbandons:
        whole = Plus(level, q.waiting);
        miss = q.waiting;
        break;
    case Basis::Virtual:
        level = Plus(below, q.reached);
        whole = Plus(level, q.unreached);
        miss = q.unreached;
        break;
    }
    Service<Real> s;
    if (whole.mantissa == 0) {
        s.level = 0; // nobody answered, on the answered basis
        s.miss = 1;
    } else {
        s.level = std::fmin(Over(level, whole), Real(1));
        s.miss = Over(miss, whole);
    }
    const Scaled<Real> answered = Plus(below, q.timeAnswered);
    // Not asked for: 0 whichever form gave the rest.
    s.answeredWait = !timed || answered.mantissa == 0
                         ? 0
                         : Over(q.time, answered) * static_cast<Real>(c.patience);
    s.kept = basis == Basis::Virtual ? Real(1) : Over(whole, Plus(below, q.seen));
    return s;
}

// --- Redials -----------------------------------------------------------------------

// The attempt traffic A = A0 + r A L(A): A (1 - r L(A)) rises with A (A L(A)
// grows no faster than A), from at most A0 at A0 to at least A0 at
// A0/(1 - r); posed on its logarithm, 1 - r L = (1 - r) + r (1 - L) keeping
// its digits where r and L both near 1. Solved by TOMS 748 to the last bits.
// `near`: the last two fresh traffics solved for and their attempts (a
// quadrature's nodes before), which narrow the bracket to a few steps of
// the method; updated with this one.
template <typename Real> struct NearbyRoots {
    Real fresh = 0;
    Real attempts = 0;
    Real freshBefore = 0;
    Real attemptsBefore = 0;
};

template <typename Real>
Real AttemptTraffic(Real A0, const Centre& c, NearbyRoots<Real>* near = nullptr) {
    const auto r = static_cast<Real>(c.redial);
    if (r == 0 || A0 == 0 || (!c.hangUps && !c.limited)) {
        return A0;
    }
    const Real logA0 = std::log(A0);
    const auto f = [&](Real A) {
        const Shares<Real> s = SharesOf(ChainAt(A, c), c);
        return std::log(A) + std::log((1 - r) + r * s.kept) - logA0;
    };
    Real lo = A0;
    Real hi = A0 / (1 - r);
    Real fLo = NAN;
    Real fHi = NAN;
    if (near && near->fresh > 0) {
        // A guess from the nodes nearby, by the slope of log A over log A0
        // where there are two, else by their ratio; and a step from it half
        // again as far as Newton's (f's slope in log A is its inverse): a
        // bracket in two evaluations where they hold, else the whole one.
        Real slope = 1;
        if (near->freshBefore > 0 && near->freshBefore != near->fresh) {
            const Real s = std::log(near->attempts / near->attemptsBefore) /
                           std::log(near->fresh / near->freshBefore);
            slope = s > 0 && s < 1e3 ? s : 1;
        }
        const Real guess =
            std::clamp(near->attempts * std::exp(slope * std::log(A0 / near->fresh)), lo, hi);
        const Real fGuess = f(guess);
        const Real other = std::clamp(guess * std::exp(-Real(1.5) * fGuess * slope), lo, hi);
        const Real fOther = other == guess ? fGuess : f(other);
        if (fGuess <= 0 && fOther >= 0) {
            std::tie(lo, fLo, hi, fHi) = std::tuple(guess, fGuess, other, fOther);
        } else if (fGuess >= 0 && fOther <= 0) {
            std::tie(lo, fLo, hi, fHi) = std::tuple(other, fOther, guess, fGuess);
        }
    }
    if (std::isnan(fLo)) {
        lo = A0;
        hi = A0 / (1 - r);
        fLo = f(lo);
        if (fLo >= 0) {
            return lo;
        }
        fHi = f(hi);
        if (fHi <= 0) {
            return hi;
        }
    }
    Real A = fLo == 0 ? lo : hi;
    if (fLo != 0 && fHi != 0) {
        A = Root(f, Bracket<Real>{lo, hi, fLo, fHi}, "the attempt rate with redials");
    }
    if (near) {
        *near = {A0, A, near->fresh, near->attempts};
    }
    return A;
}

// --- Arguments ---------------------------------------------------------------------

// `idle`: no traffic, which no agents keep waiting even if nobody hangs up.
Centre CheckCentre(double agents, const ErlangXModel& model, bool idle = false) {
    CheckCount(agents, Argument::Agents);
    CheckTimes(model.aht, 0);
    Require(model.patience > 0, Argument::Patience, "a time greater than 0, or none (left out)",
            model.patience);
    Require(model.lines >= 1 &&
                (model.lines == INFINITY ||
                 (model.lines <= kMaxLines && model.lines == std::floor(model.lines))),
            Argument::Lines, "a whole number from 1 to 2e9, or none (left out)", model.lines);
    Require(model.redial >= 0 && model.redial < 1, Argument::Redial,
            "from 0 up to but not including 1", model.redial);
    Centre c{};
    c.agents = agents;
    c.aht = model.aht;
    c.hangUps = model.patience < INFINITY;
    c.limited = model.lines < INFINITY;
    c.ratio = c.hangUps ? std::clamp(model.patience / model.aht, kMinRatio, kMaxRatio) : kMaxRatio;
    c.patience = model.aht * c.ratio;
    c.redial = model.redial;
    if (c.limited) {
        Require(agents == std::floor(agents), Argument::Agents,
                "a whole number when lines are given", agents);
        if (!(agents <= model.lines)) {
            throw DomainError(Argument::Lines, model.lines,
                              "at least the agents, " + ShowNumber(agents));
        }
        c.queueLines = model.lines - agents;
    } else {
        c.queueLines = INFINITY;
    }
    if (!c.hangUps) {
        Require(agents > 0 || idle, Argument::Agents, "greater than 0 when callers never hang up",
                agents);
    }
    c.shape = INFINITY;
    if (model.variance != 0) {
        Require(model.calls > 0 && model.calls < INFINITY, Argument::Calls,
                "a number greater than 0 with a variance", model.calls);
        if (!(model.variance >= model.calls && model.variance < INFINITY)) {
            throw DomainError(Argument::Variance, model.variance,
                              "at least the calls, " + ShowNumber(model.calls));
        }
        if (model.variance > model.calls) {
            Require(c.hangUps || c.limited, Argument::Variance,
                    "equal to the calls unless lines or patience keep the queue finite",
                    model.variance);
            c.shape = model.calls / (model.variance - model.calls) * model.calls;
        }
    }
    return c;
}

// What a caller needs beyond the shares: the service level, and the
// answered wait (by quadrature without a cut, the costlier part).
enum class Need { Shares, Level, All };

// Every figure at a fresh traffic with no spread.
template <typename Real> struct Point {
    Real attempts;
    Shares<Real> shares;
    Service<Real> service;
    Real callersLost;
};

template <typename Real>
Point<Real> PointAt(Real A0, const Centre& c, Real targetTime, Basis basis, Need need = Need::All,
                    NearbyRoots<Real>* near = nullptr) {
    Point<Real> p{};
    p.attempts = AttemptTraffic(A0, c, near);
    if (p.attempts == 0) {
        p.service = {1, 0, 0, 1};
        return p;
    }
    const Chain<Real> ch = ChainAt(p.attempts, c);
    p.shares = SharesOf(ch, c);
    if (need != Need::Shares) {
        p.service = ServiceOf(ch, c, targetTime, basis, need == Need::All);
    }
    const auto r = static_cast<Real>(c.redial);
    // L (1 - r)/(1 - r L), 1 - r L as (1 - r) + r (1 - L).
    p.callersLost = p.shares.lost * (1 - r) / ((1 - r) + r * p.shares.kept);
    return p;
}

// Every figure, in the precision of Real: the service level with its
// complement, of its own digits.
template <typename Real> struct Figures {
    Real blocking;
    Real wait;
    Real abandon;
    Real averageWait;
    Real answeredWait;
    Real occupancy;
    Real level;
    Real miss;
    Real attempts;
    Real callersLost;
};

template <typename Real> Figures<Real> FiguresOf(const Point<Real>& p, const Centre& c) {
    Figures<Real> f{};
    f.blocking = p.shares.blocking;
    f.wait = p.shares.wait;
    f.abandon = p.shares.abandon;
    f.averageWait = p.shares.abandon * static_cast<Real>(c.patience);
    f.answeredWait = p.service.answeredWait;
    f.occupancy = p.shares.occupancy;
    f.level = p.service.level;
    f.miss = p.service.miss;
    f.attempts = p.attempts;
    f.callersLost = p.callersLost;
    return f;
}

// --- Forecast variance ---------------------------------------------------------------

// Counts per unit of time, in erlangs, at a fresh traffic: a share of the
// forecast's figures is the ratio of two of them in expectation.
template <typename R> struct CountEntries {
    using Real = R;
    Real attempts = 0;      // fresh and redialled
    Real blocked = 0;       // attempts finding every line busy
    Real accepted = 0;      // the rest
    Real waiting = 0;       // accepted who wait
    Real abandoned = 0;     // accepted who hang up
    Real answered = 0;      // accepted who are answered
    Real answeredWaits = 0; // the answered's waits
    Real levelMet = 0;      // the service level's numerator
    Real levelMissed = 0;   // its complement's
    Real levelWhole = 0;    // their denominator, the basis's
    Real freshLost = 0;     // fresh callers never answered
    Real fresh = 0;         // fresh callers
    static constexpr std::array<Real CountEntries::*, 12> Members() {
        return {&CountEntries::attempts,      &CountEntries::blocked,   &CountEntries::accepted,
                &CountEntries::waiting,       &CountEntries::abandoned, &CountEntries::answered,
                &CountEntries::answeredWaits, &CountEntries::levelMet,  &CountEntries::levelMissed,
                &CountEntries::levelWhole,    &CountEntries::freshLost, &CountEntries::fresh};
    }
};
template <typename Real> using Counts = Integrands<CountEntries<Real>>;

template <typename Real>
Counts<Real> CountsAt(Real u, const Centre& c, Real t, Basis basis, Need need,
                      NearbyRoots<Real>* near = nullptr) {
    const Point<Real> p = PointAt<Real>(u, c, t, basis, need, near);
    const Real A = p.attempts;
    const Real accepted = A * p.shares.pass;
    const Real answered = accepted * p.shares.answered;
    const Real kept = accepted * p.service.kept;
    return CountEntries<Real>{.attempts = A,
                              .blocked = A * p.shares.blocking,
                              .accepted = accepted,
                              .waiting = accepted * p.shares.wait,
                              .abandoned = accepted * p.shares.abandon,
                              .answered = answered,
                              .answeredWaits = answered * p.service.answeredWait,
                              .levelMet = kept * p.service.level,
                              .levelMissed = kept * p.service.miss,
                              .levelWhole = kept,
                              .freshLost = u * p.callersLost,
                              .fresh = u};
}

// Each share a ratio of expected counts over the fresh traffic's Gamma law
// (shape k, mean A0): tanh-sinh below the mean (which takes the density's
// pole at 0 for k < 1), exp-sinh above it in units of its standard
// deviation; each count relative to its value at the mean, and per fresh
// caller, so that the quadrature's error cancels in each ratio.
template <typename Real>
Counts<Real> CountsByAdaptivePieces(Real A0, const Centre& c, Real t, Basis basis, Need need) {
    const auto k = static_cast<Real>(c.shape);
    const Real theta = A0 / k;
    // The density relative to its value at the mean, its constant cancelling
    // in every ratio: (k - 1) log(u/A0) - k (u/A0 - 1), whose terms near the
    // mean would each be of the size of k, as (k - 1) log1pmx(d) - d.
    const auto logDensity = [&](Real u) {
        const Real d = (u - A0) / A0;
        return std::fabs(d) < Real(0.5) ? (k - 1) * boost::math::log1pmx(d) - d
                                        : (k - 1) * std::log(u / A0) - k * d;
    };
    // Each count held to its own size: its largest weighted value over
    // seven quantiles of the law (a count may vary by 1e25 across a wide
    // law, the service level's from nearly all to nearly none); one far
    // below the largest (a blocking or a miss of 1e-100, whose digits the
    // forms that give them do not keep) to 1e-30 of the largest's.
    Counts<Real> unit(0);
    for (const Real q :
         {Real(1e-3), Real(0.05), Real(0.25), Real(0.5), Real(0.75), Real(0.95), Real(0.999)}) {
        const Real u = theta * boost::math::gamma_p_inv(k, q);
        const Real weight = u > 0 ? std::exp(logDensity(u)) : 0;
        if (weight > 0) {
            const Counts<Real> n = CountsAt(u, c, t, basis, need);
            for (const auto m : Counts<Real>::Members()) {
                unit.*m = std::fmax(unit.*m, std::fabs(n.*m) * weight);
            }
        }
    }
    const Real floor = std::fmax(abs(unit) * Real(1e-30), std::numeric_limits<Real>::min());
    for (const auto m : Counts<Real>::Members()) {
        unit.*m = 1 / std::fmax(unit.*m, floor);
    }
    NearbyRoots<Real> near;
    const auto f = [&](Real u) {
        const Real log = u > 0 ? logDensity(u) : -INFINITY;
        if (!(log > -750)) {
            return Counts<Real>(0); // below every digit: no centre evaluated there
        }
        Counts<Real> n = CountsAt(u, c, t, basis, need, &near);
        const Real density = std::exp(log);
        for (const auto m : Counts<Real>::Members()) {
            n.*m *= unit.*m * density;
        }
        return n;
    };
    // The law's mass between its quantiles at 1e-20, by Gauss-Kronrod in
    // pieces: split at the mean, and where the traffic meets the agents
    // (within three of their standard deviations, less the redials'
    // share), the counts' one sharp turn.
    // Below a shape of 4 the law reaches down to nearly 0, where its power
    // of u is not smooth: its first piece from 0 by tanh-sinh.
    const bool fromZero = k < 4;
    const Real lo = fromZero ? Real(0) : theta * boost::math::gamma_p_inv(k, Real(1e-20));
    const Real hi = theta * boost::math::gamma_q_inv(k, Real(1e-20));
    const auto N = static_cast<Real>(c.agents);
    const Real spread = 3 * std::sqrt(N) + 1;
    const auto r = static_cast<Real>(c.redial);
    std::array<Real, 7> points{lo, A0, hi, lo, lo, lo, lo};
    if (theta * std::sqrt(k) > 4 * spread) {
        // A law wide against the turn's own width: otherwise smooth over it.
        points = {lo, A0, hi, N - spread, N + spread, (1 - r) * N - spread, (1 - r) * N + spread};
    }
    for (Real& p : points) {
        p = std::clamp(p, lo, hi);
    }
    std::sort(points.begin(), points.end());
    // Each count is known to some units in its last digits at a node: held
    // to 1e-12, Gauss-Kronrod's estimate falls far short of its error. Deep
    // halvings for a queue of many lines without patience near the agents:
    // its level falls from all to none across some 1/lines of the traffic.
    const Real relative = std::sqrt(kEpsilon<Real>) * Real(1e-4);
    Counts<Real> total(0);
    bool first = true;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (!(points[i + 1] > points[i])) {
            continue;
        }
        // The counts' own digits: a redial root near 1 or a count of a few
        // units in its last places leaves the rules disagreeing below some
        // 1e-15 of the piece, however short the panels; a thousand such
        // panels at most keep 1e-12.
        total +=
            first && fromZero
                ? TanhSinh<Real>().integrate(f, points[i], points[i + 1], std::sqrt(kEpsilon<Real>))
                : RelativeKronrod(f, points[i], points[i + 1], relative, 24, Real(1e-15));
        first = false;
    }
    for (const auto m : Counts<Real>::Members()) {
        total.*m /= unit.*m;
    }
    return total;
}

// The fresh traffic's Gamma law seen through u = turn + width sinh(s): a turn
// of the counts sharp against the law (callers waiting once the traffic
// passes the agents, a queue's many lines filling) is of width 1 in s, and
// counts that vary over the law in u vary smoothly in s, so that Gauss's
// rules for the law in s need few points. The law in s has no classical
// rule: it is laid on Gauss-Legendre panels over its quantiles at 1e-20,
// and its recurrence found by Stieltjes' procedure on them.
template <typename Real> class MappedLaw {
public:
    MappedLaw(Real A0, Real k, Real lo, Real hi, Real turn, Real width)
        : turn_(turn)
        , width_(width)
        , rules_(Lay(A0, k, lo, hi, turn, width, most_)) {}

    // The mass of the law the panels hold and its mean, the mass as a
    // logarithm, relative to the density at the law's mean.
    std::pair<Real, Real> LogMassAndMean() const {
        const std::vector<Real>& s = rules_.Points();
        const std::vector<Real>& weight = rules_.Weights();
        Real mass = 0;
        Real mean = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            mass += weight[i];
            mean += weight[i] * Traffic(s[i]);
        }
        return {std::log(mass) + most_, mean / mass};
    }

    // Whether the panels hold the law: its mean and variance as they give
    // them, to some units in the last place.
    bool Holds(Real A0, Real k) const {
        const std::vector<Real>& s = rules_.Points();
        const std::vector<Real>& weight = rules_.Weights();
        Real mass = 0;
        for (const Real w : weight) {
            mass += w;
        }
        const Real mean = LogMassAndMean().second;
        Real spread = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const Real d = Traffic(s[i]) - mean;
            spread += weight[i] * d * d;
        }
        spread /= mass;
        return std::fabs(mean - A0) <= 16 * kEpsilon<Real> * A0 &&
               std::fabs(spread * k / (A0 * A0) - 1) <= 64 * kEpsilon<Real>;
    }

    // Gauss's rule of n points for the law: traffics and weights (summing
    // to 1).
    bool GaussRule(int n, Real* node, Real* weight) {
        if (!rules_.Rule(n, node, weight)) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            node[i] = Traffic(node[i]);
        }
        return true;
    }

private:
    Real Traffic(Real s) const { return turn_ + width_ * std::sinh(s); }

    // The law in s on Gauss-Legendre's panels: their nodes, and the weights
    // relative to the largest, whose log is `most`.
    static DiscreteMeasureRules<Real> Lay(Real A0, Real k, Real lo, Real hi, Real turn, Real width,
                                          Real& most) {
        using Legendre = boost::math::quadrature::gauss<Real, 20>;
        const auto& x = Legendre::abscissa();
        const auto& w = Legendre::weights();
        const Real s0 = std::asinh((lo - turn) / width);
        const Real s1 = std::asinh((hi - turn) / width);
        const Real even = (s1 - s0) / kPanels;
        // From 0 (a shape below 4, where the law's power of u is not smooth),
        // the first panel graded towards it by tenths: each then holds a
        // power smooth across it, and the last, 1e-25 of the panel, a mass
        // below every digit from a shape of 1 on.
        std::vector<std::pair<Real, Real>> panels; // middle and width
        for (int q = 0; q < kPanels; ++q) {
            panels.emplace_back(s0 + (q + Real(0.5)) * even, even);
        }
        if (lo == 0) {
            panels.front() = {s0 + even * Real(0.55), even * Real(0.9)};
            for (Real far = even / 10; far > even * Real(1e-25); far /= 10) {
                panels.emplace_back(s0 + far * Real(0.55), far * Real(0.9));
            }
        }
        std::vector<Real> s;
        std::vector<Real> weight;
        most = -INFINITY;
        for (const auto& [mid, panel] : panels) {
            for (std::size_t i = 0; i < x.size(); ++i) {
                for (const int side : {-1, 1}) {
                    if (x[i] == 0 && side > 0) {
                        continue;
                    }
                    const Real sv = mid + side * x[i] * panel / 2;
                    const Real u = turn + width * std::sinh(sv);
                    s.push_back(sv);
                    // The density relative to its value at the mean, as the
                    // pieces take it, times du/ds and the panel's weight.
                    const Real d = (u - A0) / A0;
                    const Real log = !(u > 0) ? -INFINITY
                                     : std::fabs(d) < Real(0.5)
                                         ? (k - 1) * boost::math::log1pmx(d) - d
                                         : (k - 1) * std::log(u / A0) - k * d;
                    weight.push_back(log + std::log(width * std::cosh(sv) * w[i] * panel / 2));
                    most = std::fmax(most, weight.back());
                }
            }
        }
        for (Real& l : weight) {
            l = std::exp(l - most);
        }
        return {std::move(s), std::move(weight)};
    }

    // Enough for the law's moments to the last digits down to a shape of 4
    // (below, with the first panel graded towards 0).
    static constexpr int kPanels = 16;
    Real turn_;
    Real width_;
    Real most_ = 0; // the log of the largest weight, which is kept as 1
    DiscreteMeasureRules<Real> rules_;
};

constexpr std::array<int, 5> kRulePoints{12, 20, 32, 48, 64};

// The rules' relative error: 1e-12 (1e-15 in extended precision), or a
// rough one for a search's counts and traffics far from its answer, which
// only need the side of a target they lie on.
template <typename Real>
constexpr Real kFullAccuracy = sizeof(Real) > sizeof(double) ? Real(1e-15) : Real(1e-12);
constexpr double kRoughAccuracy = 1e-8;
// Rough figures decide a target only beyond this relative margin from it.
constexpr double kRoughMargin = 1e-5;

// The law's expected counts by Gauss's rules of 12 to 64 points, `rule(n,
// traffics, weights)`: exact for counts polynomial in the rule's variable,
// so few points where the counts are smooth in it over the law. Each rule
// is checked against the one before; where the counts are analytic about
// the law their gaps fall geometrically in the points, and the last three
// gaps say what the newest rule's own error is. None where they do not fall
// so, or the rule cannot be built.
template <typename Real, typename BuildRule>
std::optional<Counts<Real>> CountsByRuleSequence(const BuildRule& rule, const Centre& c, Real t,
                                                 Basis basis, Need need, Real relative) {
    // Met by a gap a tenth of the error allowed, or by an error foreseen a
    // hundredth of it (the gaps may fall a little slower than geometrically).
    std::optional<Counts<Real>> before;
    Real gapBefore = 0;
    Real rateBefore = 1;
    RuleArray<Real> node{};
    RuleArray<Real> weight{};
    for (std::size_t j = 0; j < kRulePoints.size(); ++j) {
        const int n = kRulePoints[j];
        if (!rule(n, node.data(), weight.data())) {
            return std::nullopt;
        }
        // In the order of the traffics: each redial root bracketed from the
        // one before.
        std::array<int, kMostPoints> order{};
        std::iota(order.begin(), order.begin() + n, 0);
        std::sort(order.begin(), order.begin() + n,
                  [&](int x, int y) { return node[x] < node[y]; });
        Counts<Real> sum(0);
        NearbyRoots<Real> near;
        for (int o = 0; o < n; ++o) {
            const int i = order[o];
            if (node[i] > 0 && weight[i] > 0) {
                sum += CountsAt(node[i], c, t, basis, need, &near) * weight[i];
            }
        }
        if (before) {
            Real gap = 0; // the largest disagreement, relative
            for (const auto m : Counts<Real>::Members()) {
                const Real d = std::fabs(sum.*m - (*before).*m);
                gap = d == 0 ? gap : std::fmax(gap, d / std::fabs(sum.*m));
            }
            if (gap <= (j + 1 == kRulePoints.size() ? relative : relative / 10)) {
                return sum;
            }
            // Far from converging: the counts are not smooth over the law.
            // (Not yet judged at 20 points: a count of 1e-29, a blocking on
            // lines far above the traffic, may be off by a third at 12 and
            // exact at 48.)
            if (j >= 2 && !(gap <= Real(1e-3))) {
                return std::nullopt;
            }
            if (j >= 2) {
                // The error's fall per point, from the last two gaps.
                const Real rate =
                    std::pow(gap / gapBefore,
                             1 / static_cast<Real>(kRulePoints[j - 1] - kRulePoints[j - 2]));
                // Foreseen at the slower of the last two falls, once there are
                // two (a first gap from 12 points may fall by luck), and only
                // the last digits: the falls may slow (a shape below 1 at 0.3
                // per point from a gap of 1e-8 left 1.5e-12, not 4e-15).
                if (gap <= 10 * relative && rate < 1 && rateBefore < 1 &&
                    gap * std::pow(std::fmax(rate, rateBefore), n - kRulePoints[j - 1]) <=
                        relative / 100) {
                    return sum;
                }
                // Not even the last rule would come near, at the faster.
                if (rate < 1 && gap * std::pow(rate, kRulePoints.back() - kRulePoints[j - 1]) >
                                    relative * 1000) {
                    return std::nullopt;
                }
                rateBefore = rate;
            }
            gapBefore = gap;
        }
        before = sum;
    }
    return std::nullopt;
}

// Gauss's rules for the Gamma law itself, of the last shape asked (for the
// searches and the day's intervals that ask again), each built when first
// asked for: their eigenvalues cost as much as some ten points.
template <typename Real>
std::optional<Counts<Real>> CountsByGammaRule(Real A0, const Centre& c, Real t, Basis basis,
                                              Need need, Real relative) {
    struct Rules {
        Real shape = -1;
        std::array<RuleArray<Real>, kRulePoints.size()> node{}, weight{};
        std::array<int, kRulePoints.size()> found{}; // 0 not built, 1 found, -1 QL stalled
    };
    thread_local Rules rules;
    const auto k = static_cast<Real>(c.shape);
    if (rules.shape != k) {
        rules.shape = k;
        rules.found.fill(0);
    }
    const auto rule = [&](int n, Real* node, Real* weight) {
        const auto j = static_cast<std::size_t>(
            std::find(kRulePoints.begin(), kRulePoints.end(), n) - kRulePoints.begin());
        if (rules.found[j] == 0) {
            rules.found[j] =
                GammaLawRule(k, n, rules.node[j].data(), rules.weight[j].data()) ? 1 : -1;
        }
        for (int i = 0; i < n; ++i) {
            // The smallest node of a small shape, rounded, may fall below 0.
            node[i] = A0 * std::fmax(1 + rules.node[j][i], Real(0));
            weight[i] = rules.weight[j][i];
        }
        return rules.found[j] > 0;
    };
    return CountsByRuleSequence<Real>(rule, c, t, basis, need, relative);
}

// Where the counts turn as the attempts meet the agents, in fresh traffic
// (the redials of the lost raise the attempts above it), and how sharply:
// over the agents' deviation, or the queue's lines' own span where it is
// narrower (a queue of m positions without patience fills across some
// 2 pi N/m of traffic).
template <typename Real> std::pair<Real, Real> TurnOf(const Centre& c) {
    const auto N = static_cast<Real>(c.agents);
    Real width = std::sqrt(N);
    if (c.limited && !c.hangUps && c.queueLines > 0) {
        width =
            std::fmin(width, 2 * std::numbers::pi_v<Real> * N / static_cast<Real>(c.queueLines));
    }
    const auto r = static_cast<Real>(c.redial);
    const Real kept = r == 0 ? Real(1) : SharesOf(ChainAt(N, c), c).kept;
    return {N * ((1 - r) + r * kept), width};
}

// The law's quantiles at 1e-20, beyond which nothing counts; below a shape
// of 4, from 0 (where the panels are graded towards it).
template <typename Real> std::pair<Real, Real> LawSpan(Real A0, Real k) {
    const Real theta = A0 / k;
    return {k < 4 ? Real(0) : theta * boost::math::gamma_p_inv(k, Real(1e-20)),
            theta * boost::math::gamma_q_inv(k, Real(1e-20))};
}

// Gauss's rules for the law through the turn where the attempts meet the
// agents. Not for a shape below 1, whose density is not finite at 0.
template <typename Real>
std::optional<Counts<Real>> CountsThroughTheTurn(Real A0, const Centre& c, Real t, Basis basis,
                                                 Need need, Real relative) {
    const auto k = static_cast<Real>(c.shape);
    const auto N = static_cast<Real>(c.agents);
    if (k < 1 || !(N > 0)) {
        return std::nullopt;
    }
    const auto [lo, hi] = LawSpan(A0, k);
    const auto [turn, width] = TurnOf<Real>(c);
    MappedLaw<Real> law(A0, k, lo, hi, std::clamp(turn, lo, hi), width);
    if (!law.Holds(A0, k)) {
        return std::nullopt;
    }
    const auto rule = [&](int n, Real* node, Real* weight) {
        return law.GaussRule(n, node, weight);
    };
    return CountsByRuleSequence<Real>(rule, c, t, basis, need, relative);
}

// The turns worth splitting the law at, in order, or none: where the
// attempts meet the agents, and with patience where the queue they form
// fills the lines (its mean, (A - N) patience/aht, reaching them), those
// inside the law; worth it where one is sharp against the law, or two lie
// apart within its bulk and one is narrower than it. Rules over the whole
// law, or through one turn, follow neither. None with redials: the turns
// lie where the attempts, not the fresh calls, meet them, known in fresh
// traffic too roughly to split at; none for a shape below 1, whose density
// is not finite at 0. With the law's span, the pieces' outer ends.
template <typename Real> struct Turns {
    std::vector<std::pair<Real, Real>> at; // place and width, in order
    Real lo = 0;
    Real hi = 0;
};

template <typename Real> Turns<Real> TurnsWorthSplitting(Real A0, const Centre& c) {
    const auto k = static_cast<Real>(c.shape);
    const auto N = static_cast<Real>(c.agents);
    if (k < 1 || !(N > 0) || c.redial > 0) {
        return {};
    }
    const Real deviation = A0 / std::sqrt(k);
    std::vector<std::pair<Real, Real>> turns{TurnOf<Real>(c)};
    if (c.limited && c.hangUps) {
        // Across the queue's own spread there, of some sqrt(A patience/aht)
        // positions: the more patient the callers, the sharper.
        const Real A = N + static_cast<Real>(c.queueLines) / static_cast<Real>(c.ratio);
        const Real width = std::sqrt(A / static_cast<Real>(c.ratio));
        if (A - N > width) {
            turns.emplace_back(A, width);
        }
    }
    // Within some twelve deviations of the mean first, before the quantiles' cost.
    std::erase_if(turns,
                  [&](const auto& turn) { return !(std::fabs(turn.first - A0) < 12 * deviation); });
    if (turns.empty()) {
        return {};
    }
    Turns<Real> split;
    std::tie(split.lo, split.hi) = LawSpan(A0, k);
    std::erase_if(
        turns, [&](const auto& turn) { return !(turn.first > split.lo && turn.first < split.hi); });
    const bool sharp = turns.size() == 1 && turns[0].second < deviation / 4;
    const bool two =
        turns.size() == 2 &&
        std::fmax(std::fabs(turns[0].first - A0), std::fabs(turns[1].first - A0)) < 4 * deviation &&
        std::fmin(turns[0].second, turns[1].second) < deviation;
    if (!sharp && !two) {
        return {};
    }
    std::sort(turns.begin(), turns.end());
    split.at = std::move(turns);
    return split;
}

// The law split at those turns, each piece by Gauss's rules through the
// turn at its end; each piece weighs its share of the law, from the
// incomplete gamma functions, and the panels must give those shares and
// each piece's mean.
template <typename Real>
std::optional<Counts<Real>> CountsInRuledPieces(Real A0, const Centre& c, Real t, Basis basis,
                                                Need need, const Turns<Real>& split,
                                                Real relative) {
    const auto k = static_cast<Real>(c.shape);
    const Real theta = A0 / k;
    const auto& turns = split.at;
    // Pieces [lo, t1], [t1, t2], ..., [tn, hi], each through its own turn:
    // the first's right end, every other's left one.
    Counts<Real> total(0);
    std::vector<Real> ends{split.lo};
    for (const auto& turn : turns) {
        ends.push_back(turn.first);
    }
    ends.push_back(split.hi);
    std::vector<Real> masses;
    std::vector<Real> logs; // the panels' masses, relative
    std::vector<Counts<Real>> counts;
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        const Real a = ends[i];
        const Real b = ends[i + 1];
        const auto& turn = turns[i == 0 ? 0 : i - 1];
        // The law's share and mean over [a, b], each difference of the
        // smaller tails.
        const bool upper = a > A0;
        const auto tail = [&](Real shape, Real u) {
            return upper ? boost::math::gamma_q(shape, u / theta)
                         : boost::math::gamma_p(shape, u / theta);
        };
        const Real mass = upper ? tail(k, a) - tail(k, b) : tail(k, b) - tail(k, a);
        const Real first =
            upper ? tail(k + 1, a) - tail(k + 1, b) : tail(k + 1, b) - tail(k + 1, a);
        MappedLaw<Real> law(A0, k, a, b, turn.first, turn.second);
        const auto [logMass, mean] = law.LogMassAndMean();
        if (!(mass > 0) || !(std::fabs(mean / (A0 * first / mass) - 1) <= 16 * kEpsilon<Real>)) {
            return std::nullopt;
        }
        const auto rule = [&](int n, Real* node, Real* weight) {
            return law.GaussRule(n, node, weight);
        };
        const std::optional<Counts<Real>> piece =
            CountsByRuleSequence<Real>(rule, c, t, basis, need, relative);
        if (!piece) {
            return std::nullopt;
        }
        masses.push_back(mass);
        logs.push_back(logMass);
        counts.push_back(*piece);
    }
    // The panels' shares as the law's.
    Real sumMass = 0;
    Real sumPanels = 0;
    for (std::size_t i = 0; i < masses.size(); ++i) {
        sumMass += masses[i];
        sumPanels += std::exp(logs[i] - logs[0]);
    }
    for (std::size_t i = 0; i < masses.size(); ++i) {
        if (!(std::fabs(std::exp(logs[i] - logs[0]) / sumPanels / (masses[i] / sumMass) - 1) <=
              16 * kEpsilon<Real>)) {
            return std::nullopt;
        }
        total += counts[i] * (masses[i] / sumMass);
    }
    return total;
}

// Each share a ratio of expected counts over the fresh traffic's Gamma law
// (shape c.shape, mean A0): split at its turns where they are sharp against
// it, else Gauss's rules for the law, else for the law through the turn;
// the law in adaptive pieces where those fail.
template <typename Real>
Figures<Real> ForecastFigures(Real A0, const Centre& c, Real t, Basis basis, Need need,
                              Real relative) {
    std::optional<Counts<Real>> one;
    const Turns<Real> turns = TurnsWorthSplitting(A0, c);
    if (!turns.at.empty()) {
        one = CountsInRuledPieces(A0, c, t, basis, need, turns, relative);
    } else {
        one = CountsByGammaRule(A0, c, t, basis, need, relative);
        if (!one) {
            one = CountsThroughTheTurn(A0, c, t, basis, need, relative);
        }
    }
    const Counts<Real> total = one ? *one : CountsByAdaptivePieces(A0, c, t, basis, need);
    // Shares of their wholes: at most 1, whatever the rounding.
    const auto ratio = [](Real u, Real v) { return v == 0 ? Real(0) : std::fmin(u / v, Real(1)); };
    Figures<Real> fig{};
    fig.attempts = total.attempts / total.fresh * A0;
    fig.blocking = ratio(total.blocked, total.attempts);
    fig.wait = ratio(total.waiting, total.accepted);
    fig.abandon = ratio(total.abandoned, total.accepted);
    fig.averageWait = fig.abandon * static_cast<Real>(c.patience);
    fig.answeredWait = total.answered == 0 ? 0 : total.answeredWaits / total.answered;
    fig.occupancy =
        std::fmin(total.answered / total.fresh * A0 / static_cast<Real>(c.agents), Real(1));
    fig.level = ratio(total.levelMet, total.levelWhole);
    fig.miss = total.levelWhole == 0 ? Real(1) : total.levelMissed / total.levelWhole;
    fig.callersLost = total.freshLost / total.fresh;
    return fig;
}

template <typename Real>
Figures<Real> FiguresAt(Real A0, const Centre& c, Real t, Basis basis, Need need = Need::All,
                        Real relative = kFullAccuracy<Real>) {
    if (A0 == 0) {
        Figures<Real> none{};
        none.level = 1;
        return none;
    }
    if (c.shape < INFINITY) {
        return ForecastFigures<Real>(A0, c, t, basis, need, relative);
    }
    return FiguresOf(PointAt<Real>(A0, c, t, basis, need), c);
}

void CheckAttempts(double traffic, double attempts) {
    if (!(attempts <= kMaxTraffic)) {
        throw DomainError(Argument::Traffic, traffic,
                          "a traffic whose attempts with redials, " + ShowNumber(attempts) +
                              " erlangs, stay within 1e9");
    }
}

// --- Targets -------------------------------------------------------------------------

// A target's bound of a share above 0 and below 1: the caps.
void CheckOpenShare(double p, Argument name) {
    Require(p > 0 && p < 1, name, "greater than 0 and below 1", p);
}

// What a target asks of the centre beyond its figures.
enum class Requirement { None, Patience, Lines };

// Each target: the argument that gives it, the figure it bounds (at least
// or at most), and what it needs: the figures computed, the centre's
// patience or lines, the bound's domain. A share bounded below has its
// complement, of its own digits, to be decided on where it is small.
template <typename Real> struct Target {
    Argument argument;
    std::optional<double> ErlangXTargets::*bound;
    Real Figures<Real>::*figure;
    Real Figures<Real>::*complement;  // of a share at least its bound; null otherwise
    double ErlangXFigures::*reported; // the figure as ErlangX gives it
    bool atLeast;
    Need need;
    Requirement requirement;
    void (*check)(double, Argument);
};

template <typename Real>
constexpr Target<Real> kTargets[] = {
    {Argument::ServiceLevel, &ErlangXTargets::serviceLevel, &Figures<Real>::level,
     &Figures<Real>::miss, &ErlangXFigures::serviceLevel, true, Need::Level, Requirement::None,
     CheckShare},
    {Argument::AverageWait, &ErlangXTargets::averageWait, &Figures<Real>::averageWait, nullptr,
     &ErlangXFigures::averageWait, false, Need::Shares, Requirement::None, CheckDuration},
    {Argument::AnsweredWait, &ErlangXTargets::answeredWait, &Figures<Real>::answeredWait, nullptr,
     &ErlangXFigures::answeredWait, false, Need::All, Requirement::None, CheckDuration},
    {Argument::MaxAbandon, &ErlangXTargets::maxAbandon, &Figures<Real>::abandon, nullptr,
     &ErlangXFigures::abandonProbability, false, Need::Shares, Requirement::Patience,
     CheckOpenShare},
    {Argument::MaxBlocking, &ErlangXTargets::maxBlocking, &Figures<Real>::blocking, nullptr,
     &ErlangXFigures::blocking, false, Need::Shares, Requirement::Lines, CheckOpenShare},
};

void CheckTargets(const ErlangXTargets& t, const Centre& c) {
    CheckTimes(c.aht, t.targetTime);
    if (std::ranges::none_of(kTargets<double>,
                             [&](const Target<double>& target) { return !!(t.*target.bound); })) {
        throw DomainError(Argument::ServiceLevel, NAN, "given, or another target");
    }
    for (const Target<double>& target : kTargets<double>) {
        const std::optional<double>& bound = t.*target.bound;
        if (!bound) {
            continue;
        }
        target.check(*bound, target.argument);
        if (target.requirement == Requirement::Patience) {
            Require(c.hangUps, target.argument, "given with a patience", *bound);
        }
        if (target.requirement == Requirement::Lines) {
            Require(c.limited, target.argument, "given with lines", *bound);
        }
    }
}

// Every target given against the figures: No as soon as one fails for sure.
template <typename Real>
Verdict VerdictOn(const Figures<Real>& f, const ErlangXTargets& t, Real error = kError<Real>) {
    Verdict all = Verdict::Yes;
    for (const Target<Real>& target : kTargets<Real>) {
        const std::optional<double>& bound = t.*target.bound;
        if (!bound || (target.atLeast && !(*bound > 0))) {
            continue; // none, or a share at least 0: met
        }
        const double P = *bound;
        const Real x = f.*target.figure;
        // On the complement where the share is high, on the share itself
        // below a half.
        const Verdict v = !target.atLeast ? LogAtMost(x, P, error)
                          : x > Real(0.5) ? LogAtMost(f.*target.complement, 1 - P, error)
                                          : LogAtMost(static_cast<Real>(P) / x, 1, error);
        if (all != Verdict::No && v != Verdict::Yes) {
            all = v;
        }
    }
    return all;
}

// Past long double's precision its own estimate decides.
bool MeetsByItsOwnEstimate(const Figures<long double>& f, const ErlangXTargets& t) {
    return std::ranges::all_of(kTargets<long double>, [&](const Target<long double>& target) {
        const std::optional<double>& bound = t.*target.bound;
        const long double x = f.*target.figure;
        return !bound || (target.atLeast ? x >= *bound : x <= *bound);
    });
}

// The figures the targets given need computed.
Need NeedOfTargets(const ErlangXTargets& t) {
    Need most = Need::Shares;
    for (const Target<double>& target : kTargets<double>) {
        if (t.*target.bound) {
            most = std::max(most, target.need);
        }
    }
    return most;
}

// Whether a fresh traffic meets every target, the figures in double for the
// caller: double first, then extended precision.
bool Meets(double A0, const Centre& c, const ErlangXTargets& t, const Figures<double>& f) {
    std::optional<Figures<long double>> wide;
    const auto extended = [&]() -> const Figures<long double>& {
        if (!wide) {
            wide = FiguresAt<long double>(A0, c, t.targetTime, t.basis, NeedOfTargets(t));
        }
        return *wide;
    };
    return Decide(
        VerdictOn(f, t), [&] { return VerdictOn(extended(), t); },
        [&] { return MeetsByItsOwnEstimate(extended(), t); });
}

// How far a figure is from its target, on a log scale: positive while it is
// missed. A share at least its bound, above a half, by its complement.
double ExcessOf(const Figures<double>& f, const Target<double>& target, double bound) {
    const double x = f.*target.figure;
    if (!target.atLeast) {
        return std::log(x) - std::log(bound);
    }
    return bound > 0.5 ? std::log(f.*target.complement) - std::log1p(-bound)
                       : std::log(bound) - std::log(x);
}

// The most missed of the targets given (or of `only`), and its excess;
// none where no target is given.
std::pair<double, const Target<double>*> MostMissed(const Figures<double>& f,
                                                    const ErlangXTargets& t,
                                                    const Target<double>* only = nullptr) {
    std::pair<double, const Target<double>*> most{-INFINITY, nullptr};
    for (const Target<double>& target : kTargets<double>) {
        const std::optional<double>& bound = t.*target.bound;
        if (!bound || (only && only != &target)) {
            continue;
        }
        const double e = ExcessOf(f, target, *bound);
        if (!(e <= most.first)) {
            most = {e, &target};
        }
    }
    return most;
}

ErlangXFigures PublicFigures(const Figures<double>& f, const Centre& c) {
    ErlangXFigures out{};
    out.blocking = f.blocking;
    out.waitProbability = f.wait;
    out.abandonProbability = c.hangUps ? f.abandon : 0;
    out.averageWait = f.averageWait;
    out.answeredWait = f.answeredWait;
    out.occupancy = f.occupancy;
    out.serviceLevel = f.level;
    out.attemptsTraffic = f.attempts;
    out.callersLost = f.callersLost;
    return out;
}

// The centre with `agents` (whole) and `lines`, checked as given.
Centre CentreOnLines(double agents, ErlangXModel model, double lines) {
    model.lines = lines;
    return CheckCentre(agents, model);
}

// The figures as ErlangX gives them, of checked arguments: Erlang C's and A's
// to the bit where the centre is theirs. `need` as Evaluate's: with a
// forecast's spread every figure is ErlangX's only when all are asked for
// (the rule that integrates them is the first on which they all agree).
ErlangXFigures FiguresAsReported(double traffic, double agents, const ErlangXModel& model,
                                 const Centre& c, double targetTime, Basis basis,
                                 Need need = Need::All) {
    if (traffic == 0) {
        return {0, 0, 0, 0, 0, 0, 1, 0, 0};
    }
    const bool plain = c.redial == 0 && c.shape == INFINITY && !c.limited;
    if (plain && !c.hangUps) {
        // Erlang C, to the bit: nobody hangs up, so every basis is the same.
        ErlangXFigures f{};
        f.waitProbability = ErlangC(traffic, agents);
        f.averageWait = f.answeredWait = ErlangCAverageWait(traffic, agents, model.aht);
        f.occupancy = traffic / agents;
        f.serviceLevel = ErlangCServiceLevel(traffic, agents, model.aht, targetTime);
        f.attemptsTraffic = traffic;
        return f;
    }
    ErlangXFigures f = PublicFigures(FiguresAt<double>(traffic, c, targetTime, basis, need), c);
    if (plain && agents > 0) {
        // Erlang A, to the bit.
        const Abandonment a = ErlangA(traffic, agents, model.aht, model.patience);
        f.waitProbability = a.waitProbability;
        f.abandonProbability = a.abandonProbability;
        f.averageWait = a.averageWait;
        f.occupancy = a.occupancy;
        f.callersLost = a.abandonProbability;
        if (basis == Basis::Offered) {
            f.serviceLevel =
                ErlangAServiceLevel(traffic, agents, model.aht, model.patience, targetTime);
        }
    }
    return f;
}

// Whether figures as ErlangX gives them meet every target given, compared
// as a reader of them would.
bool MetAsReported(const ErlangXFigures& f, const ErlangXTargets& t) {
    return std::ranges::all_of(kTargets<double>, [&](const Target<double>& target) {
        const std::optional<double>& bound = t.*target.bound;
        const double x = f.*target.reported;
        return !bound || (target.atLeast ? x >= *bound : x <= *bound);
    });
}

} // namespace

ErlangXFigures ErlangX(double traffic, double agents, const ErlangXModel& model, double targetTime,
                       Basis basis) {
    CheckTraffic(traffic);
    const Centre c = CheckCentre(agents, model, traffic == 0);
    CheckTimes(model.aht, targetTime);
    if (!c.limited && !c.hangUps) {
        CheckQueue(traffic, agents); // Erlang C: the queue must drain
    }
    ErlangXFigures f = FiguresAsReported(traffic, agents, model, c, targetTime, basis);
    CheckAttempts(traffic, f.attemptsTraffic);
    return f;
}

// Whether a fresh traffic meets every target, with the figures it was
// decided on. Over a forecast, first on rough figures (rules to kRough,
// which take fewer points), which decide it where they lie clear of every
// target; within the margin of one, in full.
std::pair<bool, Figures<double>> MeetsAt(double A0, const Centre& c, const ErlangXTargets& t) {
    if (c.shape < INFINITY) {
        const Figures<double> rough =
            FiguresAt<double>(A0, c, t.targetTime, t.basis, NeedOfTargets(t), kRoughAccuracy);
        const Verdict v = VerdictOn(rough, t, kRoughMargin);
        if (v != Verdict::Unsure) {
            return {v == Verdict::Yes, rough};
        }
    }
    const Figures<double> f = FiguresAt<double>(A0, c, t.targetTime, t.basis, NeedOfTargets(t));
    return {Meets(A0, c, t, f), f};
}

// The attempts of an answer within the engine's traffics, from figures of
// the answer's search where they lie clear of the limit.
void CheckAttemptsOf(double traffic, const Figures<double>& f, const auto& full) {
    const bool clear = std::fabs(f.attempts / kMaxTraffic - 1) > kRoughMargin;
    CheckAttempts(traffic, clear ? f.attempts : full().attempts);
}

std::int64_t ErlangXAgents(double traffic, const ErlangXModel& model,
                           const ErlangXTargets& targets) {
    CheckTraffic(traffic);
    const Centre base = CheckCentre(1, model);
    CheckTargets(targets, base);
    if (traffic == 0) {
        return 0; // as Erlang A and C staff it: taken back, every target met
    }
    const double lines = model.lines;
    // Without lines or patience the queue drains only above the traffic.
    const double lo = !base.limited && !base.hangUps ? std::floor(traffic) : 0;
    const auto at = [&](std::int64_t n, const ErlangXModel& m) {
        return FiguresAt<double>(traffic, CentreOnLines(static_cast<double>(n), m, lines),
                                 targets.targetTime, targets.basis, NeedOfTargets(targets));
    };
    // With a forecast's variance, each count costs a quadrature: the count
    // without it is the first guess, and its figures give Newton's slope.
    ErlangXModel plain = model;
    plain.calls = plain.variance = 0;
    double guess = lo + 1 + std::sqrt(traffic) + traffic / 4;
    if (base.shape < INFINITY) {
        try {
            guess = static_cast<double>(ErlangXAgents(traffic, plain, targets));
        } catch (const DomainError&) {
            // no count on these lines meets it without the variance either
        }
    }
    // The count probed before, its excess and which target it was of.
    struct Probed {
        std::int64_t n = -1;
        double excess = NAN;
        const Target<double>* target = nullptr;
    } before;
    // The least count found to meet the targets, with its figures.
    std::pair<std::int64_t, Figures<double>> least{-1, {}};
    const std::int64_t n = SmallestCount(lo, guess, [&](std::int64_t n) {
        if (static_cast<double>(n) > lines) {
            return Step{true, 0, 1}; // past the lines: refused below
        }
        const Centre c = CentreOnLines(static_cast<double>(n), model, lines);
        const auto [meets, here] = MeetsAt(traffic, c, targets);
        if (meets) {
            least = {n, here};
        }
        const auto [excess, target] = MostMissed(here, targets);
        double fall = 1;
        if (static_cast<double>(n) + 1 <= lines) {
            const bool spread = base.shape < INFINITY;
            const double from = spread ? MostMissed(at(n, plain), targets, target).first : excess;
            fall = from - MostMissed(at(n + 1, spread ? plain : model), targets, target).first;
            // Over a forecast the figures fall more slowly than without it:
            // from the second count on, the secant of its own excesses.
            const double secant = (before.excess - excess) / static_cast<double>(n - before.n);
            if (spread && before.target == target && before.n != n && secant > 0 &&
                std::isfinite(secant)) {
                fall = secant;
            }
        }
        before = {n, excess, target};
        // Newton's step on the count, at most doubling it: where a figure is
        // flat in the count its slope says nothing.
        return Bounded(n, meets, excess, fall);
    });
    if (static_cast<double>(n) > lines) {
        const Figures<double> full = at(static_cast<std::int64_t>(lines), model);
        const Target<double>* missed = MostMissed(full, targets).second;
        const Target<double>& target = missed ? *missed : kTargets<double>[0];
        throw DomainError(target.argument, (targets.*target.bound).value_or(NAN),
                          "met by at most " + ShowNumber(lines) + " agents on " +
                              ShowNumber(lines) + " lines");
    }
    // The answer taken back with this traffic: its attempts within 1e9.
    CheckAttemptsOf(traffic, least.first == n ? least.second : at(n, model),
                    [&] { return at(n, model); });
    return n;
}

Schedule ErlangXScheduleAgents(double traffic, std::int64_t agentsForTarget,
                               const ErlangXModel& model, double shrinkage, double maxOccupancy) {
    CheckTraffic(traffic);
    const Centre base = CheckCentre(1, model);
    if (!base.limited && base.shape == INFINITY && (base.redial == 0 || !base.hangUps)) {
        return base.hangUps ? ErlangAScheduleAgents(traffic, agentsForTarget, model.aht,
                                                    model.patience, shrinkage, maxOccupancy)
                            : ScheduleAgents(traffic, agentsForTarget, shrinkage, maxOccupancy);
    }
    // The factors checked, and the count the offered traffic per agent
    // needs: no more is carried than the fresh traffic (a caller is answered
    // once at most), so it meets the cap, and bounds the search.
    ScheduleAgents(0.0, agentsForTarget, shrinkage, maxOccupancy);
    const double lines = model.lines;
    // With lines, no more agents than they hold (however many the cap
    // would take without them).
    std::int64_t hi = static_cast<std::int64_t>(lines);
    if (!(traffic / maxOccupancy >= lines)) {
        hi = ScheduleAgents(traffic, agentsForTarget, 0, maxOccupancy).onPhones;
        hi = std::min(hi, static_cast<std::int64_t>(std::fmin(lines, kMaxLines)));
    }
    std::int64_t lo = agentsForTarget;
    // The occupancy alone by the cheapest figures (over a forecast, rough
    // ones), which may round apart from ErlangX's: the count they give is
    // then moved to the least whose ErlangX's figures meet the cap.
    const auto guide = [&](std::int64_t n) {
        return n > 0 &&
               FiguresAt<double>(traffic, CentreOnLines(static_cast<double>(n), model, lines), 0,
                                 Basis::Offered, Need::Shares, kRoughAccuracy)
                       .occupancy <= maxOccupancy;
    };
    const auto within = [&](std::int64_t n) {
        const auto N = static_cast<double>(n);
        return traffic == 0 ||
               (n > 0 && FiguresAsReported(traffic, N, model, CentreOnLines(N, model, lines), 0,
                                           Basis::Offered)
                                 .occupancy <= maxOccupancy);
    };
    std::int64_t n = lo;
    // No occupancy exceeds 1: a cap of 1 raises no count.
    if (hi > lo && maxOccupancy < 1 && !within(lo)) {
        if (!within(hi)) {
            throw DomainError(Argument::MaxOccupancy, maxOccupancy,
                              "met by at most " + ShowNumber(lines) + " agents on " +
                                  ShowNumber(lines) + " lines");
        }
        while (hi - lo > 1) { // lo misses, hi meets
            const std::int64_t mid = lo + (hi - lo) / 2;
            (guide(mid) ? hi : lo) = mid;
        }
        n = hi;
        for (; !within(n); ++n) {
        }
        for (; n - 1 > agentsForTarget && within(n - 1); --n) {
        }
    }
    Schedule plan = ScheduleAgents(0.0, n, shrinkage, 1.0);
    plan.decidedBy = n > agentsForTarget ? Decided::Occupancy : Decided::ServiceTarget;
    return plan;
}

std::int64_t ErlangXLines(double traffic, double agents, const ErlangXModel& model,
                          double blocking) {
    CheckTraffic(traffic);
    const Centre base = CentreOnLines(agents, model, std::fmax(std::ceil(agents), 1));
    Require(blocking > 0 && blocking < 1, Argument::Blocking, "greater than 0 and below 1",
            blocking);
    const double N = agents;
    const double lo = std::fmax(N, 1) - 1;
    if (traffic == 0) {
        return static_cast<std::int64_t>(lo) + 1;
    }
    if (!base.hangUps) {
        // Nobody hangs up: as the lines grow the blocking falls to that of
        // a queue that never drains, 1 - N/A at the attempt traffic A =
        // (A0 - r N)/(1 - r) (the redials of the blocked): a target at or
        // below it is never met.
        const double r = base.redial;
        const double A = (traffic - r * N) / (1 - r);
        if (A > N && blocking <= 1 - N / A) {
            throw DomainError(Argument::Blocking, blocking,
                              "above " + ShowNumber(1 - N / A) +
                                  ", which no number of lines meets");
        }
    }
    ErlangXTargets targets;
    targets.maxBlocking = blocking;
    ErlangXModel plain = model;
    plain.calls = plain.variance = 0;
    const bool spread = base.shape < INFINITY;
    const auto at = [&](std::int64_t K, const ErlangXModel& m) {
        return FiguresAt<double>(traffic, CentreOnLines(N, m, static_cast<double>(K)), 0,
                                 Basis::Offered, Need::Shares);
    };
    if (spread && !base.hangUps) {
        // The same limit over the forecast's traffics: no closed form, but
        // the most lines the engine takes come within rounding of it.
        const double limit = at(static_cast<std::int64_t>(kMaxLines), model).blocking;
        if (blocking <= limit) {
            throw DomainError(Argument::Blocking, blocking,
                              "above " + ShowNumber(limit) + ", which no number of lines meets");
        }
    }
    double guess = lo + 1 + std::sqrt(traffic) * 2;
    if (spread) {
        guess = static_cast<double>(ErlangXLines(traffic, agents, plain, blocking));
    }
    // The least count found to meet the target, with its figures.
    std::pair<std::int64_t, Figures<double>> least{-1, {}};
    const std::int64_t K = SmallestCount(lo, guess, [&](std::int64_t K) {
        const auto [meets, here] =
            MeetsAt(traffic, CentreOnLines(N, model, static_cast<double>(K)), targets);
        if (meets) {
            least = {K, here};
        }
        const double excess = std::log(here.blocking) - std::log(blocking);
        const double from = spread ? std::log(at(K, plain).blocking) - std::log(blocking) : excess;
        double fall =
            from - (std::log(at(K + 1, spread ? plain : model).blocking) - std::log(blocking));
        const auto most = static_cast<double>(std::max<std::int64_t>(K, 1));
        if (!(std::fabs(excess) <= most * fall)) {
            fall = std::fabs(excess) / most;
        }
        return Step{meets, excess, fall};
    });
    // The answer taken back with this traffic: its attempts within 1e9.
    CheckAttemptsOf(traffic, least.first == K ? least.second : at(K, model),
                    [&] { return at(K, model); });
    return K;
}

double ErlangXCapacity(double agents, const ErlangXModel& model, const ErlangXTargets& targets) {
    const Centre c = CheckCentre(agents, model);
    CheckTargets(targets, c);
    const bool drains = c.limited || c.hangUps;
    if (agents == 0 && !drains) {
        return 0;
    }
    // Without lines or patience the traffic stays below the agents.
    const double ceiling = drains ? kMaxTraffic : agents * (1 - 1e-15);
    // With a forecast's variance each target's traffic is sought from the
    // one without it, a few hundredths away: each step costs a quadrature.
    ErlangXModel plain = model;
    plain.calls = plain.variance = 0;
    const Centre poisson = CheckCentre(agents, plain);
    // A target's excess at the traffic e^u, of its own figures only: the
    // service level and the answered wait cost the most.
    const auto excessAt = [&](const Centre& centre, const Target<double>& target, double u,
                              double relative = kFullAccuracy<double>) {
        return ExcessOf(FiguresAt<double>(std::exp(u), centre, targets.targetTime, targets.basis,
                                          target.need, relative),
                        target, *(targets.*target.bound));
    };
    // `slope`, where known, of the excess over log A0 near `start`: the first
    // step a quarter past where it puts the root.
    const auto solve = [&](const Centre& centre, const Target<double>& target, double start,
                           double step, double slope = 0) {
        const auto f = [&](double u) { return excessAt(centre, target, u); };
        // A bracket from `start`, its step doubling, then TOMS 748 on log A0.
        const double top = std::log(ceiling);
        const double lo = std::fmin(start, top);
        const double fLo = f(lo);
        if (slope > 0 && std::isfinite(fLo)) {
            step = std::clamp(1.25 * std::fabs(fLo) / slope, 1e-12, 1.0);
        }
        const auto [found, bracket] = BracketIncreasing(f, lo, fLo, step, top);
        if (found == Bracketed::PositiveEverywhere) {
            return 0.0; // missed at every traffic the doubles hold
        }
        if (found == Bracketed::NotPositiveUpToTop) {
            return static_cast<double>(INFINITY); // met at every traffic taken
        }
        return std::exp(Root(f, bracket, "the capacity"));
    };
    // Each target's traffic without the variance first: over a forecast, the
    // targets in the order of those, and one met at the least traffic found
    // so far (its figures rising with the traffic) sought no further.
    struct Sought {
        const Target<double>* target;
        double plainTraffic;
    };
    std::vector<Sought> sought;
    for (const Target<double>& target : kTargets<double>) {
        if (targets.*target.bound) {
            const double from = std::log(std::fmin(std::fmax(agents, 1e-3), ceiling));
            sought.push_back({&target, solve(poisson, target, from, std::log(4.0))});
        }
    }
    std::stable_sort(sought.begin(), sought.end(), [](const Sought& x, const Sought& y) {
        return x.plainTraffic < y.plainTraffic;
    });
    double answer = INFINITY;
    for (const auto& [target, plainTraffic] : sought) {
        double traffic = plainTraffic;
        if (c.shape < INFINITY && traffic > 0 && traffic < INFINITY && answer > 0 &&
            answer < INFINITY &&
            (excessAt(c, *target, std::log(answer), kRoughAccuracy) < -kRoughMargin ||
             excessAt(c, *target, std::log(answer)) <= 0)) {
            continue;
        }
        if (c.shape < INFINITY && traffic > 0 && traffic < INFINITY) {
            const double start = std::log(std::fmin(traffic, ceiling));
            const double h = 1e-4;
            const double slope =
                (excessAt(poisson, *target, start + h) - excessAt(poisson, *target, start - h)) /
                (2 * h);
            traffic = solve(c, *target, start, 0.01, slope);
        }
        answer = std::fmin(answer, traffic);
    }
    if (answer == INFINITY) {
        if (!drains) {
            answer = ceiling; // met up to the agents themselves
        } else {
            // Lines keep the accepted attempts' figures at any traffic:
            // the capacity would lie beyond the engine's traffics.
            const Target<double>& first = *std::ranges::find_if(
                kTargets<double>, [&](const Target<double>& t) { return !!(targets.*t.bound); });
            throw DomainError(first.argument, *(targets.*first.bound),
                              "a target these agents miss at some traffic up to 1e9 erlangs");
        }
    }
    // The root rounded may lie some units in the last place from the largest
    // traffic whose figures, as ErlangX gives them, meet every target (more
    // over a forecast, whose figures the root was sought on in part): from
    // it, down while they do not, or up while they do, by steps doubling
    // from one unit, then bisected between the last that meets and the first
    // that does not.
    const Need need = c.shape < INFINITY ? Need::All : NeedOfTargets(targets);
    const auto shown = [&](double A0) {
        return MetAsReported(
            FiguresAsReported(A0, agents, model, c, targets.targetTime, targets.basis, need),
            targets);
    };
    double missed = INFINITY; // the least traffic found to miss, above `answer`
    if (answer > 0 && shown(answer)) {
        double step = std::nextafter(answer, INFINITY) - answer;
        for (int i = 0; i < 1100 && answer < ceiling; ++i, step *= 2) {
            const double next = std::fmin(answer + step, ceiling);
            if (!shown(next)) {
                missed = next;
                break;
            }
            answer = next;
        }
    } else if (answer > 0) {
        missed = answer;
        double step = answer - std::nextafter(answer, 0.0);
        for (int i = 0; i < 1100 && answer > 0; ++i, step *= 2) {
            answer = std::fmax(missed - step, 0.0);
            if (answer > 0 && !shown(answer)) {
                missed = answer;
            } else {
                break;
            }
        }
    }
    while (missed < INFINITY && std::nextafter(answer, INFINITY) < missed) {
        const double mid = answer / 2 + missed / 2;
        (shown(mid) ? answer : missed) = mid;
    }
    const auto at = [&](double A0) {
        return FiguresAt<double>(A0, c, targets.targetTime, targets.basis, Need::Shares);
    };
    if (answer > 0 && !(at(answer).attempts <= kMaxTraffic)) {
        throw DomainError(Argument::Agents, agents,
                          "few enough that the traffic they take, with its redials, stays within "
                          "1e9 erlangs");
    }
    return answer;
}

} // namespace teletraffic
