// Numbers as the command line reads and writes them: strict, locale-free
// parsing that names what was wrong, and output in the shortest form that
// reads back as the same double.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// The decimal number `text` (spaces around it allowed), or std::invalid_argument
// whose message starts with `name`: not a number, not finite, out of the
// double range, or written with a decimal comma. No hexadecimal, no "nan" or
// "inf", nothing after the number.
double ParseNumber(std::string_view text, std::string_view name);

// Appends `value` in its shortest round-trip form, or rounded to `digits`
// significant digits when `digits` is 1 to 17.
void AppendNumber(std::string& out, double value, int digits = 0);
void AppendCount(std::string& out, std::int64_t count);

// `value` as AppendNumber writes it, read back: what a reader of that text gets.
double Rounded(double value, int digits);

} // namespace cli
