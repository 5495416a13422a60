// The checks of the engine's arguments, one for each kind: an argument
// outside its domain throws DomainError.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/domain.h"
#include "teletraffic/error.h"

#include <cmath>
#include <string>

namespace teletraffic::detail {

// The checks, written so that NaN fails each.
inline void Require(bool ok, Argument name, const char* rule, double value) {
    if (!ok) {
        throw DomainError(name, value, rule);
    }
}
// Require, for rules that name another argument's value.
inline void RequireThat(bool ok, Argument name, const std::string& rule, double value) {
    if (!ok) {
        throw DomainError(name, value, rule);
    }
}
inline void CheckTraffic(double A) {
    Require(A >= 0 && A <= kMaxTraffic, Argument::Traffic, "a number of erlangs from 0 to 1e9", A);
}
inline void CheckCount(double N, Argument name) {
    Require(N >= 0 && N <= kMaxLines, name, "a number from 0 to 2e9", N);
}
inline void CheckBlocking(double B) {
    Require(B >= kMinBlocking && B < 1, Argument::Blocking, "from 1e-300 up to but not including 1",
            B);
}
inline void CheckRecall(double R) {
    Require(R >= 0 && R < 1, Argument::Recall, "from 0 up to but not including 1", R);
}
inline void CheckTimes(double aht, double targetTime) {
    Require(aht > 0 && aht < INFINITY, Argument::Aht, "a time greater than 0", aht);
    Require(targetTime >= 0 && targetTime < INFINITY, Argument::TargetTime, "a time of 0 or more",
            targetTime);
}
inline void CheckQueue(double A, double N) {
    CheckTraffic(A);
    CheckCount(N, Argument::Agents);
    if (!(A < N)) {
        throw DomainError(Argument::Traffic, A,
                          "below the agents, " + ShowNumber(N) +
                              ", or the queue would grow without end");
    }
}

inline void CheckPatience(double aht, double patience) {
    CheckTimes(aht, 0);
    Require(patience > 0 && patience < INFINITY, Argument::Patience, "a time greater than 0",
            patience);
}
inline void CheckServiceTarget(double serviceLevel) {
    Require(serviceLevel >= 0 && serviceLevel < 1, Argument::ServiceLevel,
            "from 0 up to but not including 1", serviceLevel);
}
inline void CheckWaitTarget(double averageWait) {
    Require(averageWait > 0 && averageWait < INFINITY, Argument::AverageWait,
            "a time greater than 0", averageWait);
}

} // namespace teletraffic::detail
