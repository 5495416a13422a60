// The horizon a schedule covers: a day or a week of periods of `interval`
// minutes, perhaps repeating (cyclic, so that a shift running past its end
// covers its start), and the clock texts that name its times: "HH:MM" in a
// day, "DAY HH:MM" in a week (mon to sun), "H:MM" for a duration.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shifts {

enum class Span { Day, Week };

inline constexpr int kMinutesPerDay = 1440;
inline constexpr int kMinutesPerWeek = 7 * kMinutesPerDay;

struct Horizon {
    int interval = 15; // minutes, dividing a day
    Span span = Span::Day;
    int first = 0;   // the first period's start, in minutes from midnight (a day) or mon 00:00
    int periods = 0; // consecutive from the first
    bool cyclic = false;

    int Cycle() const { return span == Span::Day ? kMinutesPerDay : kMinutesPerWeek; }
    int Minutes() const { return periods * interval; }
    // The clock `offset` minutes after the first period starts (any offset:
    // past the end or before the start it wraps round the day or the week).
    int ClockOf(int offset) const;
    // That clock as text: "07:30", or "mon 07:30" in a week.
    std::string Label(int offset) const;
};

// "07:30" as minutes from midnight (00:00 to 23:59); nullopt if it is not one.
std::optional<int> ReadClock(std::string_view text);
// "mon", "Monday" (any case) as 0 to 6 from Monday.
std::optional<int> ReadWeekday(std::string_view text);
// "mon 07:30" as minutes from mon 00:00.
std::optional<int> ReadWeekClock(std::string_view text);
// "8:30" (hours and minutes, hours as many as wanted) as minutes.
std::optional<int> ReadDuration(std::string_view text);

std::string ClockText(int minuteOfDay);    // "07:30"
std::string WeekText(int minuteOfWeek);    // "mon 07:30"
std::string DurationText(int minutes);     // "8:30"
std::string_view WeekdayName(int weekday); // "mon"

// `text` without blanks at its ends.
std::string_view Trimmed(std::string_view text);

} // namespace shifts
