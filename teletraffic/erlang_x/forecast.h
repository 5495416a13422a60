// Erlang X over a forecast that is itself uncertain (forecast.cpp): the
// fresh traffic Gamma distributed, the calls Poisson given it, each share a
// ratio of expected counts over that law. Four ways to those expectations,
// each callable on its own, and the order they are tried in.
#pragma once

#include "teletraffic/erlang_x/figures.h"
#include "teletraffic/numerics/quadrature.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace teletraffic::erlang_x {

// Counts per unit of time, in erlangs, at a fresh traffic: a share of the
// forecast's figures is the ratio of two of them in expectation.
template <typename R> struct CountEntries {
    using Real = R;
    Real attempts = 0;      // fresh and redialled
    Real blocked = 0;       // attempts finding every line busy
    Real accepted = 0;      // the rest
    Real waiting = 0;       // accepted who wait
    Real abandoned = 0;     // accepted who hang up
    Real answered = 0;      // accepted who are answered
    Real answeredWaits = 0; // the answered's waits
    Real levelMet = 0;      // the service level's numerator
    Real levelMissed = 0;   // its complement's
    Real levelWhole = 0;    // their denominator, the basis's
    Real freshLost = 0;     // fresh callers never answered
    Real fresh = 0;         // fresh callers
    static constexpr std::array<Real CountEntries::*, 12> Members() {
        return {&CountEntries::attempts,      &CountEntries::blocked,   &CountEntries::accepted,
                &CountEntries::waiting,       &CountEntries::abandoned, &CountEntries::answered,
                &CountEntries::answeredWaits, &CountEntries::levelMet,  &CountEntries::levelMissed,
                &CountEntries::levelWhole,    &CountEntries::freshLost, &CountEntries::fresh};
    }
};
template <typename Real> using Counts = Integrands<CountEntries<Real>>;

// The counts at fresh traffic u.
template <typename Real>
Counts<Real> CountsAt(Real u, const Centre& c, Real t, Basis basis, Need need,
                      NearbyRoots<Real>* near = nullptr);

// Below this shape the law is integrated as its calls see it
// (CountsOverTheLaw).
constexpr double kSeenShape = 1e-3;

// The ways to the law's expected counts, to a relative `relative`; none
// where the way does not fit the law or its rules do not converge.
enum class ForecastMethod {
    GammaRule,      // Gauss's rules for the Gamma law itself
    ThroughTheTurn, // Gauss's rules for the law seen through the counts' turn
    RuledPieces,    // the law split at its sharp turns, each piece by such rules
    AdaptivePieces, // Gauss-Kronrod in pieces, tanh-sinh from 0: the fallback
};

template <typename Real>
std::optional<Counts<Real>> CountsByGammaRule(Real A0, const Centre& c, Real t, Basis basis,
                                              Need need, Real relative);
template <typename Real>
std::optional<Counts<Real>> CountsThroughTheTurn(Real A0, const Centre& c, Real t, Basis basis,
                                                 Need need, Real relative);

// The turns worth splitting the law at, in order, with the pieces' outer
// ends; none where no turn is sharp against the law.
template <typename Real> struct Turns {
    std::vector<std::pair<Real, Real>> at; // place and width, in order
    Real lo = 0;
    Real hi = 0;
};
template <typename Real> Turns<Real> TurnsWorthSplitting(Real A0, const Centre& c);

template <typename Real>
std::optional<Counts<Real>> CountsInRuledPieces(Real A0, const Centre& c, Real t, Basis basis,
                                                Need need, const Turns<Real>& split, Real relative);
// Always an answer, at the cost of some hundreds of centres; to at least
// the full accuracy, or a tenth of a rougher `relative`.
template <typename Real>
Counts<Real> CountsByAdaptivePieces(Real A0, const Centre& c, Real t, Basis basis, Need need,
                                    Real relative = kFullAccuracy<Real>);

// The expected counts by the first way that answers, and which it was.
template <typename Real> struct LawCounts {
    Counts<Real> counts;
    ForecastMethod method;
};
template <typename Real>
LawCounts<Real> CountsOverTheLaw(Real A0, const Centre& c, Real t, Basis basis, Need need,
                                 Real relative);

// The figures from the law's expected counts.
template <typename Real>
Figures<Real> FiguresOfCounts(const Counts<Real>& total, Real A0, const Centre& c);

// Every figure over the forecast's law: the two above.
template <typename Real>
Figures<Real> ForecastFigures(Real A0, const Centre& c, Real t, Basis basis, Need need,
                              Real relative);

} // namespace teletraffic::erlang_x
