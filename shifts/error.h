// What the room throws. InputError: an input refused, its message naming the
// field, the option or the row (a front end shows it as it stands, and
// corvane-cli exits 2 with it). NoSchedule: the inputs are sound but no
// schedule came of them (none exists, or none was found before the time
// limit or the cancel), saying which.
#pragma once

#include <stdexcept>

namespace shifts {

class InputError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class NoSchedule : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace shifts
