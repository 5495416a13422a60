// What every model's functions hold without a reference value, checked by one
// harness over a table of them, at random points and across the edges of the
// domain. At every point: no exception but the refusal of an answer that
// would leave the domain; every answer finite and within its range
// (probabilities in [0, 1], counts whole); every count minimal; every answer
// accepted back and meeting its target; monotone where the model is.
// CORVANE_SEED repeats a run (ctest sets one); a failure prints it.
#include "teletraffic/engset.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/numerics/exact.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace teletraffic;
using Args = std::vector<double>;
using Values = std::vector<double>;

constexpr double kTiny = std::numeric_limits<double>::denorm_min();
constexpr double kHuge = std::numeric_limits<double>::max();
constexpr double kBelowOne = 1 - 0x1p-53;
constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kTolerance = 1e-12;

struct Draw {
    std::mt19937_64 random;
    double Uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    }
    double Log(double lo, double hi) { return std::exp(Uniform(std::log(lo), std::log(hi))); }
    bool Chance(double p) { return Uniform(0, 1) < p; }
    double Pick(const Values& v) {
        return v[std::min(v.size() - 1, std::size_t(Uniform(0, double(v.size()))))];
    }
};

// One argument: drawn at random, and the edges of its domain, each given the
// arguments before it.
struct Arg {
    std::function<double(Draw&, const Args&)> draw;
    std::function<Values(const Args&)> edges;
};

Arg Free(std::function<double(Draw&)> draw, Values edges) {
    return {[draw](Draw& d, const Args&) { return draw(d); },
            [edges](const Args&) { return edges; }};
}

// The argument with fewer edges, where the grid of a slow function would be long.
Arg Edged(Arg arg, Values edges) {
    arg.edges = [edges](const Args&) { return edges; };
    return arg;
}

// Where an answer may lie.
struct Range {
    double lo, hi;
    bool whole = false;
};
const Range kProbability{0, 1};
const Range kLogProbability{-INFINITY, 0};
const Range kCount{0, kMaxLines, true};
const Range kTraffic{0, kMaxTraffic};
const Range kLines{0, kMaxLines};
const Range kPositive{0, kHuge};

struct Monotone {
    std::size_t arg, value;
    int sign; // the value rises (1) or falls (-1) as the argument grows
    double tolerance = kTolerance;
};

// A count that is the smallest meeting its target.
struct Minimal {
    std::size_t value;
    // How far count n misses the target, relatively: at most 0 where it meets it.
    std::function<double(const Args&, const Values&, double n)> excess;
    // The smallest count the function may answer, if not 0.
    std::function<double(const Args&, const Values&)> floor = {};
};

struct Function {
    std::string name;
    std::vector<Arg> args;
    std::function<Values(const Args&)> call;
    std::vector<Range> ranges; // of each value
    std::vector<Monotone> monotone = {};
    std::vector<Minimal> minimal = {};
    // The answers fed back, and what they must give.
    std::function<void(const Args&, const Values&)> readBack = {};
};

struct Model {
    std::string name;
    int points; // random points per function
    std::vector<Function> functions;
};

// The refusals the engine documents: an answer that would leave the domain.
bool LeavesTheDomain(const DomainError& e) {
    for (const char* words :
         {"enough that", "stays within", "within 2e9", "carry at most", "never meet it"}) {
        if (e.rule().find(words) != std::string::npos) {
            return true;
        }
    }
    return false;
}

double Grow(double x) {
    return x >= 1 && x == std::floor(x) ? x + 1 : x * 1.01;
}

// |got - want| within `tolerance` of want, or both below the double range.
bool Near(double got, double want, double tolerance) {
    return std::fabs(got - want) <= tolerance * std::fabs(want) + 1e-300;
}

int Failures() {
    return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

void Check(const Function& f, const Args& a) {
    std::ostringstream where;
    where.precision(17);
    where << f.name;
    for (double x : a) {
        where << ' ' << x;
    }
    SCOPED_TRACE(where.str());
    Values v;
    try {
        v = f.call(a);
    } catch (const DomainError& e) {
        EXPECT_TRUE(LeavesTheDomain(e)) << e.what();
        return;
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
        return;
    }
    for (std::size_t i = 0; i < v.size(); ++i) {
        const Range& r = f.ranges[i];
        EXPECT_TRUE(v[i] >= r.lo && v[i] <= r.hi && (!r.whole || v[i] == std::floor(v[i])))
            << "value " << i << ": " << v[i];
    }
    try {
        for (const Minimal& m : f.minimal) {
            const double n = v[m.value];
            EXPECT_LE(m.excess(a, v, n), kTolerance) << "count " << n << " misses its target";
            if (n - 1 >= (m.floor ? m.floor(a, v) : 0)) {
                EXPECT_GT(m.excess(a, v, n - 1), -kTolerance) << "count " << n - 1 << " meets it";
            }
        }
        if (f.readBack) {
            f.readBack(a, v);
        }
    } catch (const DomainError& e) {
        EXPECT_TRUE(LeavesTheDomain(e)) << "an answer read back: " << e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "an answer read back: " << e.what();
    }
    for (const Monotone& m : f.monotone) {
        Args b = a;
        b[m.arg] = Grow(a[m.arg]);
        try {
            const double before = v[m.value];
            const double after = f.call(b)[m.value];
            // Equal (-inf included), or apart by more than rounding the right way.
            EXPECT_TRUE(after == before ||
                        m.sign * (after - before) >=
                            -m.tolerance * std::fmax(std::fabs(before), std::fabs(after)) - 1e-300)
                << "value " << m.value << " from " << before << " to " << after << " as argument "
                << m.arg << " grows to " << b[m.arg];
        } catch (const DomainError&) {
            // Grown out of the domain.
        } catch (const std::exception& e) {
            ADD_FAILURE() << "argument " << m.arg << " grown: " << e.what();
        }
    }
}

// Each point of the grid of edges, by recursion over the arguments.
void Edges(const Function& f, Args& a, int& failed) {
    if (failed >= 5) {
        return; // enough said
    }
    if (a.size() == f.args.size()) {
        const int before = Failures();
        Check(f, a);
        failed += Failures() > before;
        return;
    }
    for (double x : f.args[a.size()].edges(a)) {
        a.push_back(x);
        Edges(f, a, failed);
        a.pop_back();
    }
}

std::uint64_t Seed() {
    if (const char* seed = std::getenv("CORVANE_SEED")) {
        return std::strtoull(seed, nullptr, 10);
    }
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

// --- The arguments -------------------------------------------------------------

// from, then times `factor` while at most `to`, then `more`.
Values Steps(double from, double to, double factor, Values more = {}) {
    Values v;
    for (double x = from; x <= to; x *= factor) {
        v.push_back(x);
    }
    v.insert(v.end(), more.begin(), more.end());
    return v;
}

// from, then each a hundredth as far from 1 as the one before, below 1.
Values TowardOne(double from) {
    Values v;
    for (double x = from; x < 1; x = 1 - (1 - x) / 100) {
        v.push_back(x);
    }
    return v;
}

// The values of v from 0 to hi.
Values UpTo(Values v, double hi) {
    std::erase_if(v, [hi](double x) { return !(x >= 0 && x <= hi); });
    return v;
}

const Values kTrafficEdges = {0, kTiny, 1e-300, 1e-9, 0.5, 1, 7.5, 1e3, 1e6, kMaxTraffic};
const Arg kTrafficArg =
    Free([](Draw& d) { return d.Chance(0.05) ? d.Log(1e-300, 1e-3) : d.Log(1e-3, kMaxTraffic); },
         kTrafficEdges);
// Lines or agents, whole or fractional.
const Arg kLinesArg = Free(
    [](Draw& d) {
        return d.Chance(0.5) ? std::round(d.Log(1, kMaxLines)) : d.Log(1e-300, kMaxLines);
    },
    {0, kTiny, 1e-300, 1e-9, 0.5, kBelowOne, 1, 2, 10, 1e3, 1e6, 1e9, kMaxLines});
const Arg kBlockingArg =
    Free([](Draw& d) { return d.Chance(0.3) ? 1 - d.Log(1e-15, 0.5) : d.Log(kMinBlocking, 0.5); },
         {kMinBlocking, 1e-200, 1e-12, 0.01, 0.5, 1 - 1e-9, kBelowOne});
const Arg kRecallArg = Free(
    [](Draw& d) {
        return d.Pick({0, 0, 1e-17, 0.3, 0.9, 0.999999, 1 - 1e-12});
    },
    {0, 1e-17, 0.5, 1 - 1e-12, kBelowOne});
const Arg kAhtArg = Free([](Draw& d) { return d.Log(1, 600); }, {1e-300, 180, 1e300});
// For Erlang A, whose patience spans both ends of patience / aht already.
const Arg kFewAhtArg = Edged(kAhtArg, {1e-300, 180});
const Arg kTargetTimeArg = Free([](Draw& d) { return d.Chance(0.2) ? 0 : d.Log(1e-3, 600); },
                                {0, kTiny, 20, 1e300, kHuge});
const Arg kPatienceArg = Free([](Draw& d) { return d.Log(1e-2, 1e5); }, {kTiny, 30, 1e300, kHuge});
const Arg kLevelArg =
    Free([](Draw& d) { return d.Chance(0.3) ? 1 - d.Log(1e-15, 0.5) : d.Uniform(0.01, 0.99); },
         {0, kTiny, 0.5, 0.8, 1 - 1e-9, kBelowOne});
const Arg kWaitArg =
    Free([](Draw& d) { return d.Log(1e-3, 1e3); }, {kTiny, 1e-300, 1, 20, 1e300, kHuge});
// Erlang C's agents, above the traffic (the argument before).
const Arg kAgentsAboveArg{
    [](Draw& d, const Args& a) {
        const double N = a[0] + d.Log(1e-9, 1e3) * std::fmax(1, std::sqrt(a[0]));
        return std::fmin(d.Chance(0.5) ? std::ceil(N) : N, kMaxLines);
    },
    [](const Args& a) {
        return Values{std::nextafter(a[0], INFINITY), a[0] + 0.5, std::floor(a[0]) + 1,
                      a[0] + std::sqrt(a[0]) + 1, kMaxLines};
    }};

// --- The models ----------------------------------------------------------------

// A count decided exactly: n meets the target or not.
Minimal Decided(std::function<bool(const Args&, double n)> meets,
                std::function<double(const Args&, const Values&)> floor = {}) {
    return {0, [meets](const Args& a, const Values&, double n) { return meets(a, n) ? -1.0 : 1.0; },
            floor};
}

// A count whose measure must be at most (sign 1) or at least (-1) argument `target`.
Minimal Held(int sign, std::size_t target, std::function<double(const Args&, double n)> measure,
             std::function<double(const Args&, const Values&)> floor = {}) {
    return {0,
            [=](const Args& a, const Values&, double n) {
                return a[target] == 0 ? -1 : sign * (measure(a, n) / a[target] - 1);
            },
            floor};
}

// Erlang C's agents are more than the traffic; Erlang A's at least 1; none for no traffic.
double AboveTraffic(const Args& a, const Values&) {
    return a[0] == 0 ? 0 : std::floor(a[0]) + 1;
}
double One(const Args& a, const Values&) {
    return a[0] == 0 ? 0 : 1;
}

Model ErlangBModel() {
    return {
        "ErlangB",
        400,
        {
            {"ErlangB",
             {kTrafficArg, kLinesArg},
             [](const Args& a) {
                 return Values{ErlangB(a[0], a[1]), LogErlangB(a[0], a[1])};
             },
             {kProbability, kLogProbability},
             {{0, 0, 1}, {1, 0, -1}, {0, 1, 1}, {1, 1, -1}}},
            {"ErlangBLines",
             {kTrafficArg, kBlockingArg},
             [](const Args& a) { return Values{double(ErlangBLines(a[0], a[1]))}; },
             {kCount},
             {{0, 0, 1}, {1, 0, -1}},
             {Decided([](const Args& a, double n) {
                 return a[0] == 0 || detail::BlockingAtMost(a[0], 0, int64_t(n), a[1]);
             })},
             [](const Args& a, const Values& v) {
                 EXPECT_GE(ErlangBTraffic(v[0], a[1]), a[0] * (1 - kTolerance));
             }},
            // Its answer is cheap: a fine log grid of the whole domain.
            {"ErlangBTraffic",
             {Edged(kLinesArg, Steps(1e-300, 1, 1e10, Steps(1, kMaxLines, 1.7))),
              Edged(kBlockingArg, Steps(kMinBlocking, 0.5, 1e10, TowardOne(0.9)))},
             [](const Args& a) { return Values{ErlangBTraffic(a[0], a[1])}; },
             {kTraffic},
             {{0, 0, 1}, {1, 0, 1}},
             {},
             [](const Args& a, const Values& v) {
                 ErlangB(v[0], a[0]);
                 if (v[0] > 1e-300) {
                     // The whole count just above carries at least as much; N
                     // whole lines are what their own traffic needs.
                     const auto n = double(ErlangBLines(v[0], a[1]));
                     EXPECT_LE(n, std::ceil(a[0]) + 1);
                     EXPECT_TRUE(n == a[0] || a[0] < 1 || a[0] != std::floor(a[0])) << n;
                 }
             }},
            {"ExtendedErlangB",
             {kTrafficArg, kLinesArg, kRecallArg},
             [](const Args& a) {
                 const Retrial r = ExtendedErlangB(a[0], a[1], a[2]);
                 return Values{r.offered, r.blocking};
             },
             {kTraffic, kProbability},
             {{0, 0, 1}, {0, 1, 1}, {1, 1, -1}, {2, 0, 1}},
             {},
             [](const Args& a, const Values& v) {
                 const double B = ErlangB(a[0], a[1]);
                 EXPECT_TRUE(a[2] > 0 || (v[0] == a[0] && v[1] == B));
                 EXPECT_TRUE(v[0] >= a[0] && v[0] <= a[0] / (1 - a[2])) << v[0];
                 EXPECT_GE(v[1], B * (1 - kTolerance) - 1e-300);
             }},
            {"ExtendedErlangBLines",
             {kTrafficArg, kBlockingArg, kRecallArg},
             [](const Args& a) { return Values{double(ExtendedErlangBLines(a[0], a[2], a[1]))}; },
             {kCount},
             {{0, 0, 1}, {1, 0, -1}, {2, 0, 1}},
             {Decided([](const Args& a, double n) {
                 return a[0] == 0 || detail::BlockingAtMost(a[0], a[2], int64_t(n), a[1]);
             })},
             [](const Args& a, const Values& v) {
                 EXPECT_GE(v[0], ErlangBLines(a[0], a[1]));
                 ExtendedErlangB(a[0], v[0], a[2]);
             }},
            {"ExtendedErlangBTraffic",
             {kLinesArg, kBlockingArg, kRecallArg},
             [](const Args& a) { return Values{ExtendedErlangBTraffic(a[0], a[2], a[1])}; },
             {kTraffic},
             {{0, 0, 1}},
             {},
             [](const Args& a, const Values& v) {
                 EXPECT_LE(ExtendedErlangB(v[0], a[0], a[2]).offered, kMaxTraffic);
                 if (v[0] > 1e-300) {
                     EXPECT_LE(ExtendedErlangBLines(v[0] * (1 - kTolerance), a[2], a[1]),
                               std::ceil(a[0]));
                 }
             }},
        }};
}

Model ErlangCModel() {
    return {
        "ErlangC",
        300,
        {
            {"ErlangC",
             {kTrafficArg, kAgentsAboveArg, kAhtArg, kTargetTimeArg},
             [](const Args& a) {
                 return Values{ErlangC(a[0], a[1]), ErlangCServiceLevel(a[0], a[1], a[2], a[3]),
                               ErlangCAverageWait(a[0], a[1], a[2])};
             },
             {kProbability, kProbability, kPositive},
             {{0, 0, 1}, {1, 0, -1}, {0, 1, -1}, {1, 1, 1}, {3, 1, 1}, {0, 2, 1}, {1, 2, -1}},
             {},
             [](const Args&, const Values& v) {
                 // Those who never wait are answered in time.
                 EXPECT_GE(v[1] + v[0], 1 - kTolerance);
             }},
            {"ErlangCAgents",
             {kTrafficArg, kAhtArg, kTargetTimeArg, kLevelArg},
             [](const Args& a) { return Values{double(ErlangCAgents(a[0], a[1], a[2], a[3]))}; },
             {kCount},
             {{0, 0, 1}, {2, 0, -1}, {3, 0, 1}},
             {Decided(
                 [](const Args& a, double n) {
                     return a[0] == 0 || detail::ServiceAtLeast(a[0], int64_t(n), a[1], a[2], a[3]);
                 },
                 AboveTraffic)},
             [](const Args& a, const Values& v) {
                 EXPECT_GE(ErlangCServiceLevel(a[0], v[0], a[1], a[2]), a[3] * (1 - kTolerance));
             }},
            {"ErlangCAgentsForWait",
             {kTrafficArg, kAhtArg, kWaitArg},
             [](const Args& a) { return Values{double(ErlangCAgentsForWait(a[0], a[1], a[2]))}; },
             {kCount},
             {{0, 0, 1}, {2, 0, -1}},
             {Held(
                 1, 2,
                 [](const Args& a, double n) {
                     return a[0] == 0 ? 0 : ErlangCAverageWait(a[0], n, a[1]);
                 },
                 AboveTraffic)}},
        }};
}

Model ErlangAModel() {
    return {"ErlangA",
            150,
            {
                {"ErlangA",
                 {kTrafficArg, kLinesArg, kFewAhtArg, kPatienceArg, kTargetTimeArg},
                 [](const Args& a) {
                     const Abandonment r = ErlangA(a[0], a[1], a[2], a[3]);
                     return Values{r.waitProbability, r.abandonProbability, r.averageWait,
                                   r.occupancy, ErlangAServiceLevel(a[0], a[1], a[2], a[3], a[4])};
                 },
                 {kProbability, kProbability, kPositive, kProbability, kProbability},
                 {{0, 0, 1}, {0, 1, 1}, {1, 1, -1}, {3, 1, -1}, {0, 4, -1}, {1, 4, 1}, {4, 4, 1}},
                 {},
                 [](const Args& a, const Values& v) {
                     EXPECT_LE(v[1], v[0] * (1 + kTolerance));   // who hangs up waited
                     EXPECT_LE(v[4] + v[1], 1 + 2 * kTolerance); // and is not answered
                     EXPECT_LE(v[2], a[3] * (1 + kTolerance));
                     EXPECT_TRUE(a[1] == 0 || v[3] <= a[0] / a[1] * (1 + kTolerance) + 1e-300);
                 }},
                {"ErlangAAgents",
                 {kTrafficArg, kFewAhtArg, kPatienceArg, kTargetTimeArg, kLevelArg},
                 [](const Args& a) {
                     return Values{double(ErlangAAgents(a[0], a[1], a[2], a[3], a[4]))};
                 },
                 {kCount},
                 {{0, 0, 1}, {3, 0, -1}, {4, 0, 1}},
                 {Held(
                     -1, 4,
                     [](const Args& a, double n) {
                         return a[0] == 0 ? 1 : ErlangAServiceLevel(a[0], n, a[1], a[2], a[3]);
                     },
                     One)}},
                {"ErlangAAgentsForWait",
                 {kTrafficArg, kFewAhtArg, kPatienceArg, kWaitArg},
                 [](const Args& a) {
                     return Values{double(ErlangAAgentsForWait(a[0], a[1], a[2], a[3]))};
                 },
                 {kCount},
                 {{0, 0, 1}, {3, 0, -1}},
                 {Held(
                     1, 3,
                     [](const Args& a, double n) {
                         return a[0] == 0 ? 0 : ErlangA(a[0], n, a[1], a[2]).averageWait;
                     },
                     One)}},
            }};
}

// 1 - s for the shortest decimal that reads back as s, as the engine takes
// its factors: 1 - 0.999999999 is 1e-9, which the doubles would miss by 8e-8.
long double DecimalComplement(double s) {
    char text[32] = {};
    std::to_chars(text, text + sizeof text - 1, s);
    const char* digits = std::strchr(text, '.');
    if (s < 0.5 || digits == nullptr || std::strchr(text, 'e') != nullptr) {
        return 1 - static_cast<long double>(s);
    }
    const long double scale = std::pow(10.0L, static_cast<long double>(std::strlen(digits + 1)));
    return (scale - std::strtold(digits + 1, nullptr)) / scale;
}

// The staffing factors: the agents a target needs (argument 1) raised until
// `occupancy` at them meets the cap (the last argument), then grossed up for
// shrinkage (the one before).
Function Staffing(const char* name, std::vector<Arg> args,
                  std::function<Schedule(const Args&)> plan,
                  std::function<double(const Args&, double n)> occupancy) {
    const std::size_t cap = args.size() - 1;
    return {name,
            std::move(args),
            [plan](const Args& a) {
                const Schedule s = plan(a);
                return Values{double(s.onPhones), double(s.scheduled)};
            },
            {kCount, kCount},
            {{0, 0, 1}, {1, 0, 1}, {cap, 0, -1}, {cap - 1, 1, 1}},
            {{0,
              [occupancy](const Args& a, const Values&, double n) {
                  return n == 0 ? (a[0] == 0 ? -1 : 1) : occupancy(a, n) / a.back() - 1;
              },
              [](const Args& a, const Values&) { return a[1]; }},
             {1,
              [](const Args& a, const Values& v, double n) {
                  const long double kept = n * DecimalComplement(a[a.size() - 2]);
                  return n == 0 ? (v[0] == 0 ? -1 : 1) : static_cast<double>(v[0] / kept - 1);
              },
              [](const Args&, const Values& v) { return v[0]; }}}};
}

Model StaffingFactorsModel() {
    const Arg needed =
        Free([](Draw& d) { return std::round(d.Log(1, 1e7)); }, {0, 1, 7, 1e6, kMaxLines});
    const Arg shrinkage =
        Free([](Draw& d) { return d.Uniform(0, 0.6); }, {0, 0.2, 1 - 1e-9, kBelowOne});
    const Arg cap = Free([](Draw& d) { return d.Uniform(0.3, 1); }, {kTiny, 1e-9, 0.7, 1});
    return {"StaffingFactors",
            300,
            {
                Staffing(
                    "ScheduleAgents", {kTrafficArg, needed, shrinkage, cap},
                    [](const Args& a) { return ScheduleAgents(a[0], int64_t(a[1]), a[2], a[3]); },
                    [](const Args& a, double n) { return a[0] / n; }),
                Staffing(
                    "ScheduleAgentsErlangA",
                    {kTrafficArg, Edged(needed, {0, 7, kMaxLines}), Edged(kAhtArg, {180}),
                     kPatienceArg, Edged(shrinkage, {0, kBelowOne}), Edged(cap, {kTiny, 0.7, 1})},
                    [](const Args& a) {
                        return ErlangAScheduleAgents(a[0], int64_t(a[1]), a[2], a[3], a[4], a[5]);
                    },
                    [](const Args& a, double n) { return ErlangA(a[0], n, a[2], a[3]).occupancy; }),
            }};
}

// --- Engset ---------------------------------------------------------------------

const Arg kSourcesArg =
    Free([](Draw& d) { return std::round(d.Log(1, 1e9)); }, {1, 2, 3, 40, 1e4, kMaxSources});
// Lines up to the sources (the first argument), or below them.
Arg EngsetLinesArg(bool belowSources) {
    return {[belowSources](Draw& d, const Args& a) {
                return std::floor(d.Uniform(0, belowSources ? a[0] : a[0] + 1));
            },
            [belowSources](const Args& a) {
                return UpTo({0, 1, std::floor(a[0] / 2), a[0] - 1, a[0]}, a[0] - belowSources);
            }};
}
const Arg kLoadKindArg = Free([](Draw& d) { return d.Pick({0, 1, 2}); }, {0, 1, 2});
EngsetLoad Kind(double k) {
    return k == 0   ? EngsetLoad::IdleSourceTraffic
           : k == 1 ? EngsetLoad::Traffic
                    : EngsetLoad::IntendedTraffic;
}
// The load of the kind before it, for the sources first: an idle-source
// traffic, or a traffic below the sources (a call-attempt traffic may pass
// them unless every source has a line: the arguments sources, lines, kind).
const Arg kLoadArg{[](Draw& d, const Args& a) {
                       const bool beyond = a.back() == 1 && !(a.size() == 3 && a[1] == a[0]);
                       return a.back() == 0 ? d.Log(1e-6, 1e3)
                                            : a[0] * (beyond ? d.Log(1e-6, 3) : d.Uniform(0, 0.99));
                   },
                   [](const Args& a) {
                       const double S = a[0];
                       const bool beyond = a.back() == 1 && !(a.size() == 3 && a[1] == S);
                       return a.back() == 0 ? Values{0, kTiny, 1e-300, 1e-3, 1, 1e3, kMaxTraffic}
                              : beyond      ? Values{0, kTiny,  S / 2,  std::nextafter(S, 0),
                                                S, 10 * S, 1e9 * S}
                                            : Values{0, kTiny, S / 2, std::nextafter(S, 0)};
                   }};

// Each load's answer states the same traffic: the call congestion by each is
// `blocking`, as far as N times the rounding of the load moves it.
void ExpectSameTraffic(const Args& a, const Values& loads, double blocking) {
    for (int kind = 0; kind < 3; ++kind) {
        const double B = EngsetBlocking(Kind(kind), loads[kind], a[0], a[1]).callCongestion;
        EXPECT_TRUE(Near(B, blocking, kTolerance + 8 * kEps * (1 + a[1]))) << kind << ": " << B;
    }
}

Model EngsetModel() {
    return {
        "Engset",
        300,
        {
            {"EngsetBlocking",
             {kSourcesArg, EngsetLinesArg(false), kLoadKindArg, kLoadArg},
             [](const Args& a) {
                 const Engset e = EngsetBlocking(Kind(a[2]), a[3], a[0], a[1]);
                 return Values{e.timeCongestion, e.callCongestion,  e.trafficCongestion, e.carried,
                               e.traffic,        e.intendedTraffic, e.idleSourceTraffic};
             },
             {kProbability, kProbability, kProbability, kTraffic, kPositive, kTraffic, kTraffic},
             {{3, 0, 1}, {3, 1, 1}, {1, 1, -1}},
             {},
             [](const Args& a, const Values& v) {
                 EXPECT_LE(v[2], v[1] * (1 + kTolerance));
                 EXPECT_LE(v[1], v[0] * (1 + kTolerance));
                 EXPECT_LE(v[3], std::fmin(a[1], v[4]) * (1 + kTolerance));
                 ExpectSameTraffic(a, {v[6], v[4], v[5]}, v[1]);
             }},
            {"EngsetLines",
             {kSourcesArg, kLoadKindArg, kLoadArg, kBlockingArg},
             [](const Args& a) {
                 return Values{double(EngsetLines(Kind(a[1]), a[2], a[0], a[3]))};
             },
             {kCount},
             {{2, 0, 1}, {3, 0, -1}},
             {Held(1, 3,
                   [](const Args& a, double n) {
                       return a[2] == 0 ? 0
                                        : EngsetBlocking(Kind(a[1]), a[2], a[0], n).callCongestion;
                   })}},
            {"EngsetTraffic",
             {kSourcesArg, EngsetLinesArg(true), kBlockingArg},
             [](const Args& a) {
                 const Engset e = EngsetTraffic(a[0], a[1], a[2]);
                 return Values{e.traffic, e.intendedTraffic, e.idleSourceTraffic};
             },
             {kPositive, kTraffic, kTraffic},
             {{1, 0, 1}, {2, 0, 1}},
             {},
             [](const Args& a, const Values& v) {
                 if (a[1] > 0) { // else no traffic at all meets it
                     ExpectSameTraffic(a, {v[2], v[0], v[1]}, a[2]);
                 }
             }},
        }};
}

// --- Overflow --------------------------------------------------------------------

const Arg kMeanArg = Free([](Draw& d) { return d.Log(1e-6, kMaxTraffic); },
                          {0, kTiny, 1e-300, 1e-3, 1, 100, 1e6, kMaxTraffic});
// At least the mean before it.
const Arg kVarianceArg{
    [](Draw& d, const Args& a) { return a[0] * (d.Chance(0.1) ? 1 : 1 + d.Log(1e-9, 1e6)); },
    [](const Args& a) {
        const double m = a[0];
        return Values{m, m * (1 + 2 * kEps), 1.5 * m, 10 * m, 1e6 * m, m + 1e15};
    }};
const Arg kMethodArg = Free([](Draw& d) { return d.Pick({0, 1}); }, {0, 1});
OverflowMethod Method(double k) {
    return k == 0 ? OverflowMethod::EquivalentRandom : OverflowMethod::Hayward;
}

// The loss on further lines, by one method.
Function Blocking(const Arg& mean, OverflowMethod method, double varianceTolerance) {
    return {method == OverflowMethod::Hayward ? "HaywardBlocking" : "EquivalentRandomBlocking",
            {mean, kVarianceArg, kLinesArg},
            [method](const Args& a) {
                const OverflowLoss l = OverflowBlocking(a[0], a[1], a[2], method);
                return Values{l.lost, l.blocking};
            },
            {kTraffic, kProbability},
            {{2, 1, -1}, {1, 1, 1, varianceTolerance}},
            {},
            [](const Args& a, const Values& v) { EXPECT_LE(v[0], a[0]); }};
}

Model OverflowModel() {
    return {"Overflow",
            100,
            {
                {"OverflowMoments",
                 {kTrafficArg, kLinesArg},
                 [](const Args& a) {
                     const Overflow o = OverflowMoments(a[0], a[1]);
                     return Values{o.mean, o.variance, o.peakedness};
                 },
                 {kTraffic, kPositive, kPositive},
                 {{0, 0, 1}, {1, 0, -1}},
                 {},
                 [](const Args& a, const Values& v) {
                     EXPECT_LE(v[0], a[0]);
                     EXPECT_GE(v[2], 1);
                     // A stream, alone or twice over, that the other functions take.
                     const Overflow twice = OverflowCombine({v[0], v[1], v[2]}, {v[0], v[1], v[2]});
                     EXPECT_TRUE(v[1] >= v[0] && twice.variance >= twice.mean) << twice.variance;
                     OverflowEquivalentRandom(v[0], v[1]);
                 }},
                {"EquivalentRandomTraffic",
                 {kMeanArg, kVarianceArg},
                 [](const Args& a) {
                     const EquivalentRandom e = OverflowEquivalentRandom(a[0], a[1]);
                     return Values{e.traffic, e.lines};
                 },
                 {kTraffic, kLines},
                 {{1, 0, 1}, {1, 1, 1}},
                 {},
                 [](const Args& a, const Values& v) {
                     // The moments of the group give the stream back, as far as
                     // they move with the group's error (1e-12 of each), which
                     // where much overflows few lines is a millionfold.
                     const Overflow o = OverflowMoments(v[0], v[1]);
                     double mean = kTolerance;
                     double variance = kTolerance;
                     for (const double u : {-kTolerance, kTolerance}) {
                         for (const Overflow near :
                              {OverflowMoments(std::fmin(v[0] * (1 + u), kMaxTraffic), v[1]),
                               OverflowMoments(v[0], v[1] * (1 + u))}) {
                             mean += std::fabs(near.mean / o.mean - 1);
                             variance += std::fabs(near.variance / o.variance - 1);
                         }
                     }
                     EXPECT_TRUE(a[0] == 0 || (Near(o.mean, a[0], 2 * mean) &&
                                               Near(o.variance, a[1], 2 * variance)))
                         << o.mean << ' ' << o.variance;
                 }},
                // A group solved anew for each variance: its error (1e-12 of its
                // traffic and lines) moves the loss by up to 3e-11 on few lines.
                Blocking(kMeanArg, OverflowMethod::EquivalentRandom, 1e-9),
                Blocking(kMeanArg, OverflowMethod::Hayward, kTolerance),
                {"OverflowLines",
                 {kMeanArg, kVarianceArg, kBlockingArg, kMethodArg},
                 [](const Args& a) {
                     return Values{double(OverflowLines(a[0], a[1], Method(a[3]), a[2]))};
                 },
                 {kCount},
                 {{1, 0, 1}, {2, 0, -1}},
                 {Held(1, 2,
                       [](const Args& a, double n) {
                           return a[0] == 0
                                      ? 0
                                      : OverflowBlocking(a[0], a[1], n, Method(a[3])).blocking;
                       })}},
            }};
}

Model OfferedTrafficModel() {
    const Arg lines =
        Free([](Draw& d) { return d.Chance(0.5) ? std::round(d.Log(1, 2e9)) : d.Log(1e-300, 2e9); },
             {kTiny, 1e-300, 0.5, 1, 10, 1e6, 1e9, kMaxLines});
    // Below the lines before it.
    const Arg carried{[](Draw& d, const Args& a) {
                          return std::fmin(a[0] * d.Uniform(0, 1),
                                           std::fmin(std::nextafter(a[0], 0), kMaxTraffic));
                      },
                      [](const Args& a) {
                          return UpTo({0, kTiny, a[0] / 2, a[0] * (1 - 1e-9),
                                       std::nextafter(a[0], 0), kMaxTraffic},
                                      std::fmin(std::nextafter(a[0], 0), kMaxTraffic));
                      }};
    return {"OfferedTraffic",
            400,
            {
                {"OfferedTraffic",
                 {lines, carried},
                 [](const Args& a) { return Values{ErlangBOfferedTraffic(a[1], a[0])}; },
                 {kTraffic},
                 {{1, 0, 1}, {0, 0, -1}},
                 {},
                 [](const Args& a, const Values& v) {
                     EXPECT_GE(v[0], a[1]);
                     // Carried back: 1 - B keeps only its absolute precision.
                     const double kept = 1 - ErlangB(v[0], a[0]);
                     EXPECT_TRUE(Near(v[0] * kept, a[1], kTolerance + 4 * kEps / kept))
                         << v[0] * kept;
                 }},
            }};
}

std::vector<Model> Models() {
    return {ErlangBModel(), ErlangCModel(),  ErlangAModel(),       StaffingFactorsModel(),
            EngsetModel(),  OverflowModel(), OfferedTrafficModel()};
}

void PrintTo(const Model& model, std::ostream* out) {
    *out << model.name;
}

class ModelProperties : public testing::TestWithParam<Model> {};

TEST_P(ModelProperties, HoldAtRandomPoints) {
    const std::uint64_t seed = Seed();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    Draw d{std::mt19937_64(seed)};
    for (const Function& f : GetParam().functions) {
        int failed = 0;
        for (int i = 0; i < GetParam().points && failed < 5; ++i) {
            Args a;
            for (const Arg& arg : f.args) {
                // Now and then an edge, among the other arguments drawn at random.
                a.push_back(d.Chance(0.1) ? d.Pick(arg.edges(a)) : arg.draw(d, a));
            }
            const int before = Failures();
            Check(f, a);
            failed += Failures() > before;
        }
    }
}

TEST_P(ModelProperties, HoldAcrossTheEdgesOfTheDomain) {
    for (const Function& f : GetParam().functions) {
        Args a;
        int failed = 0;
        Edges(f, a, failed);
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, ModelProperties, testing::ValuesIn(Models()),
                         [](const testing::TestParamInfo<Model>& info) { return info.param.name; });

} // namespace
