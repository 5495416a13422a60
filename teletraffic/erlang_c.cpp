#include "teletraffic/erlang_c.h"

#include "teletraffic/numerics/checks.h"
#include "teletraffic/numerics/decide.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/solve.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace teletraffic {

using namespace detail;

namespace {

template <typename Real> Real Service(Real A, Real N, Real aht, Real t) {
    const Scaled<Real> R = InverseBlocking(A, N);
    const Real level =
        ErlangCLevel(A, N, Pass(A, N, R), R.Reciprocal(), LogWait(A, N, R), (N - A) * t / aht);
    return std::fmin(level, 1); // 1 - C e^-z < 1: a rounding above it is not kept
}

template <typename Real>
Verdict ServiceVerdict(Real A, std::int64_t n, Real aht, Real t, double P, const Scaled<Real>& R) {
    // SL >= P when log C - z <= log(1 - P).
    const auto N = static_cast<Real>(n);
    const Real logC = LogWait(A, N, R);
    const Real z = (N - A) * t / aht;
    const Real logMiss = std::log1p(-static_cast<Real>(P));
    const Real tolerance = kLogTolerance<Real> * (1 + std::fabs(logC) + z + std::fabs(logMiss));
    return AtMost(logC - z, logMiss, tolerance);
}

} // namespace

double ErlangC(double traffic, double agents) {
    CheckQueue(traffic, agents);
    if (traffic == 0) {
        return 0;
    }
    // C = N / (N + (R - 1)(N - A)) <= 1: with the traffic within rounding of
    // the agents, a rounding above it is not kept.
    return std::fmin(std::exp(LogWait(traffic, agents, InverseBlocking(traffic, agents))), 1);
}

double ErlangCServiceLevel(double traffic, double agents, double aht, double targetTime) {
    CheckQueue(traffic, agents);
    CheckTimes(aht, targetTime);
    if (traffic == 0) {
        return 1;
    }
    return Service(traffic, agents, aht, targetTime);
}

double ErlangCAverageWait(double traffic, double agents, double aht) {
    CheckQueue(traffic, agents);
    CheckTimes(aht, 0);
    if (traffic == 0) {
        return 0;
    }
    const double logC = LogWait(traffic, agents, InverseBlocking(traffic, agents));
    const double wait = std::exp(logC) * aht / (agents - traffic);
    if (std::isnormal(wait) && wait < std::numeric_limits<double>::max()) {
        return wait;
    }
    // C, aht / (N - A) or the product out of the normal range: in one exponential,
    // so that no part of it underflows or overflows alone.
    const double logWait = logC + std::log(aht) - std::log(agents - traffic);
    if (!(logWait < std::log(std::numeric_limits<double>::max()))) {
        throw DomainError(Argument::Traffic, traffic,
                          "far enough below the agents, " + ShowNumber(agents) +
                              ", that the average wait stays within the double range");
    }
    return std::exp(logWait);
}

std::int64_t ErlangCAgents(double traffic, double aht, double targetTime, double serviceLevel) {
    Check(Argument::Traffic, traffic);
    CheckTimes(aht, targetTime);
    Check(Argument::ServiceLevel, serviceLevel);
    const double A = traffic;
    const double lo = std::floor(A); // at or below the traffic, nobody is served in time
    if (A == 0) {
        return 0;
    }
    if (serviceLevel == 0) {
        return static_cast<std::int64_t>(lo) + 1;
    }
    const double P = serviceLevel;
    const double rate = targetTime / aht;
    const double logMiss = std::log1p(-P);
    return SmallestCount(lo, lo + 1 + std::sqrt(A), [&](std::int64_t n) {
        const auto N = static_cast<double>(n);
        const Scaled<double> R = InverseBlocking(A, N);
        // R(n + 1) = 1 + (n + 1) / A R(n)
        Scaled<double> next = R;
        next.mantissa = std::exp(-R.scale) + (N + 1) / A * R.mantissa;
        const double logC = LogWait(A, N, R);
        const bool meets = Decide(
            ServiceVerdict(A, n, aht, targetTime, P, R),
            [&] {
                const long double Aext = A;
                return ServiceVerdict(Aext, n, static_cast<long double>(aht),
                                      static_cast<long double>(targetTime), P,
                                      InverseBlocking(Aext, static_cast<long double>(n)));
            },
            [&] { return detail::ServiceAtLeast(A, n, aht, targetTime, P); });
        return Step{meets, logC - (N - A) * rate - logMiss, logC - LogWait(A, N + 1, next) + rate};
    });
}

std::int64_t ErlangCAgentsForWait(double traffic, double aht, double averageWait) {
    Check(Argument::Traffic, traffic);
    CheckTimes(aht, 0);
    Check(Argument::AverageWait, averageWait);
    const double A = traffic;
    const double lo = std::floor(A);
    if (A == 0) {
        return 0;
    }
    // The average wait C aht / (N - A).
    const auto logWait = [&]<typename Real>(Real N) {
        const auto Aa = static_cast<Real>(A);
        return LogWait(Aa, N, InverseBlocking(Aa, N)) + std::log(static_cast<Real>(aht)) -
               std::log(N - Aa);
    };
    const double target = std::log(averageWait);
    return SmallestCount(lo, lo + 1 + std::sqrt(A), [&](std::int64_t n) {
        const auto N = static_cast<double>(n);
        const double here = logWait(N);
        const auto verdict = [&]<typename Real>(Real N) {
            return LogsAtMost(logWait(N), std::log(static_cast<Real>(averageWait)), kError<Real>);
        };
        const bool meets = Decide(
            verdict(N), [&] { return verdict(static_cast<long double>(n)); },
            [&] { return logWait(static_cast<long double>(n)) <= std::log(averageWait * 1.0L); });
        return Bounded(n, meets, here - target, here - logWait(N + 1));
    });
}

} // namespace teletraffic
