#include "teletraffic/error.h"

#include <charconv>
#include <utility>

namespace teletraffic {

const char* ArgumentName(Argument argument) {
    // The registry's words end in no NUL of their own: each is a literal.
    return About(argument).words.data();
}

std::string ShowNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}

namespace {

std::string Message(const ArgumentInfo& about, std::string_view rule, double value) {
    return std::string(about.words) + " must be " + std::string(rule) + ", got " +
           ShowNumber(value);
}

} // namespace

DomainError::DomainError(const ArgumentInfo& about, double value, std::string rule)
    : std::domain_error(Message(about, rule, value))
    , about_(&about)
    , value_(value)
    , rule_(std::move(rule)) {}

DomainError::DomainError(Argument argument, double value, std::string rule)
    : DomainError(About(argument), value, std::move(rule)) {}

DomainError::DomainError(const ArgumentInfo& about, double value, const Rule& rule)
    : DomainError(about, value, std::string(rule.text)) {
    domainRule_ = &rule;
}

DomainError::DomainError(Argument argument, double value, const Rule& rule)
    : DomainError(About(argument), value, rule) {}

bool DomainError::OfEngine() const noexcept {
    return about_ >= kArguments.data() && about_ < kArguments.data() + kArguments.size();
}

Argument DomainError::argument() const noexcept {
    return static_cast<Argument>(about_ - kArguments.data());
}

void Refuse(Argument argument, double value, const Rule& rule) {
    throw DomainError(argument, value, rule);
}

} // namespace teletraffic
