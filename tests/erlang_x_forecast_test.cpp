// Erlang X over a forecast, white box: which of the ways to the expected
// counts over the fresh traffic's law answers (a fast way that breaks falls
// back to a slower one, which every accuracy test would pass), and that
// each way, called on its own, gives the figures the others give.
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x/checks.h"
#include "teletraffic/erlang_x/forecast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace {

using namespace teletraffic;
using erlang_x::ForecastMethod;

// Forecasts of the benchmark's kind: 180 s a call, the agents that meet 80 %
// within 20 s without the spread, the variance five times the calls over
// half an hour. Lines: 0 none, 1 one above the agents, 2 a quarter more, 3
// ten thousand above.
struct Forecast {
    double traffic, patience; // patience in handling times
    int lines;
    double redial;
    ForecastMethod answers;
    const char* why;

    double Agents() const {
        return static_cast<double>(std::isinf(patience)
                                       ? ErlangCAgents(traffic, 180, 20, 0.8)
                                       : ErlangAAgents(traffic, 180, patience * 180, 20, 0.8));
    }
    erlang_x::Centre Centre() const {
        const double N = Agents();
        const double line[] = {INFINITY, N + 1, std::ceil(N * 1.25), N + 1e4};
        const double calls = traffic * 10;
        return erlang_x::CheckCentre(N,
                                     {180, patience * 180, line[lines], redial, calls, 5 * calls});
    }
};

constexpr Forecast kForecasts[] = {
    {100, 1, 0, 0, ForecastMethod::GammaRule, "smooth over the law"},
    {10, 0.1, 1, 0.5, ForecastMethod::GammaRule, "impatient callers on few lines, redialling"},
    {1e4, 0.1, 1, 0, ForecastMethod::GammaRule, "a large centre"},
    {100, 10, 0, 0, ForecastMethod::ThroughTheTurn, "patient callers: a turn at the agents"},
    {1000, INFINITY, 2, 0, ForecastMethod::ThroughTheTurn, "no patience, a quarter more lines"},
    {100, INFINITY, 3, 0, ForecastMethod::RuledPieces, "a long queue filling: a sharp turn"},
    {1e4, 10, 2, 0, ForecastMethod::RuledPieces, "two turns within the law's bulk"},
    {100, 10, 0, 0.5, ForecastMethod::AdaptivePieces, "redials move the turn: none of the rules"},
};

std::string Name(const Forecast& f) {
    return std::string(f.why) + " (" + std::to_string(f.traffic) + " erlangs)";
}

TEST(ErlangXForecast, EachFormOfForecastIsAnsweredByItsOwnWay) {
    for (const Forecast& f : kForecasts) {
        const erlang_x::Centre c = f.Centre();
        const auto got = erlang_x::CountsOverTheLaw<double>(f.traffic, c, 20, Basis::Offered,
                                                            erlang_x::Need::All, 1e-12);
        EXPECT_EQ(static_cast<int>(got.method), static_cast<int>(f.answers)) << Name(f);
    }
}

// Each way that answers, called alone, against the others: every figure of
// some size to a relative 2e-12. (The pieces hold a count below 1e-30 of
// the largest, a blocking of 1e-29 on many lines, to its first digits only.)
TEST(ErlangXForecast, EveryWayThatAnswersGivesTheSameFigures) {
    using Counts = erlang_x::Counts<double>;
    for (const Forecast& f : kForecasts) {
        const erlang_x::Centre c = f.Centre();
        const auto need = erlang_x::Need::All;
        const double A = f.traffic;
        const erlang_x::Turns<double> turns = erlang_x::TurnsWorthSplitting(A, c);
        const std::optional<Counts> ways[] = {
            erlang_x::CountsByGammaRule(A, c, 20.0, Basis::Offered, need, 1e-12),
            erlang_x::CountsThroughTheTurn(A, c, 20.0, Basis::Offered, need, 1e-12),
            turns.at.empty()
                ? std::nullopt
                : erlang_x::CountsInRuledPieces(A, c, 20.0, Basis::Offered, need, turns, 1e-12),
            erlang_x::CountsByAdaptivePieces(A, c, 20.0, Basis::Offered, need),
        };
        ASSERT_TRUE(ways[static_cast<int>(f.answers)]) << Name(f);
        const erlang_x::Figures<double> want = erlang_x::FiguresOfCounts(*ways[3], A, c);
        for (int way = 0; way < 3; ++way) {
            if (!ways[way]) {
                continue;
            }
            const erlang_x::Figures<double> got = erlang_x::FiguresOfCounts(*ways[way], A, c);
            const struct {
                const char* name;
                double got, want;
            } figures[] = {
                {"blocking", got.blocking, want.blocking},
                {"wait", got.wait, want.wait},
                {"abandon", got.abandon, want.abandon},
                {"answered wait", got.answeredWait, want.answeredWait},
                {"occupancy", got.occupancy, want.occupancy},
                {"service level", got.level, want.level},
                {"miss", got.miss, want.miss},
                {"attempts", got.attempts, want.attempts},
                {"callers lost", got.callersLost, want.callersLost},
            };
            for (const auto& x : figures) {
                if (std::fabs(x.want) > 1e-20) {
                    EXPECT_NEAR(x.got, x.want, 2e-12 * std::fabs(x.want))
                        << Name(f) << ", way " << way << ", " << x.name;
                }
            }
        }
    }
}

} // namespace
