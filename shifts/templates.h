// Shift templates: what shifts people may work. Read from JSON (nlohmann)
// as {"shifts": [...]} or a bare list, each template an object:
//   name    text, unique
//   start   {"earliest": "06:00", "latest": "09:00", "step": 15}: start times
//           on the local clock, "DAY HH:MM" in a week for a window in the week
//           itself; a latest before the earliest runs past midnight; the step
//           by default every period of the requirements
//   length  "8:30" (or minutes), or {"min": "4:00", "max": "6:00", "step": 30}
//           (by default every period of the requirements)
//   breaks  [{"length": 15, "after": "1:30", "before": "3:00", "paid": true}]:
//           each wholly within after..before from the shift's start, in the
//           order given, none overlapping the next
//   cost    a number per agent, or "paid-hours" (the default): the length in
//           hours less the breaks with "paid": false
//   min, max  agents on the template over the horizon (default 0 and none)
//   days    the weekdays it may start (default all; a day horizon has none)
// Durations are "H:MM" or a number of minutes. Every field is checked here,
// and a template whose breaks some length of it cannot hold is refused; what
// depends on the requirements' grid is checked where the shifts are laid on it
// (shift_set.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shifts {

struct BreakRule {
    int length = 0; // minutes
    int after = 0;  // earliest start, minutes from the shift's start
    int before = 0; // latest end, minutes from the shift's start
    bool paid = true;
};

struct ShiftTemplate {
    std::string name;
    int earliest = 0; // minutes from midnight, or from mon 00:00 where weekClock
    int latest = 0;
    int step = 0; // minutes; 0: every period of the requirements' grid
    bool weekClock = false;
    int minLength = 0; // minutes
    int maxLength = 0;
    int lengthStep = 0;         // minutes; 0 for a fixed length, kEveryPeriod by the grid's periods
    std::optional<double> cost; // unset: paid hours
    std::vector<BreakRule> breaks;
    int min = 0;
    std::optional<int> max;
    std::array<bool, 7> days = {true, true, true, true, true, true, true};

    static constexpr int kEveryPeriod = -1;

    // Every length, a range stepping by the grid's `interval` where it gives
    // no step of its own.
    std::vector<int> Lengths(int interval) const;
    double PaidHours(int length) const;
    double Cost(int length) const;
};

// Throws InputError naming the template and the field: "--shifts t.json:
// template 'early': breaks[1].before ...". `name` names the text in messages.
std::vector<ShiftTemplate> ReadTemplates(std::string_view json, std::string_view name);

} // namespace shifts
