#include "tables/models/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace tables {
namespace {

// Room for a fixed double with hundreds of decimals.
constexpr int kBuffer = 400;

void Append(std::string& out, double value, std::chars_format format, int precision) {
    char text[kBuffer];
    const auto end = precision < 0
                         ? std::to_chars(text, text + sizeof text, value, format)
                         : std::to_chars(text, text + sizeof text, value, format, precision);
    out.append(text, end.ptr);
}

// The shortest scientific form ("1.43e+01") split into its digits' count and
// its exponent.
struct Shortest {
    std::string mantissa; // "1.43"
    int digits;           // 3
    int exponent;         // 1
};

Shortest ShortestOf(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    const std::string_view all(text, static_cast<std::size_t>(end.ptr - text));
    const std::size_t e = all.find('e');
    Shortest s{std::string(all.substr(0, e)), 0, 0};
    s.digits = static_cast<int>(std::count_if(s.mantissa.begin(), s.mantissa.end(),
                                              [](char c) { return c >= '0' && c <= '9'; }));
    std::from_chars(all.data() + e + 1 + (all[e + 1] == '+'), all.data() + all.size(), s.exponent);
    return s;
}

// `value`'s shortest decimal with the point moved `places` to the right, read
// back correctly rounded.
double MovePoint(double value, int places) {
    if (value == 0 || !std::isfinite(value)) {
        return value * std::pow(10.0, places);
    }
    const Shortest s = ShortestOf(value);
    const std::string moved = s.mantissa + 'e' + std::to_string(s.exponent + places);
    double result = value;
    std::from_chars(moved.data(), moved.data() + moved.size(), result);
    return result;
}

QString FromStd(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void AppendExact(std::string& out, double value) {
    // Whole values as digits (1000000, not 1e+06) while a double holds them.
    if (std::floor(value) == value && std::fabs(value) <= 9007199254740992.0) {
        Append(out, value == 0 ? 0.0 : value, std::chars_format::fixed, 0);
        return;
    }
    if (!std::isfinite(value)) {
        Append(out, value, std::chars_format::general, -1);
        return;
    }
    Append(out, value, std::chars_format::general, ShortestOf(value).digits);
}

QString Exact(double value) {
    std::string text;
    AppendExact(text, value);
    return FromStd(text);
}

QString Significant(double value, int digits) {
    std::string text;
    Append(text, value, std::chars_format::general, std::clamp(digits, 1, 17));
    return FromStd(text);
}

void AppendAligned(std::string& out, double value, int digits) {
    if (value == 0) {
        out += '0';
        return;
    }
    const int precision = std::clamp(digits, 1, 17) - 1;
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, precision);
    const std::string_view scientific(text, static_cast<std::size_t>(end.ptr - text));
    const std::size_t e = scientific.find('e');
    int exponent = 0;
    if (e != std::string_view::npos) {
        std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+'),
                        scientific.data() + scientific.size(), exponent);
    }
    if (exponent < -4 || e == std::string_view::npos) {
        out += scientific;
    } else {
        Append(out, value, std::chars_format::fixed, std::max(0, precision - exponent));
    }
}

QString Aligned(double value, int digits) {
    std::string text;
    AppendAligned(text, value, digits);
    return FromStd(text);
}

QString Decimals(double value, int decimals) {
    std::string text;
    Append(text, value, std::chars_format::fixed, std::clamp(decimals, 0, kBuffer - 40));
    return FromStd(text);
}

QString Percent(double share, int decimals) {
    return Decimals(share * 100, decimals);
}

int SignificantApart(double value, double target, int least) {
    int digits = least;
    while (value != target && digits < 17 &&
           Significant(value, digits) == Significant(target, digits)) {
        ++digits;
    }
    return digits;
}

int DecimalsApart(double value, double target, int least) {
    int decimals = least;
    // Two doubles differ within 17 significant digits, however small.
    const double larger = std::max(std::fabs(value), std::fabs(target));
    const int most = larger > 0 && std::isfinite(larger)
                         ? 17 - static_cast<int>(std::floor(std::log10(larger)))
                         : 17;
    while (value != target && decimals < std::min(most, kBuffer - 40) &&
           Decimals(value, decimals) == Decimals(target, decimals)) {
        ++decimals;
    }
    return decimals;
}

double FromPercent(double percent) {
    return MovePoint(percent, -2);
}

double ToPercent(double fraction) {
    return MovePoint(fraction, 2);
}

} // namespace tables
