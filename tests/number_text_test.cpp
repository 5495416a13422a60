// The front ends' number grammar: what it reads, what it refuses and why, and
// printing that reads back.
#include "teletraffic/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

using number_text::Problem;

TEST(NumberText, ReadsWhatAPersonTypesAndRefusesTheRest) {
    const struct {
        const char* text;
        double value;
        Problem problem = Problem::None;
    } cases[] = {
        {"+10", 10},
        {" \t10\t ", 10},
        {"　1e-3　", 0.001},      // ideographic spaces
        {"－１．５ｅ＋２", -150}, // full-width, as an input method types it
        {"＋．５Ｅ１", 5},
        {".5", 0.5},
        {"5.", 5},
        {"4e-320", 4e-320},
        {"0.1000000000000000055511151231257827", 0.1},
        {"1,5", 0, Problem::DecimalComma},
        {"１，５", 0, Problem::DecimalComma},
        {"0,250", 0, Problem::DecimalComma},
        {"1,250", 0, Problem::DigitGroups}, // 1250 to a Japanese reader, never a fraction
        {"１，０００，０００.５", 0, Problem::DigitGroups},
        {"1,2500", 0, Problem::DecimalComma},
        {"1.5,2", 0, Problem::NotANumber},
        {"", 0, Problem::Empty},
        {" 　 ", 0, Problem::Empty},
        {"1e400", 0, Problem::OutOfRange},
        {"1e-400", 0, Problem::OutOfRange},
        {"nan", 0, Problem::NotANumber},
        {"inf", 0, Problem::NotANumber},
        {"0x10", 0, Problem::NotANumber},
        {"10e", 0, Problem::NotANumber},
        {"e5", 0, Problem::NotANumber},
        {".", 0, Problem::NotANumber},
        {"+-1", 0, Problem::NotANumber},
        {"1 0", 0, Problem::NotANumber},
        {"\xEF\xBC", 0, Problem::NotANumber}, // a full-width character cut short
        {"1！", 0, Problem::NotANumber},      // full-width, but not numeric
        {" 1", 0, Problem::NotANumber},       // a no-break space is not a blank
    };
    for (const auto& c : cases) {
        const number_text::Reading r = number_text::Read(c.text);
        EXPECT_EQ(r.problem, c.problem) << c.text;
        EXPECT_EQ(r.value, c.value) << c.text;
    }
}

TEST(NumberText, PrintsShortestOrSignificantDigits) {
    const struct {
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {0.1, 0, "0.1"},
        {1999999997.9999995, 0, "1999999997.9999995"},
        {0.0071424391, 6, "0.00714244"},
        {1234567, 6, "1.23457e+06"},
        {1e-300, 6, "1e-300"},
        {0.1, 40, "0.10000000000000001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(number_text::Show(c.value, c.digits), c.text) << c.value << " " << c.digits;
    }
}

// Whatever is printed reads back: the shortest form as the same bits, N
// digits as Rounded says.
TEST(NumberText, PrintedNumbersReadBack) {
    std::mt19937_64 random(20261207);
    for (int n = 0; n < 20000; ++n) {
        const double value = std::bit_cast<double>(random());
        if (!std::isfinite(value)) {
            continue;
        }
        const number_text::Reading shortest = number_text::Read(number_text::Show(value));
        ASSERT_TRUE(shortest.ok()) << number_text::Show(value);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(shortest.value),
                  std::bit_cast<std::uint64_t>(value));
        const int digits = 1 + n % 17;
        const number_text::Reading rounded = number_text::Read(number_text::Show(value, digits));
        if (rounded.ok()) { // not so for a value rounded up past the largest double
            ASSERT_EQ(rounded.value, number_text::Rounded(value, digits));
        }
    }
}

} // namespace
