// The last word on whether a whole count meets its target, for the rare case
// where even extended precision leaves the answer in doubt: exact rational
// arithmetic up to 64 lines, quadruple precision beyond. Slow: sums of up to
// about sqrt(N) terms, 10 microseconds far from the traffic, some 40 ms near
// it at a billion lines.
#pragma once

#include <cstdint>

namespace teletraffic::detail {

// Whether B(A, N) <= T for the true blocking, where A = traffic / (1 - recall T),
// the traffic whose load with retries is carried at exactly T.
bool BlockingAtMost(double traffic, double recall, std::int64_t lines, double T);

// Whether the Erlang C service level of N agents (N > A) is at least P.
bool ServiceAtLeast(double traffic, std::int64_t agents, double aht, double targetTime, double P);

} // namespace teletraffic::detail
