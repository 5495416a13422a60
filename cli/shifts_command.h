// corvane-cli shifts: from the agents (or the calls) each period needs, in a
// CSV file, and the shift templates people may work, in a JSON file, to the
// shifts to staff, optimal, by the room shifts/. Its options are the room's
// table (shifts/arguments.h): each one's help is its row's sense and the
// rule the room refuses it by, so that help, checks and man page agree.
//
// Output: one CSV row per group of agents working the same shift (shift,
// start, end, breaks, agents); with --coverage one row per period instead;
// with --json the summary and both as arrays. Periods short of their
// requirement are named on standard error, and the status is then 1 (the
// cover cannot be met) unless a shortage cost priced them; a schedule not
// proven optimal by the time limit says its gap there. Refusals (a file
// unread, a row or a template field, an option outside its rule, no
// schedule at all) are thrown as std::runtime_error with the message to show.
#pragma once

#include "teletraffic/arguments.h"

#include <istream>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace cli {

// The largest file --input or --shifts may be: a week of minutes is 10080
// rows, far below; a file past it is no requirement, and is not read into
// memory.
inline constexpr long kMaxShiftsFile = 64L << 20;

class ShiftsCommand {
public:
    // Adds the command `shifts` and its options to `app`.
    explicit ShiftsCommand(CLI::App& app);
    ~ShiftsCommand();
    ShiftsCommand(const ShiftsCommand&) = delete;
    ShiftsCommand& operator=(const ShiftsCommand&) = delete;

    bool Parsed() const;
    // Its word options and their choices, for the bash completion.
    std::vector<std::pair<const CLI::Option*, const teletraffic::ChoiceInfo*>> WordOptions() const;
    // Solves and writes what was asked for; the exit status (0 or 1). `in`
    // is what "-" reads, for one of the two files.
    int Run(std::istream& in, std::ostream& out, std::ostream& err) const;

private:
    struct Given;
    std::unique_ptr<Given> given_;
};

} // namespace cli
