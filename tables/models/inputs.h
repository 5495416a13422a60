// Reading what the user typed into a field: one number, or a list of them,
// checked against the field's range. A reading either has a value or says, in
// the window's words, what is wrong and which values are allowed.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace tables {

// The values a field accepts: from `min` to `max`, each end included unless
// open, whole numbers only if `whole`; a field of a percentage takes a "%"
// after its number too ("30%", "３０％": 30).
struct Range {
    double min;
    double max;
    bool whole = false;
    bool minOpen = false;
    bool maxOpen = false;
    bool percent = false;

    bool contains(double value) const;
};

// "0.0001 以上 1 未満", "1 以上 1000000000 以下の整数".
QString RangeText(const Range& range);

struct Reading {
    std::optional<double> value;
    QString error; // empty when there is a value
};

// Numbers in the grammar of the engine's front ends (number_text.h): signs,
// exponents, full-width forms; a decimal comma is refused with a hint, and
// digits grouped by commas ("1,250") with the number written without them.
Reading Read(QStringView text, const Range& range);

struct ListReading {
    std::vector<double> values;
    QString error;
};

// The items of a list as typed: text between commas (ASCII, full-width or
// the Japanese 、) or blanks.
QStringList ListItems(QStringView text);

// One or more numbers separated by commas (ASCII, full-width or the Japanese
// 、) or blanks; at most `maxCount` of them.
ListReading ReadList(QStringView text, const Range& range, int maxCount);

} // namespace tables
