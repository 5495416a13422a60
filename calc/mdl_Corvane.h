// The Erlang B calculation: how many lines a group needs so that the traffic
// offered to it is blocked no more often than a given probability.
//
// Plain C++ with no dependency beyond the standard library, so that it builds
// and is tested on its own. Every quantity is a double, line counts included
// (they are always whole numbers). The functions keep no state between calls.
//
// The build compiles this module with -ffp-contract=off and never with
// fast-math: every result is the same bits whatever the compiler or its flags.
#pragma once

namespace mdl_Corvane {

// Smallest number of lines whose blocking probability does not exceed B when
// offered A erlangs; the one entry point for callers outside this module.
// A: finite and 0 or more (0 gives 0 lines). B: greater than 0, not NaN or
// infinite; 1 or more is met by any count and gives the search's floor.
// Throws std::domain_error, naming the value, for anything else, and for a
// traffic so large that line counts would no longer be exact whole doubles.
double CalcLines(double A, double B);

// The search behind CalcLines: a first guess of A rounded up with RoundUpAt,
// a climb in steps of 32 lines until the target is met, then bisection down
// to the smallest count with ErlangB(A, N) <= B. Same contract as CalcLines.
double SearchLines(double A, double B);

// Blocking probability of N lines offered A erlangs, by the inverse
// recurrence 1/B(A, i) = 1 + (i / A) * 1/B(A, i - 1) from B(A, 0) = 1.
// A = 0 gives 0 for every N; N below 1 gives 1 otherwise. When 1/B exceeds the
// double range the result is 0. Costs one loop pass per line.
double ErlangB(double A, double N);

// X rounded at decimal position D (D > 0: the D-th decimal place; D <= 0: the
// |D|-th power of ten) with a bias of 0.9: a value moves up to the next step
// as soon as its fraction reaches a tenth of a step. RoundUpAt(2.1, 0) is 3,
// RoundUpAt(2.05, 0) is 2, RoundUpAt(1234, -2) is 1300.
double RoundUpAt(double X, double D);

} // namespace mdl_Corvane
