// Time in call records: the text of a time (Asterisk's and FreeSWITCH's
// "2024-01-27 15:07:24", ISO 8601 with or without an offset and a fraction,
// epoch seconds, or strptime's directives), local times read in an IANA zone
// by the time-zone library over the system's tzdata, and the read-out
// periods and days of the local clock.
//
// Every instant is an integer count of nanoseconds since 1970-01-01 UTC
// (1678 to 2261), so that sums of holding are exact; a fraction finer than a
// nanosecond is refused rather than rounded.
//
// Periods: a period starts wherever the local clock shows a multiple of the
// interval and wherever the clocks are changed, and is known by its start's
// clock time taken down to the interval. In real time each is the interval
// long, except where the clocks move by other than a multiple of it (Lord
// Howe's half hour against hour-long periods). On the day the clocks go back
// the same clock time starts two periods.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace date {
class time_zone;
}

namespace records {

inline constexpr std::int64_t kNanos = 1'000'000'000;
inline constexpr std::int64_t kDaySeconds = 86'400;

// What the text of a time said.
struct Stamp {
    enum class Kind {
        Local,          // a clock time without an offset: read in the zone
        Instant,        // with an offset, or epoch seconds: UTC known
        WithoutSeconds, // a clock time to the minute (re-saved by a spreadsheet)
        Invalid,
    };
    Kind kind = Kind::Invalid;
    // Local: seconds since 1970-01-01 00:00 on the local clock; Instant: UTC.
    std::int64_t seconds = 0;
    std::int32_t nanos = 0;
};

// "YYYY-MM-DD HH:MM:SS" or ISO 8601 ("T" for the space; a fraction of up to
// nine digits; "Z", "+HH:MM", "+HHMM" or "+HH"), the date also as Y/M/D with
// one-digit months and days as spreadsheets write it. Surrounding blanks are
// ignored.
Stamp ParseClockTime(std::string_view text);
// Epoch seconds, with a fraction of up to nine digits.
Stamp ParseEpoch(std::string_view text);
// ParseEpoch where the text is all digits (and one point), else ParseClockTime.
Stamp ParseAnyTime(std::string_view text);
// By strftime directives as strptime reads them (whole seconds): %z gives
// an instant, else a local time.
Stamp ParseWithFormat(std::string_view text, const std::string& format);

// A local time read in the zone.
struct Resolved {
    enum class Kind { Unique, Ambiguous, Nonexistent };
    Kind kind = Kind::Unique;
    std::int64_t earlier = 0; // UTC seconds; the only one when unique
    std::int64_t later = 0;   // the later reading of an ambiguous time
};

// One stretch of constant offset.
struct ZoneSpan {
    std::int64_t begin = 0, end = 0; // UTC seconds, [begin, end)
    std::int64_t offset = 0;         // seconds east of UTC
};

struct Period {
    std::int64_t start = 0, end = 0; // UTC nanoseconds, [start, end)
    std::int64_t clock = 0;          // its local start: minutes since 1970 on the local clock
};

class Zone {
public:
    // An IANA name ("Europe/Berlin", "UTC"); "" is the system's zone. Throws
    // std::invalid_argument naming it when tzdata does not know it.
    explicit Zone(const std::string& name);

    const std::string& Name() const { return name_; }
    Resolved ToUtc(std::int64_t localSeconds) const;
    ZoneSpan SpanAt(std::int64_t utcSeconds) const;
    std::int64_t OffsetAt(std::int64_t utcSeconds) const { return SpanAt(utcSeconds).offset; }
    // The first instant of the local day `day` (days since 1970-01-01).
    std::int64_t DayStart(std::int64_t day) const;
    // The local day of an instant (UTC nanoseconds).
    std::int64_t DayOf(std::int64_t utcNanos) const;

private:
    std::string name_;
    const date::time_zone* zone_ = nullptr;
    // The last stretch asked for, and local times known unique in it: most
    // rows fall there and need no search of the zone's rules.
    mutable ZoneSpan span_{1, 0, 0};
    mutable std::int64_t uniqueFrom_ = 1, uniqueTo_ = 0; // local seconds
};

// The read-out periods of `minutes` (dividing 60) on the zone's clock.
class PeriodGrid {
public:
    PeriodGrid(const Zone& zone, int minutes);
    int Minutes() const { return minutes_; }
    // The period holding the instant (UTC nanoseconds).
    Period At(std::int64_t utcNanos) const;

private:
    std::int64_t Key(std::int64_t utcSeconds, const ZoneSpan& span) const;
    const Zone& zone_;
    int minutes_;
    std::int64_t length_; // seconds
};

// "2024-01-27T15:00:00+03:00": the instant on the zone's clock with its offset
// (seconds in the offset only where it has them).
std::string LocalIso(const Zone& zone, std::int64_t utcNanos);
// "2024-01-27" for a day count.
std::string DateText(std::int64_t day);
// Days since 1970 for "YYYY-MM-DD"; nullopt where it is not a date.
std::optional<std::int64_t> ParseDate(std::string_view text);

} // namespace records
