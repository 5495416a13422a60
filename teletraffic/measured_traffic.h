// Measured traffic: the traffic offered to a group of lines, from the traffic
// they were measured to carry, by Erlang B (blocked calls cleared). Offered
// traffic cannot be measured where calls are lost; carried traffic can.
//
// Domain: lines 0 to kMaxLines, whole or fractional; the carried traffic from
// 0 up to the lines exclusive (they never carry that much), at most
// kMaxTraffic erlangs. An offered traffic that would pass 1e9 erlangs is
// refused.
//
// Accuracy: as domain.h says: 1e-12 relative.
//
// Method: A (1 - B(A, N)) = carried, increasing in A, by Newton's method on
// log A, bracketed, with a last step in long double: the slope falls towards
// (N - Y) / Y as the carried traffic Y nears the lines.
#pragma once

#include "teletraffic/domain.h"

namespace teletraffic {

// The offered traffic A with A (1 - B(A, N)) = `carried`, for 0 <= carried < lines.
double ErlangBOfferedTraffic(double carried, double lines);

} // namespace teletraffic
