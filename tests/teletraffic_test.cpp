#include "calc/mdl_Corvane.h"
#include "support/reference.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/numerics/gamma_ratio.h"
#include "teletraffic/numerics/solve.h"
#include "teletraffic/overflow.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace teletraffic;

using reference::Args;
using Reference = reference::Row;

const std::map<std::string, std::function<double(Args)>>& Functions() {
    static const std::map<std::string, std::function<double(Args)>> functions = {
        {"blocking", [](Args a) { return ErlangB(a[0], a[1]); }},
        {"log_blocking", [](Args a) { return LogErlangB(a[0], a[1]); }},
        {"lines", [](Args a) { return ErlangBLines(a[0], a[1]); }},
        {"traffic", [](Args a) { return ErlangBTraffic(a[0], a[1]); }},
        {"extended_offered", [](Args a) { return ExtendedErlangB(a[0], a[1], a[2]).offered; }},
        {"extended_blocking", [](Args a) { return ExtendedErlangB(a[0], a[1], a[2]).blocking; }},
        {"extended_lines", [](Args a) { return ExtendedErlangBLines(a[0], a[2], a[1]); }},
        {"wait_probability", [](Args a) { return ErlangC(a[0], a[1]); }},
        {"service_level", [](Args a) { return ErlangCServiceLevel(a[0], a[1], a[2], a[3]); }},
        {"average_wait", [](Args a) { return ErlangCAverageWait(a[0], a[1], a[2]); }},
        {"agents", [](Args a) { return ErlangCAgents(a[0], a[1], a[2], a[3]); }},
    };
    return functions;
}

using reference::IsCount;

// Every answer against 50-digit values (tests/data/make_reference.py): counts
// exactly, ties to the last bit included; the rest to a relative 1e-12. And
// the error bounds the whole-count decisions rely on, in both precisions.
TEST(Engine, AgreesWithTheReferenceTable) {
    const auto bounds = [](const Reference& row, double) {
        if (row.function != "blocking" && row.function != "log_blocking") {
            return;
        }
        const long double ref = std::stold(row.expected);
        const long double logB = row.function == "blocking" ? std::log(ref) : ref;
        const long double scale = std::fmax(1.0L, std::fabs(logB));
        EXPECT_LE(std::fabs(detail::InverseBlocking(row.args[0], row.args[1]).Log() + logB),
                  detail::kLogTolerance<double> * scale);
        EXPECT_LE(
            std::fabs(detail::InverseBlocking<long double>(row.args[0], row.args[1]).Log() + logB),
            detail::kLogTolerance<long double> * scale);
    };
    EXPECT_GT(reference::ExpectAgrees(CORVANE_REFERENCE, Functions(), false, bounds), 80u);
}

// The whole domain region by region (erlang_stress.csv): the worst relative
// error of each, in units of double's epsilon (1e-12 is 4504), and every
// count exact.
TEST(Engine, AgreesRegionByRegion) {
    std::map<std::string, std::pair<double, int>> worst; // error, rows
    const auto tally = [&](const Reference& row, double got) {
        const long double want = std::stold(row.expected);
        double error = 0;
        if (IsCount(row)) {
            error = got == want ? 0 : INFINITY;
        } else if (std::fabs(want) < DBL_MIN) {
            error = std::fabs(got) <= DBL_MIN ? 0 : INFINITY;
        } else {
            error = static_cast<double>(std::fabs((got - want) / want));
        }
        auto& [err, count] = worst[row.region + " " + row.function];
        err = std::fmax(err, error);
        ++count;
    };
    EXPECT_GT(reference::ExpectAgrees(CORVANE_STRESS, Functions(), true, tally), 2000u);
    for (const auto& [region, result] : worst) {
        std::cout << std::left << std::setw(44) << region << std::right << std::setw(5)
                  << result.second << " rows, worst " << std::fixed << std::setprecision(2)
                  << std::setw(6) << result.first / DBL_EPSILON << " epsilon\n"
                  << std::defaultfloat;
    }
}

} // namespace

TEST(Engine, EdgesOfTheDomain) {
    const struct {
        double got, want;
    } cases[] = {
        {ErlangB(0, 0), 0},
        {ErlangB(5, 0), 1},
        {LogErlangB(0, 5), -INFINITY},
        {LogErlangB(1e9, 1e-9), -9.99999999000000065e-19}, // near B = 1, log B keeps its digits
        {static_cast<double>(ErlangBLines(0, 0.5)), 0},
        {ErlangBTraffic(0, 0.5), 0},
        {ExtendedErlangB(0, 5, 0.5).offered, 0},
        {ExtendedErlangB(5, 0, 0.5).offered, 10},
        {ErlangCServiceLevel(0, 1, 180, 20), 1},
        {static_cast<double>(ErlangCAgents(0, 180, 20, 0.8)), 0},
        {static_cast<double>(ErlangCAgents(7.5, 180, 20, 0)), 8},
        {static_cast<double>(ErlangCAgents(7, 180, 0, 1e-300)), 8},
    };
    for (const auto& c : cases) {
        if (std::isinf(c.want)) {
            EXPECT_EQ(c.got, c.want);
        } else {
            EXPECT_NEAR(c.got, c.want, 1e-12 * std::fabs(c.want)) << &c - cases;
        }
    }
}

// Probabilities that once came out above 1 by a rounding, or by a
// difference of large logarithms.
TEST(Engine, ProbabilitiesStayWithinOne) {
    const double values[] = {
        ErlangCServiceLevel(50, 150, 180, 20),
        ErlangCServiceLevel(1, 1e8, 1, 1),
        ErlangB(1829308.5474464507, 7.3112328396450673e-72),
        ExtendedErlangB(1.5958707645175927, 1.628958803780376e-41, 0.9).blocking,
        ErlangC(0.068408280195248167, 0.068408280195248181),
        ErlangAServiceLevel(2.771005536213337, 25, 3.1607468153396141, 27.788416169915049,
                            3.4710842823098851),
        ErlangA(62689.004570108096, 3590, 66.612883331652753, 0.046974298107914536).occupancy,
        OverflowBlocking(5.8033892691422381e-06, 0.00019141757283426715, 1.2813152802010601e-82,
                         OverflowMethod::EquivalentRandom)
            .blocking,
    };
    for (double p : values) {
        EXPECT_TRUE(p >= 0 && p <= 1) << std::setprecision(17) << p;
    }
}

// The solvers end on any probe: a count never met, a NaN, fractional
// bounds (which once left a bisection at its lower end for ever), a root
// below the double range, and end at the root.
TEST(Engine, SolversStopAtTheirBounds) {
    using detail::Slope;
    using detail::Step;
    EXPECT_THROW(detail::SmallestCount(0, 1,
                                       [](std::int64_t) {
                                           return Step{false, 1, 0};
                                       }),
                 ConvergenceError);
    EXPECT_EQ(detail::SmallestCount(0.5, 1.9,
                                    [](std::int64_t n) {
                                        return Step{n >= 1, 1.0 - static_cast<double>(n), 1};
                                    }),
              1);
    EXPECT_THROW(detail::IncreasingRoot(
                     [](double) {
                         return Slope<>{NAN, 1};
                     },
                     1.0, 0.5, 2.0),
                 ConvergenceError);
    EXPECT_EQ(detail::IncreasingRoot(
                  [](double x) {
                      return Slope<>{std::log(x) + 1000, 1};
                  },
                  1.0, 0.0, 2.0),
              0);
    // Newton's step rounds away far from the root where the slope is too steep.
    EXPECT_DOUBLE_EQ(detail::IncreasingRoot(
                         [](double x) {
                             return Slope<>{std::log(x / 2), 1e30};
                         },
                         1.0, 0.5, 4.0),
                     2);
}

TEST(Engine, RefusesWhatHasNoAnswer) {
    reference::ExpectRefusals({
        {[] { ErlangB(-1, 5); }, "traffic must be a number of erlangs from 0 to 1e9, got -1"},
        {[] { ErlangB(NAN, 5); }, "traffic must be a number of erlangs from 0 to 1e9, got nan"},
        {[] { ErlangB(1.5e9, 5); }, "got 1.5e+09"},
        {[] { LogErlangB(5, INFINITY); }, "lines must be a number from 0 to 2e9, got inf"},
        {[] { ErlangBLines(5, 0); },
         "blocking must be from 1e-300 up to but not including 1, got 0"},
        {[] { ErlangBLines(5, 1); }, "got 1"},
        {[] { ErlangBTraffic(5, 9e-301); }, "got 9e-301"},
        {[] { ExtendedErlangBLines(5, 1, 0.01); }, "recall must be from 0 up to"},
        {[] { ErlangC(10, 10); },
         "traffic must be below the agents, 10, or the queue would grow without end, got 10"},
        {[] { ErlangCAverageWait(12, 10, 180); },
         "below the agents, 10, or the queue would grow without end, got 12"},
        {[] { ErlangCServiceLevel(5, 10, 0, 20); },
         "average handling time must be a time greater than 0, got 0"},
        {[] { ErlangCServiceLevel(5, 10, 180, -1); },
         "target time must be a time of 0 or more, got -1"},
        {[] { ErlangCAgents(5, 180, 20, 1); }, "service level must be from 0 up to"},
        // Answers that would leave the domain.
        {[] { ErlangBTraffic(1e9, 0.5); },
         "lines must be a number of lines that carry at most 1e9"},
        {[] { ExtendedErlangB(6e8, 1e8, 0.9); },
         "traffic must be a traffic whose load with retries"},
        {[] { ExtendedErlangBLines(1e3, 1 - 1e-12, 1 - 1e-12); }, "whose load with retries"},
    });
}

// The window's classic search decides from the rounded double recurrence, the
// engine from the true blocking: they may differ only where the target sits
// within that rounding of the blocking.
TEST(Engine, AgreesWithTheWindowBarRounding) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> logTraffic(std::log(1e-3), std::log(999999.0));
    std::uniform_real_distribution<double> logBlocking(std::log(0.0001), std::log(0.9999));
    int differ = 0;
    for (int i = 0; i < 1000; ++i) {
        const double A = std::exp(logTraffic(random));
        const double T = std::exp(logBlocking(random));
        const auto engine = static_cast<double>(ErlangBLines(A, T));
        const double window = mdl_Corvane::CalcLines(A, T);
        if (engine != window) {
            ++differ;
            const double n = std::fmin(engine, window);
            const long double B = detail::InverseBlocking<long double>(A, n).Reciprocal();
            EXPECT_LE(std::fabs(B - T), 4 * n * DBL_EPSILON * T) << "A=" << A << " T=" << T;
        }
    }
    std::cout << differ << " of 1000 differ, each at a tie within rounding\n";
}
