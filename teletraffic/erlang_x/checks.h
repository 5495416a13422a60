// The domains of Erlang X's arguments (checks.cpp): an argument outside its
// domain throws DomainError naming it.
#pragma once

#include "teletraffic/domain.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/erlang_x/centre.h"

namespace teletraffic::erlang_x {

// The centre of `agents` and `model`, checked. `idle`: no traffic, which no
// agents keep waiting even if nobody hangs up.
Centre CheckCentre(double agents, const ErlangXModel& model, bool idle = false);

// The centre with `agents` (whole) and `lines`, checked as given.
Centre CentreOnLines(double agents, ErlangXModel model, double lines);

// At least one target, each in its domain and with what it needs.
void CheckTargets(const ErlangXTargets& t, const Centre& c);

// Attempts with redials within the engine's traffics.
void CheckAttempts(double traffic, double attempts);

} // namespace teletraffic::erlang_x
