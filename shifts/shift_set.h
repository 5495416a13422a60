// The templates laid on the requirements' grid: every shift an agent may
// work (a template, a start, a length) in whole periods, each break's window
// of starts narrowed to what its neighbours leave (so that every start in it
// belongs to some placement of all the breaks in order). Refuses, naming the
// template and the field, what does not fall on the grid, and a template of
// which no shift lies within the horizon, and templates that give more
// shifts and break starts than a programme can hold.
#pragma once

#include "shifts/horizon.h"
#include "shifts/templates.h"

#include <string_view>
#include <vector>

namespace shifts {

struct BreakWindow {
    int length = 0; // periods
    int first = 0;  // earliest start, periods from the shift's start
    int last = 0;   // latest start
};

struct Shift {
    int templateIndex = 0;
    int start = 0;  // period of the horizon
    int length = 0; // periods
    double cost = 0;
    double paidHours = 0;
    std::vector<BreakWindow> breaks;
};

// The shifts, by template, then start, then length. `name` names the
// templates' text in messages.
std::vector<Shift> LayOnGrid(const std::vector<ShiftTemplate>& templates, const Horizon& horizon,
                             std::string_view name);

// The period `offset` periods into the shift, or -1 past the horizon's end.
int PeriodOf(const Shift& shift, int offset, const Horizon& horizon);

// Whether some placement of the shift's breaks leaves its `offset`-th
// period on the phones.
bool CanBeOnPhones(const Shift& shift, int offset);

} // namespace shifts
