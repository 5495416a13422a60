// corvane-cli: the traffic engine (teletraffic/) on the command line.
//
// Run parses the command line with CLI11 and answers from the table of
// commands in commands.h: one answer (as a number, or JSON with what explains
// it), a CSV file row by row (batch.h), or a printed table (table.h). Numbers
// are read and written as teletraffic/number_text.h says, the grammar of
// every front end of the engine. The engine's refusals are worded from the
// fields of its typed error, with the option the user gave (commands.h).
// Nothing here writes to the process's own streams, so tests drive whole
// commands in-process.
//
// A read error in the middle of --input (the file cannot be read, or a
// record runs past 1 MiB) stops the batch there: every row before it is
// written whole, with its answer, and none after it; the message says where
// and how many rows were written, and the status is 2. The rows already
// written stay, as they would on a pipe that cannot be taken back.
//
// Exit codes: 0 answered; 1 a CSV file with rows that could not be answered
// (each says why in its error column); 2 nothing answered, or --input stopped
// by a read error: a usage error, an input that is not a number or outside
// the engine's domain, or a file that cannot be read. Data go to `out` only,
// messages to `err` only.
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
