#include "teletraffic/overflow.h"

#include "teletraffic/erlang_b.h"
#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/solve.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace teletraffic {

using namespace detail;
using Ext = long double;

namespace {

void CheckMoments(double mean, double variance) {
    CheckTraffic(mean, Argument::Mean);
    Require(variance >= 0 && variance < INFINITY, Argument::Variance, "a number of 0 or more",
            variance);
    RequireThat(variance >= mean, Argument::Variance,
                "at least the mean, " + ShowNumber(mean) +
                    ": smoother traffic has no equivalent random traffic",
                variance);
}

// Riordan's moments in long double: 1 - m + A / (N + 1 - Y) cancels where
// much overflows.
Overflow Moments(Ext A, Ext N) {
    if (A == 0) {
        return {0, 0, 1};
    }
    const Scaled<Ext> R = InverseBlocking(A, N);
    const Ext B = R.Reciprocal();
    const Ext carried = A * Pass(A, N, R);
    const Ext m = A * B;
    // At least 1 (overflow is peaked), which rounding may miss where it cancels.
    const Ext Z = std::fmax(1 - m + A / (N + 1 - carried), 1);
    return {static_cast<double>(m), static_cast<double>(m * Z), static_cast<double>(Z)};
}

} // namespace

Overflow OverflowMoments(double traffic, double lines) {
    CheckTraffic(traffic);
    CheckCount(lines, Argument::Lines);
    return Moments(traffic, lines);
}

Overflow OverflowCombine(const Overflow& a, const Overflow& b) {
    const double m = a.mean + b.mean;
    const double v = a.variance + b.variance;
    return {m, v, m > 0 ? v / m : 1};
}

namespace {

constexpr const char* kTooPeaked =
    "small enough that the equivalent traffic stays within 1e9 erlangs";

// Rapp's approximation of the equivalent random traffic and lines, within a
// few per cent of the answer: where the solvers start.
EquivalentRandom Rapp(double mean, double variance) {
    const double Z = variance / mean;
    const double A = variance + 3 * Z * (Z - 1);
    return {A, std::fmax(A * (mean + Z) / (mean + Z - 1) - mean - 1, 0)};
}

// The bracketed fallback: for given lines N, the traffic whose overflow has
// mean m, then the lines whose overflow has variance v, by TOMS 748.
EquivalentRandom NestedEquivalent(double m, double v) {
    // For given lines N, the traffic whose overflow has mean m: A B(A, N) = m,
    // increasing in A, between m and m + N (the carried traffic is below N).
    const auto trafficFor = [&](double N) {
        const auto f = [&](double A) {
            const Scaled<double> R = InverseBlocking(A, N);
            const double carried = A * Pass(A, N, R);
            return Slope{std::log(A) - R.Log() - std::log(m), 1 + N - carried};
        };
        return IncreasingRoot(f, m + N / 2, m, m + N);
    };
    // The variance of that overflow grows with N; Rapp's approximation starts it.
    const auto excess = [&](double N) {
        const Overflow o = Moments(trafficFor(N), N);
        return (o.variance - v) / v;
    };
    double a = Rapp(m, v).lines;
    double fa = excess(a);
    double b = fa < 0 ? a * 1.05 + 0.1 : a * 0.95;
    double fb = excess(b);
    for (int i = 0; i < 200 && (fa < 0) == (fb < 0); ++i) {
        a = b;
        fa = fb;
        b = fa < 0 ? b * 2 + 1 : b / 2;
        if (b < 1e-300) {
            b = 0;
        }
        if (b > kMaxLines) {
            break;
        }
        fb = excess(b);
    }
    Require((fa < 0) != (fb < 0), Argument::Variance, kTooPeaked, v);
    if (a > b) {
        std::swap(a, b);
        std::swap(fa, fb);
    }
    double N = a;
    if (fa != 0) {
        std::uintmax_t iterations = 100;
        const auto [x, y] = boost::math::tools::toms748_solve(
            excess, a, b, fa, fb,
            [](double x, double y) {
                return std::fabs(y - x) <= 2 * kEpsilon<double> * std::fmax(x, y);
            },
            iterations);
        N = (x + y) / 2;
    }
    return {trafficFor(N), N};
}

// log m and log Z of the overflow of N lines offered A, less their targets,
// and their slopes in log A and N.
template <typename Real> struct OverflowPoint {
    Real logA, N;
    std::array<Real, 2> F;
    Real J[2][2];

    Real Size() const { return std::fmax(std::fabs(F[0]), std::fabs(F[1])); }
    // The Newton step, in log A and N.
    std::array<Real, 2> Step() const {
        const Real det = J[0][0] * J[1][1] - J[0][1] * J[1][0];
        return {(-F[0] * J[1][1] + F[1] * J[0][1]) / det, (-F[1] * J[0][0] + F[0] * J[1][0]) / det};
    }
};

// The residuals alone: log m and log Z less their targets.
template <typename Real>
std::array<Real, 2> Residuals(Real logA, Real N, Real logMean, Real logPeakedness,
                              Real* carried = nullptr) {
    const Real A = std::exp(logA);
    const Scaled<Real> R = InverseBlocking(A, N);
    const Real Y = A * Pass(A, N, R);
    if (carried != nullptr) {
        *carried = Y;
    }
    const Real Z = 1 - A * R.Reciprocal() + A / (N + 1 - Y);
    return {logA - R.Log() - logMean, std::log(Z) - logPeakedness};
}

// The slope of log B in N has no closed form and is differenced; the others
// follow from d log B / d log A = N - Y.
template <typename Real>
OverflowPoint<Real> OverflowAt(Real logA, Real N, Real logMean, Real logPeakedness) {
    OverflowPoint<Real> p{logA, N, {}, {}};
    Real Y = 0;
    p.F = Residuals(logA, N, logMean, logPeakedness, &Y);
    const Real A = std::exp(logA);
    const Real m = std::exp(p.F[0] + logMean);
    const Real Z = std::exp(p.F[1] + logPeakedness);
    // log R varies over some sqrt(N) lines; J's second row takes 1 - m D,
    // which cancels: a central difference.
    const Real h = std::fmin(Real(1e-3) * std::fmax(Real(1), std::sqrt(N)), N);
    const Real D =
        h > 0 ? (InverseBlocking(A, N + h).Log() - InverseBlocking(A, N - h).Log()) / (2 * h)
              : (InverseBlocking(A, Real(1e-6)).Log() - InverseBlocking(A, N).Log()) / Real(1e-6);
    const Real gap = N + 1 - Y;
    p.J[0][0] = 1 + N - Y;
    p.J[0][1] = -D;
    // dY / d log A = Y - m (N - Y), dY / dN = m D
    p.J[1][0] = (-m * (1 + N - Y) + A / gap + A * (Y - m * (N - Y)) / (gap * gap)) / Z;
    p.J[1][1] = (m * D - A * (1 - m * D) / (gap * gap)) / Z;
    return p;
}

// Newton's method in Real from (log A, N), each step halved until it brings
// the residuals down, until they stop falling fast below `settled`.
template <typename Real>
OverflowPoint<Real> Damped(Real logA, Real N, Real logMean, Real logZ, Real settled) {
    const Real reach = std::log(8 * static_cast<Real>(kMaxTraffic)); // of log A
    OverflowPoint<Real> p = OverflowAt(logA, N, logMean, logZ);
    for (int i = 0; i < 60 && p.Size() > 0; ++i) {
        const auto [da, dN] = p.Step();
        if (!std::isfinite(da) || !std::isfinite(dN)) {
            break;
        }
        OverflowPoint<Real> next = p;
        Real t = 1;
        for (int k = 0; k < 20; ++k, t /= 2) {
            next = OverflowAt(std::fmin(p.logA + t * std::clamp(da, Real(-1), Real(1)), reach),
                              std::clamp(p.N + t * dN, p.N / 2, static_cast<Real>(kMaxLines)),
                              logMean, logZ);
            if (next.Size() < p.Size()) {
                break;
            }
        }
        if (!(next.Size() < p.Size())) {
            break;
        }
        const bool slow = next.Size() > p.Size() / 4;
        p = next;
        if (slow && p.Size() < settled) {
            break; // at the rounding of the residuals
        }
    }
    return p;
}

// Newton's method on (log A, N) for log m and log Z from Rapp's
// approximation, in double to the rounding of the residuals, then in long
// double: 1 - m + A / (N + 1 - Y) cancels where much overflows
// (m = 3000, Z = 3.3 loses 9 digits of 16).
bool NewtonEquivalent(double mean, double variance, EquivalentRandom& out) {
    const double logMean = std::log(mean);
    const double logZ = std::log(variance) - logMean;
    const double Z = variance / mean;
    const EquivalentRandom rapp = Rapp(mean, variance);
    const OverflowPoint<double> p = Damped(std::log(rapp.traffic), rapp.lines, logMean, logZ, 1e-8);
    const Ext logMeanExt = std::log(static_cast<Ext>(mean));
    const Ext logZExt = std::log(static_cast<Ext>(variance)) - logMeanExt;
    if (mean <= 64 * Z && p.Size() < 1e-12) {
        // Little cancels: one step on the residuals in long double, with the
        // Jacobian in double.
        OverflowPoint<Ext> q{p.logA, p.N, Residuals<Ext>(p.logA, p.N, logMeanExt, logZExt), {}};
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
                q.J[i][j] = p.J[i][j];
            }
        }
        const auto [da, dN] = q.Step();
        out = {static_cast<double>(std::exp(q.logA + da)),
               static_cast<double>(std::fmax(q.N + dN, 0))};
        return std::isfinite(out.traffic) && std::isfinite(out.lines);
    }
    const OverflowPoint<Ext> q = Damped<Ext>(p.logA, p.N, logMeanExt, logZExt, Ext(1e-11));
    out = {static_cast<double>(std::exp(q.logA)), static_cast<double>(q.N)};
    return q.Size() < 1e-9 && std::isfinite(out.traffic) && std::isfinite(out.lines);
}

} // namespace

EquivalentRandom OverflowEquivalentRandom(double mean, double variance) {
    CheckMoments(mean, variance);
    const double m = mean;
    const double v = variance;
    if (m == 0 || v == m) {
        return {m, 0};
    }
    // Far beyond the engine's traffic there is no answer, and the solvers
    // are kept within reach.
    Require(Rapp(m, v).traffic <= 4 * kMaxTraffic, Argument::Variance, kTooPeaked, v);
    EquivalentRandom er{};
    if (!NewtonEquivalent(m, v, er)) {
        er = NestedEquivalent(m, v);
    }
    // The moments of a billion erlangs give them back, to rounding.
    if (er.traffic > kMaxTraffic && er.traffic <= kMaxTraffic * (1 + 1e-12)) {
        er.traffic = kMaxTraffic;
    }
    Require(er.traffic <= kMaxTraffic, Argument::Variance, kTooPeaked, v);
    return er;
}

namespace {

// log of the blocking (lost / mean) on x further lines, its fall to x + 1,
// and the error it may have.
struct LossLog {
    double logBlocking;
    double fall;
    double error;
};

// The loss is factor B(traffic, lines + scale x); traffic and lines are
// known to a relative `inputError`.
struct Prepared {
    double mean;
    double factor;
    double traffic;
    double lines;
    double scale;
    double inputError;
};

Prepared Prepare(double mean, double variance, OverflowMethod method) {
    if (method == OverflowMethod::Hayward) {
        const double Z = variance / mean;
        // Z, m / Z, 1 / Z and x / Z each rounded once.
        return {mean, mean, mean / Z, 0, 1 / Z, 4 * kEpsilon<double>};
    }
    // The equivalent random traffic holds 1e-12; a thousand times that
    // leaves room where it is less well conditioned.
    const EquivalentRandom er = OverflowEquivalentRandom(mean, variance);
    return {mean, er.traffic, er.traffic, er.lines, 1, 1e-9};
}

LossLog Loss(const Prepared& p, double x) {
    const double N = p.lines + x * p.scale;
    const Scaled<double> R = InverseBlocking(p.traffic, N);
    const double logLost = std::log(p.factor) - R.Log();
    const double step = LogStep(p.traffic, N, R);
    // log B moves by N - A + A B times a rounding of A, and by about its
    // fall to N + 1 times one of N.
    const double sway = 1 + std::fabs(Elasticity(p.traffic, N, R.Reciprocal())) + (N + 1) * step;
    const double error =
        2 * kLogTolerance<double> * std::fmax(1, std::fabs(R.Log())) + 4 * p.inputError * sway;
    return {logLost - std::log(p.mean), step * p.scale, error};
}

// The equivalent random traffic at fifty digits, for counts within the
// double's error of their target: Newton's method from the double answer.
// Its Jacobian is differenced at fifty digits once (in double the variance's
// row loses most of its digits where much overflows), and holds to the end.
struct FineEquivalent {
    Fifty logA, N;
};
FineEquivalent Refined(double mean, double variance, const EquivalentRandom& er) {
    const Fifty logMean = log(Fifty(mean));
    const Fifty logZ = log(Fifty(variance)) - logMean;
    const auto residuals = [&](const Fifty& logA, const Fifty& N) {
        const Fifty A = exp(logA);
        const Fifty logR = FineLogInverseBlocking(A, N);
        const Fifty m = A * exp(-logR);
        return std::array<Fifty, 2>{logA - logR - logMean, log(1 - m + A / (N + 1 - A + m)) - logZ};
    };
    FineEquivalent fine{log(Fifty(er.traffic)), er.lines};
    std::array<Fifty, 2> F = residuals(fine.logA, fine.N);
    const Fifty ha = 1e-20;
    const Fifty hN = 1e-20 * std::fmax(1, er.lines);
    const std::array<Fifty, 2> Fa = residuals(fine.logA + ha, fine.N);
    const std::array<Fifty, 2> FN = residuals(fine.logA, fine.N + hN);
    const Fifty J[2][2] = {{(Fa[0] - F[0]) / ha, (FN[0] - F[0]) / hN},
                           {(Fa[1] - F[1]) / ha, (FN[1] - F[1]) / hN}};
    const Fifty det = J[0][0] * J[1][1] - J[0][1] * J[1][0];
    Fifty size = abs(F[0]) + abs(F[1]);
    for (int i = 0; i < 8 && size > 1e-45; ++i) {
        const Fifty logA = fine.logA + (-F[0] * J[1][1] + F[1] * J[0][1]) / det;
        const Fifty N = fine.N + (-F[1] * J[0][0] + F[0] * J[1][0]) / det;
        const std::array<Fifty, 2> next = residuals(logA, N);
        if (!(abs(next[0]) + abs(next[1]) < size)) {
            break; // at the precision of the residuals
        }
        fine = {logA, N};
        F = next;
        size = abs(F[0]) + abs(F[1]);
    }
    return fine;
}

} // namespace

OverflowLoss OverflowBlocking(double mean, double variance, double lines, OverflowMethod method) {
    CheckMoments(mean, variance);
    CheckCount(lines, Argument::Lines);
    if (mean == 0) {
        return {0, 0};
    }
    const Prepared p = Prepare(mean, variance, method);
    const double blocking = std::exp(Loss(p, lines).logBlocking);
    return {mean * blocking, blocking};
}

std::int64_t OverflowLines(double mean, double variance, OverflowMethod method, double blocking) {
    CheckMoments(mean, variance);
    CheckBlocking(blocking);
    if (mean == 0) {
        return 0;
    }
    if (variance == mean) {
        // Fresh traffic: by either method exactly Erlang B's count.
        return ErlangBLines(mean, blocking);
    }
    const Prepared p = Prepare(mean, variance, method);
    const double logT = std::log(blocking);
    const double Z = variance / mean;
    const double guess = Z * static_cast<double>(ErlangBLines(mean / Z, blocking));
    std::optional<FineEquivalent> fine; // found at the first near-tie, if any
    // Each count in double where that is clear of the target by more than
    // its error; else at fifty digits (exact arithmetic is no use on
    // fractional lines, and quadruple precision holds only 1e-21 there).
    const auto meets = [&](std::int64_t n, const LossLog& l) {
        const Verdict v = AtMost(l.logBlocking, logT, l.error);
        if (v != Verdict::Unsure) {
            return v == Verdict::Yes;
        }
        if (method == OverflowMethod::Hayward) {
            return HaywardBlockingAtMost(mean, variance, n, blocking);
        }
        if (!fine) {
            fine = Refined(mean, variance, {p.traffic, p.lines});
        }
        const Fifty logR = FineLogInverseBlocking(exp(fine->logA), fine->N + n);
        return fine->logA - logR - log(Fifty(mean)) <= log(Fifty(blocking));
    };
    // No further line loses all the stream: blocking 1, above any target.
    // Past the engine's lines the search stops, and the answer is refused.
    const std::int64_t x = SmallestCount(0, std::fmin(guess, kMaxLines), [&](std::int64_t n) {
        if (static_cast<double>(n) > kMaxLines) {
            return Step{true, -1, 1};
        }
        const LossLog l = Loss(p, static_cast<double>(n));
        return Step{meets(n, l), l.logBlocking - logT, l.fall};
    });
    Require(static_cast<double>(x) <= kMaxLines, Argument::Blocking,
            "reached within 2e9 lines for this stream", blocking);
    return x;
}

} // namespace teletraffic
