// Text to number and back, as the window reads its boxes and shows its result.
//
// The numeric rule: blanks around the text (ASCII space and the ideographic
// space U+3000) are ignored; then an optional sign, digits with at most one
// decimal point and at least one digit, and an optional exponent (e or E, an
// optional sign, digits). Full-width digits, point, signs and e/E, as a
// Japanese input method types them, count as their ASCII forms. Nothing else
// is numeric: no hexadecimal, no separators, no "nan" or "inf". Nor is a value
// that overflows a double, or a nonzero value that would round to zero: the
// user is warned rather than given a silently changed number.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace platform {

// The value of a numeric text, or nothing. The one conversion behind both the
// numeric test and the calculation, so that what passes the test converts.
std::optional<double> ToDouble(QStringView text);

// A whole number as its plain decimal digits ("18", "1001691"): no exponent,
// no decimal point, no separator. Other values in their shortest exact form.
QString ToText(double value);

} // namespace platform
