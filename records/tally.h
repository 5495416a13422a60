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
// calls; and the most calls held at once in a period is known, where both
// values hold calls in it, only between the larger of their peaks and their
// sum (peakLow, peakHigh): the peak of a union is not the larger peak. A
// reading of several files together (reader.h) has neither limit.
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

struct PeriodSums {
    std::int64_t start = 0, end = 0; // UTC nanoseconds, [start, end)
    std::int64_t clock = 0;          // its local start, minutes since 1970 on the local clock
    std::int64_t calls = 0;          // calls whose holding starts in it
    Int128 holding = 0;              // nanoseconds of holding inside it
    Int128 callHolding = 0;          // nanoseconds: the whole holding of its calls
    // The most calls held at once: exactly peakLow where the two are equal,
    // else somewhere between (after a merge, or rows more than the window late).
    std::int64_t peakLow = 0, peakHigh = 0;
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
