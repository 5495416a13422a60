#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "tests/support/print_qt.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ToDouble, AcceptsPlainAndFullWidthNumbers) {
    const struct {
        const char16_t* text;
        double value;
    } cases[] = {
        {u"10", 10},         {u"0.01", 0.01},
        {u"999999", 999999}, {u"+5", 5},
        {u"-1", -1},         {u".5", 0.5},
        {u"5.", 5},          {u"007", 7},
        {u"1e3", 1000},      {u"2.5E+2", 250},
        {u"1e-3", 0.001},    {u" 10", 10},
        {u"10  ", 10},       {u"\u3000\u300010\u3000", 10},
        {u"１０", 10},       {u"０．０１", 0.01},
        {u"－１", -1},       {u"＋２", 2},
        {u"１ｅ３", 1000},   {u"１Ｅ－２", 0.01},
        {u"1．5", 1.5},      {u"4.9e-324", 4.9e-324},
        {u"1e308", 1e308},
    };
    for (const auto& c : cases) {
        const auto text = QString::fromUtf16(c.text);
        const std::optional<double> value = platform::ToDouble(text);
        ASSERT_TRUE(value.has_value()) << text.toStdString();
        EXPECT_EQ(*value, c.value) << text.toStdString();
    }
    EXPECT_TRUE(std::signbit(*platform::ToDouble(u"-0")));
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
        EXPECT_FALSE(platform::ToDouble(text).has_value()) << text.toStdString();
    }
}

TEST(ToText, WholeNumbersAsPlainDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {18, "18"},
        {1001691, "1001691"},
        {0, "0"},
        {-0.0, "0"},
        {1e15, "1000000000000000"},
        {123456789012, "123456789012"},
        {0.5, "0.5"},
        {-3, "-3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ToText(c.value).toStdString(), c.text) << c.value;
    }
}

TEST(MsgBox, ClipboardTextInWindowsLayout) {
    EXPECT_EQ(platform::ClipboardText(QStringLiteral("Corvane"),
                                      QStringLiteral("呼量：abc　の値が不正です。"),
                                      {QStringLiteral("OK")}),
              QStringLiteral("---------------------------\n"
                             "Corvane\n"
                             "---------------------------\n"
                             "呼量：abc　の値が不正です。\n"
                             "---------------------------\n"
                             "OK   \n"
                             "---------------------------\n"));
}

} // namespace
