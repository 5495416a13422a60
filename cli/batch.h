// Answers a whole CSV file, one row at a time.
#pragma once

#include "cli/commands.h"

#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace cli {

struct BatchRequest {
    int digits = 0;                // as --digits: 0 for the shortest form
    unsigned threads = 0;          // threads that answer rows; 0 for one per processor core
    std::string name;              // the input as messages name it: "--input rows.csv"
    std::ostream* notes = nullptr; // where what was left out is said (standard error)
};

// Reads CSV from `in`, whose header names the command's options (in any case,
// with "-", "_" or a space between words); an option given in `fixed`
// (parallel to command.options: a number, or a word option's index among its
// words) applies to every row instead. A blank field leaves an optional
// option, or one of several ways of stating one quantity, out of its row; a
// word option's column holds its words. Writes each record as it came, with two columns
// added: `error`, empty for a row that was answered, and the answer, last.
// Blank lines pass through. A total row (a field outside the options'
// columns reading 合計, 計, 総計, 小計, Total or Sum, the foot of an ACD
// export) is no question: it is written back unanswered, its error column
// and `notes` saying so and whether its calls (or traffic) are the sum of
// the rows since the last total, to the digits they are written in. Rows are
// answered on several threads, a block at a time, so memory does not grow
// with the input; the engine must be safe to call from several threads at
// once. Returns true when every row but the totals was answered.
// Throws std::runtime_error, whose message names the input, when the header
// does not fit the command or the output cannot be written; and when the
// input cannot be read, which in the middle of it stops the batch as run.h
// says, after the rows before the fault are written.
bool AnswerCsv(const Command& command, std::span<const std::optional<double>> fixed,
               const BatchRequest& request, std::istream& in, std::ostream& out);

} // namespace cli
