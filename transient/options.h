// The arguments of a day's plan in the registry's form (teletraffic/arguments.h):
// one row each (its words, its kebab-case option and batch column, its
// snake_case Python keyword, its unit, the rule whose domain refuses it, what
// it is for the help), the room's own rules beside the engine's shares, and
// the word choices of the method and of the start. The front ends compose
// these tables with the engine's (teletraffic::Registry) and derive their
// options, keywords, help and messages from them; a word is read as every
// word is (teletraffic::ParseChoice). Also the table of the figures each
// interval reports, under the names the front ends show them by.
#pragma once

#include "teletraffic/arguments.h"

#include <array>
#include <cstddef>
#include <optional>
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

// The room's rules, where its domains are its own: the chain's work grows
// with the calls, the agents and the lines, and with how many handling times
// or patiences an interval spans, so each is bounded where a day of the
// largest centres still fits. Shares are the engine's.
namespace rules {
using teletraffic::Rule;
inline constexpr Rule kCalls{{0, 1e5}, "a number of calls from 0 to 1e5"};
inline constexpr Rule kAgents{{0, 1e6, false, false, true},
                              "a whole number of agents from 0 to 1e6"};
inline constexpr Rule kInterval{{0, 1440, true, false},
                                "a number of minutes above 0, at most 1440"};
inline constexpr Rule kSeconds{{0, 86400, true, false},
                               "a number of seconds above 0, at most 86400"};
inline constexpr Rule kTargetTime{{0, 86400}, "a number of seconds from 0 to 86400"};
inline constexpr Rule kPatience{{0, 864000, true, false, false, true},
                                "a number of seconds above 0, at most 864000, or none (left out)"};
inline constexpr Rule kLines{{1, 1e6, false, false, true, true},
                             "a whole number of lines from 1 to 1e6, or none (left out)"};
} // namespace rules

// The rules by name, for the front ends that quote one (docstrings); the
// engine's shares under the engine's names (teletraffic::kRuleNames).
inline constexpr std::pair<std::string_view, const teletraffic::Rule*> kRuleNames[] = {
    {"day_calls", &rules::kCalls},
    {"day_agents", &rules::kAgents},
    {"day_interval", &rules::kInterval},
    {"day_seconds", &rules::kSeconds},
    {"day_target_time", &rules::kTargetTime},
    {"day_patience", &rules::kPatience},
    {"day_lines", &rules::kLines},
};

inline constexpr teletraffic::ArgumentRow<Option> kOptionRows[] = {
    {Option::Calls,
     {"calls", "calls", "calls", teletraffic::Unit::Calls, &rules::kCalls,
      "fresh calls forecast in each interval"}},
    {Option::Agents,
     {"agents", "agents", "agents", teletraffic::Unit::Count, &rules::kAgents,
      "agents on the phones in each interval: a schedule to evaluate instead of staffing"}},
    {Option::Interval,
     {"interval", "interval", "interval", teletraffic::Unit::Minutes, &rules::kInterval,
      "length of each interval"}},
    {Option::Aht,
     {"average handling time", "aht", "aht", teletraffic::Unit::Time, &rules::kSeconds,
      "average handling time of a call, in seconds"}},
    {Option::Patience,
     {"patience", "patience", "patience", teletraffic::Unit::Time, &rules::kPatience,
      "average time a caller waits before hanging up, in seconds"}},
    {Option::Lines,
     {"lines", "lines", "lines", teletraffic::Unit::Count, &rules::kLines,
      "calls the centre holds at once, answered or waiting"}},
    {Option::TargetTime,
     {"target time", "target-time", "target_time", teletraffic::Unit::Time, &rules::kTargetTime,
      "time within which a call should be answered, in seconds"}},
    {Option::ServiceLevel,
     {"service level", "service-level", "service_level", teletraffic::Unit::Share,
      &teletraffic::rules::kShare,
      "share of each interval's accepted calls to answer within the target time"}},
    {Option::AverageWait,
     {"average wait", "average-wait", "average_wait", teletraffic::Unit::Time, &rules::kSeconds,
      "the most each interval's accepted calls may wait on average, in seconds, in place of a "
      "service level"}},
    {Option::Shrinkage,
     {"shrinkage", "shrinkage", "shrinkage", teletraffic::Unit::Share, &teletraffic::rules::kShare,
      "share of paid time agents are off the phones"}},
    {Option::MaxOccupancy,
     {"occupancy cap", "max-occupancy", "max_occupancy", teletraffic::Unit::Share,
      &teletraffic::rules::kOccupancyCap,
      "highest share of their time the agents present may be busy, where calls arrive"}},
    {Option::Method,
     {"method", "method", "method", teletraffic::Unit::Word, &teletraffic::rules::kWord,
      "how each interval's agents are found", "plan"}},
    {Option::Start,
     {"start", "start", "start", teletraffic::Unit::Word, &teletraffic::rules::kWord,
      "the calls in the centre as the day starts", "start"}},
};
inline constexpr std::array<teletraffic::ArgumentInfo, kOptionCount> kOptions =
    teletraffic::ArgumentTable(kOptionRows);

constexpr const teletraffic::ArgumentInfo& About(Option option) {
    return kOptions[static_cast<std::size_t>(option)];
}
// The option of a row of kOptions; none for another table's row.
std::optional<Option> OptionOf(const teletraffic::ArgumentInfo& about);

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

namespace choices {
inline constexpr teletraffic::ChoiceRow<Method> kMethodRows[] = {
    {Method::Transient,
     {"transient", "each interval the fewest agents that meet the targets from the state it "
                   "starts in, the queue carried over"}},
    {Method::Stationary,
     {"stationary", "each interval staffed as if it lasted for ever (the usual plan), judged "
                    "with the queue carried over"}},
    {Method::Lagged,
     {"lagged", "the usual plan on the load shifted back by one handling time, judged with the "
                "queue carried over"}},
};
inline constexpr auto kMethod = teletraffic::ChoiceTable(kMethodRows);
inline constexpr teletraffic::ChoiceRow<Start> kStartRows[] = {
    {Start::Empty, {"empty", "the centre opens with no call"}},
    {Start::Periodic,
     {"periodic", "the day repeated: the calls at its start are those left at its end"}},
};
inline constexpr auto kStart = teletraffic::ChoiceTable(kStartRows);
} // namespace choices

// The room's choices by name (an argument's `choice`): the method's is
// "plan", apart from the engine's overflow "method".
inline constexpr teletraffic::ChoiceInfo kChoices[] = {
    {"plan", choices::kMethod},
    {"start", choices::kStart},
};

// The engine's tables and the room's, as a front end reads them.
const teletraffic::Registry& DayRegistry();

// The choice a word names, or none (as teletraffic::ParseChoice reads it).
std::optional<Method> ReadMethod(std::string_view word);
std::optional<Start> ReadStart(std::string_view word);
std::string_view Word(Method method);
std::string_view Word(Start start);

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

namespace teletraffic {
template <> constexpr const ChoiceInfo& ChoiceOf<transient::Method>() {
    return transient::kChoices[0];
}
template <> constexpr const ChoiceInfo& ChoiceOf<transient::Start>() {
    return transient::kChoices[1];
}
} // namespace teletraffic
