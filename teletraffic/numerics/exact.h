// The last word on whether a whole count meets its target, for the rare case
// where even extended precision leaves the answer in doubt. Quadruple
// precision first: Temme's expansion (to 4e-21) from 65 lines on, some tens
// of microseconds; where that is within its error of the target, sums of
// about sqrt(N) terms (to 1e-32; up to 100 ms at a billion lines, only for
// a tie within 4e-20 sqrt(65/N)); and within 1e-30 up to 64 lines, exact
// whole-number arithmetic (up to some milliseconds for the longest doubles).
#pragma once

#include "teletraffic/numerics/internal.h"

#include "teletraffic/numerics/real.h"

#include <boost/multiprecision/cpp_bin_float.hpp>

#include <cstdint>

namespace teletraffic::detail {

// log R(A, N) for A > 0 and whole N >= 0 in quadruple precision, by its sums
// carried until their terms no longer count (to some 1e-32): about sqrt(N)
// terms where A is near N, fewer away from it.
Quad LogInverseBlockingBySums(Quad A, std::int64_t N);

// Up to here the exact sums stay small: a few thousand bits.
constexpr std::int64_t kExactLines = 64;

// Whether B(A, N) <= T for the true blocking, where A = traffic / (1 - recall T),
// the traffic whose load with retries is carried at exactly T.
bool BlockingAtMost(double traffic, double recall, std::int64_t lines, double T);

// Whether B(A, N) <= T for A = mean^2 / variance and N = lines mean / variance
// (Hayward's stream on further lines), exactly where N is whole, up to 64.
bool HaywardBlockingAtMost(double mean, double variance, std::int64_t lines, double T);

// Fifty digits, for counts over fractional lines (overflow), which have no
// exact arithmetic and where quadruple precision's expansion holds 1e-21.
using Fifty = boost::multiprecision::cpp_bin_float_50;
// log R(A, N) for A > 0 and N >= 0, whole or fractional, to some 1e-45:
// Boost's regularised incomplete gamma and its prefix at fifty digits (a
// millisecond at a thousand lines, 10 ms at a million, 0.3 s at a billion).
Fifty FineLogInverseBlocking(const Fifty& A, const Fifty& N);

// Whether the Erlang C service level of N agents (N > A) is at least P.
bool ServiceAtLeast(double traffic, std::int64_t agents, double aht, double targetTime, double P);

} // namespace teletraffic::detail
