// Whether Erlang X's figures meet their targets. Each verdict on a log scale
// against an estimate known to a relative error: in double first, then in
// extended precision, and past that the extended figures' own comparison;
// a share at least its bound, where high, on its complement (the miss), of
// its own digits. The excesses the searches step on are the same logs.
#include "teletraffic/erlang_x/targets.h"

#include "teletraffic/numerics/decide.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace teletraffic::erlang_x {
namespace {

// Every target given against the figures: No as soon as one fails for sure.
template <typename Real>
Verdict VerdictOn(const Figures<Real>& f, const ErlangXTargets& t, Real error = kError<Real>) {
    Verdict all = Verdict::Yes;
    for (const Target<Real>& target : kTargets<Real>) {
        const std::optional<double>& bound = t.*target.bound;
        if (!bound || (target.atLeast && !(*bound > 0))) {
            continue; // none, or a share at least 0: met
        }
        const double P = *bound;
        const Real x = f.*target.figure;
        // On the complement where the share is high, on the share itself
        // below a half.
        const Verdict v = !target.atLeast ? LogAtMost(x, P, error)
                          : x > Real(0.5) ? LogAtMost(f.*target.complement, 1 - P, error)
                                          : LogAtMost(static_cast<Real>(P) / x, 1, error);
        if (all != Verdict::No && v != Verdict::Yes) {
            all = v;
        }
    }
    return all;
}

// Past long double's precision its own estimate decides.
bool MeetsByItsOwnEstimate(const Figures<long double>& f, const ErlangXTargets& t) {
    return std::ranges::all_of(kTargets<long double>, [&](const Target<long double>& target) {
        const std::optional<double>& bound = t.*target.bound;
        const long double x = f.*target.figure;
        return !bound || (target.atLeast ? x >= *bound : x <= *bound);
    });
}

} // namespace

// The figures the targets given need computed.
Need NeedOfTargets(const ErlangXTargets& t) {
    Need most = Need::Shares;
    for (const Target<double>& target : kTargets<double>) {
        if (t.*target.bound) {
            most = std::max(most, target.need);
        }
    }
    return most;
}

// Whether a fresh traffic meets every target, the figures in double for the
// caller: double first, then extended precision.
bool Meets(double A0, const Centre& c, const ErlangXTargets& t, const Figures<double>& f) {
    std::optional<Figures<long double>> wide;
    const auto extended = [&]() -> const Figures<long double>& {
        if (!wide) {
            wide = FiguresAt<long double>(A0, c, t.targetTime, t.basis, NeedOfTargets(t));
        }
        return *wide;
    };
    return Decide(
        VerdictOn(f, t), [&] { return VerdictOn(extended(), t); },
        [&] { return MeetsByItsOwnEstimate(extended(), t); });
}

// How far a figure is from its target, on a log scale: positive while it is
// missed. A share at least its bound, above a half, by its complement.
double ExcessOf(const Figures<double>& f, const Target<double>& target, double bound) {
    const double x = f.*target.figure;
    if (!target.atLeast) {
        return std::log(x) - std::log(bound);
    }
    return bound > 0.5 ? std::log(f.*target.complement) - std::log1p(-bound)
                       : std::log(bound) - std::log(x);
}

// The most missed of the targets given (or of `only`), and its excess;
// none where no target is given.
std::pair<double, const Target<double>*>
MostMissed(const Figures<double>& f, const ErlangXTargets& t, const Target<double>* only) {
    std::pair<double, const Target<double>*> most{-INFINITY, nullptr};
    for (const Target<double>& target : kTargets<double>) {
        const std::optional<double>& bound = t.*target.bound;
        if (!bound || (only && only != &target)) {
            continue;
        }
        const double e = ExcessOf(f, target, *bound);
        if (!(e <= most.first)) {
            most = {e, &target};
        }
    }
    return most;
}

// Whether figures as ErlangX gives them meet every target given, compared
// as a reader of them would.
bool MetAsReported(const ErlangXFigures& f, const ErlangXTargets& t) {
    return std::ranges::all_of(kTargets<double>, [&](const Target<double>& target) {
        const std::optional<double>& bound = t.*target.bound;
        const double x = f.*target.reported;
        return !bound || (target.atLeast ? x >= *bound : x <= *bound);
    });
}

// Whether a fresh traffic meets every target, with the figures it was
// decided on. Over a forecast, first on rough figures (rules to kRoughAccuracy,
// which take fewer points), which decide it where they lie clear of every
// target; within the margin of one, in full.
std::pair<bool, Figures<double>> MeetsAt(double A0, const Centre& c, const ErlangXTargets& t) {
    if (c.shape < INFINITY) {
        const Figures<double> rough =
            FiguresAt<double>(A0, c, t.targetTime, t.basis, NeedOfTargets(t), kRoughAccuracy);
        const Verdict v = VerdictOn(rough, t, kRoughMargin);
        if (v != Verdict::Unsure) {
            return {v == Verdict::Yes, rough};
        }
    }
    const Figures<double> f = FiguresAt<double>(A0, c, t.targetTime, t.basis, NeedOfTargets(t));
    return {Meets(A0, c, t, f), f};
}

} // namespace teletraffic::erlang_x
