#include "teletraffic/error.h"

#include <charconv>
#include <utility>

namespace teletraffic {

const char* ArgumentName(Argument argument) {
    switch (argument) {
    case Argument::Traffic:
        return "traffic";
    case Argument::Lines:
        return "lines";
    case Argument::Agents:
        return "agents";
    case Argument::Sources:
        return "sources";
    case Argument::Blocking:
        return "blocking";
    case Argument::Recall:
        return "recall";
    case Argument::Aht:
        return "average handling time";
    case Argument::Patience:
        return "patience";
    case Argument::TargetTime:
        return "target time";
    case Argument::ServiceLevel:
        return "service level";
    case Argument::AverageWait:
        return "average wait";
    case Argument::Shrinkage:
        return "shrinkage";
    case Argument::MaxOccupancy:
        return "occupancy cap";
    case Argument::IntendedTraffic:
        return "intended traffic";
    case Argument::IdleSourceTraffic:
        return "idle-source traffic";
    case Argument::Mean:
        return "mean";
    case Argument::Variance:
        return "variance";
    case Argument::Carried:
        return "carried traffic";
    case Argument::Redial:
        return "redial";
    case Argument::Calls:
        return "calls";
    case Argument::AnsweredWait:
        return "answered wait";
    case Argument::MaxAbandon:
        return "abandonment cap";
    case Argument::MaxBlocking:
        return "blocking cap";
    case Argument::Basis:
        return "basis";
    case Argument::Interval:
        return "interval";
    }
    return "argument";
}

std::string ShowNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}

DomainError::DomainError(Argument argument, double value, std::string rule)
    : std::domain_error(ArgumentName(argument) + std::string(" must be ") + rule + ", got " +
                        ShowNumber(value))
    , argument_(argument)
    , value_(value)
    , rule_(std::move(rule)) {}

} // namespace teletraffic
