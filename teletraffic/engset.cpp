#include "teletraffic/engset.h"

#include "teletraffic/inverse_blocking.h"
#include "teletraffic/solve.h"

#include <boost/math/special_functions/beta.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

// Engset's time congestion E(S, N, beta) = C(S, N) beta^N / sum_(i <= N)
// C(S, i) beta^i is the binomial point probability at N over the binomial
// distribution function at N, for S trials of p = beta / (1 + beta). Its
// inverse R = 1/E is computed, like Erlang B's, by one of three methods, chosen
// by where N stands against the binomial's mean S p:
//
//   N below the mean     R = sum_j prod_(k <= j) (N - k + 1) / ((S - N + k) beta),
//                        terms falling at least as fast as the first ratio;
//   N above the mean     R = (1 - P(X > N)) / P(X = N), the tail summed the same
//                        way and the point probability by Loader's saddle point;
//   N near the mean      the distribution function by Boost's incomplete beta,
//                        over Loader's point probability.
//
// Either sum needs about (its terms' first ratio) / (1 - that ratio) terms:
// some sqrt(S) within a few standard deviations of the mean, where the
// incomplete beta takes over. Everything is in long double: the traffic of an
// idle source moves log E by N - Y times its rounding, and N - Y reaches 1e4
// standard deviations at a billion sources.
namespace teletraffic {
namespace {

using namespace detail;
using Real = long double;
constexpr Real kEps = std::numeric_limits<Real>::epsilon();

// Terms below this share of a sum no longer count.
constexpr Real kNegligible = kEps / 4;

// log(n!) - log(sqrt(2 pi n) (n / e)^n), Stirling's error, for n >= 1.
Real StirlingError(Real n) {
    if (n <= 15) {
        return std::lgamma(n + 1) - (n + Real(0.5)) * std::log(n) + n -
               std::log(std::sqrt(2 * std::numbers::pi_v<Real>));
    }
    constexpr Real g[] = {1.0L / 12, -1.0L / 360, 1.0L / 1260, -1.0L / 1680, 1.0L / 1188};
    const Real t = 1 / (n * n);
    Real sum = 0;
    for (int i = 4; i >= 0; --i) {
        sum = sum * t + g[i];
    }
    return sum / n;
}

// x log(x / M) + M - x without its cancellation near x = M (Loader).
Real Deviance(Real x, Real M) {
    if (std::fabs(x - M) >= Real(0.1) * (x + M)) {
        return x * std::log(x / M) + M - x;
    }
    const Real v = (x - M) / (x + M);
    const Real v2 = v * v;
    Real sum = (x - M) * v;
    Real power = 2 * x * v;
    for (int j = 3; j < 400; j += 2) {
        power *= v2;
        const Real next = sum + power / j;
        if (next == sum) {
            break;
        }
        sum = next;
    }
    return sum;
}

// log P(X = N) for X binomial (S, p), 0 < N < S, with S p and S q given.
Real LogPoint(Real S, Real N, Real Sp, Real Sq) {
    return StirlingError(S) - StirlingError(N) - StirlingError(S - N) - Deviance(N, Sp) -
           Deviance(S - N, Sq) + std::log(S / (2 * std::numbers::pi_v<Real> * N * (S - N))) / 2;
}

// 1/E in scaled form, and 1 - E (kept apart where E is close to 1).
struct Inverse {
    Scaled<Real> R;
    Real complement;
};

// For whole 0 <= N <= S and beta > 0.
Inverse InverseTimeCongestion(Real S, Real N, Real beta) {
    if (N == 0) {
        return {{1}, 0};
    }
    if (N == S) {
        // E = p^S: R = (1 + 1/beta)^S.
        const Real logR = S * std::log1p(1 / beta);
        return {{1, logR}, -std::expm1(-logR)};
    }
    const Real down = N / ((S - N + 1) * beta); // first ratio of the sum below N
    const Real up = (S - N) * beta / (N + 1);   // and of the tail above it
    const Real p = beta / (1 + beta);
    const Real sigma = std::sqrt(S * p / (1 + beta));
    // A sum of terms falling at least as fast as r needs log(eps)/log(r)
    // terms; past some 4 standard deviations the incomplete beta is quicker.
    const Real budget = 200 + 4 * sigma;
    const auto terms = [](Real r) {
        return r < 1 ? std::log(kNegligible) / std::log(r) : INFINITY;
    };
    if (down <= up && terms(down) <= budget) {
        Real term = 1;
        Real sum = 0;
        for (Real k = 1; k <= N; k += 1) {
            term *= (N - k + 1) / ((S - N + k) * beta);
            sum += term;
            if (term <= kNegligible * sum) {
                break;
            }
        }
        return {{1 + sum}, sum / (1 + sum)};
    }
    const Real logPoint = LogPoint(S, N, S * p, S / (1 + beta));
    if (terms(up) <= budget) {
        Real term = 1;
        Real sum = 0;
        for (Real k = 1; k <= S - N; k += 1) {
            term *= (S - N - k + 1) * beta / (N + k);
            sum += term;
            if (term <= kNegligible * sum) {
                break;
            }
        }
        const Real below = 1 - std::exp(logPoint) * sum; // P(X <= N)
        return {{below, -logPoint}, 1 - std::exp(logPoint) / below};
    }
    const Real below = boost::math::ibetac(N + 1, S - N, p);
    return {{below, -logPoint}, 1 - std::exp(logPoint) / below};
}

// d log E / d log beta = N - Y, Y the carried traffic; Y from E itself (exact
// would need E for one source fewer): a slope for Newton's method.
Real LogSlope(Real S, Real N, Real beta, Real E) {
    const Real u = beta * (1 - E);
    return std::fmax(N - S * u / (1 + u), N * kEps);
}

// --- The arguments ---------------------------------------------------------------

// Require, for rules that name another argument's value.
void RequireThat(bool ok, const char* name, const std::string& rule, double value) {
    if (!ok) {
        throw DomainError(name, value, rule);
    }
}

const char* LoadName(EngsetLoad kind) {
    switch (kind) {
    case EngsetLoad::IdleSourceTraffic:
        return "idle-source-traffic";
    case EngsetLoad::Traffic:
        return "traffic";
    case EngsetLoad::IntendedTraffic:
        return "intended-traffic";
    }
    return "traffic";
}

void CheckSources(double S) {
    Require(S >= 1 && S <= kMaxSources && std::floor(S) == S, "sources",
            "a whole number from 1 to 1e9", S);
}
void CheckLines(double S, double N) {
    Require(N >= 0 && N <= kMaxSources && std::floor(N) == N, "lines",
            "a whole number from 0 to 1e9", N);
    RequireThat(N <= S, "lines", "at most the sources, " + ShowNumber(S), N);
}

// The idle-source traffic a load states, for `lines`; Traffic needs a solve.
void CheckLoad(double S, EngsetLoad kind, double load) {
    const char* name = LoadName(kind);
    if (kind == EngsetLoad::IntendedTraffic) {
        RequireThat(load >= 0 && load < S, name,
                    "a number of erlangs from 0 up to but not including the sources, " +
                        ShowNumber(S),
                    load);
        return;
    }
    Require(load >= 0 && load <= kMaxTraffic, name, "a number of erlangs from 0 to 1e9", load);
}

// Newton's method on log x for an increasing f, kept in [lo, hi] where f(lo)
// <= 0 <= f(hi); f returns the value and its slope in log x. In long double,
// bisecting on log x where a step would leave the bracket.
template <typename F> Real LogNewton(F f, Real x, Real lo, Real hi) {
    if (!(x > lo && x < hi)) {
        x = lo > 0 ? std::sqrt(lo) * std::sqrt(hi) : hi / 2;
    }
    for (int i = 0; i < 200 && hi - lo > 4 * kEps * hi; ++i) {
        const auto [value, slope] = f(x);
        if (value == 0) {
            return x;
        }
        (value > 0 ? hi : lo) = x;
        const Real step = value / slope;
        if (slope > 0 && std::fabs(step) <= kEps) {
            return x; // within rounding of the root
        }
        Real next = x * std::exp(-step);
        if (!(next > lo && next < hi) || !(slope > 0)) {
            next = lo > 0 ? std::sqrt(lo) * std::sqrt(hi) : hi / 2;
        }
        x = next;
    }
    return x;
}

struct LogSlopeValue {
    Real value;
    Real slope;
};

// Time congestion for S sources at beta, 0 where there are more lines than
// sources, or no traffic.
Inverse Congestion(Real S, Real N, Real beta) {
    if (N > S || (beta == 0 && N > 0)) {
        return {{1, INFINITY}, 1};
    }
    return InverseTimeCongestion(S, N, beta);
}

// The idle-source traffic at which `lines` are offered `traffic` in the
// call-attempt sense: A = S beta / (1 + beta (1 - B(beta))), increasing in beta.
Real BetaForTraffic(Real S, Real N, Real A) {
    if (A == 0) {
        return 0;
    }
    if (N == S) {
        return A / (S - A); // nothing blocked
    }
    if (N == 0) {
        return A / S; // everything blocked
    }
    // B lies in [0, 1], and the carried traffic below N.
    const Real lo = A / S;
    const Real hi = A < S ? std::fmin(A / (S - A), A / (S - N)) : A / (S - N);
    const auto f = [&](Real beta) {
        const Inverse B = Congestion(S - 1, N, beta);
        const Real u = beta * B.complement;
        const Real E = B.R.Reciprocal();
        // d log A / d log beta = (1 + beta B (N - Y')) / (1 + u)
        const Real slope = (1 + beta * E * LogSlope(S - 1, N, beta, E)) / (1 + u);
        return LogSlopeValue{std::log(S * beta / (1 + u)) - std::log(A), slope};
    };
    const double erlang = ErlangB(static_cast<double>(A), static_cast<double>(N));
    const Real guess = A / (S - A * (1 - erlang));
    return LogNewton(f, guess, lo, hi);
}

Real BetaFor(double S, double N, EngsetLoad kind, double load) {
    switch (kind) {
    case EngsetLoad::IdleSourceTraffic:
        return load;
    case EngsetLoad::IntendedTraffic:
        return static_cast<Real>(load) / (S - static_cast<Real>(load));
    case EngsetLoad::Traffic:
        return BetaForTraffic(S, N, load);
    }
    return load;
}

Engset FromBeta(double sources, double lines, Real beta) {
    const Real S = sources;
    const Real N = lines;
    const Inverse time = Congestion(S, N, beta);
    const Inverse call = Congestion(S - 1, N, beta);
    const Real B = call.R.Reciprocal();
    const Real u = beta * call.complement;
    Engset e{};
    e.timeCongestion = static_cast<double>(time.R.Reciprocal());
    e.callCongestion = static_cast<double>(B);
    e.trafficCongestion = static_cast<double>(B / (1 + u));
    e.carried = static_cast<double>(S * u / (1 + u));
    e.traffic = static_cast<double>(S * beta / (1 + u));
    e.intendedTraffic = static_cast<double>(S * beta / (1 + beta));
    e.idleSourceTraffic = static_cast<double>(beta);
    return e;
}

// --- Whole counts of lines ----------------------------------------------------------

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;

// Up to here the exact sum stays small.
constexpr double kExactLines = 64;

// Whether E(S, N, beta) <= T exactly, beta the rational given.
bool ExactAtMost(double S, std::int64_t N, const Rational& beta, double T) {
    Rational term = 1;
    Rational sum = 1;
    for (std::int64_t k = 1; k <= N; ++k) {
        term *= Rational(N - k + 1) /
                (Rational(S - static_cast<double>(N) + static_cast<double>(k)) * beta);
        sum += term;
    }
    return sum * Rational(T) >= 1;
}

} // namespace

Engset EngsetBlocking(double sources, double lines, EngsetLoad kind, double load) {
    CheckSources(sources);
    CheckLines(sources, lines);
    CheckLoad(sources, kind, load);
    if (kind == EngsetLoad::Traffic && lines == sources) {
        RequireThat(load < sources, "traffic",
                    "below the sources, " + ShowNumber(sources) +
                        ", when every source has a line: no idle-source traffic offers more",
                    load);
    }
    return FromBeta(sources, lines, BetaFor(sources, lines, kind, load));
}

std::int64_t EngsetLines(double sources, EngsetLoad kind, double load, double blocking) {
    CheckSources(sources);
    CheckLoad(sources, kind, load);
    CheckBlocking(blocking);
    if (load == 0) {
        return 0;
    }
    const double S = sources;
    const double T = blocking;
    const Real logT = std::log(static_cast<Real>(T));
    // From S lines on nothing is blocked; with a call-attempt traffic of at
    // least S, S lines do not exist as an answer, so S - 1 must meet it.
    if (kind == EngsetLoad::Traffic && load >= S) {
        const Real beta = BetaForTraffic(S, S - 1, load);
        if (-Congestion(S - 1, S - 1, beta).R.Log() > logT) {
            throw DomainError("traffic", load,
                              "below the sources, " + ShowNumber(S) + ", for a blocking of " +
                                  ShowNumber(T) + ": fewer lines than sources never meet it");
        }
    }
    const Real fixedBeta = kind == EngsetLoad::Traffic ? 0 : BetaFor(S, 0, kind, load);
    const auto probe = [&](std::int64_t n) {
        const auto N = static_cast<Real>(n);
        if (N >= S) {
            return Step{true, -1, 1};
        }
        const Real beta = kind == EngsetLoad::Traffic ? BetaForTraffic(S, N, load) : fixedBeta;
        const Inverse call = Congestion(S - 1, N, beta);
        const Real logR = call.R.Log();
        // The rounding of beta moves log E by N - Y times as much.
        const Real tolerance =
            64 * kEps * std::fmax(1, std::fabs(logR)) + 8 * kEps * (N + std::fabs(logT));
        const bool meets = Decide(
            AtMost(-logR, logT, tolerance), [] { return Verdict::Unsure; },
            [&] {
                if (n <= kExactLines && kind != EngsetLoad::Traffic) {
                    const Rational beta = kind == EngsetLoad::IdleSourceTraffic
                                              ? Rational(load)
                                              : Rational(load) / (S - Rational(load));
                    return ExactAtMost(S - 1, n, beta, T);
                }
                return -logR <= logT;
            });
        const Real fall = std::log(call.R.Reciprocal() + (N + 1) / ((S - 1 - N) * beta));
        return Step{meets, static_cast<double>(-logR - logT), static_cast<double>(fall)};
    };
    const double intended = static_cast<double>(S * fixedBeta / (1 + fixedBeta));
    const double offered = kind == EngsetLoad::Traffic ? load : intended;
    const auto guess = static_cast<double>(ErlangBLines(std::fmin(offered, kMaxTraffic), T));
    return SmallestCount(0, std::fmin(guess, S), probe);
}

Engset EngsetTraffic(double sources, double lines, double blocking) {
    CheckSources(sources);
    CheckLines(sources, lines);
    CheckBlocking(blocking);
    RequireThat(lines < sources, "lines",
                "fewer than the sources, " + ShowNumber(sources) +
                    ": with a line for every source nothing is ever blocked",
                lines);
    if (lines == 0) {
        return FromBeta(sources, 0, 0);
    }
    const Real S = sources - 1; // call congestion: the sources but the caller
    const Real N = lines;
    const Real T = blocking;
    Real beta;
    if (N == S) {
        // E = p^S = T: beta = p / (1 - p)
        const Real logP = std::log(T) / S;
        beta = -std::exp(logP) / std::expm1(logP);
    } else {
        const Real logT = std::log(T);
        const auto f = [&](Real b) {
            const Inverse E = Congestion(S, N, b);
            return LogSlopeValue{-E.R.Log() - logT, LogSlope(S, N, b, E.R.Reciprocal())};
        };
        // E >= 1 - N / (beta (S - N)), and E <= (S - N + 1) beta / ((S - N + 1) beta + N).
        const Real lo = N * T / ((1 - T) * (S - N + 1));
        const Real hi = N / ((1 - T) * (S - N));
        const double erlang = ErlangBTraffic(lines, blocking);
        beta = LogNewton(f, erlang / (S - erlang * (1 - T)), lo, hi);
    }
    const Engset e = FromBeta(sources, lines, beta);
    Require(e.traffic <= kMaxTraffic && beta <= kMaxTraffic, "blocking",
            "low enough that the traffic stays within 1e9 erlangs", blocking);
    return e;
}

// --- Overflow -------------------------------------------------------------------------

namespace {

void CheckMoments(double mean, double variance) {
    Require(mean >= 0 && mean <= kMaxTraffic, "mean", "a number of erlangs from 0 to 1e9", mean);
    Require(variance >= 0 && variance < INFINITY, "variance", "a number of 0 or more", variance);
    RequireThat(variance >= mean, "variance",
                "at least the mean, " + ShowNumber(mean) +
                    ": smoother traffic has no equivalent random traffic",
                variance);
}

// Riordan's moments in long double: 1 - m + A / (N + 1 - Y) cancels where
// much overflows.
Overflow Moments(Real A, Real N) {
    if (A == 0) {
        return {0, 0, 1};
    }
    const Scaled<Real> R = InverseBlocking(A, N);
    const Real B = R.Reciprocal();
    const Real carried = N == 0 ? 0 : A * std::exp(InverseBlockingLessOne(A, N).Log() - R.Log());
    const Real m = A * B;
    const Real Z = 1 - m + A / (N + 1 - carried);
    return {static_cast<double>(m), static_cast<double>(m * Z), static_cast<double>(Z)};
}

} // namespace

Overflow OverflowMoments(double traffic, double lines) {
    CheckTraffic(traffic);
    CheckCount(lines, "lines");
    return Moments(traffic, lines);
}

Overflow CombineOverflow(const Overflow& a, const Overflow& b) {
    const double m = a.mean + b.mean;
    const double v = a.variance + b.variance;
    return {m, v, m > 0 ? v / m : 1};
}

EquivalentRandom EquivalentRandomTraffic(double mean, double variance) {
    CheckMoments(mean, variance);
    const double m = mean;
    const double v = variance;
    if (m == 0 || v == m) {
        return {m, 0};
    }
    // For given lines N, the traffic whose overflow has mean m: A B(A, N) = m,
    // increasing in A, between m and m + N (the carried traffic is below N).
    const auto trafficFor = [&](double N) {
        const auto f = [&](double A) {
            const Scaled<double> R = InverseBlocking(A, N);
            const double carried =
                N == 0 ? 0 : A * std::exp(InverseBlockingLessOne(A, N).Log() - R.Log());
            return Slope{std::log(A) - R.Log() - std::log(m), 1 + N - carried};
        };
        return IncreasingRoot(f, m + N / 2, m, m + N);
    };
    // The variance of that overflow grows with N; Rapp's approximation starts it.
    const auto excess = [&](double N) {
        const Overflow o = Moments(trafficFor(N), N);
        return (o.variance - v) / v;
    };
    const double Z = v / m;
    const double rappA = v + 3 * Z * (Z - 1);
    const double rappN = std::fmax(rappA * (m + Z) / (m + Z - 1) - m - 1, 0);
    double a = rappN;
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
        fb = excess(b);
    }
    if (a > b) {
        std::swap(a, b);
        std::swap(fa, fb);
    }
    double N = a;
    if (fa != 0) {
        std::uintmax_t iterations = 100;
        const auto [x, y] = boost::math::tools::toms748_solve(
            excess, a, b, fa, fb,
            [](double x, double y) { return std::fabs(y - x) <= 2 * kEpsilon * std::fmax(x, y); },
            iterations);
        N = (x + y) / 2;
    }
    const double A = trafficFor(N);
    Require(A <= kMaxTraffic, "variance",
            "small enough that the equivalent traffic stays within 1e9 erlangs", v);
    return {A, N};
}

namespace {

// log of the blocking (lost / mean) on x further lines, and its fall to x + 1.
struct LossLog {
    double logBlocking;
    double fall;
};

// The loss is factor B(traffic, lines + scale x).
struct Prepared {
    double mean;
    double factor;
    double traffic;
    double lines;
    double scale;
};

Prepared Prepare(double mean, double variance, OverflowMethod method) {
    if (method == OverflowMethod::Hayward) {
        const double Z = variance / mean;
        return {mean, mean, mean / Z, 0, 1 / Z};
    }
    const EquivalentRandom er = EquivalentRandomTraffic(mean, variance);
    return {mean, er.traffic, er.traffic, er.lines, 1};
}

LossLog Loss(const Prepared& p, double x) {
    const double N = p.lines + x * p.scale;
    const Scaled<double> R = InverseBlocking(p.traffic, N);
    const double logLost = std::log(p.factor) - R.Log();
    const double step = std::log(R.Reciprocal() + (N + 1) / p.traffic) * p.scale;
    return {logLost - std::log(p.mean), step};
}

} // namespace

OverflowLoss OverflowBlocking(double mean, double variance, double lines, OverflowMethod method) {
    CheckMoments(mean, variance);
    CheckCount(lines, "lines");
    if (mean == 0) {
        return {0, 0};
    }
    const Prepared p = Prepare(mean, variance, method);
    const double blocking = std::exp(Loss(p, lines).logBlocking);
    return {mean * blocking, blocking};
}

std::int64_t OverflowLines(double mean, double variance, double blocking, OverflowMethod method) {
    CheckMoments(mean, variance);
    CheckBlocking(blocking);
    if (mean == 0) {
        return 0;
    }
    const Prepared p = Prepare(mean, variance, method);
    const double logT = std::log(blocking);
    const double Z = variance / mean;
    const double guess = Z * static_cast<double>(ErlangBLines(mean / Z, blocking));
    // No further line loses all the stream: blocking 1, above any target.
    return SmallestCount(0, guess, [&](std::int64_t x) {
        const LossLog l = Loss(p, static_cast<double>(x));
        return Step{l.logBlocking <= logT, l.logBlocking - logT, l.fall};
    });
}

// --- Measured traffic -------------------------------------------------------------------

double OfferedTraffic(double carried, double lines) {
    Require(carried >= 0 && carried <= kMaxTraffic, "carried", "a number of erlangs from 0 to 1e9",
            carried);
    CheckCount(lines, "lines");
    RequireThat(carried < lines, "carried",
                "below the lines, " + ShowNumber(lines) + ": they never carry that much", carried);
    if (carried == 0) {
        return 0;
    }
    const double Y = carried;
    const double N = lines;
    // carried = A (1 - B(A, N)), increasing in A; d log / d log A =
    // 1 - B (N - A + A B) / (1 - B).
    const auto f = [&](double A) {
        const Scaled<double> R = InverseBlocking(A, N);
        const Scaled<double> lessOne = InverseBlockingLessOne(A, N);
        const double B = R.Reciprocal();
        const double logKept = lessOne.Log() - R.Log(); // log(1 - B)
        return Slope{std::log(A) + logKept - std::log(Y),
                     1 - B * (N - A + A * B) / std::exp(logKept)};
    };
    // The carried traffic is at most the offered, and from one line on at
    // least A N / (N + A) (B <= A / (N + A)).
    double hi = Y * std::fmax(N, 1) / (N - Y);
    for (int i = 0; i < 64 && f(hi).value < 0; ++i) {
        hi *= 2;
    }
    const double A = IncreasingRoot(f, Y / (1 - ErlangB(Y, N)), Y, hi);
    Require(A <= kMaxTraffic, "carried",
            "low enough that the offered traffic stays within 1e9 erlangs", carried);
    return A;
}

} // namespace teletraffic
