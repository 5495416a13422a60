// corvane-cli day: a day whose queue carries over (transient/day.h), from a
// CSV file of its intervals. Each row of --input is one interval: a `calls`
// column, optionally a label first (a clock time) and a schedule to evaluate
// in place of staffing, an `agents` column or the `on-phones` column that
// `corvane-cli shifts --coverage` writes. The options are the room's
// arguments in the registry's form (transient/options.h), worded as the
// engine's are (commands.h).
//
// What it writes: each row as it came, then the figures of its interval in
// the order of transient::Figures(), then `error`; or, with --json, the
// options, the intervals and the day's totals. An input column named as a
// written one is kept as input-NAME. A total row at the foot (合計, 計,
// Total, Sum as its label) is left out and checked against the rows' sum,
// on standard error.
//
// Refusals: a row that cannot be read (a calls cell blank or not a number, a
// value outside the room's rule, a row of the wrong length) is written with
// its reason in `error` and every row without figures, since each interval
// carries the last one's queue; exit 1. So is an interval that cannot be
// staffed as asked, with its figures. A bad day as a whole (no calls
// column, an option outside its rule, a schedule with a missing count) is
// refused with exit 2 and a message, nothing written.
#pragma once

#include "cli/commands.h"
#include "cli/words.h"

#include <istream>
#include <memory>
#include <ostream>
#include <span>
#include <vector>

namespace CLI {
class App;
} // namespace CLI

namespace cli {

// The options `day` takes, each the room's argument under the name of a row
// of kOptions (Use::Sense::argument): for the help, the man page and tests.
std::span<const Use> DayOptions();

class DayCommand {
public:
    // Adds the subcommand `day` to `app`, its word options to `wordOptions`.
    DayCommand(CLI::App& app, std::vector<WordOption>& wordOptions);
    ~DayCommand();
    DayCommand(const DayCommand&) = delete;
    DayCommand& operator=(const DayCommand&) = delete;

    bool Parsed() const;
    // Plans the day the command line asked for; the exit status (0, or 1
    // for rows refused). Throws std::runtime_error for a day refused as a
    // whole, its message worded with the options and the input's columns.
    int Answer(std::istream& in, std::ostream& out, std::ostream& err) const;

private:
    struct Given;
    std::unique_ptr<Given> given_;
};

} // namespace cli
