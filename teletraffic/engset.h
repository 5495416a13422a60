// Engset: S sources share N lines, a busy source offering nothing, and calls
// that find every line busy are cleared. Answers the time, call and traffic
// congestion of N lines, the fewest whole lines whose call congestion meets a
// target, and the traffic at which N lines meet it; the load is stated one of
// three ways (EngsetLoad), and every answer gives all three.
//
// Domain: sources a whole number from 1 to kMaxSources; lines a whole number
// from 0 to the sources; the idle-source traffic 0 to kMaxTraffic erlangs,
// the call-attempt traffic up to kMaxTraffic per source, the intended traffic
// from 0 up to the sources exclusive; blocking targets from kMinBlocking up
// to 1 exclusive. A load whose idle-source traffic would pass 1e9 erlangs is
// refused.
//
// Accuracy: as domain.h says: 1e-12 relative, counts exact.
//
// Method: the time congestion is the binomial point probability at N over the
// binomial distribution function at N (S trials of p = beta / (1 + beta)),
// its inverse summed from the largest term down, on either side of the
// binomial's mode: below it, the terms below N; above it, the tail above N
// and the point probability by Loader's saddle-point formula in long double.
// Each sum needs a few standard deviations of terms (at most some 16,000).
// Call congestion is the time congestion of one source fewer. The
// idle-source traffic behind another load, and the traffic for a target, by
// Newton's method on its logarithm in long double, bracketed; counts by
// Newton's method on the count, decided in double, in long double, in
// quadruple precision (the load's beta found again there), and exactly up to
// 64 lines. A traffic for a target gives each of its loads rounded down from
// the root (found again in long double or quadruple precision), so that each
// reads back as its lines.
#pragma once

#include "teletraffic/domain.h"

#include <cstdint>

namespace teletraffic {

// The three ways a load is stated, EngsetLoad, are a choice of the registry
// (arguments.h); exactly one is given.

struct Engset {
    double timeCongestion;    // E: share of time all lines are busy
    double callCongestion;    // B: share of call attempts blocked
    double trafficCongestion; // C: (intended - carried) / intended
    double carried;           // Y, erlangs
    double traffic;           // A = beta (S - Y)
    double intendedTraffic;   // S beta / (1 + beta)
    double idleSourceTraffic; // beta
};

// `load` of the kind `kind`; `sources` whole, 1 to kMaxSources; `lines`
// whole, 0 to sources. A load whose idle-source traffic would exceed 1e9
// erlangs (an intended traffic within a billionth of the sources) is refused.
Engset EngsetBlocking(EngsetLoad kind, double load, double sources, double lines);

// Smallest whole number of lines whose call congestion is at most `blocking`.
std::int64_t EngsetLines(EngsetLoad kind, double load, double sources, double blocking);

// The offered traffic (the `Traffic` sense) at which `lines` (fewer than the
// sources) meet a call congestion of `blocking`; the result also gives the
// intended and idle-source traffic.
Engset EngsetTraffic(double sources, double lines, double blocking);

} // namespace teletraffic
