#include "support/reference.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/staffing_factors.h"

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

// Against tests/data/erlang_a_reference.csv (make_reference.py erlang_a, 50
// digits): counts exactly, ties included; the rest to a relative 1e-12. The
// limits are rows of their own, each from a model of its own: no end to
// patience is Erlang C (or, above the agents, the excess hanging up), none at
// all Erlang B, patience = aht the Poisson tail.
TEST(ErlangA, AgreesWithTheReferenceTable) {
    const reference::Functions functions = {
        {"a_wait_probability",
         [](Args a) { return ErlangA(a[0], a[1], a[2], a[3]).waitProbability; }},
        {"a_abandon_probability",
         [](Args a) { return ErlangA(a[0], a[1], a[2], a[3]).abandonProbability; }},
        {"a_average_wait", [](Args a) { return ErlangA(a[0], a[1], a[2], a[3]).averageWait; }},
        {"a_occupancy", [](Args a) { return ErlangA(a[0], a[1], a[2], a[3]).occupancy; }},
        {"a_service_level",
         [](Args a) { return ErlangAServiceLevel(a[0], a[1], a[2], a[3], a[4]); }},
        {"a_agents", [](Args a) { return ErlangAAgents(a[0], a[1], a[2], a[3], a[4]); }},
        {"a_agents_for_wait", [](Args a) { return ErlangAAgentsForWait(a[0], a[1], a[2], a[3]); }},
        {"c_agents_for_wait", [](Args a) { return ErlangCAgentsForWait(a[0], a[1], a[2]); }},
        {"c_wait_probability", [](Args a) { return ErlangA(a[0], a[1], 1, 1e20).waitProbability; }},
        {"b_blocking", [](Args a) { return ErlangA(a[0], a[1], 1, 1e-20).abandonProbability; }},
        {"poisson_tail", [](Args a) { return ErlangA(a[0], a[1], 1, 1).waitProbability; }},
        {"limit_average_wait", [](Args a) { return ErlangA(a[0], a[1], 1, a[2]).averageWait; }},
        {"limit_abandon_probability",
         [](Args a) { return ErlangA(a[0], a[1], 1, a[2]).abandonProbability; }},
    };
    EXPECT_GT(reference::ExpectAgrees(CORVANE_ERLANG_A_REFERENCE, functions), 150u);
}

// The factors on the decimals typed: 0.2 and 0.7 as written, not as the
// nearest doubles, which would give 106 and 11.
TEST(ErlangA, StaffingFactors) {
    const struct {
        Schedule got;
        std::int64_t onPhones, scheduled;
        Decided by;
    } cases[] = {
        {ScheduleAgents(10, 84, 0.2, 1), 84, 105, Decided::ServiceTarget},
        {ScheduleAgents(7, 1, 0, 0.7), 10, 10, Decided::Occupancy},
        {ScheduleAgents(10, 14, 0.3, 1), 14, 20, Decided::ServiceTarget},
        {ScheduleAgents(0, 0, 0.5, 0.5), 0, 0, Decided::ServiceTarget},
        {ScheduleAgents(1e9, 3, 0, 1), 1000000000, 1000000000, Decided::Occupancy},
        // Callers who hang up are not carried: A (1 - P(Ab)) / n is 0.685 at 9
        // of the 10 the offered 7 erlangs would need at 70 %.
        {ErlangAScheduleAgents(7, 1, 180, 1.8, 0, 0.7), 9, 9, Decided::Occupancy},
        {ErlangAScheduleAgents(7, 12, 180, 1.8, 0.2, 0.7), 12, 15, Decided::ServiceTarget},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got.onPhones, c.onPhones) << &c - cases;
        EXPECT_EQ(c.got.scheduled, c.scheduled) << &c - cases;
        EXPECT_EQ(c.got.decidedBy, c.by) << &c - cases;
    }
}

TEST(ErlangA, EdgesOfTheDomain) {
    const struct {
        double got, want;
    } cases[] = {
        {ErlangA(0, 5, 180, 60).waitProbability, 0},
        {ErlangAServiceLevel(0, 5, 180, 60, 20), 1},
        {ErlangA(5, 0, 180, 60).abandonProbability, 1},
        {ErlangA(5, 0, 180, 60).averageWait, 60},
        {ErlangAServiceLevel(5, 0, 180, 60, 20), 0},
        {static_cast<double>(ErlangAAgents(0, 180, 60, 20, 0.8)), 0},
        {static_cast<double>(ErlangAAgents(50, 180, 60, 20, 0)), 1},
        {static_cast<double>(ErlangAAgentsForWait(50, 180, 60, 60)), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.want) << &c - cases;
    }
}

TEST(ErlangA, RefusesWhatHasNoAnswer) {
    reference::ExpectRefusals({
        {[] { ErlangA(5, 10, 180, 0); }, "patience must be a time greater than 0, got 0"},
        {[] { ErlangA(5, 10, 180, INFINITY); }, "patience must be a time greater than 0, got inf"},
        {[] { ErlangA(5, 10, 180, NAN); }, "got nan"},
        {[] { ErlangA(5, 10, 0, 60); },
         "average handling time must be a time greater than 0, got 0"},
        {[] { ErlangA(5, -1, 180, 60); }, "agents must be a number from 0 to 2e9, got -1"},
        {[] { ErlangAServiceLevel(5, 10, 180, 60, -1); }, "target time must be a time of 0"},
        {[] { ErlangAAgents(5, 180, 60, 20, 1); }, "service level must be from 0 up to"},
        {[] { ErlangAAgentsForWait(5, 180, 60, 0); },
         "average wait must be a time greater than 0, got 0"},
        {[] { ErlangCAgentsForWait(5, 180, INFINITY); }, "average wait must be a time"},
        {[] { ScheduleAgents(5, 10, 1, 1); },
         "shrinkage must be from 0 up to but not including 1, got 1"},
        {[] { ScheduleAgents(5, 10, 0, 0); },
         "occupancy cap must be greater than 0 and at most 1, got 0"},
        {[] { ScheduleAgents(5, 10, 0, 1.5); }, "occupancy cap must be"},
        {[] { ScheduleAgents(5, 2000000000, 0.9999999999999999, 1); },
         "shrinkage must be small enough that the agents to schedule are at most 2e9"},
        {[] { ScheduleAgents(5, 10, 0, 1e-300); },
         "occupancy cap must be large enough that the agents it needs are at most 2e9"},
    });
}

} // namespace
