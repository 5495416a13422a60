// What every model of the traffic engine shares: its units, its domain, its
// accuracy and the order of its arguments. The engine is plain C++20 over the
// standard library and header-only Boost; no Qt. One header per model:
//   erlang_b.h          lost calls cleared (Erlang B), and retried (extended)
//   erlang_c.h          calls wait (Erlang C)
//   erlang_a.h          waiting callers hang up (Erlang A)
//   staffing_factors.h  shrinkage and the occupancy cap, for every model
//   engset.h            finite sources (Engset)
//   overflow.h          overflow traffic: moments, equivalent random, Hayward
//   measured_traffic.h  the offered traffic behind a measured carried one
//   error.h             what they throw
//   arguments.h         the registry: every argument, its rule, every word choice
//
// Units: traffic in erlangs; lines, agents and sources as counts (the Erlang
// functions also take fractional lines and agents, through the incomplete
// gamma function); probabilities as fractions of 1; times (handling time,
// patience, target time, average wait) in any one unit, the same for all.
//
// Arguments come in one order: the load (a traffic, or the measure it is
// stated by), the counts (sources, then lines or agents), the times (handling
// time, patience, target time), the model's other parameters (recall,
// method, shrinkage), and the target last.
//
// Accuracy: every real result is within a relative 1e-12 of the true value
// for the double inputs given (the tests check it against 50-digit values,
// region by region), except where a header says otherwise. Every count is
// exact: the smallest whole count whose true measure meets the target, ties
// to the last bit included.
//
// A closed domain: every answer is accepted back as an argument by every
// function. A solve whose answer would leave the domain is refused instead,
// with the DomainError of the argument that leads there.
//
// Errors: an argument outside its domain throws DomainError (error.h), which
// names the argument and gives its value and the rule it breaks (its rule in
// arguments.h). Every loop
// is bounded; a bound reached throws ConvergenceError rather than return an
// unconverged value: the tests search for one and have found none.
#pragma once

#include "teletraffic/error.h"

// The largest traffic, counts and sources, and the smallest blocking target,
// are in arguments.h, with the rule of every argument.
