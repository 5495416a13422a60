// Input: the text of one number, in UTF-8 or not. Whatever the front ends'
// grammar reads must be a finite double that prints and reads back, the same
// padded with blanks or typed in full-width forms, and the same as strtod
// reads the plain ASCII text. Every check aborts with a message naming the
// text.
#include "teletraffic/number_text.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string_view text;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_number: %s\n  text: \"%.*s\"\n", what,
                     static_cast<int>(text.size()), text.data());
        std::abort();
    }
}

bool Same(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool IsAscii(std::string_view s) {
    for (const char c : s) {
        if ((c & 0x80) != 0) {
            return false;
        }
    }
    return true;
}

// The text with every printable ASCII character in its full-width form.
std::string FullWidth(std::string_view s) {
    std::string wide;
    for (const char c : s) {
        if (c <= ' ' || c > '~') {
            wide.push_back(c);
            continue;
        }
        const int code = 0xFF01 + (c - '!');
        wide.push_back(static_cast<char>(0xE0 | code >> 12));
        wide.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        wide.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return wide;
}

void CheckRead(const number_text::Reading& r) {
    using number_text::Problem;
    Check(r.ok() == (r.problem == Problem::None), "ok() and the problem disagree");
    Check(r.ok() ? std::isfinite(r.value) : r.value == 0, "a value that is not finite, or a value "
                                                          "with a problem");
    Check(number_text::Why(r.problem).empty() == r.ok(), "a problem without a reason");

    const std::string padded = " \t\xE3\x80\x80" + std::string(text) + "\xE3\x80\x80\t ";
    const number_text::Reading again = number_text::Read(padded);
    Check(again.problem == r.problem && Same(again.value, r.value),
          "blanks around the text change its reading");
    if (!IsAscii(text)) {
        return;
    }
    const number_text::Reading wide = number_text::Read(FullWidth(text));
    Check(wide.problem == r.problem && Same(wide.value, r.value),
          "full-width forms read otherwise than ASCII");
    if (r.ok()) {
        // strtod reads more ("inf", hexadecimal) but, in the "C" locale,
        // the same decimal numbers to the same double.
        const std::string copy(text);
        Check(Same(std::strtod(copy.c_str(), nullptr), r.value), "strtod reads another value");
    }
    if (r.problem == Problem::DecimalComma) {
        std::string point(text);
        point[point.find(',')] = '.';
        const Problem p = number_text::Read(point).problem;
        Check(p == Problem::None || p == Problem::OutOfRange,
              "a decimal comma whose point form is no number");
    }
    if (r.problem == Problem::DigitGroups) {
        std::string plain(text);
        std::erase(plain, ',');
        const Problem p = number_text::Read(plain).problem;
        Check(p == Problem::None || p == Problem::OutOfRange,
              "digit groups whose plain form is no number");
    }
}

void CheckPrint(double value, int digits) {
    const std::string shortest = number_text::Show(value);
    const number_text::Reading back = number_text::Read(shortest);
    Check(back.ok() && Same(back.value, value), "the shortest form does not read back");
    const number_text::Reading rounded = number_text::Read(number_text::Show(value, digits));
    Check(!rounded.ok() || Same(rounded.value, number_text::Rounded(value, digits)),
          "N digits read back otherwise than Rounded says");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    text = std::string_view(reinterpret_cast<const char*>(data), size);
    const number_text::Reading r = number_text::Read(text);
    CheckRead(r);
    if (r.ok()) {
        CheckPrint(r.value, static_cast<int>(size % 19)); // 0 to 18 digits
    }
    return 0;
}
