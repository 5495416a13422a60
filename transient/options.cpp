// The table of a day's options and choices (options.h).
#include "transient/options.h"

#include <cctype>
#include <cmath>

namespace transient {

namespace {

constexpr double kInf = INFINITY;

// A word as choices compare it: lower case, with '-', '_' and a blank alike.
std::string Folded(std::string_view word) {
    std::string folded;
    for (const char c : word) {
        folded += (c == '_' || c == ' ') ? '-' : static_cast<char>(std::tolower(c));
    }
    return folded;
}

template <typename Choice, std::size_t N>
std::optional<Choice> Read(const std::array<ChoiceInfo<Choice>, N>& table, std::string_view word) {
    const std::string folded = Folded(word);
    for (const auto& entry : table) {
        if (folded == entry.word) {
            return entry.choice;
        }
    }
    return std::nullopt;
}

} // namespace

const std::array<OptionInfo, kOptionCount>& Options() {
    static const std::array<OptionInfo, kOptionCount> table = {{
        {Option::Calls,
         "calls",
         "calls",
         "calls",
         "",
         {0, true, 1e5, true, false, false},
         "a number of calls from 0 to 1e5"},
        {Option::Agents,
         "agents",
         "agents",
         "agents",
         "",
         {0, true, 1e6, true, true, false},
         "a whole number of agents from 0 to 1e6"},
        {Option::Interval,
         "interval",
         "interval",
         "interval",
         "minutes",
         {0, false, 1440, true, false, false},
         "a number of minutes above 0, at most 1440"},
        {Option::Aht,
         "aht",
         "aht",
         "average handling time",
         "seconds",
         {0, false, 86400, true, false, false},
         "a number of seconds above 0, at most 86400"},
        {Option::Patience,
         "patience",
         "patience",
         "patience",
         "seconds",
         {0, false, 864000, true, false, true},
         "a number of seconds above 0, at most 864000"},
        {Option::Lines,
         "lines",
         "lines",
         "lines",
         "",
         {1, true, 1e6, true, true, true},
         "a whole number of lines from 1 to 1e6"},
        {Option::TargetTime,
         "target-time",
         "target_time",
         "target time",
         "seconds",
         {0, true, 86400, true, false, false},
         "a number of seconds from 0 to 86400"},
        {Option::ServiceLevel,
         "service-level",
         "service_level",
         "service level",
         "",
         {0, true, 1, false, false, false},
         "a share from 0 up to 1 exclusive"},
        {Option::AverageWait,
         "average-wait",
         "average_wait",
         "average wait",
         "seconds",
         {0, false, 86400, true, false, false},
         "a number of seconds above 0, at most 86400"},
        {Option::Shrinkage,
         "shrinkage",
         "shrinkage",
         "shrinkage",
         "",
         {0, true, 1, false, false, false},
         "a share from 0 up to 1 exclusive"},
        {Option::MaxOccupancy,
         "max-occupancy",
         "max_occupancy",
         "occupancy cap",
         "",
         {0, false, 1, true, false, false},
         "a share above 0, at most 1"},
        {Option::Method,
         "method",
         "method",
         "method",
         "",
         {0, true, kInf, true, false, false},
         "transient, stationary or lagged"},
        {Option::Start,
         "start",
         "start",
         "start",
         "",
         {0, true, kInf, true, false, false},
         "empty or periodic"},
    }};
    return table;
}

const OptionInfo& Info(Option option) {
    return Options()[static_cast<std::size_t>(option)];
}

bool InDomain(Option option, double value) {
    const Domain& d = Info(option).domain;
    if (!std::isfinite(value)) {
        return false;
    }
    const bool aboveLow = d.lowIncluded ? value >= d.low : value > d.low;
    const bool belowHigh = d.highIncluded ? value <= d.high : value < d.high;
    return aboveLow && belowHigh && (!d.whole || value == std::floor(value));
}

const std::array<ChoiceInfo<Method>, 3>& Methods() {
    static const std::array<ChoiceInfo<Method>, 3> table = {{
        {Method::Transient, "transient",
         "each interval the fewest agents that meet the targets from the state it starts in, "
         "the queue carried over"},
        {Method::Stationary, "stationary",
         "each interval staffed as if it lasted for ever (the usual plan), judged with the "
         "queue carried over"},
        {Method::Lagged, "lagged",
         "the usual plan on the load shifted back by one handling time, judged with the queue "
         "carried over"},
    }};
    return table;
}

const std::array<ChoiceInfo<Start>, 2>& Starts() {
    static const std::array<ChoiceInfo<Start>, 2> table = {{
        {Start::Empty, "empty", "the centre opens with no call"},
        {Start::Periodic, "periodic",
         "the day repeated: the calls at its start are those left at its end"},
    }};
    return table;
}

std::optional<Method> ReadMethod(std::string_view word) {
    return Read(Methods(), word);
}
std::optional<Start> ReadStart(std::string_view word) {
    return Read(Starts(), word);
}
const char* Word(Method method) {
    return Methods()[static_cast<std::size_t>(method)].word;
}
const char* Word(Start start) {
    return Starts()[static_cast<std::size_t>(start)].word;
}

const std::array<FigureInfo, 9>& Figures() {
    static const std::array<FigureInfo, 9> table = {{
        {Figure::Agents, "agents", "agents", "agents on the phones", true},
        {Figure::Scheduled, "scheduled", "scheduled", "agents to schedule, for shrinkage", true},
        {Figure::ServiceLevel, "service-level", "service_level",
         "share of accepted calls answered within the target time", false},
        {Figure::AbandonProbability, "abandon-probability", "abandon_probability",
         "share of accepted calls that hang up unanswered", false},
        {Figure::Blocking, "blocking", "blocking", "share of calls finding every line busy", false},
        {Figure::AverageWait, "average-wait", "average_wait",
         "seconds an accepted call waits until answered or hung up", false},
        {Figure::Occupancy, "occupancy", "occupancy", "busy agents over agents present", false},
        {Figure::QueueAtEnd, "queue-at-end", "queue_at_end", "calls waiting at the interval's end",
         false},
        {Figure::StationaryAgents, "stationary-agents", "stationary_agents",
         "agents the usual plan puts on the phones", true},
    }};
    return table;
}

} // namespace transient
