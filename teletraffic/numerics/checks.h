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
// A traffic in erlangs, from 0 to 1e9: the traffic offered, a stream's
// mean, a carried or an idle-source traffic.
inline void CheckTraffic(double A, Argument name = Argument::Traffic) {
    Require(A >= 0 && A <= kMaxTraffic, name, "a number of erlangs from 0 to 1e9", A);
}
inline void CheckCount(double N, Argument name) {
    Require(N >= 0 && N <= kMaxLines, name, "a number from 0 to 2e9", N);
}
// A share from 0 up to 1 exclusive: the recall, a service-level target, the
// shrinkage.
inline void CheckShare(double p, Argument name) {
    Require(p >= 0 && p < 1, name, "from 0 up to but not including 1", p);
}
// A time greater than 0: the handling time, the patience, an average-wait
// target.
inline void CheckDuration(double t, Argument name) {
    Require(t > 0 && t < INFINITY, name, "a time greater than 0", t);
}
inline void CheckBlocking(double B) {
    Require(B >= kMinBlocking && B < 1, Argument::Blocking, "from 1e-300 up to but not including 1",
            B);
}
inline void CheckRecall(double R) {
    CheckShare(R, Argument::Recall);
}
inline void CheckTimes(double aht, double targetTime) {
    CheckDuration(aht, Argument::Aht);
    Require(targetTime >= 0 && targetTime < INFINITY, Argument::TargetTime, "a time of 0 or more",
            targetTime);
}
inline void CheckQueue(double A, double N) {
    CheckTraffic(A);
    CheckCount(N, Argument::Agents);
    // No traffic forms no queue, even with no agents.
    if (!(A < N) && A != 0) {
        throw DomainError(Argument::Traffic, A,
                          "below the agents, " + ShowNumber(N) +
                              ", or the queue would grow without end");
    }
}
inline void CheckPatience(double aht, double patience) {
    CheckTimes(aht, 0);
    CheckDuration(patience, Argument::Patience);
}
inline void CheckServiceTarget(double serviceLevel) {
    CheckShare(serviceLevel, Argument::ServiceLevel);
}
inline void CheckWaitTarget(double averageWait) {
    CheckDuration(averageWait, Argument::AverageWait);
}

} // namespace teletraffic::detail
