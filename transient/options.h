// The options of a day's plan, as one table the front ends derive their
// arguments from: each option's kebab-case name (corvane-cli's option, a
// batch column), its snake_case name (Python's keyword), its words (what
// messages say), its unit and its domain; and the word choices of the method
// and of the start, each with its words. Words are read as the other choices
// are: case aside, with '-', '_' and a blank the same.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace transient {

enum class Option {
    Calls,        // per interval
    Agents,       // per interval, a schedule to evaluate
    Interval,     // minutes
    Aht,          // seconds
    Patience,     // seconds; none: callers never hang up
    Lines,        // calls held at once; none: no limit
    TargetTime,   // seconds
    ServiceLevel, // share answered within the target time
    AverageWait,  // seconds
    Shrinkage,    // share of paid time off the phones
    MaxOccupancy, // cap on busy agents over agents present
    Method,       // word choice
    Start,        // word choice
};
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(Option::Start) + 1;

// How a value is bounded: from `low` to `high`, each end included or not,
// whole or not; `none` says whether the option may be left out.
struct Domain {
    double low;
    bool lowIncluded;
    double high;
    bool highIncluded;
    bool whole;
    bool none;
};

struct OptionInfo {
    Option option;
    const char* kebab; // "target-time"
    const char* snake; // "target_time"
    const char* words; // "target time"
    const char* unit;  // "seconds", "" for a share or a count
    Domain domain;     // for numbers; a word choice's is unused
    const char* rule;  // what the value must be, as messages say it
};

const std::array<OptionInfo, kOptionCount>& Options();
const OptionInfo& Info(Option option);
// Whether `value` lies in the option's domain (finite, within its ends, whole
// where it must be).
bool InDomain(Option option, double value);

// How the agents of each interval are found.
enum class Method {
    Transient,  // the smallest count meeting the targets from the state it starts in
    Stationary, // each interval as if it lasted for ever (the usual plan)
    Lagged,     // the usual plan on the load shifted back by one handling time
};
// Where the day starts.
enum class Start {
    Empty,    // the centre opens with no call
    Periodic, // the day repeated: the state at its start is the state at its end
};

template <typename Choice> struct ChoiceInfo {
    Choice choice;
    const char* word;  // "transient"
    const char* words; // what it means, for help texts
};
const std::array<ChoiceInfo<Method>, 3>& Methods();
const std::array<ChoiceInfo<Start>, 2>& Starts();

// The choice a word names, or none.
std::optional<Method> ReadMethod(std::string_view word);
std::optional<Start> ReadStart(std::string_view word);
const char* Word(Method method);
const char* Word(Start start);

// A figure of an interval, by the name the front ends show it under.
enum class Figure {
    Agents,
    Scheduled,
    ServiceLevel,
    AbandonProbability,
    Blocking,
    AverageWait,
    Occupancy,
    QueueAtEnd,
    StationaryAgents,
};
struct FigureInfo {
    Figure figure;
    const char* kebab; // the column: "service-level"
    const char* snake; // the DataFrame's column: "service_level"
    const char* words; // for help texts
    bool count;        // a whole count (agents), else a real figure
};
const std::array<FigureInfo, 9>& Figures();

} // namespace transient
