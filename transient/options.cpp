// The registry's view of a day's plan and its words (options.h).
#include "transient/options.h"

#include <span>

namespace transient {

std::optional<Option> OptionOf(const teletraffic::ArgumentInfo& about) {
    if (&about < kOptions.data() || &about >= kOptions.data() + kOptions.size()) {
        return std::nullopt;
    }
    return static_cast<Option>(&about - kOptions.data());
}

const teletraffic::Registry& DayRegistry() {
    // The room's rows first: where an option of the day shares its name with
    // the engine's (calls, interval, aht, ...), the day's front ends mean the
    // day's.
    static constexpr std::span<const teletraffic::ArgumentInfo> kTables[] = {
        kOptions, teletraffic::kArguments};
    static constexpr const teletraffic::ChoiceInfo* kChoiceList[] = {&kChoices[0],
                                                                     &kChoices[1],
                                                                     &teletraffic::kChoices[0],
                                                                     &teletraffic::kChoices[1],
                                                                     &teletraffic::kChoices[2],
                                                                     &teletraffic::kChoices[3]};
    static const teletraffic::Registry registry{kTables, kChoiceList};
    return registry;
}

std::optional<Method> ReadMethod(std::string_view word) {
    return teletraffic::ParseChoice<Method>(word);
}
std::optional<Start> ReadStart(std::string_view word) {
    return teletraffic::ParseChoice<Start>(word);
}
std::string_view Word(Method method) {
    return teletraffic::WordOf(method);
}
std::string_view Word(Start start) {
    return teletraffic::WordOf(start);
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
