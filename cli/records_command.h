// corvane-cli records FILE...: call records read into the periods' sums and
// carried to the busy hour and the circuits (the room records/). Its options
// are the room's rows (records/options.h), each with its help and its rule;
// their text goes to the room as typed, and a refusal comes back worded with
// the option as the command line spells it.
//
// Data on standard output: a CSV row per period (--per period, the default),
// per day, the summary as CSV (--per summary) or as one JSON object (--json).
// On standard error: what --format auto chose for each file, the rows refused
// by reason with the first ones quoted with their file and line, and what the
// order of the rows left uncertain. Exit status: 0 every row taken, 1 a row
// refused (--strict stops there and prints nothing), 2 a file not of the
// format asked for or that cannot be read, or an option refused.
#pragma once

#include "teletraffic/arguments.h"

#include <istream>
#include <memory>
#include <ostream>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace cli {

class RecordsCommand {
public:
    // Adds the command to `app`.
    explicit RecordsCommand(CLI::App& app);
    ~RecordsCommand();

    bool Parsed() const;
    // Reads, writes the answer to `out` and what the user should know to
    // `err`; returns the exit status. `in` is what "-" reads.
    int Run(std::istream& in, std::ostream& out, std::ostream& err) const;

    // The options that take one of a choice's words, for the completion.
    struct Words {
        const CLI::Option* option;
        const teletraffic::ChoiceInfo* choice;
    };
    const std::vector<Words>& WordOptions() const;

private:
    struct Given;
    std::unique_ptr<Given> given_;
};

} // namespace cli
