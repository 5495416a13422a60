// The last word on Erlang X's near-ties (fine.cpp): every figure a target
// bounds, at one fresh traffic, in quadruple precision from the arguments as
// given, by the chain's states one by one, where a count's figure lies
// within extended precision's error of its target.
#pragma once

#include "teletraffic/erlang_x/figures.h"

#include <optional>

namespace teletraffic::erlang_x {

// The relative error the figures below are decided with: their sums hold
// some 1e-30, a forecast's rules 1e-27.
inline const Quad kFineError = Quad(1e-24);

// Every figure at fresh traffic A0 in quadruple precision, the service
// level within t on `basis` and the answered wait as `need` asks; none where
// the states that count are too many to sum (a queue of more than some 1e5
// positions in its spread, a billion agents' worth of patience), or over a
// forecast whose Gauss rules do not agree to kFineError within 64 points.
std::optional<Figures<Quad>> FineFiguresAt(double A0, const Centre& c, double t, Basis basis,
                                           Need need);

} // namespace teletraffic::erlang_x
