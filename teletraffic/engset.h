// Finite sources (Engset), overflow traffic (Riordan's moments, Wilkinson's
// equivalent random theory, Fredericks and Hayward's approximation) and the
// offered traffic behind a measured carried traffic.
//
// Accuracy as for the rest of the engine: real results within 1e-12 relative,
// counts exact. Outside its domain each function throws DomainError.
#pragma once

#include "teletraffic/erlang.h"

#include <cstdint>

namespace teletraffic {

// --- Engset: S sources share N lines; a busy source offers nothing ------------

// Largest number of sources the engine accepts.
inline constexpr double kMaxSources = 1e9;

// The three ways a load is stated; exactly one is given.
enum class EngsetLoad {
    IdleSourceTraffic, // beta: traffic offered by one idle source
    Traffic,           // call attempts x holding time: A = beta (S - Y)
    IntendedTraffic,   // offered if never blocked: A = S beta / (1 + beta)
};

struct Engset {
    double timeCongestion;    // E: share of time all lines are busy
    double callCongestion;    // B: share of call attempts blocked
    double trafficCongestion; // C: (intended - carried) / intended
    double carried;           // Y, erlangs
    double traffic;           // A = beta (S - Y)
    double intendedTraffic;   // S beta / (1 + beta)
    double idleSourceTraffic; // beta
};

// `sources` whole, 1 to kMaxSources; `lines` whole, 0 to sources; `load` of
// the kind `kind`. A load whose idle-source traffic would exceed 1e9 erlangs
// (an intended traffic within a billionth of the sources) is refused.
Engset EngsetBlocking(double sources, double lines, EngsetLoad kind, double load);

// Smallest whole number of lines whose call congestion is at most `blocking`.
std::int64_t EngsetLines(double sources, EngsetLoad kind, double load, double blocking);

// The offered traffic (the `Traffic` sense) at which `lines` (fewer than the
// sources) meet a call congestion of `blocking`; the result also gives the
// intended and idle-source traffic.
Engset EngsetTraffic(double sources, double lines, double blocking);

// --- Overflow ----------------------------------------------------------------------

struct Overflow {
    double mean;       // m = A B(A, N)
    double variance;   // v = m (1 - m + A / (N + 1 - A + m))
    double peakedness; // Z = v / m (1 where nothing overflows)
};

// The traffic that overflows `lines` (whole or fractional) offered `traffic`.
Overflow OverflowMoments(double traffic, double lines);

// Independent streams combine by adding means and variances.
Overflow CombineOverflow(const Overflow& a, const Overflow& b);

struct EquivalentRandom {
    double traffic; // A*
    double lines;   // N*, fractional
};

// The (A*, N*) whose overflow has mean `mean` and variance `variance` (at
// least the mean: smooth traffic is refused). Within 1e-12 up to a mean of
// some 1e4 only: above, Riordan's variance is the difference of numbers
// some m N times its size, and long double leaves ever fewer digits of it
// (1e-7 at a mean of 1e6, 1e-6 at 1e7; at 5.9e8 and Z = 1.5 the group's own
// variance is a per cent off). The blocking and lines by this method share it.
EquivalentRandom EquivalentRandomTraffic(double mean, double variance);

enum class OverflowMethod { EquivalentRandom, Hayward };

struct OverflowLoss {
    double lost;     // erlangs lost on the further lines
    double blocking; // lost / mean
};

// Traffic lost when a stream of `mean` and `variance` is offered `lines`
// further lines (whole or fractional).
OverflowLoss OverflowBlocking(double mean, double variance, double lines, OverflowMethod method);

// Smallest whole number of further lines whose blocking is at most `blocking`.
std::int64_t OverflowLines(double mean, double variance, double blocking, OverflowMethod method);

// --- Measured traffic ----------------------------------------------------------------

// The offered traffic A with A (1 - B(A, N)) = `carried`, for 0 <= carried < lines.
double OfferedTraffic(double carried, double lines);

} // namespace teletraffic
