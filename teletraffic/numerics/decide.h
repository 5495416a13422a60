// Whether a whole count meets its target: each estimate has a known error,
// and the comparison is made again in more precision only where the
// estimate cannot tell.
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/gamma_ratio.h"

#include <cmath>

namespace teletraffic::detail {

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

// The errors the decisions allow for, relative, with room for the scales.
template <typename Real> constexpr Real kError = 64 * kLogTolerance<Real>;

// Whether logValue <= logTarget, the value known to a relative `error`.
template <typename Real> Verdict LogsAtMost(Real logValue, Real logTarget, Real error) {
    const Real tolerance = error * (1 + math::fabs(logValue) + math::fabs(logTarget));
    return AtMost(logValue, logTarget, tolerance);
}

// Whether log(value) <= log(target), value known to a relative `error`.
template <typename Real> Verdict LogAtMost(Real value, double target, Real error) {
    const Real logTarget = math::log(static_cast<Real>(target));
    const Real logValue = math::log(value);
    if (!math::isfinite(logValue)) {
        return logValue < logTarget ? Verdict::Yes : Verdict::No; // 0 or beyond the range
    }
    return LogsAtMost(logValue, logTarget, error);
}

} // namespace teletraffic::detail
