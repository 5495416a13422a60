// The requirements' grid: the periods in time order, in any order given; the
// interval, where not given, the commonest gap between them. Every period
// must fall on the grid, once, with none missing between the first and the
// last, where a horizon that runs past midnight (a night from 22:00 to 06:00)
// starts after its one gap.
#include "shifts/requirements.h"

#include "shifts/error.h"
#include "teletraffic/number_text.h"
#include "textio/csv.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <numeric>
#include <sstream>

namespace shifts {
namespace {

struct Entry {
    std::string where; // "day.csv line 4"
    int minute;        // from midnight, or mon 00:00 in a week
    double value;
};

std::string ColumnKey(std::string_view name) {
    std::string key;
    for (const char c : Trimmed(name)) {
        key.push_back(c == '_' || c == ' '
                          ? '-'
                          : static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return key;
}

std::string_view MeasureName(Measure measure) {
    return measure == Measure::Agents ? "agents" : "calls";
}

double CheckValue(double value, Measure measure, const std::string& where) {
    const std::string name(MeasureName(measure));
    if (!(value >= 0) || !std::isfinite(value)) {
        throw InputError(where + ": " + name + " must be 0 or more, got " +
                         number_text::Show(value));
    }
    if (measure == Measure::Agents && std::trunc(value) != value) {
        throw InputError(where + ": agents must be a whole number, got " +
                         number_text::Show(value));
    }
    if (measure == Measure::Agents && value > 1e6) {
        throw InputError(where + ": agents must be at most 1000000, got " +
                         number_text::Show(value));
    }
    return value;
}

double ReadValue(std::string_view text, Measure measure, const std::string& where) {
    const std::string name(MeasureName(measure));
    const number_text::Reading reading = number_text::Read(text);
    if (!reading.ok()) {
        throw InputError(where + ": " + name + " '" + std::string(Trimmed(text)) + "' " +
                         std::string(number_text::Why(reading.problem)));
    }
    return CheckValue(reading.value, measure, where);
}

// A start as a clock in a day or a week; `weekday` from a `day` column.
std::pair<Span, int> ReadStart(std::string_view text, std::optional<std::string_view> weekday,
                               const std::string& where) {
    const std::string shown(Trimmed(text));
    if (weekday) {
        const auto day = ReadWeekday(*weekday);
        if (!day) {
            throw InputError(where + ": day '" + std::string(Trimmed(*weekday)) +
                             "' is not a weekday (mon to sun)");
        }
        const auto clock = ReadClock(text);
        if (!clock) {
            throw InputError(where + ": start '" + shown + "' is not a time HH:MM (with the day " +
                             "in its own column)");
        }
        return {Span::Week, *day * kMinutesPerDay + *clock};
    }
    if (const auto clock = ReadClock(text)) {
        return {Span::Day, *clock};
    }
    if (const auto clock = ReadWeekClock(text)) {
        return {Span::Week, *clock};
    }
    throw InputError(where + ": start '" + shown + "' is not a time HH:MM or DAY HH:MM");
}

Requirements OnGrid(std::vector<Entry> entries, Span span, const RequirementSource& source) {
    if (entries.empty()) {
        throw InputError(source.name + " has no periods");
    }
    Requirements result;
    result.measure = source.measure;
    Horizon& h = result.horizon;
    h.span = span;
    h.cyclic = source.cyclic;
    const int cycle = h.Cycle();
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::stable_sort(order, {}, [&](std::size_t i) { return entries[i].minute; });
    const auto minute = [&](std::size_t k) { return entries[order[k]].minute; };
    const auto label = [&](int m) { return span == Span::Day ? ClockText(m) : WeekText(m); };
    std::map<int, int> gaps; // between neighbours in time, and how often
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (minute(k) == minute(k - 1)) {
            throw InputError(entries[order[k]].where + ": the period " + label(minute(k)) +
                             " is given again (first at " + entries[order[k - 1]].where + ")");
        }
        ++gaps[minute(k) - minute(k - 1)];
    }
    if (order.size() > 1) {
        ++gaps[minute(0) + cycle - minute(order.size() - 1)]; // round midnight
    }
    if (source.interval) {
        h.interval = *source.interval;
    } else if (!gaps.empty()) {
        // The commonest gap (the smallest of a tie), so that one period off the
        // grid is named as such.
        h.interval = std::ranges::max_element(gaps, [](const auto& a, const auto& b) {
                         return a.second < b.second;
                     })->first;
    }
    if (h.interval <= 0 || kMinutesPerDay % h.interval != 0) {
        throw InputError(source.name + ": the periods are " + std::to_string(h.interval) +
                         " minutes apart, which does not divide a day into whole periods");
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        if ((minute(k) - minute(0)) % h.interval != 0) {
            throw InputError(entries[order[k]].where + ": the period " + label(minute(k)) +
                             " is not on the " + std::to_string(h.interval) +
                             "-minute grid of the periods from " + label(minute(0)));
        }
    }
    // The periods run on from the earliest, or, where they run past midnight
    // (past Sunday in a week), from the one after the only gap.
    std::vector<std::size_t> breaks; // k where a gap precedes minute(k)
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (minute(k) - minute(k - 1) != h.interval) {
            breaks.push_back(k);
        }
    }
    const bool wraps = minute(0) + cycle - minute(order.size() - 1) == h.interval;
    std::size_t from = 0;
    if (breaks.size() == 1 && wraps) {
        from = breaks.front();
    } else if (!breaks.empty()) {
        const std::size_t k = breaks.front();
        throw InputError(source.name + ": no period " + label(minute(k - 1) + h.interval) +
                         " between " + label(minute(k - 1)) + " (" + entries[order[k - 1]].where +
                         ") and " + label(minute(k)) + " (" + entries[order[k]].where +
                         "): every period from the first to the last must be given");
    }
    h.first = minute(from);
    h.periods = static_cast<int>(order.size());
    if (h.cyclic && h.Minutes() != cycle) {
        throw InputError(source.name + ": a cyclic schedule needs the whole " +
                         (span == Span::Day ? "day" : "week") + ", " +
                         std::to_string(cycle / h.interval) + " periods of " +
                         std::to_string(h.interval) + " minutes; it gives " +
                         std::to_string(h.periods));
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        result.values.push_back(entries[order[(from + k) % order.size()]].value);
    }
    return result;
}

Span CommonSpan(const std::vector<std::pair<Span, std::string>>& spans) {
    for (const auto& [span, where] : spans) {
        if (span != spans.front().first) {
            throw InputError(
                where + ": the start " + (span == Span::Week ? "names a day" : "names no day") +
                " where the first period's " + (span == Span::Week ? "does not" : "does"));
        }
    }
    return spans.empty() ? Span::Day : spans.front().first;
}

} // namespace

Requirements ReadRequirements(std::string_view csv, const RequirementSource& source) {
    std::istringstream in{std::string(csv)};
    textio::CsvReader reader(in);
    textio::Record header;
    const auto next = [&](textio::Record& record) {
        try {
            return reader.Next(record);
        } catch (const std::runtime_error& e) {
            throw InputError(source.name + ": " + e.what());
        }
    };
    if (!next(header)) {
        throw InputError(source.name + " is empty: its first line must name the columns, start " +
                         "and " + std::string(MeasureName(source.measure)));
    }
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t start = kNone, day = kNone, value = kNone;
    const std::string wanted(MeasureName(source.measure));
    for (std::size_t c = 0; c < header.Size(); ++c) {
        const std::string key = ColumnKey(header.Field(c));
        std::size_t* column = key == "start"  ? &start
                              : key == "day"  ? &day
                              : key == wanted ? &value
                                              : nullptr;
        if (column != nullptr && *column != kNone) {
            throw InputError(source.name + ": the column " + key + " is named twice");
        }
        if (column != nullptr) {
            *column = c;
        }
    }
    if (start == kNone || value == kNone) {
        throw InputError(source.name + ": no column " + (start == kNone ? "start" : wanted) +
                         (source.measure == Measure::Agents
                              ? " (the objective cover needs the agents each period needs)"
                              : " (the objective service needs the calls of each period)"));
    }
    std::vector<Entry> entries;
    std::vector<std::pair<Span, std::string>> spans;
    textio::Record row;
    for (int line = 2; next(row); ++line) {
        const std::string where = source.name + " line " + std::to_string(line);
        if (row.unclosedQuote) {
            throw InputError(where + ": a quoted field is not closed");
        }
        if (row.Size() == 1 && Trimmed(row.Field(0)).empty()) {
            continue; // a blank line
        }
        if (row.Size() != header.Size()) {
            throw InputError(where + ": this row has " + std::to_string(row.Size()) +
                             " fields, the header " + std::to_string(header.Size()));
        }
        std::optional<std::string_view> weekday;
        if (day != kNone) {
            weekday = row.Field(day);
        }
        const auto [span, minute] = ReadStart(row.Field(start), weekday, where);
        spans.emplace_back(span, where);
        entries.push_back({where, minute, ReadValue(row.Field(value), source.measure, where)});
    }
    return OnGrid(std::move(entries), CommonSpan(spans), source);
}

Requirements RequirementsFrom(std::span<const std::string> starts, std::span<const double> values,
                              const RequirementSource& source) {
    if (starts.size() != values.size()) {
        throw InputError(source.name + ": " + std::to_string(starts.size()) + " starts but " +
                         std::to_string(values.size()) + " values");
    }
    std::vector<Entry> entries;
    std::vector<std::pair<Span, std::string>> spans;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::string where = source.name + " at '" + std::string(Trimmed(starts[i])) + "'";
        const auto [span, minute] = ReadStart(starts[i], std::nullopt, where);
        spans.emplace_back(span, where);
        entries.push_back({where, minute, CheckValue(values[i], source.measure, where)});
    }
    return OnGrid(std::move(entries), CommonSpan(spans), source);
}

} // namespace shifts
