// Call records in the Python module (records.cpp), registered from its init.
#pragma once

#include <pybind11/pybind11.h>

// Adds the call records' value, its reading and the room's rows to the
// module `m`, whose registry view (arguments, rules, choices) is made.
void AddRecords(pybind11::module_& m);
