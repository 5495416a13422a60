// The room shifts/ for corvane/_shifts.py: its solve, with the GIL released
// and a Ctrl-C answered, and its option table for the keywords.
#pragma once

#include <pybind11/pybind11.h>

namespace corvane_python {

// Adds to the module `solve_shifts` and `shift_options` (shifts.cpp).
void AddShifts(pybind11::module_& module);

} // namespace corvane_python
