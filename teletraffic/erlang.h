// The traffic engine: every Erlang B question (blocking, lines, traffic), the
// extended Erlang B of callers who retry, and Erlang C staffing of callers who
// wait. Plain C++20 over the standard library and header-only Boost; no Qt.
//
// Units: traffic in erlangs; lines and agents as counts (the Erlang functions
// also take fractional counts, through the incomplete gamma function);
// probabilities as fractions of 1; times (handling time, target time) in any
// one unit, the same for both.
//
// Accuracy: every real result is within a relative 1e-12 of the true value
// for the double inputs given (the tests check it against 50-digit values,
// region by region), except where a result's own condition number exceeds
// about a thousand (the extended fixed point, below). Every count is exact:
// the smallest whole count whose true blocking (or service level) meets the
// target, ties to the last bit included.
//
// A closed domain: every answer is accepted back as an argument by every
// function. A solve whose answer would leave the domain (a traffic above
// 1e9 erlangs, or a load with retries above it) is refused instead, with the
// DomainError of the argument that leads there. A traffic below the double
// range (fewer than one line at a high target) is answered as 0.
//
// Errors: an argument outside its domain throws teletraffic::DomainError (a
// std::domain_error, see error.h), which names the argument as the command line
// does and gives its value and the rule it breaks. Every loop is bounded; a
// bound reached throws ConvergenceError (error.h) rather than return an
// unconverged value: the tests search for one and have found none.
//
// This engine and calc/ (the main window's calculation) may differ by one line
// where the target sits within rounding of the true blocking: calc/ keeps the
// classic double recurrence and its rounding bit for bit, because the window
// promises the classic answer; the engine decides from the true blocking.
#pragma once

#include "teletraffic/error.h"

#include <cstdint>

namespace teletraffic {

// Largest traffic the engine accepts, and the largest count of lines or
// agents: twice as many, so that every count it answers is accepted back
// (a billion erlangs at a blocking of 1e-300 need 1,001,165,984 lines).
inline constexpr double kMaxTraffic = 1e9;
inline constexpr double kMaxLines = 2e9;
// Smallest blocking target the engine accepts; targets run up to 1 exclusive.
inline constexpr double kMinBlocking = 1e-300;

// --- Erlang B: blocked calls are cleared -------------------------------------

// Blocking probability of `lines` (0 to 2e9, whole or fractional) offered
// `traffic` erlangs (0 to 1e9). 0 lines block everything (1) and no traffic is
// never blocked (0). Below the double range it is 0: see LogErlangB.
double ErlangB(double traffic, double lines);

// Natural logarithm of ErlangB, finite however small the blocking, -inf for
// no traffic. Accurate to a relative 1e-12 of the logarithm.
double LogErlangB(double traffic, double lines);

// Smallest whole number of lines whose blocking is at or below `blocking`
// (1e-300 up to 1 exclusive) for `traffic` erlangs; 0 for no traffic.
std::int64_t ErlangBLines(double traffic, double blocking);

// Largest traffic `lines` (whole or fractional) carry at a blocking of
// `blocking`: the traffic whose blocking equals the target. 0 for 0 lines.
// Refused (DomainError on "lines") where it would exceed 1e9 erlangs: near
// a blocking of 1 it grows as lines / (1 - blocking).
double ErlangBTraffic(double lines, double blocking);

// --- Extended Erlang B: a fraction `recall` (0 up to 1 exclusive) of blocked
// callers try again, so the load offered grows to the fixed point
// A* = A + recall * A* * B(A*, N). --------------------------------------------

struct Retrial {
    double offered;  // A*, the traffic offered with the retries, in erlangs
    double blocking; // B(A*, N), the blocking each attempt meets
};

// With recall 0 exactly {traffic, ErlangB(traffic, lines)}; always traffic <=
// offered <= traffic / (1 - recall). Refused (DomainError on "traffic") where
// the offered load would exceed 1e9 erlangs.
//
// Accuracy is relative to the fixed point's condition number
// k = (1 - R B) / (1 - R B - R B (N - A* + A* B)), the factor by which a
// relative change of the traffic moves A* (and B moves N - A* + A* B times
// as much as A*). A* is solved to the last bit of double and polished in
// long double, so both results hold 1e-12 while k stays below about 1e3;
// beyond, they hold about k times 1e-15. k is 1 to within R B, and grows
// only as recall and blocking both near 1 with many lines.
Retrial ExtendedErlangB(double traffic, double lines, double recall);

// Smallest whole number of lines whose blocking at the fixed point is at or
// below `blocking` (decided without the fixed point: exact whatever k).
// Refused where the load with retries at that count would exceed 1e9.
std::int64_t ExtendedErlangBLines(double traffic, double blocking, double recall);

// Largest fresh traffic (retries not counted) `lines` carry at a blocking of
// `blocking`: ErlangBTraffic(lines, blocking) * (1 - recall * blocking), with
// its refusals.
double ExtendedErlangBTraffic(double lines, double blocking, double recall);

// --- Erlang C: callers wait in an unlimited queue, served first come first
// served by `agents`. Only while traffic < agents (or there is no traffic):
// otherwise the queue grows without end and these throw DomainError saying so. -------------------

// Probability that a caller waits at all.
double ErlangC(double traffic, double agents);

// Share of callers answered within `targetTime` (0 or more), given the
// average handling time `aht` (greater than 0) in the same unit.
double ServiceLevel(double traffic, double agents, double aht, double targetTime);

// Average speed of answer: mean wait over all callers, in the unit of `aht`.
// Refused (DomainError on "traffic") where it would exceed the double range,
// the traffic within some 1e-300 of the agents.
double AverageSpeedOfAnswer(double traffic, double agents, double aht);

// Smallest whole number of agents (more than `traffic`) whose service level
// is at or above `serviceLevel` (0 up to 1 exclusive); 0 for no traffic.
std::int64_t ErlangCAgents(double traffic, double aht, double targetTime, double serviceLevel);

} // namespace teletraffic
