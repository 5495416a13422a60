// What the room throws. InputError: an input refused, its message naming the
// field, the option or the row (a front end shows it as it stands, and
// corvane-cli exits 2 with it); OptionError, one of them, an option the
// objective needs and was not given or was given and does not take, by its
// row so that each front end names it its own way. A value outside an
// option's domain is a teletraffic::DomainError over the option's row
// (arguments.h). NoSchedule: the inputs are sound but no schedule came of
// them (none exists, or none was found before the time limit or the
// cancel), saying which.
#pragma once

#include "teletraffic/arguments.h"

#include <stdexcept>
#include <string>

namespace shifts {

class InputError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class OptionError : public InputError {
public:
    enum class Kind {
        Required, // by the objective
        NotTaken, // by the objective
    };
    // what(): "the average handling time is required with the objective service".
    OptionError(Kind kind, const teletraffic::ArgumentInfo& argument, std::string_view objective)
        : InputError("the " + std::string(argument.words) +
                     (kind == Kind::Required ? " is required with" : " is not taken by") +
                     " the objective " + std::string(objective))
        , kind_(kind)
        , argument_(&argument)
        , objective_(objective) {}

    Kind kind() const noexcept { return kind_; }
    const teletraffic::ArgumentInfo& argument() const noexcept { return *argument_; }
    std::string_view objective() const noexcept { return objective_; }

private:
    Kind kind_;
    const teletraffic::ArgumentInfo* argument_;
    std::string_view objective_; // a word of the registry, static
};

class NoSchedule : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace shifts
