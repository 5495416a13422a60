// What the engine throws: DomainError for an argument outside its domain, or
// a solve whose answer would leave it; ConvergenceError for a bound of
// iterations reached. A DomainError names the argument by its row in the
// registry (arguments.h), with the value given and the rule broken: the
// registry's Rule where the value lies outside that rule's domain, or words
// of its own where the value is refused for what goes with it. Each front
// end words it in its own terms (the command line's options, Python's
// keywords, the window's fields) from those fields, never from the message.
#pragma once

#include "teletraffic/arguments.h"

#include <stdexcept>
#include <string>

namespace teletraffic {

// The argument in plain words ("target time"), as what() reads.
const char* ArgumentName(Argument argument);

class DomainError : public std::domain_error {
public:
    // what() reads "<argument in plain words> must be <rule>, got <value>".
    // Outside the domain of `rule`:
    DomainError(Argument argument, double value, const Rule& rule);
    DomainError(const ArgumentInfo& about, double value, const Rule& rule);
    // In a domain, refused for what goes with it ("at most the sources, 4"):
    DomainError(Argument argument, double value, std::string rule);
    DomainError(const ArgumentInfo& about, double value, std::string rule);

    // The argument's row: the engine's or a room's.
    const ArgumentInfo& about() const noexcept { return *about_; }
    // Whether the row is the engine's, whose id argument() is.
    bool OfEngine() const noexcept;
    Argument argument() const noexcept;
    double value() const noexcept { return value_; }
    // What the argument must be: "a number of erlangs from 0 to 1e9".
    const std::string& rule() const noexcept { return rule_; }
    // The registry's rule whose domain refused the value; null where the
    // value was refused for what goes with it.
    const Rule* domainRule() const noexcept { return domainRule_; }

private:
    const ArgumentInfo* about_;
    double value_;
    std::string rule_;
    const Rule* domainRule_ = nullptr;
};

// Throws the DomainError of `argument` unless `value` lies in `rule`'s domain.
[[noreturn]] void Refuse(Argument argument, double value, const Rule& rule);
inline void Check(Argument argument, double value, const Rule& rule) {
    if (!rule.domain.Contains(value)) [[unlikely]] {
        Refuse(argument, value, rule);
    }
}
// By the argument's own rule.
inline void Check(Argument argument, double value) {
    Check(argument, value, *About(argument).rule);
}

// A solve that ran out of its bound of iterations. Not reached on any input
// the engine accepts (its tests search for one): it stands where an
// unconverged value would otherwise be returned as an answer.
class ConvergenceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The shortest text that reads back as `value`.
std::string ShowNumber(double value);

} // namespace teletraffic
