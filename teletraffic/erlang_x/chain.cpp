// Erlang X's birth-death chain at one attempt traffic, Erlang A's with the
// queue cut at m = lines - agents. At an attempt rate lambda, with x =
// lambda/theta and a = N mu/theta (theta = 1/patience), the states N + k weigh
// t_k = x^k/((a+1)...(a+k)) against state N, k = 0..m, those below it R - 1
// (R = 1/B(A, N), Erlang B's inverse). Attempts are blocked in state N + m;
// the accepted ones see the chain cut at N + m - 1 (arrivals see time
// averages). With the window's sums S_j = t_0 + ... + t_j and G = sum_(k<=m)
// k t_k, T' = R - 1 + S_(m-1):
//   blocking = t_m/(T' + t_m), P(W > 0) = S_(m-1)/T', P(Ab) = G/(x T'),
//   1 - P(Ab) = (R - 1 + (a/x)(S_m - 1))/T'  (as k t_k = x t_(k-1) - a t_k),
// the average wait P(Ab) patience (Little's law), the occupancy
// ((A/N)(R - 1) + S_m - 1)/T. Lost per attempt L = (t_m + G/x)/T.
//
// The window's sums by region. Without lines, Erlang A's: the series L(b) =
// gamma(b, x) e^x/x^(b-1) of the lower incomplete gamma function. With lines
// and x < a + m + 1, that series less what lies beyond the cut, itself a
// shifted series:
//   S_m - 1 = L(a + 1) - t_m L(a + m + 1),
//   G = G(a) - t_m (m L(a + m + 1) + G(a + m)),  G(c) = c + (x - c)(1 + L(c + 1)),
// G(c) the untruncated mean queue; a tail below every digit leaves Erlang A's
// forms. Where the cut falls before the queue's peak (x >= a + m) these
// cancel; there, from the cut downwards, with U(b) = Gamma(b, x) e^x/x^(b-1) =
// x/(x + 1 - b + tau(b)) (tau the tail of Legendre's continued fraction) and
// the defect D(b) = 1 - (x - b) U(b)/x:
//   S_m/t_m = U(a + m + 1) - (a/x) U(a)/t_m,
//   S_(m-1)/t_m = ((a + m)/x) U(a + m) - (a/x) U(a)/t_m,
//   G/t_m = x (m - tau(a + m + 1))/(x - a - m + tau(a + m + 1)) + a D(a)/t_m.
// Without patience (a beyond 1e60) geometric sums. Where the closed form
// taken would lose more than a factor 16 (a cut within the queue's spread, m
// well below sqrt(a)), the states one by one up to 4096, beyond by the
// quadrature of the wait's law (wait_law.h). t_m itself in extended
// precision, by Stirling's series beyond 32 positions.
//
// References: O. Garnett, A. Mandelbaum and M. Reiman, Designing a call
// center with impatient customers, Manuf. Serv. Oper. Manag. 4 (2002)
// 208-227 (the chain without lines); NIST DLMF 8.9.2 (Legendre's continued
// fraction), 8.7.1 (the series), 5.11.1 (Stirling's series).
#include "teletraffic/erlang_x/chain.h"

#include "teletraffic/erlang_x/wait_law.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/lentz.h"
#include "teletraffic/numerics/stirling.h"

#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/log1p.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace teletraffic::erlang_x {
namespace {

// A closed form is taken where its differences lose at most this factor.
constexpr double kMostLoss = 16;

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

// The window's sums by whichever form keeps its digits: the closed forms
// from beyond the cut or from it, else the terms one by one, else (a cut
// within the spread of a queue of more than 1e8 agents' worth of patience)
// the quadrature.
template <typename Real> Window<Real> WindowOf(const Chain<Real>& ch, const Centre& c) {
    const Real x = ch.x;
    const Real a = ch.a;
    const auto m = static_cast<Real>(c.queueLines);
    if (c.agents == 0) {
        // Every caller waits until they hang up: Erlang B of x erlangs on the
        // lines, none blocked below the double range of x (where Erlang B's
        // inverse would leave the range).
        if (!c.limited || ch.vanishing) {
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
    const WaitLawParts<Real> law = IntegrateWaitLaw(x, a, m, static_cast<Real>(INFINITY));
    const Real s = law.scale;
    return {{law.within.answered + law.within.abandoned, s},
            {1, LogLastWeight(x, a, m)},
            {law.within.answered, s},
            {law.within.abandoned, s},
            false};
}

} // namespace

template <typename Real> Chain<Real> ChainAt(Real A, const Centre& c) {
    Chain<Real> ch;
    const auto N = static_cast<Real>(c.agents);
    const Real ratio = RatioIn<Real>(c);
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

// With the states below the agents R - 1 (relative to state N) and the
// whole T, 1 - occupancy = (R - (A/N)(R - 1))/T. Below the agents its terms
// are of one sign; from them on they cancel (R - 1 nears N/(A - N)), and
// Legendre's fraction for Erlang B's inverse, R - 1 = N/(A + 1 - N + tau(N)),
// leaves (1 + tau)/(A + 1 - N + tau), of its own digits.
template <typename Real> Real IdleShare(const Chain<Real>& ch, Real A, const Centre& c) {
    const auto N = static_cast<Real>(c.agents);
    if (N == 0) {
        return 1;
    }
    const Scaled<Real> total = Plus(Plus(ch.below, ch.window.seen), ch.window.last);
    const Real tau = A >= N ? FractionTail(A, N) : 0;
    const Scaled<Real> idle = A < N ? Plus(Scaled<Real>{1}, Times(ch.below, (N - A) / N))
                                    : Scaled<Real>{(1 + tau) / ((A - N) + 1 + tau)};
    return std::fmin(Over(idle, total), Real(1));
}

template Chain<double> ChainAt(double, const Centre&);
template Chain<long double> ChainAt(long double, const Centre&);
template Shares<double> SharesOf(const Chain<double>&, const Centre&);
template Shares<long double> SharesOf(const Chain<long double>&, const Centre&);
template double IdleShare(const Chain<double>&, double, const Centre&);
template long double IdleShare(const Chain<long double>&, long double, const Centre&);

} // namespace teletraffic::erlang_x
