// The options of a schedule as one table, from which corvane-cli's options,
// Python's keywords and the Tables view derive their names, help and checks:
// each row a name (the CLI option without dashes; Python takes it with `_`
// for `-`), a placeholder, its help, its domain, its words for a word choice.
// SetOption applies a value by name to Settings, refusing one outside its
// domain with a message naming the option.
#pragma once

#include "shifts/schedule.h"

#include <span>
#include <string_view>

namespace shifts {

enum class OptionKind {
    Number, // a real within [min, max], each end open or closed
    Whole,  // a whole number within [min, max]
    Word,   // one of `words`
    Flag,   // given or not
};

struct OptionRow {
    std::string_view name;
    std::string_view placeholder;
    std::string_view help;
    OptionKind kind;
    double min = 0;
    double max = 0;
    bool minOpen = false; // min itself refused
    bool maxOpen = false;
    std::span<const std::string_view> words = {};
    std::string_view defaultText = {}; // as --help shows it; empty: none
};

inline constexpr std::string_view kObjectives[] = {"cover", "service"};
// The engine's order of teletraffic::Basis.
inline constexpr std::string_view kServiceBases[] = {"offered", "answered",
                                                     "excluding-short-abandons", "virtual"};

inline constexpr OptionRow kOptionTable[] = {
    {"objective", "OBJECTIVE",
     "cover: every period gets its agents on the phones at least cost (periods no shift reaches "
     "are left short, the fewest agent-periods first); service: the horizon's service level at "
     "least --service-level at least cost",
     OptionKind::Word, 0, 0, false, false, kObjectives, "cover"},
    {"shortage-cost", "X",
     "cover: price each agent-period short at X in the objective instead of leaving the fewest "
     "short first",
     OptionKind::Number, 0, 1e9, true, false},
    {"time-limit",
     "SECONDS",
     "wall time the solve may take; the best schedule found by then, with its gap",
     OptionKind::Number,
     0,
     1e6,
     true,
     false,
     {},
     "60"},
    {"cyclic", "", "the horizon repeats: a shift running past its end covers its start",
     OptionKind::Flag},
    {"interval", "M",
     "minutes per period (dividing a day); by default the gap between the requirements' periods",
     OptionKind::Whole, 1, 1440},
    {"service-level", "P",
     "service: calls-weighted share of the horizon's calls answered within --target-time, at "
     "least P",
     OptionKind::Number, 0, 1, false, true},
    {"min-service-level",
     "Q",
     "service: no period with calls below this level (0 lets the phones close in a busy period)",
     OptionKind::Number,
     0,
     1,
     false,
     true,
     {},
     "P/2"},
    {"aht", "S", "service: average handling time of a call, in seconds", OptionKind::Number, 0, 1e6,
     true, false},
    {"target-time", "T", "service: time within which a call should be answered, in seconds",
     OptionKind::Number, 0, 1e6},
    {"patience", "S",
     "service: average time a caller waits before hanging up, in seconds (Erlang A)",
     OptionKind::Number, 0, INFINITY, true, false},
    {"lines", "N", "service: calls the centre holds at once, answered or waiting (Erlang X)",
     OptionKind::Whole, 1, 2e9},
    {"redial", "R", "service: share of blocked and abandoning callers who call again",
     OptionKind::Number, 0, 1, false, true},
    {"basis", "BASIS", "service: what the service level is a share of", OptionKind::Word, 0, 0,
     false, false, kServiceBases, "offered"},
};

// The row named `name`, or null.
const OptionRow* FindOption(std::string_view name);

// Applies `value` (for a word, its index among the row's words; for a flag,
// 0 or 1) to the setting it names. Throws InputError naming --name where the
// value is outside the row's domain, and std::invalid_argument for a name not
// in the table.
void SetOption(Settings& settings, std::string_view name, double value);
// A word option by its word.
void SetWord(Settings& settings, std::string_view name, std::string_view word);

} // namespace shifts
