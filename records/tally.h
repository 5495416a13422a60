// The periods' sums of a reading of call records: a value that can be merged
// (a + b, as reading the files together would give, but for what is said
// below) and serialised to bytes, so that a month of daily files, or a year
// on many machines, can be read apart and added up.
//
// Exact: holding is summed in integer nanoseconds, counts are counts; the
// traffic of a period is its holding over its length, one division at the
// end (summary.h).
//
// What does not merge exactly: rows of one call read into two values are two
// calls. The most calls held at once in a period (its peak) merges exactly
// where the two values' calls there lie as a month of daily files puts them:
// each period keeps how its calls lie in it (PeriodShape), in room bounded
// by its peak, so that where one value holds in a period only calls held
// across its end (the calls of the next day's file before midnight), or only
// calls held across its start (those of the last day's file, for files cut
// by the calls' starts), the peak of the union follows from the other's
// staircases. Elsewhere, where both hold calls that start and end inside a
// period, the peak of the union is known only between the larger of their
// peaks and their sum (peakLow, peakHigh), and is said as such. A reading of
// several files together (reader.h) has neither limit.
#pragma once

#include "records/formats.h"
#include "records/options.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace records {

__extension__ using Int128 = __int128;

// One step of a staircase of calls held at once: at `x`, the value `v`.
struct Step {
    std::int64_t x, v;
    bool operator==(const Step&) const = default;
};

// How the calls of a period [start, end) lie in it, for a merge to find the
// peak of the union: the calls held through all of it; the others, the
// core, by two staircases; and apart from the core the calls held across
// the period's end that start inside it (by their starts) and those held
// across its start that end inside it (by their ends). Held at once: c(t),
// the core's calls held at the instant t, a call ending at t not counted.
struct PeriodShape {
    bool known = false;    // the fields describe every call held in the period
    std::int64_t full = 0; // calls held from before its start to its end or after
    // after: the most core calls held at once from an instant on, max c(t)
    // over t >= u, the v of the first step whose x is above u (0 past the
    // last); x rising, v falling. before: the most held before an instant,
    // max c(t) over t < u, the v of the last step whose x is below u (0 up to
    // the first); x and v rising.
    std::vector<Step> after, before;
    std::vector<std::int64_t> rising;  // starts of calls held across the end, sorted
    std::vector<std::int64_t> falling; // ends of calls held across the start, sorted
    bool operator==(const PeriodShape&) const = default;
};

// The most calls held at once that a known shape gives, exact where it
// tells (no core, or only one of the lists beside it), else the narrowest
// range it allows.
struct PeakBounds {
    std::int64_t low = 0, high = 0;
};
PeakBounds PeakOf(const PeriodShape& shape, std::int64_t start, std::int64_t end);

struct PeriodSums {
    std::int64_t start = 0, end = 0; // UTC nanoseconds, [start, end)
    std::int64_t clock = 0;          // its local start, minutes since 1970 on the local clock
    std::int64_t calls = 0;          // calls whose holding starts in it
    Int128 holding = 0;              // nanoseconds of holding inside it
    Int128 callHolding = 0;          // nanoseconds: the whole holding of its calls
    // The most calls held at once: exactly peakLow where the two are equal,
    // else somewhere between (after a merge, or rows more than the window late).
    std::int64_t peakLow = 0, peakHigh = 0;
    PeriodShape shape;
};

// A refused row, quoted: its file, line and text (bytes that are not UTF-8,
// and control characters, written \xNN).
struct Quote {
    std::string source;
    std::int64_t line = 0;
    Refusal reason = Refusal::Fields;
    std::string text;
};

struct SourceInfo {
    std::string name;
    Format format = Format::Auto; // as chosen
    std::int64_t rows = 0;
};

class Tally {
public:
    static constexpr std::size_t kMaxQuotes = 10;

    // How it was read: only values read alike merge.
    std::string zone;
    int interval = 15;
    Holding holding = Holding::Seizure;
    std::string trunk;

    std::vector<PeriodSums> periods; // by start; those with a call or holding only
    std::int64_t calls = 0;
    std::int64_t first = 0, last = 0; // earliest start, latest end (UTC ns), where calls > 0
    std::int64_t rows = 0;            // every row read (headers and blank lines apart)
    std::int64_t rowsUsed = 0;
    std::array<std::int64_t, kRefusalCount> refused{};
    std::array<std::int64_t, kSkipCount> skipped{};
    std::int64_t ambiguous = 0; // rows with a time in an hour the clocks repeated
    // Rows ending more than the window before the latest end read before
    // them; and rows that may belong to a call whose other rows were already
    // closed (their calls may be counted twice).
    std::int64_t late = 0, uncertain = 0;
    std::vector<Quote> quotes;
    std::vector<SourceInfo> sources;

    std::int64_t RowsRefused() const;
    std::int64_t RowsSkipped() const;

    // Adds `other`, read alike (std::invalid_argument naming what differs).
    Tally& operator+=(const Tally& other);

    std::string Serialize() const;
    // The value Serialize wrote; std::invalid_argument for any other bytes.
    static Tally Deserialize(std::string_view bytes);
};

Tally operator+(Tally a, const Tally& b);

// Text fit for a terminal: bytes that are not UTF-8 and control characters
// as \xNN, cut to `limit` bytes with "…".
std::string Printable(std::string_view text, std::size_t limit = 200);

} // namespace records
