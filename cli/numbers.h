// Numbers as corvane-cli reads them: the grammar the engine's front ends
// share (teletraffic/number_text.h), its refusals worded with the name the
// user gave the number by. Printing is number_text's own.
#pragma once

#include <string_view>

namespace cli {

// The number `text` holds, or std::invalid_argument naming it by `name` (an
// option, "--traffic", or a column, "traffic"):
//   --traffic "1,5" is not a number: use a decimal point
double ParseNumber(std::string_view text, std::string_view name);

} // namespace cli
