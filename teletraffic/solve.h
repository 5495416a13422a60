// What the engine's functions share: the checks of their arguments, and the
// two solvers every count and every traffic is found with. Internal to the
// engine.
#pragma once

#include "teletraffic/erlang.h"
#include "teletraffic/error.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace teletraffic::detail {

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// The checks (written so that NaN fails each) and their messages, in the
// words the command line uses for its options.
inline void Require(bool ok, const char* name, const char* rule, double value) {
    if (!ok) {
        throw DomainError(name, value, rule);
    }
}
inline void CheckTraffic(double A) {
    Require(A >= 0 && A <= kMaxTraffic, "traffic", "a number of erlangs from 0 to 1e9", A);
}
inline void CheckCount(double N, const char* name) {
    Require(N >= 0 && N <= kMaxLines, name, "a number from 0 to 2e9", N);
}
inline void CheckBlocking(double B) {
    Require(B >= kMinBlocking && B < 1, "blocking", "from 1e-300 up to but not including 1", B);
}
inline void CheckRecall(double R) {
    Require(R >= 0 && R < 1, "recall", "from 0 up to but not including 1", R);
}
inline void CheckTimes(double aht, double targetTime) {
    Require(aht > 0 && aht < INFINITY, "aht", "a time greater than 0", aht);
    Require(targetTime >= 0 && targetTime < INFINITY, "target-time", "a time of 0 or more",
            targetTime);
}
inline void CheckQueue(double A, double N) {
    CheckTraffic(A);
    CheckCount(N, "agents");
    if (!(A < N)) {
        throw DomainError("traffic", A,
                          "below the agents, " + ShowNumber(N) +
                              ", or the queue would grow without end");
    }
}

// --- Deciding whether a whole count meets its target ---------------------------

enum class Verdict { Yes, No, Unsure };

// Whether a value is at most its target, from an estimate within `tolerance`.
template <typename Real> Verdict AtMost(Real estimate, Real target, Real tolerance) {
    if (estimate < target - tolerance) {
        return Verdict::Yes;
    }
    return estimate > target + tolerance ? Verdict::No : Verdict::Unsure;
}

// The first verdict that is sure, trying each way in turn; the last is exact.
template <typename Second, typename Exact> bool Decide(Verdict first, Second second, Exact exact) {
    Verdict v = first;
    if (v == Verdict::Unsure) {
        v = second();
    }
    if (v == Verdict::Unsure) {
        return exact();
    }
    return v == Verdict::Yes;
}

// Smallest whole count in (lo, hi] that meets a target which every count
// above it meets too, by Newton's method on the count. `probe(n)` returns
// whether n meets the target, and the excess (positive while it does not) and
// its fall to n + 1, from which the next count is estimated.
template <typename Probe> std::int64_t SmallestCount(double lo, double guess, Probe probe) {
    double hi = INFINITY;
    double n = std::fmax(guess, lo + 1);
    double span = n - lo;
    for (int i = 0; hi - lo > 1; ++i) {
        const auto [meets, excess, fall] = probe(static_cast<std::int64_t>(n));
        (meets ? hi : lo) = n;
        double next = n + std::ceil(excess / fall);
        if (next == n) {
            next = meets ? n - 1 : n + 1;
        }
        if (!(next > lo && next < hi) || i > 40) {
            // Off the bracket, or slow: halve it, or widen it upwards.
            span *= 2;
            next = hi < INFINITY ? std::floor((lo + hi) / 2) : lo + span;
        }
        n = next;
    }
    return static_cast<std::int64_t>(hi);
}

struct Step {
    bool meets;
    double excess;
    double fall;
};

// --- Solving for the traffic -----------------------------------------------------

// The root of f, increasing in x > 0, between `lo` (or 0) and `hi` where
// f(lo) <= 0 <= f(hi), by Newton's method on log x from `guess`, kept in the bracket. f(x) returns
// the value and its derivative in log x. The steps multiply x rather than add to log x: log x would
// hold x to only |log x| units in its last place.
template <typename F> double IncreasingRoot(F f, double guess, double lo, double hi) {
    double x = guess > lo && guess < hi ? guess : hi / 2;
    double drop = 1;
    double previous = INFINITY;
    for (int i = 0; i < 100; ++i) {
        const auto [value, slope] = f(x);
        if (value == 0) {
            break;
        }
        (value > 0 ? hi : lo) = x;
        const double step = value / slope;
        if (std::fabs(step) <= kEpsilon) {
            break; // within rounding of the root
        }
        double next = x * std::exp(-step);
        if (!(next > lo && next < hi)) {
            // Bisected on log x; with no lower end yet, falling ever faster.
            next = lo > 0 ? std::sqrt(lo) * std::sqrt(hi) : hi * std::exp(-(drop *= 2));
        }
        x = next;
        // Or once the steps stop shrinking, at the rounding of f.
        if (std::fabs(step) < 1e-12 && std::fabs(step) > previous / 2) {
            break;
        }
        previous = std::fabs(step);
    }
    return x;
}

struct Slope {
    double value;
    double slope;
};

} // namespace teletraffic::detail
