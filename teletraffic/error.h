// What the engine throws: DomainError for an argument outside its domain, or
// a solve whose answer would leave it; ConvergenceError for a bound of
// iterations reached. A DomainError names the argument by Argument, with the
// value given and the rule broken, so that each front end words it in its
// own terms (the command line's options, Python's keywords, the window's
// fields), each from one table of its own, without reading the message.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace teletraffic {

// Every argument the engine takes, as it names the one it refuses.
enum class Argument {
    Traffic,
    Lines,
    Agents,
    Sources,
    Blocking,
    Recall,
    Aht,
    Patience,
    TargetTime,
    ServiceLevel,
    AverageWait,
    Shrinkage,
    MaxOccupancy,
    IntendedTraffic,
    IdleSourceTraffic,
    Mean,
    Variance,
    Carried,
    Redial,
    Calls,
    AnsweredWait,
    MaxAbandon,
    MaxBlocking,
    Basis,    // of a service level (Erlang X)
    Interval, // the forecast's, for calls given per interval (the front ends)
};
inline constexpr std::size_t kArgumentCount = static_cast<std::size_t>(Argument::Interval) + 1;

// The argument in plain words ("target time"), as what() reads.
const char* ArgumentName(Argument argument);

class DomainError : public std::domain_error {
public:
    // what() reads "<argument in plain words> must be <rule>, got <value>".
    DomainError(Argument argument, double value, std::string rule);

    Argument argument() const noexcept { return argument_; }
    double value() const noexcept { return value_; }
    // What the argument must be: "a number of erlangs from 0 to 1e9".
    const std::string& rule() const noexcept { return rule_; }

private:
    Argument argument_;
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
