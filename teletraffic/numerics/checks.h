// The checks of the engine's arguments: each a call of its argument's rule
// in the registry (arguments.h), or of a named rule where a function takes
// another domain; an argument outside it throws DomainError. Require stays
// for refusals of a value in its domain for what goes with it.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/domain.h"
#include "teletraffic/error.h"

#include <cmath>
#include <string>

namespace teletraffic::detail {

// A refusal for what goes with the value, written so that NaN fails each.
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
// A traffic in erlangs: the traffic offered, a stream's mean, a carried or an
// idle-source traffic, each by its own rule.
inline void CheckTraffic(double A, Argument name = Argument::Traffic) {
    Check(name, A);
}
inline void CheckCount(double N, Argument name) {
    Check(name, N);
}
inline void CheckShare(double p, Argument name) {
    Check(name, p);
}
inline void CheckDuration(double t, Argument name) {
    Check(name, t);
}
inline void CheckBlocking(double B) {
    Check(Argument::Blocking, B);
}
inline void CheckTimes(double aht, double targetTime) {
    Check(Argument::Aht, aht);
    Check(Argument::TargetTime, targetTime);
}
inline void CheckQueue(double A, double N) {
    Check(Argument::Traffic, A);
    Check(Argument::Agents, N);
    // No traffic forms no queue, even with no agents.
    if (!(A < N) && A != 0) {
        throw DomainError(Argument::Traffic, A,
                          "below the agents, " + ShowNumber(N) +
                              ", or the queue would grow without end");
    }
}
inline void CheckPatience(double aht, double patience) {
    CheckTimes(aht, 0);
    Check(Argument::Patience, patience);
}

} // namespace teletraffic::detail
