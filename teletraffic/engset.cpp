#include "teletraffic/engset.h"

#include "teletraffic/erlang_b.h"
#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/solve.h"
#include "teletraffic/numerics/stirling.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

// Engset's time congestion E(S, N, beta) = C(S, N) beta^N / sum_(i <= N)
// C(S, i) beta^i is the binomial point probability at N over the binomial
// distribution function at N, for S trials of p = beta / (1 + beta). Its
// inverse R = 1/E is a sum of terms that fall from the first, on either side
// of the binomial's mode:
//
//   N at or below it     R = sum_k prod_(j <= k) (N - j + 1) / ((S - N + j) beta);
//   N above it           R = (1 - P(X > N)) / P(X = N), the tail summed the same
//                        way (ratios (S - N - j + 1) beta / (N + j)) and the point
//                        probability by Loader's saddle-point formula.
//
// Each sum needs a few standard deviations of terms, sqrt(S p q) (at most
// 16,000 at a billion sources), and no more however far N is from the mode.
// The sums run in double, the point probability in long double: beta enters
// it as S p, whose rounding would move log E by N - S p times as much. For the
// same reason a beta that is not a double (found from another load) enters the
// sums as a double and a correction, to first order in the difference.
//
// Call congestion is E for S - 1 sources, and the rest follows from it:
// E(S) = S B / ((S - N) (1 + beta (1 - B))).
namespace teletraffic {
namespace {

using namespace detail;
using Ext = long double;

// x log(x / M) + M - x, Loader's deviance, without its cancellation near
// x = M: x phi(M / x).
template <typename Real> Real Deviance(Real x, Real M) {
    return x * Phi(M, x);
}

// log P(X = N) for X binomial (S, beta / (1 + beta)), 0 < N < S.
template <typename Real> Real LogPoint(Real S, Real N, Real beta) {
    return StirlingError(S) - StirlingError(N) - StirlingError(S - N) -
           Deviance(N, S * beta / (1 + beta)) - Deviance(S - N, S / (1 + beta)) +
           math::log(S / (2 * Pi<Real>() * N * (S - N))) / 2;
}

// 1/E in scaled form, 1 - E apart (E may be close to 1), and the number of
// terms summed, which bounds the rounding.
template <typename Real> struct Inverse {
    Scaled<Real> R;
    Real complement;
    Real terms = 0;
};

// R(S, N, beta) for whole S >= 0, N >= 0 and beta >= 0, summed in Real, beta
// given in Wide.
template <typename Real, typename Wide = Ext>
Inverse<Real> InverseCongestion(Wide S, Wide N, Wide beta) {
    if (N == 0) {
        return {{1}, 0};
    }
    if (N > S || beta == 0) {
        return {{1, INFINITY}, 1}; // never blocked
    }
    if (N == S) {
        // E = p^S: R = (1 + 1/beta)^S.
        const auto logR = static_cast<Real>(S * math::log1p(1 / beta));
        return {{1, logR}, -math::expm1(-logR)};
    }
    constexpr Real negligible = kEpsilon<Real> / 4;
    // beta = b (1 + delta): each term k of a sum moves by k delta, as a power of beta.
    const auto b = static_cast<Real>(beta);
    if (!(b >= std::numeric_limits<Real>::min()) && beta != b) {
        // Below the normal range b keeps too few of beta's digits (none at
        // 1e-330, a traffic of 5e-324 on 3849 sources): the sums in long double.
        const Inverse<Ext> wide = InverseCongestion<Ext>(S, N, beta);
        return {{static_cast<Real>(wide.R.mantissa), static_cast<Real>(wide.R.scale)},
                static_cast<Real>(wide.complement),
                static_cast<Real>(wide.terms)};
    }
    const auto delta = static_cast<Real>((beta - b) / b);
    const auto n = static_cast<Real>(N);
    const auto rest = static_cast<Real>(S - N);
    Real term = 1;
    Real sum = 0;
    Real moment = 0; // sum of k times term k
    Real k = 1;
    if (N <= (S - N + 1) * beta) {
        // At or below the mode the terms below N fall from the first.
        for (; k <= n; k += 1) {
            const Real ratio = (n - k + 1) / ((rest + k) * b);
            term *= ratio;
            sum += term;
            moment += k * term;
            // The ratios fall, so the rest is below term ratio / (1 - ratio).
            if (term * ratio <= negligible * sum * (1 - ratio)) {
                break;
            }
        }
        sum -= delta * moment;
        return {{1 + sum}, sum / (1 + sum), k};
    }
    for (; k <= rest; k += 1) {
        const Real ratio = (rest - k + 1) * b / (n + k);
        term *= ratio;
        sum += term;
        moment += k * term;
        if (term * ratio <= negligible * sum * (1 - ratio)) {
            break;
        }
    }
    sum += delta * moment;
    const Wide logPoint = LogPoint(S, N, beta);
    const Real point = static_cast<Real>(math::exp(logPoint));
    const Real below = 1 - point * sum; // P(X <= N), at least about 1/2 above the mode
    return {{below, static_cast<Real>(-logPoint)}, 1 - point / below, k};
}

// The carried traffic of S sources on N lines, given their time congestion E
// (1 - E = complement): with F the congestion of one source fewer,
// F = E (S - N) (1 + beta) / (S + beta E (S - N)) and Y = S u / (1 + u),
// u = beta (1 - F). Then d log E / d log beta = N - Y.
Ext Carried(Ext S, Ext N, Ext beta, Ext E, Ext complement) {
    const Ext denominator = S + beta * E * (S - N);
    const Ext u = beta * (S * complement + N * E) / denominator;
    return S * u / (1 + u);
}

// 1 - E in long double: the traffic found from a call-attempt traffic moves
// E by N - Y times the relative error of 1 - E, and double keeps 1 - E only to
// its absolute rounding where E is small.
Ext Complement(const Inverse<double>& inverse) {
    const Ext E = inverse.R.Reciprocal();
    return E < Ext(0.5) ? 1 - E : inverse.complement;
}

// Call congestion of S sources: E for S - 1 of them.
template <typename Real> Inverse<Real> CallInverse(Ext S, Ext N, Ext beta) {
    return InverseCongestion<Real>(S - 1, N, beta);
}

// --- The arguments ---------------------------------------------------------------

Argument LoadName(EngsetLoad kind) {
    switch (kind) {
    case EngsetLoad::IdleSourceTraffic:
        return Argument::IdleSourceTraffic;
    case EngsetLoad::Traffic:
        return Argument::Traffic;
    case EngsetLoad::IntendedTraffic:
        return Argument::IntendedTraffic;
    }
    return Argument::Traffic;
}

void CheckSources(double S) {
    Check(Argument::Sources, S);
}
void CheckLines(double S, double N) {
    Check(Argument::Lines, N, rules::kSourceLines);
    RequireThat(N <= S, Argument::Lines, "at most the sources, " + ShowNumber(S), N);
}

void CheckLoad(double S, EngsetLoad kind, double load) {
    const Argument name = LoadName(kind);
    if (kind == EngsetLoad::IntendedTraffic) {
        RequireThat(load >= 0 && load < S, name,
                    "a number of erlangs from 0 up to but not including the sources, " +
                        ShowNumber(S),
                    load);
        return;
    }
    if (kind == EngsetLoad::Traffic) {
        // Up to what the largest idle-source traffic offers.
        Require(load >= 0 && load <= kMaxTraffic * S, name,
                "a number of erlangs from 0 to 1e9 per source", load);
        return;
    }
    Check(name, load);
}

// The idle-source traffic at which `lines` are offered `traffic` in the
// call-attempt sense: A = S beta / (1 + beta (1 - B(beta))), increasing in beta.
Ext SolveBetaForTraffic(Ext S, Ext N, Ext A, Ext guess) {
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
    const Ext lo = A / S;
    const Ext hi = A < S ? std::fmin(A / (S - A), A / (S - N)) : A / (S - N);
    const auto f = [&](Ext beta) {
        const Inverse<double> call = CallInverse<double>(S, N, beta);
        const Ext B = call.R.Reciprocal();
        const Ext u = beta * Complement(call);
        // d log A / d log beta = (1 + beta B (N - Y')) / (1 + u), Y' carried by S - 1 sources
        const Ext slope =
            (1 + beta * B * (N - Carried(S - 1, N, beta, B, call.complement))) / (1 + u);
        return Slope<Ext>{std::log(S * beta / (1 + u)) - std::log(A), slope};
    };
    if (!(guess > lo && guess < hi)) {
        // From Erlang B's carried traffic, at most N.
        const Ext carried = A <= kMaxTraffic
                                ? A * (1 - ErlangB(static_cast<double>(A), static_cast<double>(N)))
                                : N;
        guess = A / (S - carried);
    }
    return IncreasingRoot(f, guess, lo, hi);
}

Ext BetaForTraffic(Ext S, Ext N, Ext A, Ext guess = 0) {
    const Ext beta = SolveBetaForTraffic(S, N, A, guess);
    Require(beta <= kMaxTraffic, Argument::Traffic,
            "low enough that the idle-source traffic stays within 1e9 erlangs",
            static_cast<double>(A));
    return beta;
}

Ext BetaFor(double S, double N, EngsetLoad kind, double load) {
    switch (kind) {
    case EngsetLoad::IdleSourceTraffic:
        return load;
    case EngsetLoad::IntendedTraffic: {
        const Ext beta = static_cast<Ext>(load) / (S - static_cast<Ext>(load));
        Require(beta <= kMaxTraffic, Argument::IntendedTraffic,
                "low enough that the idle-source traffic stays within 1e9 erlangs", load);
        return beta;
    }
    case EngsetLoad::Traffic:
        return BetaForTraffic(S, N, load);
    }
    return load;
}

Engset FromBeta(double sources, double lines, Ext beta) {
    const Ext S = sources;
    const Ext N = lines;
    const Inverse<double> call = CallInverse<double>(S, N, beta);
    const Ext B = call.R.Reciprocal();
    const Ext u = beta * Complement(call);
    Ext E;
    if (N == S) {
        E = beta == 0 ? 0 : std::exp(-S * std::log1p(1 / beta)); // p^S
    } else if (N == 0) {
        E = 1;
    } else {
        E = S * B / ((S - N) * (1 + u));
    }
    Engset e{};
    e.timeCongestion = static_cast<double>(E);
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

// R(S, n, beta) from R(S, from, beta), n > from, by the recurrence.
Inverse<double> Walk(const Inverse<double>& at, Ext S, std::int64_t from, std::int64_t n,
                     Ext beta) {
    const auto b = static_cast<double>(beta);
    const auto sources = static_cast<double>(S);
    double mantissa = at.R.mantissa;
    double scale = at.R.scale;
    double one = std::exp(-scale);
    for (auto k = static_cast<double>(from); k < static_cast<double>(n); k += 1) {
        mantissa = one + (k + 1) / ((sources - k) * b) * mantissa;
        if (mantissa > 1e200) {
            scale += std::log(mantissa);
            mantissa = 1;
            one = std::exp(-scale);
        }
    }
    // Two roundings a step, and the rounding of beta once a step.
    return {{mantissa, scale}, 1 - one / mantissa, at.terms + 3 * static_cast<double>(n - from)};
}

// The error of log R from sums of `terms` terms: each adds up to three
// roundings, and the point probability's logarithm a few units of its size.
template <typename Real> Real SumError(const Inverse<Real>& call) {
    constexpr Real eps = kEpsilon<Real>;
    return 4 * eps * (call.terms + 16) + 16 * eps * math::fabs(call.R.scale);
}

// Whether log R meets -log T: a beta rounded in Real moves log R by N - Y
// times its rounding, and one solved from a traffic by `betaError` more.
template <typename Real>
Verdict CallVerdict(const Inverse<Real>& call, Real logT, Real N, Real betaError = 0) {
    const Real tolerance = SumError(call) + 4 * kEpsilon<Real> * (N + math::fabs(logT)) + betaError;
    return AtMost<Real>(-call.R.Log(), logT, tolerance);
}

// How a call-attempt traffic's beta on N lines moves log E, from its sums
// in double: N - Y' in log beta, and log A by a slope in log beta of
// (1 + beta B (N - Y')) / (1 + u), u = beta (1 - B).
struct Sway {
    Ext logE;  // d log E / d log beta
    Ext slope; // d log A / d log beta
};
Sway SwayOf(Ext S, Ext N, Ext beta, const Inverse<double>& call) {
    const Ext B = call.R.Reciprocal();
    const Ext complement = Complement(call);
    const Ext elasticity = N - Carried(S - 1, N, beta, B, complement);
    return {std::fabs(elasticity) + 1, (1 + beta * B * elasticity) / (1 + beta * complement)};
}

// beta for a call-attempt traffic A on N lines with sums in Real, by
// Newton's method from `beta` on the slope given, and the error it moves log
// E by: its last step, and the rounding of log A over the slope.
template <typename Real>
Real RefinedBeta(Real S, Real N, double A, Ext beta, Sway sway, Real& error) {
    const Real slope = sway.slope;
    Real b = beta;
    Real step = 1;
    Real rounding = 0;
    for (int i = 0; i < 4 && math::fabs(step) > 4 * kEpsilon<Real>; ++i) {
        const Inverse<Real> c = InverseCongestion<Real, Real>(S - 1, N, b);
        step =
            (math::log(S * b / (1 + b * c.complement)) - math::log(static_cast<Real>(A))) / slope;
        b *= math::exp(-step);
        rounding = 2 * SumError(c) / slope;
    }
    error = (2 * math::fabs(step) + rounding) * static_cast<Real>(sway.logE);
    return b;
}

// The last word on whether n lines meet a call congestion of T: the sums in
// quadruple precision, beta to its rounding there; where even they cannot
// tell, exact sums up to 64 lines when beta is rational (a tie beyond, or of
// a beta solved from a traffic, of a double with these sums is not to be met).
bool QuadMeets(EngsetLoad kind, double load, double S, std::int64_t n, Ext beta, Sway sway,
               double T) {
    const Quad N = n;
    const Quad logT = logq(T);
    Quad b = load;
    Quad error = 0;
    if (kind == EngsetLoad::IntendedTraffic) {
        b = b / (static_cast<Quad>(S) - b);
    } else if (kind == EngsetLoad::Traffic) {
        b = RefinedBeta<Quad>(S, N, load, beta, sway, error);
    }
    const Inverse<Quad> call = InverseCongestion<Quad, Quad>(static_cast<Quad>(S) - 1, N, b);
    const Verdict v = CallVerdict<Quad>(call, logT, N, error);
    if (v != Verdict::Unsure) {
        return v == Verdict::Yes;
    }
    if (n <= kExactLines && kind != EngsetLoad::Traffic) {
        const Rational exactBeta = kind == EngsetLoad::IdleSourceTraffic
                                       ? Rational(load)
                                       : Rational(load) / (S - Rational(load));
        return ExactAtMost(S - 1, n, exactBeta, T);
    }
    return -call.R.Log() <= logT;
}

// Whether n lines (fewer than the sources) meet a call congestion of T, beta
// the load's at n and `call` its sums in double: in double, in long double
// (a call-attempt traffic's beta solved again with its sums), then QuadMeets.
bool CallMeets(EngsetLoad kind, double load, double S, std::int64_t n, Ext beta,
               const Inverse<double>& call, double T) {
    const Ext N = static_cast<Ext>(n);
    const Ext logT = std::log(static_cast<Ext>(T));
    Sway sway{0, 1};
    double betaError = 0;
    if (kind == EngsetLoad::Traffic) {
        // Solved to the rounding of log A in double.
        sway = SwayOf(S, N, beta, call);
        betaError = static_cast<double>(2 * SumError(call) / sway.slope * sway.logE);
    }
    return Decide(
        CallVerdict<double>(call, static_cast<double>(logT), static_cast<double>(N), betaError),
        [&] {
            if (kind != EngsetLoad::Traffic) {
                return CallVerdict<Ext>(CallInverse<Ext>(S, N, beta), logT, N);
            }
            Ext error = 0;
            const Ext b = RefinedBeta<Ext>(S, N, load, beta, sway, error);
            return CallVerdict<Ext>(CallInverse<Ext>(S, N, b), logT, N, error);
        },
        [&] { return QuadMeets(kind, load, S, n, beta, sway, T); });
}

// Whether n lines meet T for `load`, read as `kind`.
bool Meets(EngsetLoad kind, double load, double S, std::int64_t n, double T) {
    const auto N = static_cast<Ext>(n);
    if (N >= S) {
        return true;
    }
    const Ext beta = BetaFor(S, static_cast<double>(n), kind, load);
    return CallMeets(kind, load, S, n, beta, CallInverse<double>(S, N, beta), T);
}

// The three loads at the root of E(S, N, beta) = T for call congestion (S the
// sources less one), by Newton's method on log E from beta with sums in
// Real (its slope in log beta N - Y'), and their relative error.
template <typename Real> struct Roots {
    Real at[3]; // traffic, intended, idle-source
    Real error;
};
template <typename Real> Roots<Real> RootLoads(Ext S, Ext N, double T, Ext beta, Ext slope) {
    const Real logT = math::log(static_cast<Real>(T));
    const Real s = S;
    Real b = beta;
    Real error = INFINITY;
    if (N == S) {
        const Real logP = logT / s; // E = p^S
        b = -math::exp(logP) / math::expm1(logP);
        error = 16 * kEpsilon<Real> * (1 + math::fabs(logT));
    } else {
        Real step = 1;
        for (int i = 0; i < 4 && slope > 0 && math::fabs(step) > 4 * kEpsilon<Real>; ++i) {
            const Inverse<Real> c = InverseCongestion<Real, Real>(s, N, b);
            step = (-c.R.Log() - logT) / static_cast<Real>(slope);
            b *= math::exp(-step);
            error = math::fabs(step) + 2 * SumError(c) / static_cast<Real>(slope);
        }
    }
    // The loads move with beta by at most its own relative error, and
    // their own roundings.
    return {{(s + 1) * b / (1 + b * (1 - static_cast<Real>(T))), (s + 1) * b / (1 + b), b},
            error + 8 * kEpsilon<Real>};
}

// Load k rounded down to double, or its negative where it lies within the
// root's error of the root.
template <typename Real> double RoundedDown(const Roots<Real>& r, int k) {
    double load = static_cast<double>(r.at[k]);
    if (load > r.at[k]) {
        load = std::nextafter(load, 0.0);
    }
    return r.at[k] - load > r.error * r.at[k] ? load : -load;
}

} // namespace

Engset EngsetBlocking(EngsetLoad kind, double load, double sources, double lines) {
    CheckSources(sources);
    CheckLines(sources, lines);
    CheckLoad(sources, kind, load);
    if (kind == EngsetLoad::Traffic && lines == sources) {
        RequireThat(load < sources, Argument::Traffic,
                    "below the sources, " + ShowNumber(sources) +
                        ", when every source has a line: no idle-source traffic offers more",
                    load);
    }
    return FromBeta(sources, lines, BetaFor(sources, lines, kind, load));
}

std::int64_t EngsetLines(EngsetLoad kind, double load, double sources, double blocking) {
    CheckSources(sources);
    CheckLoad(sources, kind, load);
    Check(Argument::Blocking, blocking);
    if (load == 0) {
        return 0;
    }
    const double S = sources;
    const double T = blocking;
    const Ext logT = std::log(static_cast<Ext>(T));
    // From S lines on nothing is blocked; with a call-attempt traffic of at
    // least S, S lines do not exist as an answer, so S - 1 must meet it.
    if (kind == EngsetLoad::Traffic && load >= S) {
        bool meets = true; // where beta there passes 1e9, as the search below decides
        try {
            meets = Meets(kind, load, S, static_cast<std::int64_t>(S) - 1, T);
        } catch (const DomainError&) {
        }
        if (!meets) {
            throw DomainError(Argument::Traffic, load,
                              "below the sources, " + ShowNumber(S) + ", for a blocking of " +
                                  ShowNumber(T) + ": fewer lines than sources never meet it");
        }
    }
    const Ext fixedBeta = kind == EngsetLoad::Traffic ? 0 : BetaFor(S, 0, kind, load);
    // At a fixed call-attempt traffic A, beta grows with the lines and the
    // call congestion falls, 1 - B = S / A - 1 / beta: a count whose beta
    // passes 1e9 lies above every count within it and meets what they meet.
    // It is taken as meeting, and refused only if it is the answer (a guess
    // near the sources once refused an answer whose beta was 1.5e7).
    std::int64_t beyond = std::numeric_limits<std::int64_t>::max();
    std::optional<DomainError> refusal;
    // The smallest count above `lo` (which falls short) whose call congestion
    // at betaAt(count) meets the target; `fixed` when beta is the same for all.
    const auto search = [&](auto betaAt, bool fixed, std::int64_t lo, double guess) {
        // The largest count probed that fell short, from which the next count
        // up is reached by the recurrence R(n + 1) = 1 + (n + 1) / ((S - 1 - n)
        // beta) R(n) (which keeps its relative error) rather than a sum of its own.
        std::int64_t shortOf = -1;
        Inverse<double> shortR{};
        const auto probe = [&](std::int64_t n) {
            const auto N = static_cast<Ext>(n);
            if (N >= S) {
                return Step{true, -1, 1};
            }
            Ext beta = 0;
            try {
                beta = betaAt(N);
            } catch (const DomainError& e) {
                beyond = std::min(beyond, n);
                refusal = e;
                return Step{true, -INFINITY, 1};
            }
            Inverse<double> call;
            if (fixed && shortOf >= 0 && shortOf < n &&
                static_cast<double>(n - shortOf) <= shortR.terms + 64) {
                call = Walk(shortR, S - 1, shortOf, n, beta);
            } else {
                call = CallInverse<double>(S, N, beta);
            }
            const bool meets = CallMeets(kind, load, S, n, beta, call, T);
            if (!meets && n > shortOf) {
                shortOf = n;
                shortR = call;
            }
            double fall =
                std::log(call.R.Reciprocal() + static_cast<double>((N + 1) / ((S - 1 - N) * beta)));
            if (!fixed) {
                // beta grows with the lines as A = S beta / (1 + beta (1 - B)) holds:
                // d log beta = -beta B d log B, which slows the fall by 1 + beta B (N - Y').
                const Ext B = call.R.Reciprocal();
                fall /= static_cast<double>(
                    1 + beta * B * (N - Carried(S - 1, N, beta, B, Complement(call))));
            }
            return Step{meets, static_cast<double>(-call.R.Log() - logT), fall};
        };
        return SmallestCount(static_cast<double>(lo), std::fmin(std::fmax(guess, lo + 1), S),
                             probe);
    };
    // Erlang B's lines for the intended traffic m, their excess over m scaled
    // down to the binomial's deviation sqrt(m (1 - m / S)).
    // For a call-attempt traffic A, beta from the carried traffic A (1 - T) it
    // will have.
    const Ext guessBeta = kind == EngsetLoad::Traffic
                              ? load / std::fmax(S - load * (1 - T), S * Ext(1e-9))
                              : fixedBeta;
    const Ext m = S * guessBeta / (1 + guessBeta);
    const auto erlang =
        static_cast<double>(ErlangBLines(static_cast<double>(std::fmin(m, kMaxTraffic)), T));
    const double z = (erlang - static_cast<double>(m)) / std::sqrt(static_cast<double>(m));
    const double guess = std::ceil(static_cast<double>(m + z * std::sqrt(m * (1 - m / S))));
    if (kind != EngsetLoad::Traffic) {
        return search([&](Ext) { return fixedBeta; }, true, 0, guess);
    }
    Ext lastBeta = 0;
    const std::int64_t lines = search(
        [&](Ext N) { return lastBeta = BetaForTraffic(S, N, load, lastBeta); }, false, 0, guess);
    if (lines >= beyond) {
        throw *refusal;
    }
    return lines;
}

Engset EngsetTraffic(double sources, double lines, double blocking) {
    CheckSources(sources);
    CheckLines(sources, lines);
    Check(Argument::Blocking, blocking);
    RequireThat(lines < sources, Argument::Lines,
                "fewer than the sources, " + ShowNumber(sources) +
                    ": with a line for every source nothing is ever blocked",
                lines);
    if (lines == 0) {
        return FromBeta(sources, 0, 0);
    }
    const Ext S = sources - 1; // call congestion: the sources but the caller
    const Ext N = lines;
    const Ext T = blocking;
    Ext beta;
    if (N == S) {
        // E = p^S = T: beta = p / (1 - p)
        const Ext logP = std::log(T) / S;
        beta = -std::exp(logP) / std::expm1(logP);
    } else {
        const Ext logT = std::log(T);
        const auto f = [&](Ext b) {
            const Inverse<double> E = InverseCongestion<double>(S, N, b);
            const Ext slope = N - Carried(S, N, b, E.R.Reciprocal(), E.complement);
            return Slope<Ext>{-E.R.Log() - logT, std::fmax(slope, Ext(1e-300))};
        };
        // E >= 1 - N / (beta (S - N)), and E <= (S - N + 1) beta / ((S - N + 1) beta + N).
        const Ext lo = N * T / ((1 - T) * (S - N + 1));
        const Ext hi = N / ((1 - T) * (S - N));
        // Erlang B's traffic A, with N = A + z sqrt(A), and then the mean m
        // with N = m + z sqrt(m (1 - m / S)) the binomial's. Erlang B's lies
        // below N / (1 - T), and beyond 1e9 erlangs (which it refuses) N starts.
        const Ext erlang =
            lines / (1 - blocking) <= kMaxTraffic ? ErlangBTraffic(lines, blocking) : N;
        const Ext z = (N - erlang) / std::sqrt(erlang);
        Ext m = erlang;
        for (int i = 0; i < 4; ++i) {
            m = N - z * std::sqrt(m * std::fmax(1 - m / S, 0));
        }
        beta = IncreasingRoot(f, m > 0 && m < S ? m / (S - m) : erlang / (S - erlang * (1 - T)), lo,
                              hi);
    }
    Require(beta <= kMaxTraffic, Argument::Blocking,
            "low enough that the idle-source traffic stays within 1e9 erlangs", blocking);
    Engset e = FromBeta(sources, lines, beta);
    // Each load rounded to nearest may lie above the root, and read back
    // would need a line more: each is rounded down from the root found again
    // in long double, else (within its error) in quadruple precision, else
    // decided as the counts are. Below the root, these lines carry it.
    const Inverse<double> root = InverseCongestion<double>(S, N, beta);
    const Ext slope = N - Carried(S, N, beta, root.R.Reciprocal(), root.complement);
    const Roots<Ext> wide = RootLoads<Ext>(S, N, blocking, beta, slope);
    std::optional<Roots<Quad>> quad;
    const EngsetLoad kinds[] = {EngsetLoad::Traffic, EngsetLoad::IntendedTraffic,
                                EngsetLoad::IdleSourceTraffic};
    double* loads[] = {&e.traffic, &e.intendedTraffic, &e.idleSourceTraffic};
    const auto n = static_cast<std::int64_t>(lines);
    for (int k = 0; k < 3; ++k) {
        double load = RoundedDown(wide, k);
        if (load < 0) {
            quad = quad ? quad : RootLoads<Quad>(S, N, blocking, beta, slope);
            load = RoundedDown(*quad, k);
        }
        for (int i = 0; i < 8 && load < 0; ++i) {
            load = std::nextafter(-load, 0.0);
            bool meets = false;
            try {
                meets = Meets(kinds[k], load, sources, n, blocking);
            } catch (const DomainError&) {
                // Refused back, as just beyond the idle-source traffic's 1e9: lower.
            }
            load = meets ? load : -load;
        }
        *loads[k] = std::fabs(load);
    }
    return e;
}

} // namespace teletraffic
