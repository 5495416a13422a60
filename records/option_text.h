// Options set from their text, as every front end passes them: numbers as
// written, words read as the registry reads every word (any case, "-", "_"
// and a blank the same), a flag from "true" or "false", dates and clock times
// as ISO 8601 writes them, a time zone known to the system's tzdata.
#pragma once

#include "records/options.h"

#include <string_view>

namespace records {

// Sets `option` from `text` (a Flag from "true"/"false", or "" for true).
// Throws OptionError naming the option and what it accepts.
void SetOption(Options& options, Option option, std::string_view text);
// The same by the option's name on the command line, without "--"; a name
// of no option throws std::invalid_argument.
void SetOption(Options& options, std::string_view name, std::string_view text);

} // namespace records
