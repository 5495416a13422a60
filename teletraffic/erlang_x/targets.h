// Erlang X's targets (targets.cpp): one table of what each is, and whether
// figures meet them, decided in double, then in extended precision, where
// its own estimate has the last word.
#pragma once

#include "teletraffic/domain.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/erlang_x/checks.h"
#include "teletraffic/erlang_x/figures.h"
#include "teletraffic/numerics/checks.h"

#include <optional>
#include <utility>

namespace teletraffic::erlang_x {

// What a target asks of the centre beyond its figures.
enum class Requirement { None, Patience, Lines };

// Each target: the argument that gives it, the figure it bounds (at least
// or at most), and what it needs: the figures computed, the centre's
// patience or lines, the bound's domain. A share bounded below has its
// complement, of its own digits, to be decided on where it is small.
template <typename Real> struct Target {
    Argument argument;
    std::optional<double> ErlangXTargets::*bound;
    Real Figures<Real>::*figure;
    Real Figures<Real>::*complement;  // of a share at least its bound; null otherwise
    double ErlangXFigures::*reported; // the figure as ErlangX gives it
    bool atLeast;
    Need need;
    Requirement requirement; // its bound's domain is its argument's rule (arguments.h)
};

template <typename Real>
inline constexpr Target<Real> kTargets[] = {
    {Argument::ServiceLevel, &ErlangXTargets::serviceLevel, &Figures<Real>::level,
     &Figures<Real>::miss, &ErlangXFigures::serviceLevel, true, Need::Level, Requirement::None},
    {Argument::AverageWait, &ErlangXTargets::averageWait, &Figures<Real>::averageWait, nullptr,
     &ErlangXFigures::averageWait, false, Need::Shares, Requirement::None},
    {Argument::AnsweredWait, &ErlangXTargets::answeredWait, &Figures<Real>::answeredWait, nullptr,
     &ErlangXFigures::answeredWait, false, Need::All, Requirement::None},
    {Argument::MaxAbandon, &ErlangXTargets::maxAbandon, &Figures<Real>::abandon, nullptr,
     &ErlangXFigures::abandonProbability, false, Need::Shares, Requirement::Patience},
    {Argument::MaxBlocking, &ErlangXTargets::maxBlocking, &Figures<Real>::blocking, nullptr,
     &ErlangXFigures::blocking, false, Need::Shares, Requirement::Lines},
};

// The figures the targets given need computed.
Need NeedOfTargets(const ErlangXTargets& t);

// Whether a fresh traffic meets every target, the figures in double for the
// caller: double first, then extended precision.
bool Meets(double A0, const Centre& c, const ErlangXTargets& t, const Figures<double>& f);

// Whether a fresh traffic meets every target, with the figures it was
// decided on. Over a forecast, first on rough figures (rules to
// kRoughAccuracy, which take fewer points), which decide it where they lie
// clear of every target; within the margin of one, in full.
std::pair<bool, Figures<double>> MeetsAt(double A0, const Centre& c, const ErlangXTargets& t);

// How far a figure is from its target, on a log scale: positive while it is
// missed. A share at least its bound, above a half, by its complement.
double ExcessOf(const Figures<double>& f, const Target<double>& target, double bound);

// The most missed of the targets given (or of `only`), and its excess;
// none where no target is given.
std::pair<double, const Target<double>*>
MostMissed(const Figures<double>& f, const ErlangXTargets& t, const Target<double>* only = nullptr);

// Whether figures as ErlangX gives them meet every target given, compared
// as a reader of them would.
bool MetAsReported(const ErlangXFigures& f, const ErlangXTargets& t);

} // namespace teletraffic::erlang_x
