// Every figure of Erlang X at one fresh traffic (figures.cpp): without a
// forecast's spread from the chain at its attempt traffic, with one over the
// fresh traffic's Gamma law (forecast.h); and the figures as ErlangX reports
// them, Erlang C's and A's to the bit where the centre is theirs.
#pragma once

#include "teletraffic/erlang_x.h"
#include "teletraffic/erlang_x/centre.h"
#include "teletraffic/erlang_x/chain.h"
#include "teletraffic/erlang_x/redials.h"
#include "teletraffic/erlang_x/waits.h"

namespace teletraffic::erlang_x {

// What a caller needs beyond the shares: the service level, and the
// answered wait (by quadrature without a cut, the costlier part).
enum class Need { Shares, Level, All };

// The relative error of a forecast's rules: 1e-12 (1e-15 in extended
// precision), or a rough one for a search's counts and traffics far from
// its answer, which only need the side of a target they lie on.
template <typename Real>
constexpr Real kFullAccuracy = sizeof(Real) > sizeof(double) ? Real(1e-15) : Real(1e-12);
constexpr double kRoughAccuracy = 1e-8;
// Rough figures decide a target only beyond this relative margin from it.
constexpr double kRoughMargin = 1e-5;

// Every figure at a fresh traffic with no spread.
template <typename Real> struct Point {
    Real attempts;
    Shares<Real> shares;
    Service<Real> service;
    Real callersLost;
};

// Every figure, in the precision of Real: the service level with its
// complement, of its own digits.
template <typename Real> struct Figures {
    Real blocking;
    Real wait;
    Real abandon;
    Real averageWait;
    Real answeredWait;
    Real occupancy;
    Real level;
    Real miss;
    Real attempts;
    Real callersLost;
};

template <typename Real>
Point<Real> PointAt(Real A0, const Centre& c, Real targetTime, Basis basis, Need need = Need::All,
                    NearbyRoots<Real>* near = nullptr);
template <typename Real> Figures<Real> FiguresOf(const Point<Real>& p, const Centre& c);

// Every figure at fresh traffic A0, over the forecast's law where the centre
// has one, its rules to `relative`.
template <typename Real>
Figures<Real> FiguresAt(Real A0, const Centre& c, Real t, Basis basis, Need need = Need::All,
                        Real relative = kFullAccuracy<Real>);

ErlangXFigures PublicFigures(const Figures<double>& f, const Centre& c);

// The figures as ErlangX gives them, of checked arguments. `need` as
// FiguresAt's: with a forecast's spread every figure is ErlangX's only when
// all are asked for (the rule that integrates them is the first on which
// they all agree).
ErlangXFigures FiguresAsReported(double traffic, double agents, const ErlangXModel& model,
                                 const Centre& c, double targetTime, Basis basis,
                                 Need need = Need::All);

} // namespace teletraffic::erlang_x
