#include "teletraffic/number_text.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace number_text {
namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

std::string_view Trimmed(std::string_view text) {
    for (;;) {
        if (text.starts_with(' ') || text.starts_with('\t')) {
            text.remove_prefix(1);
        } else if (text.starts_with(kIdeographicSpace)) {
            text.remove_prefix(kIdeographicSpace.size());
        } else if (text.ends_with(' ') || text.ends_with('\t')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kIdeographicSpace)) {
            text.remove_suffix(kIdeographicSpace.size());
        } else {
            return text;
        }
    }
}

// The ASCII form of the full-width character whose UTF-8 is EF `second`
// `third`, for the characters the grammar knows; 0 for any other. The
// full-width forms U+FF01..U+FF5E stand at a fixed offset from ASCII.
char FullWidth(unsigned char second, unsigned char third) {
    if ((second != 0xBC && second != 0xBD) || third < 0x80 || third > 0xBF) {
        return 0;
    }
    const int code = 0xFF00 + (second - 0xBC) * 0x40 + (third - 0x80);
    if (code < 0xFF01 || code > 0xFF5E) {
        return 0;
    }
    const char c = static_cast<char>(code - 0xFF01 + 0x21);
    const bool known = (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '+' || c == '-' ||
                       c == 'e' || c == 'E';
    return known ? c : 0;
}

// `text` with its full-width characters in ASCII; false for any other byte
// above ASCII (those are never part of a number).
bool ToAscii(std::string_view text, std::string& ascii) {
    ascii.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ascii.push_back(static_cast<char>(c));
            continue;
        }
        if (c != 0xEF || i + 2 >= text.size()) {
            return false;
        }
        const char a = FullWidth(static_cast<unsigned char>(text[i + 1]),
                                 static_cast<unsigned char>(text[i + 2]));
        if (a == 0) {
            return false;
        }
        ascii.push_back(a);
        i += 2;
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [+-] digits [. digits] [(e|E) [+-] digits], at least one digit before the
// exponent; checked here because from_chars also reads "inf", "nan" and a
// trailing "e" it stops before.
bool WellFormed(std::string_view s) {
    std::size_t i = 0;
    const auto sign = [&] {
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
    };
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
        }
        return i - start;
    };
    sign();
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        sign();
        if (digits() == 0) {
            return false;
        }
    }
    return i == s.size();
}

// The value of a well-formed text.
Reading Convert(std::string_view text) {
    // from_chars takes no '+'. It reports out of range both for overflow and
    // for a nonzero value that rounds to 0.
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec == std::errc::result_out_of_range) {
        return {0, Problem::OutOfRange};
    }
    if (ec != std::errc() || ptr != end) {
        return {0, Problem::NotANumber};
    }
    return {value, Problem::None};
}

// [+-] d{1,3} (,ddd)+ [. digits] [exponent], the first group without a
// leading zero ("0,250" is a decimal comma).
bool GroupedDigits(std::string_view s) {
    std::size_t i = s.starts_with('+') || s.starts_with('-') ? 1 : 0;
    const std::size_t start = i;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
    }
    if (i == start || i - start > 3 || s[start] == '0') {
        return false;
    }
    std::string plain(s.substr(0, i));
    bool grouped = false;
    while (i < s.size() && s[i] == ',') {
        const std::string_view group = s.substr(i + 1, 3);
        if (group.size() != 3 || !std::all_of(group.begin(), group.end(), IsDigit)) {
            return false;
        }
        plain.append(group);
        i += 4;
        grouped = true;
    }
    // A fraction or an exponent may follow the groups, a fourth digit not.
    return grouped && (i == s.size() || !IsDigit(s[i])) && WellFormed(plain.append(s.substr(i)));
}

// Why an ASCII text that is not well formed is refused.
Reading Refused(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) {
        return {0, Problem::NotANumber};
    }
    if (GroupedDigits(text)) {
        return {0, Problem::DigitGroups};
    }
    std::string point(text);
    point[comma] = '.';
    const bool decimalComma = text.find_first_of(",.", comma + 1) == std::string_view::npos &&
                              text.substr(0, comma).find('.') == std::string_view::npos &&
                              WellFormed(point);
    return {0, decimalComma ? Problem::DecimalComma : Problem::NotANumber};
}

} // namespace

Reading Read(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) {
        return {0, Problem::Empty};
    }
    // Plain ASCII numbers, nearly all there are, in one pass.
    if (WellFormed(text)) {
        return Convert(text);
    }
    std::string ascii;
    if (!ToAscii(text, ascii)) {
        return {0, Problem::NotANumber};
    }
    return WellFormed(ascii) ? Convert(ascii) : Refused(ascii);
}

std::string_view Why(Problem problem) {
    switch (problem) {
    case Problem::None:
        return "";
    case Problem::Empty:
        return "is empty";
    case Problem::NotANumber:
        break;
    case Problem::DecimalComma:
        return "is not a number: use a decimal point";
    case Problem::DigitGroups:
        return "is not a number: write it without thousands separators";
    case Problem::OutOfRange:
        return "is outside the range of numbers that can be read (about 5e-324 to 1.8e308 in "
               "size, or 0)";
    }
    return "is not a number";
}

void Append(std::string& out, double value, int digits) {
    char text[32];
    const auto result = digits > 0 ? std::to_chars(text, text + sizeof text, value,
                                                   std::chars_format::general, std::min(digits, 17))
                                   : std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

std::string Show(double value, int digits) {
    std::string text;
    Append(text, value, digits);
    return text;
}

double Rounded(double value, int digits) {
    if (digits <= 0) {
        return value;
    }
    const std::string text = Show(value, digits);
    double read = value;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read;
}

} // namespace number_text
