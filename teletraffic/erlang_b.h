// Erlang B: calls offered at random to a group of lines, those that find
// every line busy cleared; and the extended Erlang B, where a share of them
// try again. Answers the blocking of N lines offered A erlangs (and its
// logarithm, finite however small the blocking), the fewest whole lines that
// meet a blocking target, and the largest traffic N lines carry at it.
//
// Domain: traffic 0 to kMaxTraffic erlangs; lines 0 to kMaxLines, whole or
// fractional; blocking targets from kMinBlocking up to 1 exclusive; recall
// from 0 up to 1 exclusive. A solve whose answer would leave the domain (a
// traffic above 1e9 erlangs, or a load with retries above it) is refused with
// the DomainError of the argument that leads there. A traffic below the
// double range (fewer than one line at a high target) is answered as 0.
//
// Accuracy: as domain.h says (1e-12 relative, counts exact), except the
// extended fixed point where its condition number exceeds about a thousand
// (see ExtendedErlangB).
//
// Method: everything from R = 1/B = Gamma(N + 1, A) e^A / A^N in scaled form
// (numerics/gamma_ratio.cpp: the series of the lower incomplete gamma below
// the traffic, Legendre's continued fraction above it, Temme's uniform
// expansion near it from 20 lines on, and below one line and 1.5 erlangs
// Gamma(a) - gamma(a, x) with its poles taken out). Counts by Newton's method
// on the count, each count decided in double, in long double where double
// cannot tell, and in quadruple precision or exactly where neither can
// (numerics/exact.cpp). Traffic by Newton's method on log A, bracketed: on
// log B up to a blocking of 1/2, on log(1 - B) above it, with a last step in
// long double below one line. The retry fixed point by Newton's method on
// A*, polished in long double.
//
// This engine and calc/ (the main window's calculation) may differ by one line
// where the target sits within rounding of the true blocking: calc/ keeps the
// classic double recurrence and its rounding bit for bit, because the window
// promises the classic answer; the engine decides from the true blocking.
#pragma once

#include "teletraffic/domain.h"

#include <cstdint>

namespace teletraffic {

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

// Extended Erlang B: a fraction `recall` (0 up to 1 exclusive) of blocked
// callers try again, so the load offered grows to the fixed point
// A* = A + recall * A* * B(A*, N).

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
std::int64_t ExtendedErlangBLines(double traffic, double recall, double blocking);

// Largest fresh traffic (retries not counted) `lines` carry at a blocking of
// `blocking`: ErlangBTraffic(lines, blocking) * (1 - recall * blocking), with
// its refusals.
double ExtendedErlangBTraffic(double lines, double recall, double blocking);

} // namespace teletraffic
