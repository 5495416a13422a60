#include "support/reference.h"
#include "teletraffic/engset.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/overflow.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace teletraffic;
using reference::Args;

EngsetLoad Kind(double k) {
    return k == 0   ? EngsetLoad::IdleSourceTraffic
           : k == 1 ? EngsetLoad::Traffic
                    : EngsetLoad::IntendedTraffic;
}
Engset Blocking(Args a) {
    return EngsetBlocking(Kind(a[2]), a[3], a[0], a[1]);
}

// Every answer against 50-digit values (tests/data/make_reference.py engset):
// counts exactly, ties included; the rest to a relative 1e-12.
TEST(Engset, AgreesWithTheReferenceTable) {
    const reference::Functions functions = {
        {"engset_time", [](Args a) { return Blocking(a).timeCongestion; }},
        {"engset_call", [](Args a) { return Blocking(a).callCongestion; }},
        {"engset_traffic_congestion", [](Args a) { return Blocking(a).trafficCongestion; }},
        {"engset_carried", [](Args a) { return Blocking(a).carried; }},
        {"engset_traffic", [](Args a) { return Blocking(a).traffic; }},
        {"engset_intended", [](Args a) { return Blocking(a).intendedTraffic; }},
        {"engset_beta", [](Args a) { return Blocking(a).idleSourceTraffic; }},
        {"engset_lines", [](Args a) { return EngsetLines(Kind(a[1]), a[2], a[0], a[3]); }},
        {"engset_solve_traffic", [](Args a) { return EngsetTraffic(a[0], a[1], a[2]).traffic; }},
        {"engset_solve_beta",
         [](Args a) { return EngsetTraffic(a[0], a[1], a[2]).idleSourceTraffic; }},
        {"overflow_mean", [](Args a) { return OverflowMoments(a[0], a[1]).mean; }},
        {"overflow_variance", [](Args a) { return OverflowMoments(a[0], a[1]).variance; }},
        {"ert_traffic", [](Args a) { return OverflowEquivalentRandom(a[0], a[1]).traffic; }},
        {"ert_lines", [](Args a) { return OverflowEquivalentRandom(a[0], a[1]).lines; }},
        {"overflow_blocking_ert",
         [](Args a) {
             return OverflowBlocking(a[0], a[1], a[2], OverflowMethod::EquivalentRandom).blocking;
         }},
        {"overflow_blocking_hayward",
         [](Args a) {
             return OverflowBlocking(a[0], a[1], a[2], OverflowMethod::Hayward).blocking;
         }},
        {"overflow_lines_ert",
         [](Args a) { return OverflowLines(a[0], a[1], OverflowMethod::EquivalentRandom, a[2]); }},
        {"overflow_lines_hayward",
         [](Args a) { return OverflowLines(a[0], a[1], OverflowMethod::Hayward, a[2]); }},
        {"offered", [](Args a) { return ErlangBOfferedTraffic(a[0], a[1]); }},
    };
    EXPECT_GT(reference::ExpectAgrees(CORVANE_ENGSET_REFERENCE, functions), 200u);
    // Targets a rounding either side of the measure at a count, from 16 lines
    // to a million, each load kind and both overflow methods; and exact ties
    // (make_reference.py ties).
    EXPECT_GT(reference::ExpectAgrees(CORVANE_COUNT_TIES, functions), 80u);
}

TEST(Engset, TrafficAnswersReadBackAsTheirLines) {
    // Sources, lines, target; the first three once answered a traffic that
    // needed a line more, or refused a starting guess beyond Erlang B's domain;
    // the last was refused back, a count near the sources needing beta above 1e9.
    const double cases[][3] = {{1e9, 999999999, 0.01}, {1e9, 990000000, 0.01},
                               {1e9, 999999990, 0.01}, {40, 8, 0.01},
                               {1e6, 300500, 0.3},     {40035172, 2875704, 0.9999999947926691}};
    for (const auto& [S, N, T] : cases) {
        SCOPED_TRACE(testing::Message() << S << " sources, " << N << " lines, " << T);
        const Engset e = EngsetTraffic(S, N, T);
        EXPECT_EQ(EngsetLines(EngsetLoad::Traffic, e.traffic, S, T), N);
        EXPECT_EQ(EngsetLines(EngsetLoad::IntendedTraffic, e.intendedTraffic, S, T), N);
        EXPECT_EQ(EngsetLines(EngsetLoad::IdleSourceTraffic, e.idleSourceTraffic, S, T), N);
    }
}

TEST(Engset, TendsToErlangBWithManySources) {
    // The offered (call-attempt) traffic fixed, the sources growing.
    const double erlang = ErlangB(10, 12);
    for (const double S : {100.0, 1e4, 1e6, 1e9}) {
        const double B = EngsetBlocking(EngsetLoad::Traffic, 10, S, 12).callCongestion;
        EXPECT_LT(B, erlang);
        EXPECT_LT((erlang - B) / erlang, 10 / S) << S;
    }
}

TEST(Overflow, EquivalentRandomGivesBackTheGroup) {
    // The overflow of 10 erlangs on 10 lines, and the group it came from.
    const Overflow o = OverflowMoments(10, 10);
    EXPECT_NEAR(o.mean, 2.145823, 1e-6);
    EXPECT_NEAR(o.variance, 4.362447, 1e-6);
    const EquivalentRandom er = OverflowEquivalentRandom(o.mean, o.variance);
    EXPECT_NEAR(er.traffic, 10, 1e-11);
    EXPECT_NEAR(er.lines, 10, 1e-11);
    // Fresh traffic is its own equivalent, with no lines before it.
    const EquivalentRandom fresh = OverflowEquivalentRandom(3.5, 3.5);
    EXPECT_EQ(fresh.traffic, 3.5);
    EXPECT_EQ(fresh.lines, 0);
}

TEST(Overflow, StreamsCombineByTheirMoments) {
    const Overflow a = OverflowMoments(10, 10);
    const Overflow b = OverflowMoments(5, 3);
    const Overflow sum = OverflowCombine(a, b);
    EXPECT_DOUBLE_EQ(sum.mean, a.mean + b.mean);
    EXPECT_DOUBLE_EQ(sum.variance, a.variance + b.variance);
    EXPECT_DOUBLE_EQ(sum.peakedness, sum.variance / sum.mean);
    // A more peaked stream needs more lines than its mean alone would.
    EXPECT_GT(OverflowLines(sum.mean, sum.variance, OverflowMethod::EquivalentRandom, 0.01),
              ErlangBLines(sum.mean, 0.01));
}

TEST(Offered, FromCarriedIsNotADivisionByTheBlocking) {
    const double A = ErlangBOfferedTraffic(19.2, 24);
    EXPECT_NEAR(A, 20.95, 0.005);
    EXPECT_NEAR(A * (1 - ErlangB(A, 24)), 19.2, 1e-13);
}

TEST(Engset, RefusesWhatHasNoAnswer) {
    reference::ExpectRefusals({
        {[] { EngsetBlocking(EngsetLoad::IdleSourceTraffic, 1, 4, 5); },
         "lines must be at most the sources, 4, got 5"},
        {[] { EngsetBlocking(EngsetLoad::IdleSourceTraffic, 1, 4.5, 2); },
         "sources must be a whole number from 1 to 1e9, got 4.5"},
        {[] { EngsetBlocking(EngsetLoad::Traffic, 4, 4, 4); },
         "traffic must be below the sources, 4, when every source has a line"},
        {[] { EngsetBlocking(EngsetLoad::IntendedTraffic, 4, 4, 2); },
         "intended traffic must be a number of erlangs from 0 up to but not including the "
         "sources, 4, got 4"},
        {[] { EngsetTraffic(4, 4, 0.1); },
         "lines must be fewer than the sources, 4: with a line for every source nothing is ever "
         "blocked, got 4"},
        {[] { OverflowEquivalentRandom(2, 1); },
         "variance must be at least the mean, 2: smoother traffic has no equivalent random "
         "traffic, got 1"},
        {[] { ErlangBOfferedTraffic(24, 24); }, "carried traffic must be below the lines, 24"},
        {[] { OverflowLines(2, 4, OverflowMethod::Hayward, 0); }, "blocking must be from 1e-300"},
        // Some 3e9 further lines needed: refused before the search for them.
        {[] { OverflowLines(1e9, 1e15, OverflowMethod::Hayward, 1e-300); },
         "blocking must be reached within 2e9 lines for this stream"},
    });
}

} // namespace
