#include "cli/numbers.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace cli {
namespace {

[[noreturn]] void Refuse(std::string_view name, std::string_view text, std::string_view why) {
    std::string message(name);
    message.append(" \"").append(text).append("\" ").append(why);
    throw std::invalid_argument(message);
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

double ParseNumber(std::string_view text, std::string_view name) {
    const std::string_view number = Trimmed(text);
    if (number.empty()) {
        throw std::invalid_argument(std::string(name) + " is empty");
    }
    double value = 0;
    const char* end = number.data() + number.size();
    // from_chars ignores the locale and, in its general format, reads no
    // hexadecimal; it does read "nan" and "inf", which are turned away below.
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (number.find(',') != std::string_view::npos) {
        Refuse(name, text, "is not a number: use a point as the decimal separator");
    }
    if (ec == std::errc::result_out_of_range) {
        Refuse(name, text, "is outside the range of numbers this program reads");
    }
    if (ec != std::errc() || ptr != end) {
        Refuse(name, text, "is not a number");
    }
    if (std::isnan(value)) {
        Refuse(name, text, "is not a number");
    }
    if (std::isinf(value)) {
        Refuse(name, text, "is not a finite number");
    }
    return value;
}

void AppendNumber(std::string& out, double value, int digits) {
    char text[32];
    const auto result = digits > 0 ? std::to_chars(text, text + sizeof text, value,
                                                   std::chars_format::general, digits)
                                   : std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void AppendCount(std::string& out, std::int64_t count) {
    char text[24];
    out.append(text, std::to_chars(text, text + sizeof text, count).ptr);
}

double Rounded(double value, int digits) {
    if (digits <= 0) {
        return value;
    }
    std::string text;
    AppendNumber(text, value, digits);
    double read = value;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read;
}

} // namespace cli
