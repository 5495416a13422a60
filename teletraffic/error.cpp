#include "teletraffic/error.h"

#include <charconv>
#include <utility>

namespace teletraffic {

std::string ShowNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}

DomainError::DomainError(std::string argument, double value, std::string rule)
    : std::domain_error(argument + " must be " + rule + ", got " + ShowNumber(value))
    , argument_(std::move(argument))
    , value_(value)
    , rule_(std::move(rule)) {}

} // namespace teletraffic
