// What each period of the horizon needs: the agents on the phones (for the
// objective cover) or the calls offered (for service), read from CSV text or
// from plain arrays. Every period from the first given to the last must be
// given once, on one grid of `interval` minutes; a bad row is refused with
// its line named.
//
// CSV: a header naming the columns (in any case, `_` or a blank for `-`);
// `start` as "HH:MM" (a day), or "DAY HH:MM" (a week), or "HH:MM" with a
// `day` column (a week); `agents` (whole, 0 or more) or `calls` (0 or more),
// whichever the measure asks for; other columns are left alone, so that the
// output of `corvane-cli agents --input` reads as it is.
#pragma once

#include "shifts/horizon.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shifts {

enum class Measure { Agents, Calls };

struct Requirements {
    Horizon horizon;
    Measure measure = Measure::Agents;
    std::vector<double> values; // one a period, from the first
};

struct RequirementSource {
    std::string name = "the requirements"; // as messages name it: "--input day.csv"
    Measure measure = Measure::Agents;
    // The grid's step in minutes; unset: the gap between the first two
    // periods in time (15 for a single period).
    std::optional<int> interval;
    bool cyclic = false;
};

// Throws InputError naming the line and the column.
Requirements ReadRequirements(std::string_view csv, const RequirementSource& source);

// From the start of each period as text (as the CSV's `start` column) and its
// value, in any order; messages name an item by its start.
Requirements RequirementsFrom(std::span<const std::string> starts, std::span<const double> values,
                              const RequirementSource& source);

} // namespace shifts
