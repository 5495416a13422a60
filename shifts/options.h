// The options of a schedule (arguments.h) applied to Settings by their rows:
// a value checked by the rule the room refuses it by (a
// teletraffic::DomainError over its row, which each front end words in its
// own terms), a word read as the registry reads every word. The front ends
// fill Settings this way, or set its fields and let Solve check them the
// same way (CheckSettings).
#pragma once

#include "shifts/arguments.h"
#include "shifts/schedule.h"

#include <string_view>

namespace shifts {

// Applies `value` (for a word, its index among the choice's words; for a
// flag, 0 or 1) to the setting of the option `about`. Throws
// teletraffic::DomainError where the value is outside the option's rule, and
// std::invalid_argument for a row that is no option of a schedule.
void SetOption(Settings& settings, const tt::ArgumentInfo& about, double value);
// A word option by its word, in any spelling ParseWord reads; throws
// InputError naming the option's words and the words it takes.
void SetWord(Settings& settings, const tt::ArgumentInfo& about, std::string_view word);

// The option whose CLI name is `option` ("time-limit"), or null.
const OptionUse* OptionNamed(std::string_view option);
// The option whose Python keyword is `keyword` ("time_limit"), or null.
const OptionUse* OptionByKeyword(std::string_view keyword);

// Throws what SetOption would for each value Settings holds, then
// OptionError for an option the objective needs that is not set (the
// service level, the handling time, the target time) or one set that it
// does not take (the shortage cost under service).
void CheckSettings(const Settings& settings);

} // namespace shifts
