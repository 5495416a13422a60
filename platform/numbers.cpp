#include "platform/numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace platform {
namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';

bool IsBlank(QChar c) {
    return c == u' ' || c == kIdeographicSpace;
}

// The ASCII form of a character the rule admits, or 0. Full-width forms sit
// at a fixed offset from ASCII in the U+FF01..U+FF5E block.
char Ascii(QChar c) {
    char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) {
        u = static_cast<char16_t>(u - 0xFF01 + 0x21);
    }
    if ((u >= u'0' && u <= u'9') || u == u'.' || u == u'+' || u == u'-' || u == u'e' || u == u'E') {
        return static_cast<char>(u);
    }
    return 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the grammar over the ASCII form; from_chars does the rounding.
bool WellFormed(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i, ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
        }
        if (i == start) {
            return false;
        }
    }
    return i == s.size();
}

} // namespace

std::optional<double> ToDouble(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }

    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(last - first));
    for (qsizetype i = first; i < last; ++i) {
        const char c = Ascii(text[i]);
        if (c == 0) {
            return std::nullopt;
        }
        ascii.push_back(c);
    }
    if (!WellFormed(ascii)) {
        return std::nullopt;
    }

    // from_chars takes no leading '+', and is exact and locale-free. It
    // reports out of range both for overflow and for a nonzero value that
    // rounds to zero; subnormal values it converts.
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    if (*begin == '+') {
        ++begin;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

QString ToText(double value) {
    char text[400];
    // Whole doubles up to 2^53 print as digits; beyond, fixed notation would
    // spell out digits the double does not hold.
    const bool whole = std::floor(value) == value && std::fabs(value) <= 9007199254740992.0;
    const auto result = whole ? std::to_chars(text, text + sizeof text, value == 0 ? 0.0 : value,
                                              std::chars_format::fixed)
                              : std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, result.ptr - text);
}

} // namespace platform
