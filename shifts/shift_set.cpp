// Starts: each allowed day's window from its earliest to its latest time
// (past midnight where the latest is earlier), as offsets from the horizon's
// first period, round the cycle where the horizon repeats; without it a
// shift must end within the horizon.
#include "shifts/shift_set.h"

#include "shifts/error.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace shifts {
namespace {

// The most columns (shifts and break starts) and entries (the periods they
// cover) the programme may hold: a week of quarter-hours with wide windows
// holds some ten thousand columns; past these bounds the programme would
// not fit in memory nor be solved, and building it would outlast any time
// limit.
constexpr std::size_t kMostColumns = 1'000'000;
constexpr std::size_t kMostEntries = 20'000'000;

void OnGrid(int minutes, int interval, const std::string& what) {
    if (minutes % interval != 0) {
        throw InputError(what + " (" + DurationText(minutes) + ") is not a whole number of the " +
                         std::to_string(interval) + "-minute periods of the requirements");
    }
}

} // namespace

std::vector<Shift> LayOnGrid(const std::vector<ShiftTemplate>& templates, const Horizon& horizon,
                             std::string_view name) {
    const int interval = horizon.interval;
    const int cycle = horizon.Cycle();
    std::vector<Shift> shifts;
    std::size_t columns = 0, entries = 0;
    for (std::size_t t = 0; t < templates.size(); ++t) {
        const ShiftTemplate& tp = templates[t];
        const std::string at = std::string(name) + ": template '" + tp.name + "': ";
        if (tp.weekClock && horizon.span == Span::Day) {
            throw InputError(at + "start names a day, but the requirements are for a day, not " +
                             "a week");
        }
        const int step = tp.step > 0 ? tp.step : interval;
        OnGrid(step, interval, at + "start.step");
        // The first period is on the grid and the grid divides a day.
        if ((tp.earliest - horizon.first) % interval != 0) {
            throw InputError(at + "start.earliest " +
                             (tp.weekClock ? WeekText(tp.earliest) : ClockText(tp.earliest)) +
                             " is not on the " + std::to_string(interval) +
                             "-minute grid of the requirements");
        }
        OnGrid(tp.minLength, interval, at + "length");
        if (tp.lengthStep > 0) {
            OnGrid(tp.lengthStep, interval, at + "length.step");
        }
        for (std::size_t k = 0; k < tp.breaks.size(); ++k) {
            const std::string field = at + "breaks[" + std::to_string(k) + "].";
            OnGrid(tp.breaks[k].length, interval, field + "length");
            OnGrid(tp.breaks[k].after, interval, field + "after");
            OnGrid(tp.breaks[k].before, interval, field + "before");
        }
        if (tp.maxLength > cycle) {
            throw InputError(at + "length is longer than the " +
                             (horizon.span == Span::Day ? "day" : "week"));
        }
        const int dayClockSpan = tp.weekClock ? cycle : kMinutesPerDay;
        const int window = ((tp.latest - tp.earliest) % dayClockSpan + dayClockSpan) % dayClockSpan;
        // The minutes (from midnight, or mon 00:00) the template may start at.
        std::set<int> clocks;
        const auto addDay = [&](int base) {
            for (int c = 0; c <= window; c += step) {
                clocks.insert(((base + tp.earliest + c) % cycle + cycle) % cycle);
            }
        };
        if (tp.weekClock || horizon.span == Span::Day) {
            addDay(0);
        } else {
            for (int d = 0; d < 7; ++d) {
                if (tp.days[static_cast<std::size_t>(d)]) {
                    addDay(d * kMinutesPerDay);
                }
            }
        }
        const std::string tooMany =
            at + "the templates give more shifts and break starts than a programme can hold (" +
            std::to_string(kMostColumns) + "): narrow a start window, a length range or a step";
        const std::vector<int> lengths = tp.Lengths(interval);
        if (clocks.size() * lengths.size() > kMostColumns) {
            throw InputError(tooMany);
        }
        std::vector<std::tuple<int, int>> laid; // start period, length
        for (const int clock : clocks) {
            const int offset = ((clock - horizon.first) % cycle + cycle) % cycle;
            for (const int length : lengths) {
                if (!horizon.cyclic && offset + length > horizon.Minutes()) {
                    continue;
                }
                laid.emplace_back(offset / interval, length);
            }
        }
        std::ranges::sort(laid);
        if (laid.empty()) {
            throw InputError(
                at + "none of its shifts lies within the requirements' periods (" +
                horizon.Label(0) + " to " + horizon.Label(horizon.Minutes()) +
                (horizon.cyclic ? ")" : "), where each must end unless the horizon is cyclic"));
        }
        for (const auto& [start, length] : laid) {
            Shift s;
            s.templateIndex = static_cast<int>(t);
            s.start = start;
            s.length = length / interval;
            s.cost = tp.Cost(length);
            s.paidHours = tp.PaidHours(length);
            int free = 0;
            for (const BreakRule& b : tp.breaks) {
                BreakWindow w;
                w.length = b.length / interval;
                w.first = std::max(b.after / interval, free);
                w.last = std::min(b.before, length) / interval - w.length;
                free = w.first + w.length;
                s.breaks.push_back(w);
            }
            // A break may start no later than the next one's latest start
            // leaves room for it.
            for (std::size_t k = s.breaks.size(); k-- > 1;) {
                s.breaks[k - 1].last =
                    std::min(s.breaks[k - 1].last, s.breaks[k].last - s.breaks[k - 1].length);
            }
            columns += 1;
            entries += static_cast<std::size_t>(s.length);
            for (const BreakWindow& w : s.breaks) {
                const auto starts = static_cast<std::size_t>(std::max(0, w.last - w.first + 1));
                columns += starts;
                // Its periods, and the rows keeping it in order with the next.
                entries += starts * (static_cast<std::size_t>(w.length) + starts + 1);
            }
            if (columns > kMostColumns || entries > kMostEntries) {
                throw InputError(tooMany);
            }
            shifts.push_back(std::move(s));
        }
    }
    return shifts;
}

int PeriodOf(const Shift& shift, int offset, const Horizon& horizon) {
    const int p = shift.start + offset;
    if (p < horizon.periods) {
        return p;
    }
    return horizon.cyclic ? p % horizon.periods : -1;
}

bool CanBeOnPhones(const Shift& shift, int offset) {
    // Each break at its earliest start that keeps clear of `offset`: the
    // earliest end leaves the most room for the breaks after it.
    int free = 0;
    for (const BreakWindow& b : shift.breaks) {
        int start = std::max(b.first, free);
        if (start <= offset && offset < start + b.length) {
            start = offset + 1;
        }
        if (start > b.last) {
            return false;
        }
        free = start + b.length;
    }
    return true;
}

} // namespace shifts
