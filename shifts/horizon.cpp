// Clock texts read and written by hand: a handful of fixed shapes, where a
// general date library would accept more than a schedule means.
#include "shifts/horizon.h"

#include <array>
#include <cctype>
#include <charconv>

namespace shifts {
namespace {

constexpr std::array<std::string_view, 7> kShortDays = {"mon", "tue", "wed", "thu",
                                                        "fri", "sat", "sun"};
constexpr std::array<std::string_view, 7> kLongDays = {
    "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

std::optional<int> Digits(std::string_view text) {
    if (text.empty() || text.size() > 6) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' ||
        text[0] == '+') {
        return std::nullopt;
    }
    return value;
}

// "H:MM" with exactly two digits of minutes below 60.
std::optional<std::pair<int, int>> HoursMinutes(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || text.size() - colon != 3) {
        return std::nullopt;
    }
    const auto hours = Digits(text.substr(0, colon));
    const auto minutes = Digits(text.substr(colon + 1));
    if (!hours || !minutes || *minutes >= 60) {
        return std::nullopt;
    }
    return std::pair{*hours, *minutes};
}

int Wrapped(int minutes, int cycle) {
    const int r = minutes % cycle;
    return r < 0 ? r + cycle : r;
}

} // namespace

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int Horizon::ClockOf(int offset) const {
    return Wrapped(first + offset, Cycle());
}

std::string Horizon::Label(int offset) const {
    const int clock = ClockOf(offset);
    return span == Span::Day ? ClockText(clock) : WeekText(clock);
}

std::optional<int> ReadClock(std::string_view text) {
    const auto hm = HoursMinutes(Trimmed(text));
    if (!hm || hm->first >= 24) {
        return std::nullopt;
    }
    return hm->first * 60 + hm->second;
}

std::optional<int> ReadWeekday(std::string_view text) {
    text = Trimmed(text);
    std::string lower;
    for (const char c : text) {
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    for (int d = 0; d < 7; ++d) {
        if (lower == kShortDays[d] || lower == kLongDays[d]) {
            return d;
        }
    }
    return std::nullopt;
}

std::optional<int> ReadWeekClock(std::string_view text) {
    text = Trimmed(text);
    const auto blank = text.find_first_of(" \t");
    if (blank == std::string_view::npos) {
        return std::nullopt;
    }
    const auto day = ReadWeekday(text.substr(0, blank));
    const auto clock = ReadClock(text.substr(blank));
    if (!day || !clock) {
        return std::nullopt;
    }
    return *day * kMinutesPerDay + *clock;
}

std::optional<int> ReadDuration(std::string_view text) {
    const auto hm = HoursMinutes(Trimmed(text));
    if (!hm) {
        return std::nullopt;
    }
    return hm->first * 60 + hm->second;
}

std::string ClockText(int minuteOfDay) {
    const int h = minuteOfDay / 60;
    const int m = minuteOfDay % 60;
    std::string text(5, '0');
    text[0] = static_cast<char>('0' + h / 10);
    text[1] = static_cast<char>('0' + h % 10);
    text[2] = ':';
    text[3] = static_cast<char>('0' + m / 10);
    text[4] = static_cast<char>('0' + m % 10);
    return text;
}

std::string WeekText(int minuteOfWeek) {
    return std::string(WeekdayName(minuteOfWeek / kMinutesPerDay)) + " " +
           ClockText(minuteOfWeek % kMinutesPerDay);
}

std::string DurationText(int minutes) {
    const int m = minutes % 60;
    return std::to_string(minutes / 60) + ":" + (m < 10 ? "0" : "") + std::to_string(m);
}

std::string_view WeekdayName(int weekday) {
    return kShortDays[static_cast<std::size_t>(weekday) % 7];
}

} // namespace shifts
