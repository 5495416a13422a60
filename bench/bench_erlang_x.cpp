// Erlang X beside Erlang A, in one run, over the points a planner asks:
// 180 s a call, 20 s to answer in, the agents Erlang A (or C) staffs for 80 %
// within it; patience a tenth of a call to ten calls, or none; no lines, one
// line above the agents or a quarter more, and without patience also ten
// thousand queue positions (beyond those summed one by one); redials none
// or half; and the
// forecast's variance five times its calls (over half-hour intervals). Beside
// them, the agents, lines and capacity at the forecast's edge (ErlangXEdge*).
// After Google Benchmark's own lines, a table of each quantity's median and
// worst time over its points, without and with the variance.
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kTraffic[] = {1, 10, 100, 1e3, 1e4};
constexpr double kPatience[] = {0.1, 1, 10, INFINITY}; // times the handling time
constexpr double kRedial[] = {0, 0.5};

struct Point {
    double traffic;
    double agents;
    teletraffic::ErlangXModel model;
};

// Arguments: traffic, patience, lines (0 none, 1 one above, 2 a quarter
// more, 3 ten thousand above), redial, variance (0 none, 1 five times the
// calls).
Point At(const benchmark::State& s) {
    Point p{kTraffic[s.range(0)], 0, {}};
    const double patience = kPatience[s.range(1)] * 180;
    p.agents = static_cast<double>(
        std::isinf(patience) ? teletraffic::ErlangCAgents(p.traffic, 180, 20, 0.8)
                             : teletraffic::ErlangAAgents(p.traffic, 180, patience, 20, 0.8));
    const double lines[] = {INFINITY, p.agents + 1, std::ceil(p.agents * 1.25), p.agents + 1e4};
    const double calls = p.traffic * 1800 / 180;
    p.model = {180,
               patience,
               lines[s.range(2)],
               kRedial[s.range(3)],
               calls,
               s.range(4) == 1 ? 5 * calls : 0};
    return p;
}

void Grid(benchmark::internal::Benchmark* b, bool needLines) {
    for (std::int64_t a = 0; a < std::ssize(kTraffic); ++a) {
        for (std::int64_t p = 0; p < std::ssize(kPatience); ++p) {
            for (std::int64_t l = needLines ? 1 : 0; l < (p == 3 ? 4 : 3); ++l) {
                for (std::int64_t r = 0; r < std::ssize(kRedial); ++r) {
                    const bool erlangC = p == 3 && l == 0;
                    b->Args({a, p, l, r, 0});
                    if (!erlangC && (p == 1 || r == 0)) {
                        b->Args({a, p, l, r, 1});
                    }
                }
            }
        }
    }
    b->ArgNames({"A", "P", "L", "R", "V"});
}
void Any(benchmark::internal::Benchmark* b) {
    Grid(b, false);
}
void WithLines(benchmark::internal::Benchmark* b) {
    Grid(b, true);
}
// Erlang A's points: its traffic and patience.
void ErlangAGrid(benchmark::internal::Benchmark* b) {
    for (std::int64_t a = 0; a < std::ssize(kTraffic); ++a) {
        for (std::int64_t p = 0; p < 3; ++p) {
            b->Args({a, p, 0, 0, 0});
        }
    }
    b->ArgNames({"A", "P", "L", "R", "V"});
}

teletraffic::ErlangXTargets EightyInTwenty() {
    teletraffic::ErlangXTargets t;
    t.targetTime = 20;
    t.serviceLevel = 0.8;
    return t;
}

void ErlangX(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangX(p.traffic, p.agents, p.model, 20));
    }
}
void ErlangXVirtual(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            teletraffic::ErlangX(p.traffic, p.agents, p.model, 20, teletraffic::Basis::Virtual));
    }
}
void ErlangXAgents(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangXAgents(p.traffic, p.model, EightyInTwenty()));
    }
}
// With lines the accepted may be answered in time at any traffic: the
// blocking's target bounds it.
void ErlangXCapacity(benchmark::State& state) {
    const Point p = At(state);
    teletraffic::ErlangXTargets t = EightyInTwenty();
    if (p.model.lines < INFINITY) {
        t.maxBlocking = 0.05;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangXCapacity(p.agents, p.model, t));
    }
}
void ErlangXLines(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangXLines(p.traffic, p.agents, p.model, 0.01));
    }
}
// Three erlangs on one agent and 4200 lines, without patience: the queue
// stands at its cut, thousands of positions from its head.
void ErlangXOverloaded(benchmark::State& state) {
    const teletraffic::ErlangXModel model{180, INFINITY, 4200, 0, 0, 0};
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangX(3, 1, model, 20));
    }
}
// At the domain's edge: forecasts of 1e8 and 1e9 calls a half-hour (their
// variance twice the calls) of 240 s each, callers hanging up within a
// thousandth of a second and nearly every one of them calling again (0.999999,
// 0.999999999), where the attempts rise some 1/(1 - r) times faster than the
// fresh calls once the agents are busy: the agents for 80 % within 20 s,
// the lines of those agents for a blocking of 1 %, and their capacity; and
// the agents of the second on lines some 1700 above them, the worst found
// (each centre's service level by the wait's law over the lines).
struct Edge {
    double calls;
    double redial;
    double lines;
};
constexpr Edge kEdges[] = {
    {1e8, 0.999999, INFINITY}, {1e9, 0.999999999, INFINITY}, {1e9, 0.999999999, 133351000}};

struct EdgePoint {
    double traffic;
    teletraffic::ErlangXModel model;
    std::int64_t agents;
};

EdgePoint EdgeAt(const benchmark::State& s) {
    const Edge& e = kEdges[s.range(0)];
    EdgePoint p{e.calls * 240 / 1800, {240, 0.001, e.lines, e.redial, e.calls, 2 * e.calls}, 0};
    p.agents = teletraffic::ErlangXAgents(p.traffic, p.model, EightyInTwenty());
    return p;
}
void EdgesUpTo(benchmark::internal::Benchmark* b, std::int64_t count) {
    for (std::int64_t e = 0; e < count; ++e) {
        b->Args({e, 2});
    }
    b->ArgNames({"E", "V"});
    b->Unit(benchmark::kMillisecond);
}
void Edges(benchmark::internal::Benchmark* b) {
    EdgesUpTo(b, std::ssize(kEdges));
}
// Without lines: the lines sought, and the capacity, whose blocking target
// lines would need.
void EdgesWithoutLines(benchmark::internal::Benchmark* b) {
    EdgesUpTo(b, 2);
}

void ErlangXEdgeAgents(benchmark::State& state) {
    const EdgePoint p = EdgeAt(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangXAgents(p.traffic, p.model, EightyInTwenty()));
    }
}
void ErlangXEdgeLines(benchmark::State& state) {
    const EdgePoint p = EdgeAt(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            teletraffic::ErlangXLines(p.traffic, static_cast<double>(p.agents), p.model, 0.01));
    }
}
void ErlangXEdgeCapacity(benchmark::State& state) {
    const EdgePoint p = EdgeAt(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            teletraffic::ErlangXCapacity(static_cast<double>(p.agents), p.model, EightyInTwenty()));
    }
}

// Erlang A's two calls together give what ErlangX gives in one.
void ErlangA(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            teletraffic::ErlangA(p.traffic, p.agents, p.model.aht, p.model.patience));
        benchmark::DoNotOptimize(teletraffic::ErlangAServiceLevel(p.traffic, p.agents, p.model.aht,
                                                                  p.model.patience, 20));
    }
}
void ErlangAAgents(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            teletraffic::ErlangAAgents(p.traffic, p.model.aht, p.model.patience, 20, 0.8));
    }
}

BENCHMARK(ErlangA)->Apply(ErlangAGrid);
BENCHMARK(ErlangAAgents)->Apply(ErlangAGrid);
BENCHMARK(ErlangX)->Apply(Any);
BENCHMARK(ErlangXVirtual)->Apply(Any);
BENCHMARK(ErlangXAgents)->Apply(Any);
BENCHMARK(ErlangXCapacity)->Apply(Any);
BENCHMARK(ErlangXLines)->Apply(WithLines);
BENCHMARK(ErlangXOverloaded);
BENCHMARK(ErlangXEdgeAgents)->Apply(Edges);
BENCHMARK(ErlangXEdgeLines)->Apply(EdgesWithoutLines);
BENCHMARK(ErlangXEdgeCapacity)->Apply(EdgesWithoutLines);

// The console's lines, then per quantity (the name before the first '/')
// and variance (the last argument) the median and worst CPU time per call.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const std::string name = run.benchmark_name();
            const char variance = name.size() >= 4 && name.compare(name.size() - 4, 3, "/V:") == 0
                                      ? name.back()
                                      : '0';
            times_[{name.substr(0, name.find('/')), variance}].push_back(run.GetAdjustedCPUTime() *
                                                                         Micro(run.time_unit));
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-18s %-9s %7s %12s %12s\n", "quantity", "variance", "points", "median us",
                    "worst us");
        for (auto& [key, times] : times_) {
            std::sort(times.begin(), times.end());
            const std::size_t n = times.size();
            const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
            std::printf("%-18s %-9s %7zu %12.2f %12.2f\n", key.first.c_str(),
                        key.second == '1'   ? "5 x calls"
                        : key.second == '2' ? "2 x calls"
                                            : "none",
                        n, median, times.back());
        }
    }

private:
    static double Micro(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-3;
        case benchmark::kMicrosecond:
            return 1;
        case benchmark::kMillisecond:
            return 1e3;
        default:
            return 1e6;
        }
    }

    // By quantity and variance: '0' none, '1' five times the calls, '2' twice.
    std::map<std::pair<std::string, char>, std::vector<double>> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    benchmark::Shutdown();
    return 0;
}
