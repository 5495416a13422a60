// Overflow traffic: the calls a group of lines cannot carry, offered on to
// further lines. Answers the mean and variance of the overflow of N lines
// offered A erlangs (Riordan), combined streams, the equivalent random
// traffic of a stream (Wilkinson), and the blocking of a stream on further
// lines and the fewest whole lines that meet a target, by equivalent random
// traffic or by Fredericks and Hayward's approximation.
//
// Domain: traffic 0 to kMaxTraffic erlangs and lines 0 to kMaxLines (whole or
// fractional), as in Erlang B; a stream's mean 0 to kMaxTraffic erlangs and
// its variance at least the mean (smoother traffic has no equivalent random
// traffic); blocking targets from kMinBlocking up to 1 exclusive. A stream
// whose equivalent traffic would pass 1e9 erlangs, or that no 2e9 lines
// bring to the target, is refused.
//
// Accuracy: as domain.h says: 1e-12 relative, counts exact.
//
// Method: the moments from Erlang B's R = 1/B (erlang_b.h) in long double,
// v = m (1 - m + A / (N + 1 - A + m)); where much overflows, where that
// cancels, from the tails of Legendre's continued fraction instead. The
// equivalent random traffic by a damped Newton's method on (log A, N) from
// Rapp's approximation, in double and then in long double; where it fails, by
// a bracketed solve on the lines (TOMS 748), the traffic solved for each.
// Hayward: the stream as A / Z erlangs on N / Z lines, Z the peakedness.
// Lines by Newton's method on the count, each decided in double and, within
// its error of the target, at fifty digits (Boost's incomplete gamma, the
// equivalent random traffic solved again there; exactly on whole lines up to
// 64); fresh traffic (variance = mean) by Erlang B's count.
#pragma once

#include "teletraffic/domain.h"

#include <cstdint>

namespace teletraffic {

struct Overflow {
    double mean;       // m = A B(A, N)
    double variance;   // v = m (1 - m + A / (N + 1 - A + m))
    double peakedness; // Z = v / m (1 where nothing overflows)
};

// The traffic that overflows `lines` (whole or fractional) offered `traffic`.
Overflow OverflowMoments(double traffic, double lines);

// Independent streams combine by adding means and variances.
Overflow OverflowCombine(const Overflow& a, const Overflow& b);

struct EquivalentRandom {
    double traffic; // A*
    double lines;   // N*, fractional
};

// The (A*, N*) whose overflow has mean `mean` and variance `variance` (at
// least the mean: smooth traffic is refused).
EquivalentRandom OverflowEquivalentRandom(double mean, double variance);

// OverflowMethod, with its words, is a choice of the registry (arguments.h).

struct OverflowLoss {
    double lost;     // erlangs lost on the further lines
    double blocking; // lost / mean
};

// Traffic lost when a stream of `mean` and `variance` is offered `lines`
// further lines (whole or fractional).
OverflowLoss OverflowBlocking(double mean, double variance, double lines, OverflowMethod method);

// Smallest whole number of further lines whose blocking is at most `blocking`.
std::int64_t OverflowLines(double mean, double variance, OverflowMethod method, double blocking);

} // namespace teletraffic
