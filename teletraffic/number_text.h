// Numbers as text for the engine's front ends (corvane-cli and its CSV
// batch, Corvane Tables): one grammar for what they read and one way of
// printing. The standard library only, no Qt: a window passes its text as
// UTF-8. The main window (platform/numbers.h) keeps its own reading.
//
// The grammar: blanks around the number (space, tab, the ideographic space
// U+3000) are ignored; then an optional sign (+ or -), digits with at most one
// decimal point and at least one digit, and an optional exponent (e or E, an
// optional sign, digits). Full-width digits, point, comma, signs, e and E, as
// a Japanese input method types them, count as their ASCII forms.
// Nothing else: no hexadecimal, no separators, no "nan" or "inf", nothing
// after the number. A decimal comma is refused with its own reason, so that
// the front end can say to use a decimal point; so are commas that group the
// digits in threes ("1,250"), which a Japanese reader means as 1250 and a
// hint to use a decimal point would turn into 1.25. A value beyond the double
// range, or a nonzero value that would read as 0, is refused too: the reader
// never gets a silently changed number. Subnormal values are read.
#pragma once

#include <string>
#include <string_view>

namespace number_text {

enum class Problem {
    None,
    Empty,        // nothing but blanks
    NotANumber,   // outside the grammar
    DecimalComma, // a number but for its decimal comma ("1,5")
    DigitGroups,  // a number but for the commas grouping its digits ("1,250", "12,345.6")
    OutOfRange,   // beyond the double range, or so small it would read as 0
};

struct Reading {
    double value = 0; // 0 unless read
    Problem problem = Problem::None;

    bool ok() const { return problem == Problem::None; }
};

// The number `text` (UTF-8) holds, correctly rounded (std::from_chars), or
// the reason it holds none.
Reading Read(std::string_view text);

// The reason in English, to follow the text or its name: "is not a number:
// use a decimal point". Empty for Problem::None.
std::string_view Why(Problem problem);

// Shortest text that reads back as the same double: `digits` of 0 (or less).
inline constexpr int kShortest = 0;

// Appends `value` in its shortest round-trip form, or rounded to `digits`
// significant digits (above 17 taken as 17), fixed or scientific as %g
// chooses, without trailing zeros: 0.00714244, 1.23457e+06, 1e-300.
void Append(std::string& out, double value, int digits = kShortest);
std::string Show(double value, int digits = kShortest);

// `value` as Append writes it with `digits`, read back: what a reader of that
// text gets.
double Rounded(double value, int digits);

} // namespace number_text
