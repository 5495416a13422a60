#include "teletraffic/overflow.h"

#include "teletraffic/erlang_b.h"
#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/lentz.h"
#include "teletraffic/numerics/solve.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace teletraffic {

using namespace detail;
using Ext = long double;

namespace {

void CheckMoments(double mean, double variance) {
    Check(Argument::Mean, mean);
    Check(Argument::StreamVariance, variance);
    RequireThat(variance >= mean, Argument::StreamVariance,
                "at least the mean, " + ShowNumber(mean) +
                    ": smoother traffic has no equivalent random traffic",
                variance);
}

// The overflow of N lines offered A: its mean m, and its peakedness less
// one, Z - 1 = A / (N + 1 - Y) - m.
template <typename Real> struct Spread {
    Real mean;
    Real logMean;
    Real excess; // Z - 1
    Real gap;    // N + 1 - Y
    bool tails;  // from the fraction's tails, below
};
template <typename Real> Spread<Real> OverflowOf(Real A, Real N) {
    const Real c = A - N;
    const Real a = N + 1;
    if (A < Real(1.5) || c <= std::fmin(a / 2, 6 * std::sqrt(a))) {
        const Scaled<Real> R = InverseBlocking(A, N);
        const Real m = A * R.Reciprocal();
        const Real carried = A * Pass(A, N, R);
        const Real gap = N + 1 - carried;
        if (N < 1) {
            // Below a line A / (N + 1 - Y) and m both near A, and Z - 1 of some
            // N / 5 is their difference (long double kept 7 digits of it at
            // N = 5e-12): as (Y (1 + m) - m N) / (N + 1 - Y), terms of Y's size.
            return {m, std::log(A) - R.Log(), (carried * (1 + m) - m * N) / gap, gap, false};
        }
        return {m, std::log(A) - R.Log(), A / gap - m, gap, false};
    }
    // Where much overflows, N + 1 - Y is a few erlangs out of N, and A / (N + 1
    // - Y) all but m: both differences lost all their digits (8e-5 of the
    // equivalent traffic at a mean of 1.1e8, Z = 1.68). From the tails of
    // Legendre's fraction R = A / (c + N / D1), D1 = c + 2 + 2 (N - 1) / D2,
    // D2 = c + 4 + 3 (N - 2) / (c + 6 + ...), c = A - N, they are
    // N + 1 - Y = 1 + N / D1 and Z - 1 = N (D1 (1 + u) - N) / (D1 (D1 + N)),
    // u = 2 (N - 1) / D2, which cancel by a factor of 2 at most.
    const Real D2 = Lentz(c + 4, c + 4, Real(0), [&](int j) {
        return std::pair{(j + 2) * (N - j - 1), c + 4 + 2 * j};
    });
    const Real u = 2 * (N - 1) / D2;
    const Real D1 = c + 2 + u;
    const Real m = c + N / D1;
    return {m, std::log(m), N * (D1 * (1 + u) - N) / (D1 * (D1 + N)), 1 + N / D1, true};
}

// Riordan's moments in long double.
Overflow Moments(Ext A, Ext N) {
    if (A == 0) {
        return {0, 0, 1};
    }
    const Spread<Ext> s = OverflowOf(A, N);
    // At least 1 (overflow is peaked), which rounding may miss where it cancels.
    const Ext Z = 1 + std::fmax(s.excess, Ext(0));
    return {static_cast<double>(s.mean), static_cast<double>(s.mean * Z), static_cast<double>(Z)};
}

} // namespace

Overflow OverflowMoments(double traffic, double lines) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Lines, lines);
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

// For given lines N, the traffic whose overflow has mean m: A B(A, N) = m,
// increasing in A, between m and m + N (the carried traffic is below N).
double TrafficFor(double m, double N) {
    const auto f = [&](double A) {
        const Scaled<double> R = InverseBlocking(A, N);
        const double carried = A * Pass(A, N, R);
        return Slope{std::log(A) - R.Log() - std::log(m), 1 + N - carried};
    };
    return IncreasingRoot(f, m + N / 2, m, m + N);
}

// The bracketed fallback: for given lines N, the traffic whose overflow has
// mean m, then the lines whose overflow has variance v, by TOMS 748.
EquivalentRandom NestedEquivalent(double m, double v) {
    const auto trafficFor = [&](double N) { return TrafficFor(m, N); };
    // The variance of that overflow grows with N; Rapp's approximation starts
    // it. As Z - 1 = A / (N + 1 - Y) - m against its target, in long double:
    // near Z = 1 the variance rounded to double would leave N some 1e-6 of its
    // digits (m = 1e-300, v/m - 1 = 1e-9).
    const Ext target = (static_cast<Ext>(v) - m) / m;
    const auto excess = [&](double N) {
        return static_cast<double>(OverflowOf<Ext>(trafficFor(N), N).excess / target - 1);
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
    Require((fa < 0) != (fb < 0), Argument::StreamVariance, kTooPeaked, v);
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
                              Spread<Real>* spread = nullptr) {
    const Spread<Real> s = OverflowOf(std::exp(logA), N);
    if (spread != nullptr) {
        *spread = s;
    }
    return {s.logMean - logMean, std::log1p(s.excess) - logPeakedness};
}

// The slope of log B in N has no closed form and is differenced; the others
// follow from d log B / d log A = N - Y.
template <typename Real>
OverflowPoint<Real> OverflowAt(Real logA, Real N, Real logMean, Real logPeakedness) {
    OverflowPoint<Real> p{logA, N, {}, {}};
    Spread<Real> s{};
    p.F = Residuals(logA, N, logMean, logPeakedness, &s);
    const Real A = std::exp(logA);
    const Real m = s.mean;
    const Real Z = 1 + s.excess;
    // log R varies over some sqrt(N) lines; J's second row takes 1 - m D,
    // which cancels: a central difference.
    const Real h = std::fmin(Real(1e-3) * std::fmax(Real(1), std::sqrt(N)), N);
    const Real D =
        h > 0 ? (InverseBlocking(A, N + h).Log() - InverseBlocking(A, N - h).Log()) / (2 * h)
              : (InverseBlocking(A, Real(1e-6)).Log() - InverseBlocking(A, N).Log()) / Real(1e-6);
    const Real gap = s.gap;
    const Real Y = N + 1 - gap;
    p.J[0][0] = gap;
    p.J[0][1] = -D;
    if (s.tails) {
        // The second row's terms cancel as Riordan's variance does: central
        // differences of the residual from the tails.
        const Real step = std::cbrt(kEpsilon<Real>);
        const Real hN = step * (N > 0 ? std::fmin(N, A - N) : 1);
        const Real below = std::fmax(N - hN, Real(0));
        const auto peak = [&](Real la, Real n) {
            return Residuals(la, n, logMean, logPeakedness)[1];
        };
        p.J[1][0] = (peak(logA + step, N) - peak(logA - step, N)) / (2 * step);
        p.J[1][1] = (peak(logA, N + hN) - peak(logA, below)) / (N + hN - below);
        return p;
    }
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
    // log Z as log1p(Z - 1): v - m is exact up to v = 2m, where Z - 1 is small.
    const double logZ = std::log1p((variance - mean) / mean);
    const double Z = variance / mean;
    const EquivalentRandom rapp = Rapp(mean, variance);
    const OverflowPoint<double> p = Damped(std::log(rapp.traffic), rapp.lines, logMean, logZ, 1e-8);
    const Ext logMeanExt = std::log(static_cast<Ext>(mean));
    const Ext logZExt = std::log1p((static_cast<Ext>(variance) - mean) / mean);
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
        const Ext logA = q.logA + da;
        const Ext N = std::fmax(q.N + dN, Ext(0));
        // Where Z is within some 1e-15 of 1 the Jacobian is all but singular,
        // and a step on residuals of that size can leap off the root: taken
        // only where it brings them down.
        const std::array<Ext, 2> F = Residuals<Ext>(logA, N, logMeanExt, logZExt);
        const bool better = std::fmax(std::fabs(F[0]), std::fabs(F[1])) <= q.Size();
        out = better ? EquivalentRandom{static_cast<double>(std::exp(logA)), static_cast<double>(N)}
                     : EquivalentRandom{std::exp(p.logA), p.N};
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
    Require(Rapp(m, v).traffic <= 4 * kMaxTraffic, Argument::StreamVariance, kTooPeaked, v);
    EquivalentRandom er{};
    // Within a millionth of Z = 1, Newton's residual in log Z keeps Z - 1 only
    // to the rounding of 1 (a 2 % error at 1e-12), and the two equations are
    // all but one: the fallback solves on Z - 1 itself, then the mean alone
    // (lines of a mean of 1 at Z = 1 + 1e-12 were 3e-8 off by Newton's method).
    const double peak = (v - m) / m;
    if (peak < 1e-6 || !NewtonEquivalent(m, v, er)) {
        er = NestedEquivalent(m, v);
    }
    // The moments of a billion erlangs give them back, to rounding.
    if (er.traffic > kMaxTraffic && er.traffic <= kMaxTraffic * (1 + 1e-12)) {
        er.traffic = kMaxTraffic;
    }
    Require(er.traffic <= kMaxTraffic, Argument::StreamVariance, kTooPeaked, v);
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

// The loss is factor B(traffic, lines + scale x), in long double where
// Hayward's traffic m / Z = m^2 / v or 1 / Z is below double's normal range
// (a mean of 5e-324 at Z = 2 is 0 in double); traffic and lines are known to
// a relative `inputError`.
struct Prepared {
    double mean;
    Ext factor;
    Ext traffic;
    Ext lines;
    Ext scale;
    bool wide;
    double inputError;
};

Prepared Prepare(double mean, double variance, OverflowMethod method) {
    if (method == OverflowMethod::Hayward) {
        const double Z = variance / mean;
        const double traffic = mean / Z;
        // Z, m / Z, 1 / Z and x / Z each rounded once.
        const double rounding = 4 * kEpsilon<double>;
        if (traffic >= DBL_MIN && 1 / Z >= DBL_MIN) {
            return {mean, mean, traffic, 0, 1 / Z, false, rounding};
        }
        const Ext wide = static_cast<Ext>(variance) / mean;
        return {mean, mean, mean / wide, 0, 1 / wide, true, rounding};
    }
    // The equivalent random traffic holds 1e-12; a thousand times that
    // leaves room where it is less well conditioned. Where its moments miss
    // the stream's by more (some 1e-5 at a mean of 1e8), it is solved again
    // at fifty digits, and holds to its rounding.
    const EquivalentRandom er = OverflowEquivalentRandom(mean, variance);
    const Ext logMean = std::log(static_cast<Ext>(mean));
    const auto F = Residuals<Ext>(std::log(static_cast<Ext>(er.traffic)), er.lines, logMean,
                                  std::log1p((static_cast<Ext>(variance) - mean) / mean));
    if (!(std::fmax(std::fabs(F[0]), std::fabs(F[1])) > 1e-10)) {
        return {mean, er.traffic, er.traffic, er.lines, 1, false, 1e-9};
    }
    const FineEquivalent fine = Refined(mean, variance, er);
    const auto traffic = static_cast<double>(exp(fine.logA));
    return {mean, traffic, traffic, static_cast<double>(fine.N), 1, false, 4 * kEpsilon<double>};
}

template <typename Real> LossLog LossIn(const Prepared& p, double x) {
    const auto traffic = static_cast<Real>(p.traffic);
    const auto scale = static_cast<Real>(p.scale);
    const Real N = static_cast<Real>(p.lines) + x * scale;
    const Scaled<Real> R = InverseBlocking(traffic, N);
    const Real logLost = std::log(static_cast<Real>(p.factor)) - R.Log();
    const Real step = LogStep(traffic, N, R);
    // log B moves by N - A + A B times a rounding of A, and by about its
    // fall to N + 1 times one of N.
    const Real fall = std::isfinite(step) ? step : std::log(N + 1) - std::log(traffic);
    const Real sway = 1 + std::fabs(Elasticity(traffic, N, R.Reciprocal())) + (N + 1) * fall;
    const Real error = 2 * kLogTolerance<Real> * std::fmax(Real(1), std::fabs(R.Log())) +
                       4 * static_cast<Real>(p.inputError) * sway;
    return {static_cast<double>(logLost - std::log(static_cast<Real>(p.mean))),
            static_cast<double>(step * scale), static_cast<double>(error)};
}

LossLog Loss(const Prepared& p, double x) {
    return p.wide ? LossIn<Ext>(p, x) : LossIn<double>(p, x);
}

} // namespace

OverflowLoss OverflowBlocking(double mean, double variance, double lines, OverflowMethod method) {
    CheckMoments(mean, variance);
    Check(Argument::Lines, lines);
    if (mean == 0) {
        return {0, 0};
    }
    if (lines == 0) {
        return {mean, 1}; // all of it, as the line counts decide, not to the model's error
    }
    const Prepared p = Prepare(mean, variance, method);
    // At most 1, which the equivalent group's own error (1e-12 of its
    // overflow) or a rounding may pass on few lines.
    const double blocking = std::fmin(std::exp(Loss(p, lines).logBlocking), 1);
    return {mean * blocking, blocking};
}

std::int64_t OverflowLines(double mean, double variance, OverflowMethod method, double blocking) {
    CheckMoments(mean, variance);
    Check(Argument::Blocking, blocking);
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
            fine = Refined(mean, variance,
                           {static_cast<double>(p.traffic), static_cast<double>(p.lines)});
        }
        const Fifty logR = FineLogInverseBlocking(exp(fine->logA), fine->N + n);
        return fine->logA - logR - log(Fifty(mean)) <= log(Fifty(blocking));
    };
    // A stream that 2e9 further lines do not bring to the target is refused
    // before the search, which would find no count to answer (a mean of 1e9
    // at Z = 1e6 needs some 3e9 lines at 1e-300 by Hayward's method).
    const auto most = static_cast<std::int64_t>(kMaxLines);
    Require(meets(most, Loss(p, kMaxLines)), Argument::Blocking,
            "reached within 2e9 lines for this stream", blocking);
    // No further line loses all the stream: blocking 1, above any target.
    return SmallestCount(0, std::fmin(guess, kMaxLines), [&](std::int64_t n) {
        const LossLog l = Loss(p, static_cast<double>(n));
        return Step{meets(n, l), l.logBlocking - logT, l.fall};
    });
}

} // namespace teletraffic
