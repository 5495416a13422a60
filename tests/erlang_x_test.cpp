#include "support/reference.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <deque>
#include <functional>
#include <iomanip>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <queue>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace teletraffic;
using reference::Args;

ErlangXModel Model(double aht, double patience, double lines, double redial, double calls,
                   double variance) {
    return {aht, patience, lines, redial, calls, variance};
}

std::optional<double> Given(double value) {
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

// Targets as the table writes them: time, basis, then the five, nan for none.
ErlangXTargets Targets(Args a, std::size_t from) {
    ErlangXTargets t;
    t.targetTime = a[from];
    t.basis = static_cast<Basis>(a[from + 1]);
    t.serviceLevel = Given(a[from + 2]);
    t.averageWait = Given(a[from + 3]);
    t.answeredWait = Given(a[from + 4]);
    t.maxAbandon = Given(a[from + 5]);
    t.maxBlocking = Given(a[from + 6]);
    return t;
}

ErlangXFigures At(Args a) {
    return ErlangX(a[0], a[1], Model(a[2], a[3], a[4], a[5], a[6], a[7]), a[8],
                   a.size() > 9 ? static_cast<Basis>(a[9]) : Basis::Offered);
}

const reference::Functions& Functions() {
    static const reference::Functions functions = {
        {"x_blocking", [](Args a) { return At(a).blocking; }},
        {"x_wait_probability", [](Args a) { return At(a).waitProbability; }},
        {"x_abandon_probability", [](Args a) { return At(a).abandonProbability; }},
        {"x_average_wait", [](Args a) { return At(a).averageWait; }},
        {"x_answered_wait", [](Args a) { return At(a).answeredWait; }},
        {"x_occupancy", [](Args a) { return At(a).occupancy; }},
        {"x_attempts_traffic", [](Args a) { return At(a).attemptsTraffic; }},
        {"x_callers_lost", [](Args a) { return At(a).callersLost; }},
        {"x_service_level", [](Args a) { return At(a).serviceLevel; }},
        {"x_agents",
         [](Args a) {
             return static_cast<double>(
                 ErlangXAgents(a[0], Model(a[1], a[2], a[3], a[4], a[5], a[6]), Targets(a, 7)));
         }},
        {"x_lines",
         [](Args a) {
             return static_cast<double>(
                 ErlangXLines(a[0], a[1], Model(a[2], a[3], INFINITY, a[4], 0, 0), a[5]));
         }},
        {"x_capacity",
         [](Args a) {
             return ErlangXCapacity(a[0], Model(a[1], a[2], a[3], a[4], a[5], a[6]), Targets(a, 7));
         }},
    };
    return functions;
}

// Against tests/data/erlang_x_reference.csv (make_erlang_x_reference.py, 50
// digits from the chain summed state by state): region by region, the worst
// relative error in units of double's epsilon (1e-12 is 4504); counts exactly.
TEST(ErlangX, AgreesWithTheReferenceRegionByRegion) {
    const std::vector<reference::Row> rows = reference::Read(CORVANE_ERLANG_X_REFERENCE, true);
    ASSERT_GT(rows.size(), 500u);
    std::map<std::string, std::pair<double, int>> worst; // error, rows
    for (const reference::Row& row : rows) {
        std::ostringstream name;
        name << row.region << ' ' << row.function;
        for (double a : row.args) {
            name << ' ' << std::setprecision(17) << a;
        }
        double got = NAN;
        try {
            got = Functions().at(row.function)(row.args);
        } catch (const std::exception& e) {
            ADD_FAILURE() << name.str() << ": " << e.what();
            continue;
        }
        const long double want = std::strtold(row.expected.c_str(), nullptr); // 0 below its range
        double error = 0;
        if (reference::IsCount(row)) {
            EXPECT_EQ(got, want) << name.str();
            error = got == want ? 0 : INFINITY;
        } else if (std::fabs(want) < DBL_MIN) {
            error = got <= DBL_MIN ? 0 : INFINITY; // below the double range
            EXPECT_EQ(error, 0) << name.str() << " got " << got;
        } else {
            error = static_cast<double>(std::fabs((got - want) / want));
            EXPECT_LE(error, 1e-12) << name.str() << " got " << std::setprecision(17) << got;
        }
        auto& [err, count] = worst[row.region + " " + row.function];
        err = std::fmax(err, error);
        ++count;
    }
    for (const auto& [region, result] : worst) {
        std::cout << std::left << std::setw(44) << region << std::right << std::setw(5)
                  << result.second << " rows, worst " << std::fixed << std::setprecision(2)
                  << std::setw(6) << result.first / DBL_EPSILON << " epsilon\n"
                  << std::defaultfloat;
    }
}

// Without lines, redials or a forecast's variance the figures are Erlang A's
// to the bit (Erlang C's without patience), every basis of Erlang C alike.
TEST(ErlangX, WithNothingMoreIsErlangAOrC) {
    const ErlangXFigures a = ErlangX(10, 12, Model(180, 300, INFINITY, 0, 0, 0), 20);
    const Abandonment ea = ErlangA(10, 12, 180, 300);
    const ErlangXFigures c =
        ErlangX(10, 12, Model(180, INFINITY, INFINITY, 0, 0, 0), 20, Basis::Virtual);
    const struct {
        double got, want;
    } cases[] = {
        {a.waitProbability, ea.waitProbability},
        {a.abandonProbability, ea.abandonProbability},
        {a.averageWait, ea.averageWait},
        {a.occupancy, ea.occupancy},
        {a.serviceLevel, ErlangAServiceLevel(10, 12, 180, 300, 20)},
        {a.blocking, 0},
        {c.waitProbability, ErlangC(10, 12)},
        {c.answeredWait, ErlangCAverageWait(10, 12, 180)},
        {c.serviceLevel, ErlangCServiceLevel(10, 12, 180, 20)},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(k.got, k.want) << &k - cases;
    }
}

// A forecast's figures at the ends of the traffic and the agents are the
// figures without its spread there: no agents occupied at all, a traffic
// below double's normal range answered (its attempts not NaN), no traffic
// taken by no agents within a service level.
TEST(ErlangX, AForecastAtItsLimitsIsTheCentreWithoutIt) {
    const ErlangXModel forecast = Model(323.7, 6.19, 3, 0, 1, 2.62);
    const ErlangXModel plain = Model(323.7, 6.19, 3, 0, 0, 0);
    const double least = std::numeric_limits<double>::denorm_min();
    ErlangXTargets level;
    level.targetTime = 196.8;
    level.serviceLevel = 0.92;
    const struct {
        const char* what;
        std::function<double(const ErlangXModel&)> figure;
    } cases[] = {
        {"occupancy of no agents", [](auto& m) { return ErlangX(5, 0, m).occupancy; }},
        {"attempts below the normal range",
         [&](auto& m) { return ErlangX(least, 1, m).attemptsTraffic; }},
        {"capacity of no agents", [&](auto& m) { return ErlangXCapacity(0, m, level); }},
    };
    for (const auto& c : cases) {
        double got = NAN;
        double want = NAN;
        try {
            got = c.figure(forecast);
            want = c.figure(plain);
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.what << ": " << e.what();
        }
        EXPECT_EQ(got, want) << c.what;
    }
}

TEST(ErlangX, RefusesWhatHasNoAnswer) {
    const ErlangXModel lines = Model(180, 300, 20, 0, 0, 0);
    ErlangXTargets level;
    level.targetTime = 20;
    level.serviceLevel = 0.8;
    ErlangXTargets tight = level;
    tight.maxBlocking = 1e-6;
    ErlangXTargets abandon;
    abandon.maxAbandon = 0.05;
    reference::ExpectRefusals({
        {[&] { ErlangX(10, 21, lines); }, "lines must be at least the agents, 21, got 20"},
        {[] { ErlangX(10, 12, Model(180, 300, 14.5, 0, 0, 0)); },
         "lines must be a whole number from 1 to 2e9, or none (left out), got 14.5"},
        {[&] { ErlangX(10, 12.5, lines); }, "agents must be a whole number when lines are given"},
        {[] { ErlangX(10, 12, Model(180, 300, 20, 1, 0, 0)); },
         "redial must be from 0 up to but not including 1, got 1"},
        {[] { ErlangX(10, 12, Model(180, 300, 20, 0, 100, 90)); },
         "variance must be at least the calls, 100, got 90"},
        {[] { ErlangX(10, 12, Model(180, 300, 20, 0, 0, 90)); },
         "calls must be a number greater than 0 with a variance"},
        {[] { ErlangX(10, 12, Model(180, INFINITY, INFINITY, 0, 100, 200)); },
         "variance must be equal to the calls unless lines or patience keep the queue finite"},
        {[] { ErlangX(12, 12, Model(180, INFINITY, INFINITY, 0, 0, 0)); },
         "traffic must be below the agents"},
        {[] { ErlangX(10, 0, Model(180, INFINITY, 20, 0, 0, 0)); },
         "agents must be greater than 0 when callers never hang up"},
        {[&] { ErlangXAgents(10, lines, ErlangXTargets{}); }, "service level must be given"},
        {[&] { ErlangXAgents(10, Model(180, INFINITY, 20, 0, 0, 0), abandon); },
         "abandonment cap must be given with a patience"},
        {[&] { ErlangXAgents(10, Model(180, 300, INFINITY, 0, 0, 0), tight); },
         "blocking cap must be given with lines"},
        {[&] { ErlangXAgents(100, Model(180, 300, 20, 0, 0, 0), tight); },
         "blocking cap must be met by at most 20 agents on 20 lines, got 1e-06"},
        {[] { ErlangXLines(30, 20, Model(180, INFINITY, INFINITY, 0, 0, 0), 0.2); },
         "blocking must be above 0.33333333333333337, which no number of lines meets"},
        {[&] { ErlangXCapacity(5, Model(180, 300, 5, 0, 0, 0), level); },
         "service level must be a target these agents miss at some traffic up to 1e9 erlangs"},
    });
}

// What holds at every point: shares within [0, 1] and ordered as their
// bases are (the answered and those gone within the target are fewer than
// the accepted; the virtual wait is the wait without patience); figures
// monotone in the agents and the lines; counts minimal; a capacity read back
// meets its target.
TEST(ErlangX, HoldsAtRandomPoints) {
    std::mt19937_64 random(20260322);
    const auto log = [&](double lo, double hi) {
        return std::exp(std::uniform_real_distribution<double>(std::log(lo), std::log(hi))(random));
    };
    for (int i = 0; i < 40; ++i) {
        const double A = log(0.1, 2000);
        const double patience = i % 5 == 0 ? INFINITY : 180 * log(0.01, 100);
        // Without patience the lines' blocking falls only to 1 - n/A: more agents than traffic.
        const double n = std::ceil(A * log(std::isinf(patience) ? 1.1 : 0.5, 1.5));
        const double K = n + std::floor(log(1, 2 * n + 2));
        const double r = i % 3 == 0 ? 0 : log(0.01, 0.95);
        const ErlangXModel model = Model(180, patience, K, r, 0, 0);
        SCOPED_TRACE(testing::Message() << "A=" << A << " n=" << n << " K=" << K
                                        << " patience=" << patience << " r=" << r);
        double level[4];
        for (int b = 0; b < 4; ++b) {
            const ErlangXFigures f = ErlangX(A, n, model, 20, static_cast<Basis>(b));
            level[b] = f.serviceLevel;
            for (double p : {f.blocking, f.waitProbability, f.abandonProbability, f.occupancy,
                             f.serviceLevel, f.callersLost}) {
                EXPECT_TRUE(p >= 0 && p <= 1) << p;
            }
        }
        EXPECT_LE(level[0], level[1] * (1 + 1e-14));
        EXPECT_LE(level[0], level[2] * (1 + 1e-14));
        EXPECT_LE(level[0], level[3] * (1 + 1e-14));
        const ErlangXFigures here = ErlangX(A, n, model, 20);
        const ErlangXFigures moreAgents =
            ErlangX(A, n + 1, Model(180, patience, K + 1, r, 0, 0), 20);
        const ErlangXFigures moreLines = ErlangX(A, n, Model(180, patience, K + 1, r, 0, 0), 20);
        EXPECT_LE(moreLines.blocking, here.blocking);
        EXPECT_GE(moreAgents.serviceLevel, here.serviceLevel * (1 - 1e-14));
        EXPECT_LE(moreAgents.abandonProbability, here.abandonProbability * (1 + 1e-14));
        ErlangXTargets t;
        t.targetTime = 20;
        t.serviceLevel = 0.8;
        t.basis = static_cast<Basis>(i % 4);
        const ErlangXModel wide = Model(180, patience, std::ceil(4 * A) + 20, r, 0, 0);
        const auto m = static_cast<double>(ErlangXAgents(A, wide, t));
        EXPECT_GE(ErlangX(A, m, wide, 20, t.basis).serviceLevel, 0.8);
        if (m > 1) {
            EXPECT_LT(ErlangX(A, m - 1, wide, 20, t.basis).serviceLevel, 0.8);
        }
        const auto L = static_cast<double>(ErlangXLines(A, n, model, 0.01));
        EXPECT_LE(ErlangX(A, n, Model(180, patience, L, r, 0, 0)).blocking, 0.01);
        if (L > std::fmax(n, 1)) {
            EXPECT_GT(ErlangX(A, n, Model(180, patience, L - 1, r, 0, 0)).blocking, 0.01);
        }
        // (With lines the accepted may keep the level at every traffic.)
        const ErlangXModel open = Model(180, patience, INFINITY, r, 0, 0);
        const double most = ErlangXCapacity(n, open, t);
        EXPECT_GE(ErlangX(most, n, open, 20, t.basis).serviceLevel, 0.8);
    }
}

// A capacity read back: its figures, as ErlangX gives them, meet every
// target, and those of the next larger double miss one (a root rounded a
// few units above the largest such traffic would have its level print below
// the target). Targets as Targets writes them: time, basis, then the five.
TEST(ErlangX, CapacityIsTheLargestTrafficWhoseFiguresMeetTheTargets) {
    constexpr double no = NAN;
    const struct {
        const char* what;
        double agents, aht, patience, lines, redial, calls, variance;
        std::vector<double> targets;
    } cases[] = {
        {"virtual, patience a third of a call",
         14,
         180,
         60,
         INFINITY,
         0,
         0,
         0,
         {20, 3, 0.8, no, no, no, no}},
        {"by Erlang C", 14, 180, INFINITY, INFINITY, 0, 0, 0, {20, 0, 0.8, no, no, no, no}},
        {"by Erlang A, its wait", 14, 180, 300, INFINITY, 0, 0, 0, {0, 0, no, 10, no, no, no}},
        {"lines, hang-ups and redials",
         14,
         180,
         300,
         18,
         0.5,
         0,
         0,
         {20, 1, 0.8, no, no, 0.03, no}},
        {"the answered wait over a forecast's spread",
         14,
         180,
         300,
         INFINITY,
         0,
         100,
         300,
         {0, 0, no, no, 5, no, no}},
        {"over the answered, some units in the last place above the root still meeting it",
         147,
         180,
         60,
         INFINITY,
         0,
         0,
         0,
         {20, 1, 0.75, no, no, no, no}},
        {"a level of 1e-208, none at the traffics above",
         5,
         180,
         INFINITY,
         5000,
         0,
         0,
         0,
         {20, 0, 4.6553444306122385e-208, no, no, no, no}},
    };
    const auto meets = [](const ErlangXFigures& f, const ErlangXTargets& t) {
        return f.serviceLevel >= t.serviceLevel.value_or(0) &&
               f.averageWait <= t.averageWait.value_or(INFINITY) &&
               f.answeredWait <= t.answeredWait.value_or(INFINITY) &&
               f.abandonProbability <= t.maxAbandon.value_or(1) &&
               f.blocking <= t.maxBlocking.value_or(1);
    };
    for (const auto& k : cases) {
        const ErlangXModel m = Model(k.aht, k.patience, k.lines, k.redial, k.calls, k.variance);
        const ErlangXTargets t = Targets(k.targets, 0);
        try {
            const double most = ErlangXCapacity(k.agents, m, t);
            const auto at = [&](double A) {
                return ErlangX(A, k.agents, m, t.targetTime, t.basis);
            };
            EXPECT_TRUE(meets(at(most), t)) << k.what << " at " << std::setprecision(17) << most;
            EXPECT_FALSE(meets(at(std::nextafter(most, INFINITY)), t)) << k.what;
        } catch (const std::exception& e) {
            ADD_FAILURE() << k.what << ": " << e.what();
        }
    }
}

// Across the forecast's spread and the queue's far tails, edges and random
// points alike, figures, agents, lines and capacities answer or refuse by
// name: none ends in a search or a quadrature that gave up. The edges: a law
// far wider than its mean with redials near 1, many lines without patience;
// targets met exactly at an overload with thousands of lines, where the
// wait's law runs far into its tail and its root beyond the cut.
TEST(ErlangX, AnswersOrRefusesAcrossTheSpread) {
    const auto answers = [](const std::function<void()>& call, const std::string& what) {
        try {
            call();
        } catch (const DomainError&) {
            // a refusal by name is an answer
        } catch (const std::exception& e) {
            ADD_FAILURE() << what << ": " << e.what();
        }
    };
    const struct {
        const char* what;
        double traffic, agents, patience, lines, redial, calls, variance;
        int op; // 0 figures, 1 agents, 2 lines, 3 capacity, on the figure at the traffic
        double targetTime = 20;
    } edges[] = {
        {"a shape of 0.03, redials near 1", 4.777, 5, INFINITY, 5, 0.95, 0.0382, 0.0881, 2},
        {"a tenfold variance, no patience", 3.247, 5, INFINITY, 5, 0.065, 511.7, 5117.0, 2},
        {"the answered wait overloaded on 5001 lines", 2, 1, 1.8e7, 5001, 0, 0, 0, 3},
        {"the level overloaded on 4161 lines", 120, 60, 1800, 4161, 0, 0, 0, 3},
        {"a target time of 1e300 on 16 lines", 10, 11, INFINITY, 16, 0, 0, 0, 3, 1e300},
        // Its miss, some 1e-360 of the calls, once came out of rounding below 0.
        {"a miss below every digit on 5 lines", 7663.4, 7637, INFINITY, 7642, 0, 68717.2, 637789,
         0},
        // Answered waits without lines: once NaN, once a root not bracketed.
        {"a hundredfold overload, patience 1e30 calls", 1e5, 1e3, 1.8e32, INFINITY, 0, 0, 0, 0},
        {"a hundredth of 1e5 agents, patience 100 calls", 1e3, 1e5, 18000, INFINITY, 0, 0, 0, 0},
    };
    for (const auto& k : edges) {
        const ErlangXModel m = Model(180, k.patience, k.lines, k.redial, k.calls, k.variance);
        const ErlangXFigures f = ErlangX(k.traffic, k.agents, m, k.targetTime);
        if (k.op == 0) {
            EXPECT_TRUE(f.answeredWait >= 0 && f.answeredWait < INFINITY) << k.what;
            continue;
        }
        ErlangXTargets t;
        t.targetTime = k.targetTime;
        (k.op == 3 && k.patience > 1e6 ? t.answeredWait : t.serviceLevel) =
            k.patience > 1e6 ? f.answeredWait : f.serviceLevel;
        answers(
            [&] {
                if (k.op == 2) {
                    ErlangXLines(k.traffic, k.agents, m, 0.01);
                } else {
                    ErlangXCapacity(k.agents, m, t);
                }
            },
            k.what);
    }
    std::mt19937_64 random(20261207);
    const auto log = [&](double lo, double hi) {
        return std::exp(std::uniform_real_distribution<double>(std::log(lo), std::log(hi))(random));
    };
    for (int i = 0; i < 40; ++i) {
        const double A = log(0.01, 300);
        const double ratio = i % 5 == 0 ? INFINITY : log(1e-3, 1e3);
        const double n = std::ceil(A * log(0.5, 2)) + 1;
        // (Beyond 4096 queue positions without patience a capacity over the
        // spread takes seconds: the edges above go there.)
        const double K = i % 3 == 0 && !std::isinf(ratio) ? INFINITY : n + std::floor(log(1, 3000));
        const double calls = log(1e-2, 1e5);
        const ErlangXModel m =
            Model(180, 180 * ratio, K, i % 2 ? 0 : log(0.01, 0.95), calls, calls * log(1, 10));
        ErlangXTargets t;
        t.targetTime = 20;
        t.basis = static_cast<Basis>(i % 4);
        t.serviceLevel = log(0.05, 0.99);
        std::ostringstream what;
        what << "A=" << A << " n=" << n << " K=" << K << " ratio=" << ratio << " calls=" << calls
             << " op " << i % 4;
        answers(
            [&] {
                switch (i % 4) {
                case 0:
                    EXPECT_LE(ErlangX(A, n, m, 20, t.basis).serviceLevel, 1) << what.str();
                    break;
                case 1:
                    ErlangXAgents(A, m, t);
                    break;
                case 2:
                    ErlangXLines(A, n, m, 0.01);
                    break;
                default:
                    ErlangXCapacity(n, m, t);
                }
            },
            what.str());
    }
    // No traffic needs no agents, an answer taken back even without patience.
    ErlangXTargets level;
    level.serviceLevel = 0.8;
    const ErlangXModel patient = Model(180, INFINITY, INFINITY, 0, 0, 0);
    EXPECT_EQ(ErlangXAgents(0, patient, level), 0);
    EXPECT_EQ(ErlangX(0, 0, patient).serviceLevel, 1);
}

// --- A discrete-event simulation of the centre -----------------------------------

// The centre simulated call by call: fresh calls at random (their rate drawn
// from the forecast's Gamma law, replication by replication), agents and
// patience exponential, a blocked or abandoning attempt calling again after
// a long random delay with probability `redial`. A caller who hangs up stays
// in the queue as a ghost, as if patient, until an agent would have been
// free for them: the virtual wait. Counts per batch of replications.
struct Simulated {
    static constexpr int kFigures = 12;
    // blocking, wait, abandon, average wait, answered wait, occupancy, the
    // four service levels, attempts traffic, callers lost
    std::array<std::vector<double>, kFigures> batches;
};

struct Centre {
    double traffic, agents, aht, patience, lines, redial, calls, variance, target;
};

class Simulation {
public:
    Simulation(const Centre& c, std::uint64_t seed)
        : c_(c)
        , random_(seed) {}

    Simulated Run(int batches, int replications, double length) {
        Simulated out;
        const double shape =
            c_.variance > c_.calls ? c_.calls * c_.calls / (c_.variance - c_.calls) : 0;
        for (int b = 0; b < batches; ++b) {
            Counts n{};
            for (int r = 0; r < replications; ++r) {
                double rate = c_.traffic / c_.aht;
                if (shape > 0) {
                    rate = std::gamma_distribution<double>(shape, rate / shape)(random_);
                }
                Replicate(rate, length, n);
            }
            const double accepted = n.attempts - n.blocked;
            const double figures[Simulated::kFigures] = {
                n.blocked / n.attempts,
                n.waited / accepted,
                n.abandoned / accepted,
                (n.answeredWaits + n.abandonedWaits) / accepted,
                n.answeredWaits / n.answered,
                n.busyTime / (n.time * c_.agents),
                n.answeredWithin / accepted,
                n.answeredWithin / n.answered,
                n.answeredWithin / (accepted - n.shortAbandons),
                n.reachedWithin / accepted,
                n.attempts * c_.aht / n.time,
                n.callersLost / n.fresh,
            };
            for (int i = 0; i < Simulated::kFigures; ++i) {
                out.batches[static_cast<std::size_t>(i)].push_back(figures[i]);
            }
        }
        return out;
    }

private:
    struct Counts {
        double attempts, blocked, waited, abandoned, shortAbandons, answered, answeredWithin,
            reachedWithin, answeredWaits, abandonedWaits, busyTime, time, fresh, callersLost;
    };
    struct Waiting {
        double since;
        bool ghost;
    };

    double Exp(double rate) { return std::exponential_distribution<double>(rate)(random_); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }

    // One stationary stretch at a fresh rate; counted after a warm-up.
    void Replicate(double rate, double length, Counts& n) {
        const double warm = 20 * c_.aht;
        const double mu = 1 / c_.aht;
        const double theta = std::isinf(c_.patience) ? 0 : 1 / c_.patience;
        const double delay = 50 * c_.aht; // redials well mixed: as good as Poisson
        std::deque<Waiting> queue;
        std::priority_queue<double, std::vector<double>, std::greater<>> redials;
        int busy = 0;
        int waiting = 0;
        double now = 0;
        const auto counting = [&] { return now > warm; };
        const auto lost = [&] {
            if (Chance(c_.redial)) {
                redials.push(now + Exp(1 / delay));
            } else if (counting()) {
                ++n.callersLost;
            }
        };
        const auto reach = [&](const Waiting& w) { // at the head, an agent free
            if (counting() && now - w.since <= c_.target) {
                ++n.reachedWithin;
            }
        };
        while (now < warm + length) {
            const double total = rate + busy * mu + waiting * theta;
            double next = now + Exp(total);
            const bool redialNow = !redials.empty() && redials.top() < next;
            if (redialNow) {
                next = redials.top();
                redials.pop();
            }
            if (counting()) {
                n.busyTime += busy * (next - std::max(now, warm));
            }
            now = next;
            const double u = std::uniform_real_distribution<double>(0, total)(random_);
            if (redialNow || u < rate) {
                const bool count = counting();
                if (!redialNow && count) {
                    ++n.fresh;
                }
                n.attempts += count;
                if (busy + waiting >= c_.lines) {
                    n.blocked += count;
                    lost();
                } else if (busy < c_.agents) {
                    ++busy;
                    n.answered += count;
                    n.answeredWithin += count;
                    n.reachedWithin += count;
                } else {
                    queue.push_back({now, false});
                    ++waiting;
                    n.waited += count;
                }
            } else if (u < rate + busy * mu) {
                --busy;
                while (!queue.empty() && queue.front().ghost) {
                    reach(queue.front());
                    queue.pop_front();
                }
                if (!queue.empty()) {
                    const Waiting w = queue.front();
                    queue.pop_front();
                    --waiting;
                    ++busy;
                    reach(w);
                    if (counting()) {
                        ++n.answered;
                        n.answeredWaits += now - w.since;
                        n.answeredWithin += now - w.since <= c_.target;
                    }
                }
            } else {
                // One of those waiting, at random, hangs up.
                int which = std::uniform_int_distribution<int>(0, waiting - 1)(random_);
                for (Waiting& w : queue) {
                    if (!w.ghost && which-- == 0) {
                        w.ghost = true;
                        if (counting()) {
                            ++n.abandoned;
                            n.abandonedWaits += now - w.since;
                            n.shortAbandons += now - w.since <= c_.target;
                        }
                        break;
                    }
                }
                --waiting;
                lost();
            }
        }
        n.time += length;
    }

    Centre c_;
    std::mt19937_64 random_;
};

// The simulation confirms what each figure means, not its digits: every
// figure within five standard errors of its batches' mean (plus a relative
// thousandth for what the model leaves out: the redials' delay, the warm-up).
TEST(ErlangX, MeansWhatASimulationCounts) {
    const struct {
        const char* what;
        Centre c;
        int replications;
        double length;
    } cases[] = {
        {"lines and patience, every basis", {5, 5, 1, 2, 8, 0, 0, 0, 0.3}, 1, 4000},
        {"overloaded, callers redialling", {7, 5, 1, 1, 7, 0.6, 0, 0, 0.5}, 1, 4000},
        {"no patience, lines", {4.5, 5, 1, INFINITY, 9, 0, 0, 0, 0.2}, 1, 4000},
        {"forecast variance", {5, 5, 1, 2, 8, 0, 40, 200, 0.3}, 40, 100},
    };
    const char* names[] = {"blocking",       "wait",      "abandon",  "average wait",
                           "answered wait",  "occupancy", "offered",  "answered",
                           "short abandons", "virtual",   "attempts", "callers lost"};
    std::uint64_t seed = 20260322;
    for (const auto& k : cases) {
        const Centre& c = k.c;
        const Simulated sim = Simulation(c, seed++).Run(20, k.replications, k.length);
        const ErlangXModel model{c.aht, c.patience, c.lines, c.redial, c.calls, c.variance};
        std::vector<double> engine;
        for (Basis basis :
             {Basis::Offered, Basis::Answered, Basis::ExcludingShortAbandons, Basis::Virtual}) {
            const ErlangXFigures f = ErlangX(c.traffic, c.agents, model, c.target, basis);
            if (engine.empty()) {
                engine = {f.blocking,    f.waitProbability, f.abandonProbability,
                          f.averageWait, f.answeredWait,    f.occupancy};
            }
            engine.push_back(f.serviceLevel);
            if (basis == Basis::Virtual) {
                engine.push_back(f.attemptsTraffic);
                engine.push_back(f.callersLost);
            }
        }
        for (std::size_t i = 0; i < engine.size(); ++i) {
            const std::vector<double>& b = sim.batches[i];
            double mean = 0;
            for (double x : b) {
                mean += x / static_cast<double>(b.size());
            }
            double var = 0;
            for (double x : b) {
                var += (x - mean) * (x - mean) / static_cast<double>(b.size() - 1);
            }
            const double se = std::sqrt(var / static_cast<double>(b.size()));
            EXPECT_LE(std::fabs(mean - engine[i]), 5 * se + 1e-3 * std::fabs(engine[i]))
                << k.what << ": " << names[i] << " simulated " << mean << " ± " << se << ", engine "
                << engine[i];
        }
    }
}

} // namespace
