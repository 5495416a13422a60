// How Corvane Tables writes a number: the same on screen, in a copy and in a
// CSV file, in every tab. Four forms, each for one kind of number:
//
// - Exact, for what was typed, a row value, a count or a solve's answer given
//   in full: whole values as their digits (1000000000), others in the fewest
//   significant digits that read back as the same double, fixed or scientific
//   as %g chooses (0.0001, 999999999.0005, 1e-300).
// - Significant, for a computed real (a blocking, a mean, a peakedness): six
//   significant digits unless a field sets them, trailing zeros dropped, %g's
//   choice of fixed or scientific (0.00714244, 4.46118, 1e+11).
// - Aligned, for a column of reals read down the page: significant digits with
//   their trailing zeros, fixed unless it would begin with more than four
//   zeros (4.46118, 5.08400, 1234568, 1.00000e-06).
// - Decimals, for percentages (79.6) and seconds (17.1): a fixed count of
//   decimals.
//
// A figure shown beside its target takes the digits that tell the two apart
// (SignificantApart, DecimalsApart), so that a row that misses the target
// never shows as the target. The functions are pure and safe on any thread.
#pragma once

#include <QString>

#include <string>

namespace tables {

// Significant digits of a computed real where no field sets them.
inline constexpr int kDigits = 6;

QString Exact(double value);
void AppendExact(std::string& out, double value);

// `digits` from 1 to 17.
QString Significant(double value, int digits = kDigits);

// Zero is "0", whatever the digits.
QString Aligned(double value, int digits);
void AppendAligned(std::string& out, double value, int digits);

QString Decimals(double value, int decimals);
// A share (0.796) as a percentage with `decimals` decimals ("79.6").
QString Percent(double share, int decimals = 1);

// The fewest digits, `least` or more, that show `value` and `target`
// different; `least` when they are equal.
int SignificantApart(double value, double target, int least = kDigits);
int DecimalsApart(double value, double target, int least);

// A percentage as typed, as the fraction whose shortest decimal is the
// percentage's moved two places: 14.3 gives 0.143, where 14.3 / 100 gives
// 0.14300000000000002 (and the staffing factors, decided on the decimal,
// would count one agent more). ToPercent undoes it: the percentage as it was
// typed, for a message that quotes it.
double FromPercent(double percent);
double ToPercent(double fraction);

} // namespace tables
