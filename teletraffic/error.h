// The one error the engine throws: an argument outside its domain, or a solve
// whose answer would leave it. It carries the argument's name (as the command
// line spells its option), the value given and the rule broken, so that each
// front end can word it in its own terms without reading the message.
#pragma once

#include <stdexcept>
#include <string>

namespace teletraffic {

class DomainError : public std::domain_error {
public:
    // what() reads "<argument> must be <rule>, got <value>".
    DomainError(std::string argument, double value, std::string rule);

    const std::string& argument() const noexcept { return argument_; }
    double value() const noexcept { return value_; }
    const std::string& rule() const noexcept { return rule_; }

private:
    std::string argument_;
    double value_;
    std::string rule_;
};

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
