// Answers a whole CSV file, one row at a time.
#pragma once

#include "cli/commands.h"

#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>

namespace cli {

// Reads CSV from `in`, whose header names the command's options (in any case,
// with "-", "_" or a space between words); an option given in `fixed` applies
// to every row instead. Writes each record as it came, with two columns
// added: `error`, empty for a row that was answered, and the answer, last.
// Blank lines pass through. Rows are answered on every core, a block at a
// time, so memory does not grow with the input; the engine must be safe to
// call from several threads at once. Returns true when every row was answered.
// Throws std::runtime_error, whose message names the input by `name`, when
// the header does not fit the command or the input cannot be read; or when
// the output cannot be written.
bool AnswerCsv(const Command& command, std::span<const std::optional<double>> fixed, int digits,
               std::istream& in, std::string_view name, std::ostream& out);

} // namespace cli
