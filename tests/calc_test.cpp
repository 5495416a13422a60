#include "calc/mdl_Corvane.h"
#include "tests/support/literal_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <utility>

namespace {

using mdl_Corvane::CalcLines;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct LinesCase {
    double traffic, blocking, lines;
};

// Published Erlang B table values, traffic so small that 1/B overflows within
// a few lines (one line carries it), and targets of 1 or more, which any count
// meets: the search bottoms out.
TEST(CalcLines, KnownResults) {
    const LinesCase cases[] = {
        {0, 0.0001, 0},      {0, 0.9999, 0},        {0.05, 0.01, 2},
        {0.5, 0.9999, 1},    {1, 0.01, 5},          {2.2, 0.1, 5},
        {5, 0.0001, 16},     {10, 0.01, 18},        {10, 0.05, 15},
        {100, 0.01, 117},    {999999, 0.9999, 101}, {1e-9, 0.0001, 1},
        {1e-9, 0.9999, 1},   {3e-9, 0.01, 1},       {1e-300, 0.5, 1},
        {5e-324, 0.0001, 1}, {0.05, 1, 0},          {5, 1, 1},
        {5, 2, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalcLines(c.traffic, c.blocking), c.lines) << c.traffic << " " << c.blocking;
    }
    const double exact = mdl_Corvane::ErlangB(10, 18); // a blocking equal to the target meets it
    EXPECT_EQ(CalcLines(10, exact), 18);
    EXPECT_EQ(CalcLines(10, std::nextafter(exact, 0.0)), 19);
}

// The exported blocking: no traffic is never blocked, even on no lines, where
// the recurrence alone would give 1.
TEST(ErlangB, NoTrafficIsNeverBlocked) {
    for (const double lines : {0.0, 0.5, 18.0}) {
        EXPECT_EQ(mdl_Corvane::ErlangB(0, lines), 0) << lines;
    }
}

TEST(CalcLines, RefusesWhatItCannotAnswer) {
    const std::pair<double, double> cases[] = {
        {-5e-324, 0.01}, {kNaN, 0.01}, {kInf, 0.01}, {1e300, 0.01},
        {10, 0},         {10, -0.5},   {10, kNaN},   {10, kInf},
    };
    for (const auto& [traffic, blocking] : cases) {
        EXPECT_THROW(CalcLines(traffic, blocking), std::domain_error) << traffic << " " << blocking;
    }
}

// The fast search must return exactly what the literal one does, over the
// whole traffic range and at the corners where the search paths differ
// (first guess already meeting the target, long climbs, saturating x).
TEST(CalcLines, AgreesWithLiteralSearch) {
    const LinesCase corners[] = {
        {999999, 0.0001, 0}, {999999, 0.01, 0},   {999999, 0.9999, 0}, {123456, 0.0001, 0},
        {65536, 0.5, 0},     {4095.5, 0.0001, 0}, {255.99, 0.2, 0},    {1e-8, 0.0001, 0},
    };
    for (const auto& c : corners) {
        EXPECT_EQ(CalcLines(c.traffic, c.blocking),
                  literal::LiteralSearchLines(c.traffic, c.blocking))
            << c.traffic << " " << c.blocking;
    }
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> logTraffic(std::log(1e-9), std::log(999999.0));
    std::uniform_real_distribution<double> logBlocking(std::log(0.0001), std::log(0.9999));
    for (int n = 0; n < 3000; ++n) {
        const double A = std::exp(logTraffic(random));
        const double B = std::exp(logBlocking(random));
        ASSERT_EQ(CalcLines(A, B), literal::LiteralSearchLines(A, B)) << A << " " << B;
    }
}

} // namespace
