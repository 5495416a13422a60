// The room's arguments in the registry's form (teletraffic/arguments.h):
// its own rows (the objective, the shortage's cost, the time limit, the
// cycle, the grid's interval, the floor of each period's level), the rules
// that refuse them, the choice of objective; and the options of a schedule
// as one table over those rows and the engine's (the service's centre is
// the engine's: handling time, target time, patience, lines, redial,
// basis), each with the rule the room refuses it by and the objective it
// belongs to. corvane-cli's options and help, Python's keywords and
// docstrings and the window's words derive from this table or are checked
// against it; the refusals are teletraffic::DomainErrors over these rows.
#pragma once

#include "teletraffic/arguments.h"

#include <array>
#include <cmath>
#include <span>
#include <string_view>

namespace shifts {

namespace tt = teletraffic;

// The room's own arguments.
enum class Argument {
    Objective,
    ShortageCost,
    TimeLimit,
    Cyclic,
    Interval, // of the requirements' grid
    MinServiceLevel,
};

namespace rules {
inline constexpr tt::Rule kShortageCost{{0, 1e9, true}, "a number above 0, at most 1e9"};
inline constexpr tt::Rule kTimeLimit{{0, 1e6, true}, "a number of seconds above 0, at most 1e6"};
inline constexpr tt::Rule kFlag{{0, 1, false, false, true}, "true or false"};
inline constexpr tt::Rule kGridInterval{{1, 1440, false, false, true},
                                        "a whole number of minutes from 1 to 1440"};
// The service's times are seconds (the periods are minutes): bounded, so
// that a period's traffic stays within what the engine takes.
inline constexpr tt::Rule kSeconds{{0, 1e6, true}, "a number of seconds above 0, at most 1e6"};
inline constexpr tt::Rule kSecondsFromZero{{0, 1e6}, "a number of seconds from 0 to 1e6"};
} // namespace rules

// The rules by name, beside the engine's (teletraffic::kRuleNames).
inline constexpr std::pair<std::string_view, const tt::Rule*> kRuleNames[] = {
    {"shortage_cost", &rules::kShortageCost},
    {"time_limit", &rules::kTimeLimit},
    {"flag", &rules::kFlag},
    {"grid_interval", &rules::kGridInterval},
    {"seconds", &rules::kSeconds},
    {"seconds_from_zero", &rules::kSecondsFromZero},
};

enum class Objective {
    Cover,   // every period its agents on the phones, at least cost
    Service, // the horizon's service level, at least cost
};

inline constexpr tt::ChoiceRow<Objective> kObjectiveRows[] = {
    {Objective::Cover,
     {"cover", "every period gets at least its agents on the phones, at least cost"}},
    {Objective::Service,
     {"service", "the horizon's service level at least its target, at least cost"}},
};
inline constexpr auto kObjectiveWords = tt::ChoiceTable(kObjectiveRows);
inline constexpr tt::ChoiceInfo kObjectiveChoice{"objective", kObjectiveWords};

inline constexpr tt::ArgumentRow<Argument> kArgumentRows[] = {
    {Argument::Objective,
     {"objective", "objective", "objective", tt::Unit::Word, &tt::rules::kWord,
      "what the schedule must meet at least cost", "objective"}},
    {Argument::ShortageCost,
     {"shortage cost", "shortage-cost", "shortage_cost", tt::Unit::Number, &rules::kShortageCost,
      "cost of each agent-period short, priced in the objective beside the shifts' cost "
      "instead of leaving the fewest short first"}},
    {Argument::TimeLimit,
     {"time limit", "time-limit", "time_limit", tt::Unit::Time, &rules::kTimeLimit,
      "wall time the solve may take; the best schedule found by then, with its gap"}},
    {Argument::Cyclic,
     {"cyclic", "cyclic", "cyclic", tt::Unit::Count, &rules::kFlag,
      "the horizon repeats: a shift running past its end covers its start"}},
    {Argument::Interval,
     {"interval", "interval", "interval", tt::Unit::Minutes, &rules::kGridInterval,
      "minutes a period lasts, dividing a day"}},
    {Argument::MinServiceLevel,
     {"minimum service level", "min-service-level", "min_service_level", tt::Unit::Share,
      &tt::rules::kShare,
      "least service level of any period with calls, so that the phones never close in a "
      "busy period to buy level elsewhere"}},
};
inline constexpr auto kArguments = tt::ArgumentTable(kArgumentRows);

constexpr const tt::ArgumentInfo& About(Argument argument) {
    return kArguments[static_cast<std::size_t>(argument)];
}

// Which objective an option is for.
enum class For { Both, Cover, Service };

// An option of a schedule: its row (the room's or the engine's), the rule the
// room refuses it by, the objective it is for and whether that objective
// needs it, and its default in words (empty: none; a word option's default
// is its first word).
struct OptionUse {
    const tt::ArgumentInfo* argument;
    const tt::Rule* rule;
    For objective;
    bool required = false;
    std::string_view defaultText = {};

    constexpr bool IsFlag() const { return rule == &rules::kFlag; }
    constexpr const tt::ChoiceInfo* Choice() const {
        return argument->choice == kObjectiveChoice.name ? &kObjectiveChoice
               : argument->choice == "basis"             ? &tt::ChoiceOf<tt::Basis>()
                                                         : nullptr;
    }
};

inline constexpr OptionUse kOptions[] = {
    {&About(Argument::Objective), &tt::rules::kWord, For::Both, false, "cover"},
    {&About(Argument::ShortageCost), &rules::kShortageCost, For::Cover},
    {&About(Argument::TimeLimit), &rules::kTimeLimit, For::Both, false, "60"},
    {&About(Argument::Cyclic), &rules::kFlag, For::Both, false, "false"},
    {&About(Argument::Interval), &rules::kGridInterval, For::Both, false,
     "the gap between the requirements' periods"},
    {&tt::About(tt::Argument::ServiceLevel), &tt::rules::kShare, For::Service, true},
    {&About(Argument::MinServiceLevel), &tt::rules::kShare, For::Service, false,
     "half the service level; 0 lets the phones close"},
    {&tt::About(tt::Argument::Aht), &rules::kSeconds, For::Service, true},
    {&tt::About(tt::Argument::TargetTime), &rules::kSecondsFromZero, For::Service, true},
    {&tt::About(tt::Argument::Patience), &tt::rules::kCentrePatience, For::Service, false,
     "none (Erlang C)"},
    {&tt::About(tt::Argument::Lines), &tt::rules::kCentreLines, For::Service, false, "none"},
    {&tt::About(tt::Argument::Redial), &tt::rules::kShare, For::Service, false, "0"},
    {&tt::About(tt::Argument::Basis), &tt::rules::kWord, For::Service, false, "offered"},
};

// The option of a row, or null.
constexpr const OptionUse* OptionOf(const tt::ArgumentInfo& about) {
    for (const OptionUse& use : kOptions) {
        if (use.argument == &about) {
            return &use;
        }
    }
    return nullptr;
}

// The registry's view with the room's table beside the engine's, for the
// front ends: a keyword or an option found in either.
const tt::Registry& ShiftsRegistry();

} // namespace shifts
