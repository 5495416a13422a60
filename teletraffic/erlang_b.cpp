#include "teletraffic/erlang_b.h"

#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/solve.h"

#include <boost/math/special_functions/gamma.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace teletraffic {
namespace {

using namespace detail;

// Whether log B(A, n) <= log T, given R(A, n); for retries A was rounded, which
// moves log B by up to d log B / d log A = n - A + A B times that rounding.
template <typename Real>
Verdict BlockingVerdict(Real A, std::int64_t n, const Scaled<Real>& R, double T, bool rounded) {
    constexpr Real eps = std::numeric_limits<Real>::epsilon();
    const auto N = static_cast<Real>(n);
    const Real logR = R.Log();
    const Real logT = std::log(static_cast<Real>(T));
    Real tolerance = kLogTolerance<Real> * std::fmax(1, std::fabs(logR)) + eps * std::fabs(logT);
    if (rounded) {
        tolerance += 4 * eps * std::fabs(Elasticity(A, N, R.Reciprocal()));
    }
    return AtMost(-logR, logT, tolerance);
}

// An answer that would leave the domain is refused, its own rounding at the
// edge aside: within 1e-13 above the largest traffic it is that traffic.
double WithinTraffic(double answer, Argument argument, double value, const std::string& rule) {
    if (answer <= kMaxTraffic) {
        return answer;
    }
    if (answer <= kMaxTraffic * (1 + 1e-13)) {
        return kMaxTraffic;
    }
    throw DomainError(argument, value, rule);
}

bool MeetsBlocking(double traffic, double recall, std::int64_t n, const Scaled<double>& R,
                   double T) {
    const double A = Effective<double>(traffic, recall, T);
    return Decide(
        BlockingVerdict(A, n, R, T, recall != 0),
        [&] {
            const auto Aext = Effective<long double>(traffic, recall, T);
            const auto Rext = InverseBlocking<long double>(Aext, static_cast<long double>(n));
            return BlockingVerdict(Aext, n, Rext, T, recall != 0);
        },
        [&] { return detail::BlockingAtMost(traffic, recall, n, T); });
}

std::int64_t Lines(double traffic, double recall, double T) {
    if (traffic == 0) {
        return 0;
    }
    const double A = Effective<double>(traffic, recall, T);
    const double target = -std::log(T); // log R must reach it
    // Carried traffic is below the count, so B(A, n) > 1 - n/A: up to A(1 - T)
    // lines never meet the target (one less for the rounding of the product).
    const double lo = std::fmax(0, std::floor(A * (1 - T)) - 1);
    const double guess = std::ceil(A * (1 - T) + std::sqrt(2 * A * target));
    return SmallestCount(lo, guess, [&](std::int64_t n) {
        const auto N = static_cast<double>(n);
        const Scaled<double> R = InverseBlocking(A, N);
        return Step{MeetsBlocking(traffic, recall, n, R, T), target - R.Log(), LogStep(A, N, R)};
    });
}

} // namespace

// --- Erlang B --------------------------------------------------------------------

double ErlangB(double traffic, double lines) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Lines, lines);
    if (traffic == 0) {
        return 0;
    }
    // R >= 1, though its rounding may not be.
    return std::fmin(InverseBlocking(traffic, lines).Reciprocal(), 1);
}

double LogErlangB(double traffic, double lines) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Lines, lines);
    if (traffic == 0) {
        return -INFINITY;
    }
    const Scaled<double> R = InverseBlocking(traffic, lines);
    const double logR = R.Log();
    if (logR > 0.7 || lines == 0) {
        return -logR;
    }
    // Near a blocking of 1, log B is small and would keep only the absolute
    // precision of B: log B = log1p(-(R - 1)/R) keeps it relative.
    return std::log1p(-std::exp(LogPass(traffic, lines, R)));
}

std::int64_t ErlangBLines(double traffic, double blocking) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Blocking, blocking);
    return Lines(traffic, 0, blocking);
}

double ErlangBTraffic(double lines, double blocking) {
    Check(Argument::Lines, lines);
    Check(Argument::Blocking, blocking);
    if (lines == 0) {
        return 0;
    }
    const double N = lines;
    const double T = blocking;
    const std::string refusal =
        "a number of lines that carry at most 1e9 erlangs at a blocking of " + ShowNumber(T);
    // B(A, N) lies above 1 - N/A (the carried traffic is below N) and, from
    // one line on, below A / (N + A) (the recurrence with B(A, N - 1) <= 1):
    // the traffic sought lies between N T / (1 - T) and N / (1 - T).
    const double lower = N >= 1 ? N * T / (1 - T) : 0;
    const double upper = N / (1 - T);
    WithinTraffic(lower, Argument::Lines, N, refusal);
    double guess = 0;
    if (N < 1) {
        // Below one line B ~ A^N / Gamma(N + 1) for small A: the answer may
        // lie hundreds of orders of magnitude below the upper bound.
        int sign = 0;
        guess = std::fmax(std::exp((std::log(T) + boost::math::lgamma(N + 1, &sign)) / N),
                          std::numeric_limits<double>::denorm_min());
    }
    double A = 0;
    if (T <= 0.5) {
        // Across hundreds of orders of magnitude, by Newton's method on
        // log A, with d log B / d log A = N - A + A B. The guess inverts
        // N ~ A (1 - T) + sqrt(2 A log(1/T)) for sqrt(A).
        const double logT = std::log(T);
        const auto f = [&](double a) {
            const Scaled<double> R = InverseBlocking(a, N);
            return Slope{-R.Log() - logT, Elasticity(a, N, R.Reciprocal())};
        };
        if (N >= 1) {
            const double root2L = std::sqrt(-2 * logT);
            const double s =
                (std::sqrt(root2L * root2L + 4 * (1 - T) * N) - root2L) / (2 * (1 - T));
            guess = s * s;
        }
        A = IncreasingRoot(f, guess, lower, upper);
    } else {
        // Near a blocking of 1 the equation is posed on log(1 - B), whose
        // digits B itself would have lost; d log(1 - B) / d log A =
        // -B (N - A + A B) / (1 - B).
        const double logMiss = std::log1p(-T);
        const auto g = [&](double a) {
            const Scaled<double> R = InverseBlocking(a, N);
            const double B = R.Reciprocal();
            const double pass = Pass(a, N, R);
            return Slope{logMiss - std::log(pass), B * Elasticity(a, N, B) / pass};
        };
        A = IncreasingRoot(g, guess, lower, upper);
    }
    if (N < 1 && A > 0) {
        // Below one line the answer moves as 1/N times log B: one Newton step
        // in extended precision keeps the last digits that double loses.
        using Wide = long double;
        const Wide a = A;
        const Wide n = N;
        const Scaled<Wide> R = InverseBlocking(a, n);
        const Wide B = R.Reciprocal();
        const Wide pass = Pass(a, n, R);
        const Wide slope = T <= 0.5 ? Elasticity(a, n, B) : B * Elasticity(a, n, B) / pass;
        const Wide value = T <= 0.5 ? -R.Log() - std::log(static_cast<Wide>(T))
                                    : std::log1p(-static_cast<Wide>(T)) - std::log(pass);
        const Wide next = a * std::exp(-value / slope);
        if (next > lower && next < upper) {
            A = static_cast<double>(next);
        }
    }
    if (N == std::floor(N)) {
        // The root may lie above the true one by its rounding (hundreds of
        // units in the last place at the smallest targets, where log T is
        // large), and then N lines would not carry it at T: a traffic read
        // back from this answer would need a line more. The largest double
        // they do carry: below by steps that double, then bisected.
        const auto n = static_cast<std::int64_t>(N);
        const auto carried = [&](double a) {
            return a == 0 || MeetsBlocking(a, 0, n, InverseBlocking(a, N), T);
        };
        double step = std::fmax(A * kEpsilon<double>, std::numeric_limits<double>::denorm_min());
        double over = A; // not carried, unless A is
        for (int i = 0; i < 2100 && !carried(A); ++i) {
            over = A;
            A = std::fmax(over - step, 0);
            step *= 2;
        }
        for (int i = 0; i < 2100; ++i) {
            const double middle = A + (over - A) / 2;
            if (middle <= A || middle >= over) {
                break;
            }
            (carried(middle) ? A : over) = middle;
        }
    }
    return WithinTraffic(A, Argument::Lines, N, refusal);
}

// --- Extended Erlang B -------------------------------------------------------------

Retrial ExtendedErlangB(double traffic, double lines, double recall) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Lines, lines);
    Check(Argument::Recall, recall);
    if (traffic == 0) {
        return {0, 0};
    }
    const double A = traffic;
    const double N = lines;
    const double R = recall;
    const double most = A / (1 - R);
    const auto within = [&](double offered) {
        return WithinTraffic(offered, Argument::Traffic, A,
                             "a traffic whose load with retries, " + ShowNumber(offered) +
                                 " erlangs, stays within 1e9");
    };
    if (N == 0) {
        return {within(most), 1};
    }
    if (R == 0) {
        return {A, ErlangB(A, N)};
    }
    // g(A*) = A* (1 - R B(A*)) - A rises from <= 0 at A* = A to >= 0 at
    // A / (1 - R); 1 - R B = (1 - R) + R (1 - B) keeps its digits when R and
    // B are both near 1. g' = 1 - R B - R B (N - A* + A* B).
    double offered = A;
    if (most > A) {
        const auto f = [&](double s) {
            const Scaled<double> Rs = InverseBlocking(s, N);
            const double B = Rs.Reciprocal();
            const double fresh = s * ((1 - R) + R * Pass(s, N, Rs));
            const double slope = 1 - R * B - R * B * Elasticity(s, N, B);
            return Slope{std::log(fresh / A), s * slope / fresh};
        };
        const double first = A / (1 - R * InverseBlocking(A, N).Reciprocal());
        offered = IncreasingRoot(f, first, A, most);
    }
    // Polished in extended precision: the blocking at A* moves by N - A* +
    // A* B times a rounding of A*, up to a million times it at a billion.
    using Wide = long double;
    const Wide a = A;
    const Wide n = N;
    const Wide r = R;
    Wide s = offered;
    Scaled<Wide> Rs = InverseBlocking(s, n);
    for (int i = 0; i < 2; ++i) {
        const Wide B = Rs.Reciprocal();
        const Wide g = s * ((1 - r) + r * Pass(s, n, Rs)) - a;
        const Wide slope = 1 - r * B - r * B * Elasticity(s, n, B);
        const Wide next = s - g / slope;
        if (!(next >= a && next <= a / (1 - r)) || !(slope > 0)) {
            break; // ill-conditioned: the double solve stands
        }
        s = next;
        Rs = InverseBlocking(s, n);
    }
    offered = std::clamp(static_cast<double>(s), A, most);
    return {within(offered), std::fmin(static_cast<double>(Rs.Reciprocal()), 1)};
}

std::int64_t ExtendedErlangBLines(double traffic, double recall, double blocking) {
    Check(Argument::Traffic, traffic);
    Check(Argument::Blocking, blocking);
    Check(Argument::Recall, recall);
    // At the fixed point the blocking is at most T exactly when the fresh
    // traffic is at most what N lines carry at T less its retries:
    // A <= A_T(N) (1 - R T), that is B(A / (1 - R T), N) <= T. The load
    // with retries at the answer, at most A / (1 - R T), must stay a traffic
    // the engine takes.
    const std::int64_t lines = Lines(traffic, recall, blocking);
    if (Effective<double>(traffic, recall, blocking) > kMaxTraffic) {
        ExtendedErlangB(traffic, static_cast<double>(lines), recall); // refuses a load above 1e9
    }
    return lines;
}

double ExtendedErlangBTraffic(double lines, double recall, double blocking) {
    Check(Argument::Recall, recall);
    double fresh = ErlangBTraffic(lines, blocking) * NotRetried<double>(recall, blocking);
    // Its load with retries must read back within the domain, rounding and all.
    // (Its rounding is a few units in the last place: four steps down suffice.)
    for (int i = 0; i < 4 && Effective<double>(fresh, recall, blocking) > kMaxTraffic * (1 + 1e-13);
         ++i) {
        fresh = std::nextafter(fresh, 0.0);
    }
    return fresh;
}

} // namespace teletraffic
