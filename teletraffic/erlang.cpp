#include "teletraffic/erlang.h"

#include "teletraffic/inverse_blocking.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace teletraffic {
namespace {

using detail::Real;
using detail::Scaled;

std::string Show(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}

// The tests (written so that NaN fails each) and the messages, in the words
// the command line uses for its options.
void Require(bool ok, const char* name, const char* range, double value) {
    if (!ok) {
        throw std::domain_error(std::string(name) + " must be " + range + ", got " + Show(value));
    }
}
void CheckTraffic(double A) {
    Require(A >= 0 && A <= kMaxTraffic, "traffic", "a number of erlangs from 0 to 1e9", A);
}
void CheckCount(double N, const char* name) {
    Require(N >= 0 && N <= kMaxLines, name, "a number from 0 to 1e9", N);
}
void CheckBlocking(double B) {
    Require(B >= kMinBlocking && B < 1, "blocking", "from 1e-300 up to but not including 1", B);
}
void CheckRecall(double R) {
    Require(R >= 0 && R < 1, "recall", "from 0 up to but not including 1", R);
}
void CheckQueue(double A, double N, double aht) {
    Require(aht > 0 && aht < INFINITY, "aht", "a time greater than 0", aht);
    if (!(A < N)) {
        throw std::domain_error("traffic " + Show(A) + " is at or above agents " + Show(N) +
                                ": the queue would grow without end");
    }
}
void CheckTargetTime(double t) {
    Require(t >= 0 && t < INFINITY, "target-time", "a time of 0 or more", t);
}

// Finds the root of an increasing or decreasing function between two points
// where it has opposite signs (or is 0 at one), to within `width`.
template <typename F> Real Root(F f, Real lo, Real hi, Real flo, Real fhi, Real width) {
    if (flo == 0) {
        return lo;
    }
    if (fhi == 0) {
        return hi;
    }
    std::uintmax_t iterations = 200;
    const auto [a, b] = boost::math::tools::toms748_solve(
        f, lo, hi, flo, fhi, [width](Real x, Real y) { return std::fabs(y - x) <= width; },
        iterations);
    return (a + b) / 2;
}

// Smallest whole count N > `lo` with meets(N), where `excess` is a continuous
// function of the count that falls through 0 where the target is met: its root
// is found first, and the exact test then settles the whole count beside it.
// `lo` must not meet the target, and `guess` should be above it.
template <typename Excess, typename Meets>
std::int64_t SmallestCount(Real lo, Real guess, Excess excess, Meets meets) {
    Real flo = excess(lo);
    Real hi = std::fmax(guess, lo + 1);
    Real fhi = excess(hi);
    while (fhi > 0) {
        const Real step = 2 * (hi - lo);
        lo = hi, flo = fhi;
        hi = lo + step;
        fhi = excess(hi);
    }
    auto n = static_cast<std::int64_t>(std::ceil(Root(excess, lo, hi, flo, fhi, 0.5L)));
    while (!meets(n)) {
        ++n;
    }
    while (n > 0 && meets(n - 1)) {
        --n;
    }
    return n;
}

Real LogBlocking(Real A, Real N) {
    return -detail::InverseBlocking(A, N).Log();
}

// log(1 - B(A, N)), for N > 0: R - 1 and R are both known without
// cancellation, where 1 - B computed from B would lose all its digits.
Real LogComplement(Real A, Real N) {
    return detail::InverseBlockingLessOne(A, N).Log() - detail::InverseBlocking(A, N).Log();
}

// Whether N lines meet the target T for traffic A.
bool MeetsBlocking(Real A, Real N, double T) {
    if (A == 0) {
        return true;
    }
    return detail::InverseBlocking(A, N).Reciprocal() <= T;
}

std::int64_t Lines(Real A, double T) {
    if (A == 0) {
        return 0;
    }
    // B(A, N) >= 1 - N/A, so fewer than A(1 - T) lines never meet the target.
    const Real lo = std::fmax(0, std::ceil(A * (1 - T)) - 1);
    const Real guess = A + std::sqrt(2 * A * -std::log(T)) + 1;
    const Real logT = std::log(static_cast<Real>(T));
    return SmallestCount(
        lo, guess, [&](Real n) { return LogBlocking(A, n) - logT; },
        [&](std::int64_t n) { return MeetsBlocking(A, static_cast<Real>(n), T); });
}

} // namespace

double ErlangB(double traffic, double lines) {
    CheckTraffic(traffic);
    CheckCount(lines, "lines");
    if (traffic == 0) {
        return 0;
    }
    return static_cast<double>(detail::InverseBlocking(traffic, lines).Reciprocal());
}

double LogErlangB(double traffic, double lines) {
    CheckTraffic(traffic);
    CheckCount(lines, "lines");
    if (traffic == 0) {
        return -INFINITY;
    }
    return static_cast<double>(LogBlocking(traffic, lines));
}

std::int64_t ErlangBLines(double traffic, double blocking) {
    CheckTraffic(traffic);
    CheckBlocking(blocking);
    return Lines(traffic, blocking);
}

double ErlangBTraffic(double lines, double blocking) {
    CheckCount(lines, "lines");
    CheckBlocking(blocking);
    if (lines == 0) {
        return 0;
    }
    const Real N = lines;
    const Real T = blocking;
    // The blocking grows with the traffic; solved on log A, which spans
    // hundreds of orders of magnitude across the targets. Near a blocking of
    // 1 the equation is posed on 1 - B, whose digits would otherwise be lost.
    const bool high = blocking > 0.5;
    const Real target = high ? std::log1p(-T) : std::log(T);
    const auto excess = [&](Real u) {
        const Real A = std::exp(u);
        return high ? target - LogComplement(A, N) : LogBlocking(A, N) - target;
    };
    // B(A, N) >= 1 - N/A: at N/(1 - T) the blocking is at least T.
    Real hi = std::log(N / (1 - T));
    Real fhi = excess(hi);
    Real step = 1;
    Real lo = hi - step;
    Real flo = excess(lo);
    while (flo > 0) {
        hi = lo, fhi = flo;
        step *= 2;
        lo = hi - step;
        flo = excess(lo);
    }
    return static_cast<double>(std::exp(Root(excess, lo, hi, flo, fhi, 1e-18L)));
}

Retrial ExtendedErlangB(double traffic, double lines, double recall) {
    CheckTraffic(traffic);
    CheckCount(lines, "lines");
    CheckRecall(recall);
    if (traffic == 0) {
        return {0, 0};
    }
    const Real A = traffic;
    const Real R = recall;
    const Real N = lines;
    const auto blocking = [&](Real offered) {
        return detail::InverseBlocking(offered, N).Reciprocal();
    };
    // The offered load minus its retries grows with the offered load, from
    // A(1 - R B) <= A at A* = A to >= A at A* = A / (1 - R).
    const auto excess = [&](Real offered) { return offered * (1 - R * blocking(offered)) - A; };
    const Real lo = A;
    const Real hi = A / (1 - R);
    const Real offered = Root(excess, lo, hi, excess(lo), excess(hi), hi * 1e-18L);
    return {static_cast<double>(offered), static_cast<double>(blocking(offered))};
}

std::int64_t ExtendedErlangBLines(double traffic, double blocking, double recall) {
    CheckTraffic(traffic);
    CheckBlocking(blocking);
    CheckRecall(recall);
    // At the fixed point the blocking is at most T exactly when the fresh
    // traffic is at most what N lines carry at T, less the retries of that
    // load: A <= A_T(N) (1 - R T), that is A / (1 - R T) <= A_T(N).
    const Real T = blocking;
    return Lines(traffic / (1 - recall * T), blocking);
}

double ExtendedErlangBTraffic(double lines, double blocking, double recall) {
    CheckRecall(recall);
    const double carried = ErlangBTraffic(lines, blocking);
    return static_cast<double>(carried * (1 - static_cast<Real>(recall) * blocking));
}

namespace {

// Erlang C from R = 1/B: C = N / (A + R (N - A)), and its complement
// 1 - C = (R - 1)(N - A) / (A + R (N - A)), each without cancellation.
struct Waiting {
    Real logC;
    Real complement; // 1 - C
};

Waiting Wait(Real A, Real N) {
    const Scaled R = detail::InverseBlocking(A, N);
    // log(A + R (N - A)) = log R + log(N - A + A / R)
    const Real logDenominator = R.Log() + std::log(N - A + A * R.Reciprocal());
    Real complement = 0;
    if (N > 0) {
        const Scaled lessOne = detail::InverseBlockingLessOne(A, N);
        complement = std::exp(lessOne.Log() + std::log(N - A) - logDenominator);
    }
    return {std::log(N) - logDenominator, complement};
}

// 1 - SL = C e^(-z), z = (N - A) t / h; SL = (1 - C) + C (1 - e^(-z)).
Real Service(Real A, Real N, Real aht, Real t) {
    const Waiting w = Wait(A, N);
    const Real z = (N - A) * t / aht;
    return w.complement - std::exp(w.logC) * std::expm1(-z);
}

} // namespace

double ErlangC(double traffic, double agents) {
    CheckTraffic(traffic);
    CheckCount(agents, "agents");
    CheckQueue(traffic, agents, 1);
    if (traffic == 0) {
        return 0;
    }
    return static_cast<double>(std::exp(Wait(traffic, agents).logC));
}

double ServiceLevel(double traffic, double agents, double aht, double targetTime) {
    CheckTraffic(traffic);
    CheckCount(agents, "agents");
    CheckQueue(traffic, agents, aht);
    CheckTargetTime(targetTime);
    if (traffic == 0) {
        return 1;
    }
    return static_cast<double>(Service(traffic, agents, aht, targetTime));
}

double AverageSpeedOfAnswer(double traffic, double agents, double aht) {
    CheckTraffic(traffic);
    CheckCount(agents, "agents");
    CheckQueue(traffic, agents, aht);
    if (traffic == 0) {
        return 0;
    }
    const Real N = agents;
    const Real A = traffic;
    return static_cast<double>(std::exp(Wait(A, N).logC) * aht / (N - A));
}

std::int64_t ErlangCAgents(double traffic, double aht, double targetTime, double serviceLevel) {
    CheckTraffic(traffic);
    Require(aht > 0 && aht < INFINITY, "aht", "a time greater than 0", aht);
    CheckTargetTime(targetTime);
    Require(serviceLevel >= 0 && serviceLevel < 1, "service-level",
            "from 0 up to but not including 1", serviceLevel);
    const Real A = traffic;
    const Real lo = std::floor(A);
    if (serviceLevel == 0 || traffic == 0) {
        return static_cast<std::int64_t>(lo) + 1;
    }
    const Real h = aht;
    const Real t = targetTime;
    const Real logMiss = std::log1p(-static_cast<Real>(serviceLevel));
    // log(1 - SL) falls with the count; at or below the traffic nobody is
    // served in time.
    const auto excess = [&](Real n) {
        if (n <= A) {
            return -logMiss;
        }
        return Wait(A, n).logC - (n - A) * t / h - logMiss;
    };
    const auto meets = [&](std::int64_t n) {
        const auto N = static_cast<Real>(n);
        return N > A && Service(A, N, h, t) >= serviceLevel;
    };
    return SmallestCount(lo, A + std::sqrt(A) + 1, excess, meets);
}

} // namespace teletraffic
