#include "platform/numbers.h"
#include "tests/support/print_qt.h"

#include <gtest/gtest.h>

namespace {

TEST(ToDouble, AcceptsPlainAndFullWidthNumbers) {
    // clang-format off
    const struct {
        const char16_t* text;
        double value;
    } cases[] = {
        {u"+5", 5},       {u"-1", -1},        {u".5", 0.5},        {u"5.", 5},
        {u"007", 7},      {u"2.5E+2", 250},   {u"1e-3", 0.001},    {u"10  ", 10},
        {u"１ｅ３", 1000}, {u"１Ｅ－２", 0.01}, {u"1．5", 1.5},       {u"０．０１", 0.01},
        {u"－１", -1},     {u"＋２", 2},       {u"1e308", 1e308},   {u"4.9e-324", 4.9e-324},
        {u"\u3000\u300010\u3000", 10},
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto text = QString::fromUtf16(c.text);
        EXPECT_EQ(platform::ToDouble(text), c.value) << text;
    }
}

TEST(ToDouble, RefusesEverythingElse) {
    const char16_t* cases[] = {
        u"",      u" ",     u"\u3000",     u"abc",      u"nan",    u"NaN",  u"inf",      u"-inf",
        u"0x10",  u"1,000", u"１，０００", u"¥100",     u"$5",     u"1 0",  u"1\u30000", u"1..2",
        u"1.2.3", u".",     u"+",          u"-",        u"e5",     u"1e",   u"1e+",      u"--1",
        u"+-1",   u"1e400", u"-1e400",     u"1e-400",   u"2e-324", u"\t10", u"10\n",     u"１０円",
        u"٣",     u"1e3.5", u"1_000",      u"\u00a010",
    };
    for (const char16_t* c : cases) {
        const auto text = QString::fromUtf16(c);
        EXPECT_EQ(platform::ToDouble(text), std::nullopt) << text;
    }
}

} // namespace
