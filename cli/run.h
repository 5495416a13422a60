// corvane-cli: the traffic engine (teletraffic/) on the command line.
//
// Run parses the command line with CLI11 and answers from the table of
// commands in commands.h: one answer (as a number, or JSON with what explains
// it), a CSV file row by row (batch.h), or a printed table (table.h). Numbers
// are read and written by numbers.h. Nothing here writes to the process's own
// streams, so tests drive whole commands in-process.
//
// Exit codes: 0 answered; 1 a CSV file with rows that could not be answered
// (each says why in its error column); 2 nothing answered: a usage error, an
// input that is not a number or outside the engine's domain, or a file that
// cannot be read. Data go to `out` only, messages to `err` only.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

// `args` are the words after the program's name; `in` is what --input -
// reads.
int Run(std::vector<std::string> args, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace cli
