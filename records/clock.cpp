#include "records/clock.h"

#include <date/date.h>
#include <date/tz.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <limits>
#include <stdexcept>

namespace records {
namespace {

using std::chrono::seconds;

// The years accepted: nanoseconds since 1970 stay inside 64 bits with room
// for a day's offset and a call's length.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2200;
// Offsets of neighbouring stretches differ by less than this (Samoa skipped
// a whole day in 2011): a local time this far inside a stretch has no other
// reading.
constexpr std::int64_t kUniqueMargin = 2 * kDaySeconds;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads `min` to `max` digits at `pos`.
bool ReadNumber(std::string_view s, std::size_t& pos, int min, int max, int& value) {
    value = 0;
    int count = 0;
    while (pos < s.size() && count < max && IsDigit(s[pos])) {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++count;
    }
    return count >= min && !(pos < s.size() && IsDigit(s[pos]));
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// Up to nine digits of a fraction after its point, as nanoseconds.
bool ReadFraction(std::string_view s, std::size_t& pos, std::int32_t& nanos) {
    std::int32_t value = 0;
    int count = 0;
    while (pos < s.size() && IsDigit(s[pos])) {
        if (++count > 9) {
            return false;
        }
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    if (count == 0) {
        return false;
    }
    for (int i = count; i < 9; ++i) {
        value *= 10;
    }
    nanos = value;
    return true;
}

std::optional<std::int64_t> CivilDays(int y, int m, int d) {
    const date::year_month_day ymd{date::year{y}, date::month{static_cast<unsigned>(m)},
                                   date::day{static_cast<unsigned>(d)}};
    if (y < kFirstYear || y > kLastYear || !ymd.ok()) {
        return std::nullopt;
    }
    return date::sys_days{ymd}.time_since_epoch().count();
}

} // namespace

Stamp ParseClockTime(std::string_view text) {
    const std::string_view s = Trim(text);
    Stamp stamp;
    std::size_t pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (!ReadNumber(s, pos, 4, 4, y) || pos >= s.size() || (s[pos] != '-' && s[pos] != '/')) {
        return stamp;
    }
    const char separator = s[pos++];
    if (!ReadNumber(s, pos, 1, 2, mo) || pos >= s.size() || s[pos++] != separator ||
        !ReadNumber(s, pos, 1, 2, d) || pos >= s.size() || (s[pos] != ' ' && s[pos] != 'T')) {
        return stamp;
    }
    ++pos;
    if (!ReadNumber(s, pos, 1, 2, h) || pos >= s.size() || s[pos++] != ':' ||
        !ReadNumber(s, pos, 2, 2, mi)) {
        return stamp;
    }
    const auto days = CivilDays(y, mo, d);
    if (!days || h > 23 || mi > 59) {
        return stamp;
    }
    if (pos == s.size()) {
        stamp.kind = Stamp::Kind::WithoutSeconds;
        return stamp;
    }
    if (s[pos++] != ':' || !ReadNumber(s, pos, 2, 2, se) || se > 59) {
        return stamp;
    }
    if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
        ++pos;
        if (!ReadFraction(s, pos, stamp.nanos)) {
            return stamp;
        }
    }
    stamp.seconds = *days * kDaySeconds + h * 3600 + mi * 60 + se;
    if (pos == s.size()) {
        stamp.kind = Stamp::Kind::Local;
        return stamp;
    }
    std::int64_t offset = 0;
    if (s[pos] == 'Z' && pos + 1 == s.size()) {
        offset = 0;
    } else if (s[pos] == '+' || s[pos] == '-') {
        const int sign = s[pos++] == '-' ? -1 : 1;
        int oh = 0, om = 0;
        const std::size_t at = pos;
        if (!ReadNumber(s, pos, 2, 2, oh)) {
            // "+0300" reads as four digits: split them.
            std::size_t again = at;
            int both = 0;
            if (!ReadNumber(s, again, 4, 4, both)) {
                return stamp;
            }
            oh = both / 100;
            om = both % 100;
            pos = again;
        } else if (pos < s.size() && s[pos] == ':') {
            ++pos;
            if (!ReadNumber(s, pos, 2, 2, om)) {
                return stamp;
            }
        }
        if (pos != s.size() || oh > 23 || om > 59) {
            return stamp;
        }
        offset = sign * (oh * 3600 + om * 60);
    } else {
        return stamp;
    }
    stamp.seconds -= offset;
    stamp.kind = Stamp::Kind::Instant;
    return stamp;
}

Stamp ParseEpoch(std::string_view text) {
    const std::string_view s = Trim(text);
    Stamp stamp;
    std::size_t pos = 0;
    std::int64_t value = 0;
    while (pos < s.size() && IsDigit(s[pos])) {
        value = value * 10 + (s[pos] - '0');
        // Beyond 2200: refused before the sum could overflow.
        if (value > (std::int64_t{kLastYear - 1970} + 1) * 366 * kDaySeconds) {
            return stamp;
        }
        ++pos;
    }
    if (pos == 0) {
        return stamp;
    }
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        if (!ReadFraction(s, pos, stamp.nanos)) {
            return stamp;
        }
    }
    if (pos != s.size()) {
        return stamp;
    }
    stamp.seconds = value;
    stamp.kind = Stamp::Kind::Instant;
    return stamp;
}

Stamp ParseAnyTime(std::string_view text) {
    const std::string_view s = Trim(text);
    const bool epoch = !s.empty() && s.find_first_not_of("0123456789.") == std::string_view::npos;
    return epoch ? ParseEpoch(s) : ParseClockTime(s);
}

Stamp ParseWithFormat(std::string_view text, const std::string& format) {
    // By the C library's strptime: date::parse reads a seconds field that
    // holds no digits as an unset long double (a NaN, then undefined
    // behaviour in its rounding), which the fuzzer found.
    Stamp stamp;
    const std::string input(Trim(text));
    std::tm tm{};
    tm.tm_mday = 1;
    const char* end = strptime(input.c_str(), format.c_str(), &tm);
    if (end == nullptr || *end != '\0' || tm.tm_sec > 59) {
        return stamp;
    }
    const auto days = CivilDays(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    if (!days) {
        return stamp;
    }
    stamp.seconds = *days * kDaySeconds + tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    const bool offset = format.find("%z") != std::string::npos;
    if (offset) {
        stamp.seconds -= tm.tm_gmtoff;
    }
    stamp.kind = offset ? Stamp::Kind::Instant : Stamp::Kind::Local;
    return stamp;
}

Zone::Zone(const std::string& name) {
    try {
        zone_ = name.empty() ? date::current_zone() : date::locate_zone(name);
    } catch (const std::exception&) {
        throw std::invalid_argument("\"" + name +
                                    "\" is not a time zone the system's tzdata knows");
    }
    name_ = zone_->name();
}

ZoneSpan Zone::SpanAt(std::int64_t utcSeconds) const {
    if (utcSeconds >= span_.begin && utcSeconds < span_.end) {
        return span_;
    }
    const date::sys_info info = zone_->get_info(date::sys_seconds{seconds{utcSeconds}});
    span_ = {info.begin.time_since_epoch().count(), info.end.time_since_epoch().count(),
             info.offset.count()};
    return span_;
}

Resolved Zone::ToUtc(std::int64_t localSeconds) const {
    if (localSeconds >= uniqueFrom_ && localSeconds < uniqueTo_) {
        return {Resolved::Kind::Unique, localSeconds - span_.offset, localSeconds - span_.offset};
    }
    const date::local_info info = zone_->get_info(date::local_seconds{seconds{localSeconds}});
    const std::int64_t first = localSeconds - info.first.offset.count();
    switch (info.result) {
    case date::local_info::unique: {
        span_ = {info.first.begin.time_since_epoch().count(),
                 info.first.end.time_since_epoch().count(), info.first.offset.count()};
        // Far from either end the stretch's offset is the only reading.
        const std::int64_t lo = std::numeric_limits<std::int64_t>::min() / 4;
        const std::int64_t hi = std::numeric_limits<std::int64_t>::max() / 4;
        uniqueFrom_ = std::max(span_.begin, lo) + span_.offset + kUniqueMargin;
        uniqueTo_ = std::min(span_.end, hi) + span_.offset - kUniqueMargin;
        return {Resolved::Kind::Unique, first, first};
    }
    case date::local_info::ambiguous:
        return {Resolved::Kind::Ambiguous, first, localSeconds - info.second.offset.count()};
    default:
        return {Resolved::Kind::Nonexistent, info.second.begin.time_since_epoch().count(),
                info.second.begin.time_since_epoch().count()};
    }
}

std::int64_t Zone::DayStart(std::int64_t day) const {
    // Midnight, or where the clocks jumped over it the instant they jumped.
    return ToUtc(day * kDaySeconds).earlier;
}

std::int64_t Zone::DayOf(std::int64_t utcNanos) const {
    const std::int64_t s = FloorDiv(utcNanos, kNanos);
    return FloorDiv(s + OffsetAt(s), kDaySeconds);
}

PeriodGrid::PeriodGrid(const Zone& zone, int minutes)
    : zone_(zone)
    , minutes_(minutes)
    , length_(std::int64_t{minutes} * 60) {
    if (minutes <= 0 || 60 % minutes != 0) {
        throw std::invalid_argument("an interval must divide 60 minutes");
    }
}

std::int64_t PeriodGrid::Key(std::int64_t utcSeconds, const ZoneSpan& span) const {
    return FloorDiv(utcSeconds + span.offset, length_) * length_;
}

Period PeriodGrid::At(std::int64_t utcNanos) const {
    const std::int64_t s = FloorDiv(utcNanos, kNanos);
    ZoneSpan span = zone_.SpanAt(s);
    const std::int64_t key = Key(s, span);
    std::int64_t start = key - span.offset;
    std::int64_t end = key + length_ - span.offset;
    // A change of offset ends a period and starts the next; tzdata's stretches
    // also part where only the name of the time changes, and there the period
    // runs on.
    for (ZoneSpan here = span; start < here.begin;) {
        const ZoneSpan before = zone_.SpanAt(here.begin - 1);
        if (before.offset != here.offset) {
            start = here.begin;
            break;
        }
        start = std::max(key - before.offset, before.begin);
        here = before;
    }
    for (ZoneSpan here = span; end > here.end;) {
        const ZoneSpan after = zone_.SpanAt(here.end);
        if (after.offset != here.offset) {
            end = here.end;
            break;
        }
        end = std::min(key + length_ - after.offset, after.end);
        here = after;
    }
    return {start * kNanos, end * kNanos, FloorDiv(key, 60)};
}

std::string LocalIso(const Zone& zone, std::int64_t utcNanos) {
    const std::int64_t s = FloorDiv(utcNanos, kNanos);
    const auto nanos = utcNanos - s * kNanos;
    const std::int64_t offset = zone.OffsetAt(s);
    const std::int64_t local = s + offset;
    const std::int64_t day = FloorDiv(local, kDaySeconds);
    const std::int64_t clock = local - day * kDaySeconds;
    std::string text = DateText(day);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "T%02d:%02d:%02d", int(clock / 3600), int(clock / 60 % 60),
                  int(clock % 60));
    text += buffer;
    if (nanos != 0) {
        std::snprintf(buffer, sizeof buffer, ".%09lld", static_cast<long long>(nanos));
        std::string fraction = buffer;
        while (fraction.back() == '0') {
            fraction.pop_back();
        }
        text += fraction;
    }
    const std::int64_t size = offset < 0 ? -offset : offset;
    std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", offset < 0 ? '-' : '+', int(size / 3600),
                  int(size / 60 % 60));
    text += buffer;
    if (size % 60 != 0) {
        std::snprintf(buffer, sizeof buffer, ":%02d", int(size % 60));
        text += buffer;
    }
    return text;
}

std::string DateText(std::int64_t day) {
    const date::year_month_day ymd{date::sys_days{date::days{day}}};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()));
    return buffer;
}

std::optional<std::int64_t> ParseDate(std::string_view text) {
    const std::string_view s = Trim(text);
    std::size_t pos = 0;
    int y = 0, m = 0, d = 0;
    if (!ReadNumber(s, pos, 4, 4, y) || pos >= s.size() || s[pos++] != '-' ||
        !ReadNumber(s, pos, 2, 2, m) || pos >= s.size() || s[pos++] != '-' ||
        !ReadNumber(s, pos, 2, 2, d) || pos != s.size()) {
        return std::nullopt;
    }
    return CivilDays(y, m, d);
}

} // namespace records
