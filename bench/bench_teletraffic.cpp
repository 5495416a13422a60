// The engine over a log grid of its domain, beside the plain recurrence that
// steps the line count up one by one, on the same inputs in one run; the
// slowest rows known for each command: near-ties (a target equal to the
// value at the answer, rounded to double), which only the quadruple
// precision path settles, and fewer than one line at a high blocking; and
// Erlang A over traffic and patience, beside Erlang C.
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kTraffic[] = {1e-3, 0.1, 1, 10, 100, 1e3, 1e4, 1e6, 1e9};
constexpr double kTargets[] = {1e-300, 1e-6, 0.01, 0.5};

// B(A, N) by 1/B(A, n) = 1 + (n / A) / B(A, n - 1): one pass a line.
double PlainBlocking(double A, double N) {
    double inverse = 1;
    for (double n = 1; n <= N; ++n) {
        inverse = 1 + n / A * inverse;
    }
    return 1 / inverse;
}

double PlainLines(double A, double T) {
    double inverse = 1;
    double n = 0;
    while (1 / inverse > T) {
        ++n;
        inverse = 1 + n / A * inverse;
    }
    return n;
}

// Arguments: the grid's indices; the lines of a blocking benchmark are those
// the traffic needs at the target, so each point is one a user would ask.
void Grid(benchmark::internal::Benchmark* b, std::size_t traffic) {
    for (std::size_t a = 0; a < traffic; ++a) {
        for (std::size_t t = 0; t < std::size(kTargets); ++t) {
            b->Args({static_cast<std::int64_t>(a), static_cast<std::int64_t>(t)});
        }
    }
    b->ArgNames({"A", "T"});
}
void Full(benchmark::internal::Benchmark* b) {
    Grid(b, std::size(kTraffic));
}
// The plain recurrence stops at a million erlangs: a billion takes seconds.
void UpToAMillion(benchmark::internal::Benchmark* b) {
    Grid(b, std::size(kTraffic) - 1);
}

double A(const benchmark::State& s) {
    return kTraffic[s.range(0)];
}
double T(const benchmark::State& s) {
    return kTargets[s.range(1)];
}
double N(const benchmark::State& s) {
    return static_cast<double>(teletraffic::ErlangBLines(A(s), T(s)));
}

void Blocking(benchmark::State& state) {
    const double a = A(state), n = N(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangB(a, n));
    }
}
void PlainBlockingBM(benchmark::State& state) {
    const double a = A(state), n = N(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainBlocking(a, n));
    }
}
void Lines(benchmark::State& state) {
    const double a = A(state), t = T(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangBLines(a, t));
    }
}
void PlainLinesBM(benchmark::State& state) {
    const double a = A(state), t = T(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainLines(a, t));
    }
}
// The traffic that the lines of the grid point, less one, carry at its
// target: at a billion erlangs the count itself carries more than 1e9.
void Traffic(benchmark::State& state) {
    const double n = N(state) - 1, t = T(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangBTraffic(n, t));
    }
}
// Agents for 80 % in 20 s at 180 s a call; the grid's target as 1 - level.
void Agents(benchmark::State& state) {
    const double a = A(state), level = 1 - std::fmax(T(state), 1e-9);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCAgents(a, 180, 20, level));
    }
}

// The target that the answer's own value, rounded, makes a near-tie (kept
// within the targets the engine takes).
double Target(double value) {
    return std::clamp(value, teletraffic::kMinBlocking, std::nextafter(1.0, 0.0));
}
void LinesNearTie(benchmark::State& state) {
    const double a = A(state);
    const double t = Target(teletraffic::ErlangB(a, N(state)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangBLines(a, t));
    }
}
void AgentsNearTie(benchmark::State& state) {
    const double a = A(state), level = 1 - std::fmax(T(state), 1e-9);
    const auto n = static_cast<double>(teletraffic::ErlangCAgents(a, 180, 20, level));
    const double tie = Target(teletraffic::ErlangCServiceLevel(a, n, 180, 20));
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCAgents(a, 180, 20, tie));
    }
}
// Half the traffic with retries at a recall of 0.9, and its near-tie.
void ExtendedLinesNearTie(benchmark::State& state) {
    const double a = A(state) / 2;
    const double n = N(state);
    const double tie = Target(teletraffic::ExtendedErlangB(a, n, 0.9).blocking);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ExtendedErlangBLines(a, 0.9, tie));
    }
}
void ExtendedBlocking(benchmark::State& state) {
    const double a = A(state) / 2, n = N(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ExtendedErlangB(a, n, 0.9));
    }
}
void ServiceLevel(benchmark::State& state) {
    const double a = A(state);
    const auto n = static_cast<double>(teletraffic::ErlangCAgents(a, 180, 20, 0.8));
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCServiceLevel(a, n, 180, 20));
    }
}
// --- Erlang A beside Erlang C: 180 s a call, 20 s to answer in; the agents
// are those 80 % within it needs, so each point is one a planner would ask.

constexpr double kQueueTraffic[] = {0.1, 1, 10, 100, 1e3, 1e4, 1e6, 1e9};
constexpr double kPatience[] = {0.01, 0.1, 1, 10, 100}; // times the handling time

void PatienceGrid(benchmark::internal::Benchmark* b) {
    for (std::size_t a = 0; a < std::size(kQueueTraffic); ++a) {
        for (std::size_t p = 0; p < std::size(kPatience); ++p) {
            b->Args({static_cast<std::int64_t>(a), static_cast<std::int64_t>(p)});
        }
    }
    b->ArgNames({"A", "P"});
}
void QueueGrid(benchmark::internal::Benchmark* b) {
    for (std::size_t a = 0; a < std::size(kQueueTraffic); ++a) {
        b->Args({static_cast<std::int64_t>(a)});
    }
    b->ArgNames({"A"});
}

double QA(const benchmark::State& s) {
    return kQueueTraffic[s.range(0)];
}
double Patience(const benchmark::State& s) {
    return 180 * kPatience[s.range(1)];
}
double AgentsA(const benchmark::State& s) {
    return static_cast<double>(teletraffic::ErlangAAgents(QA(s), 180, Patience(s), 20, 0.8));
}
double AgentsC(const benchmark::State& s) {
    return static_cast<double>(teletraffic::ErlangCAgents(QA(s), 180, 20, 0.8));
}

void ErlangA(benchmark::State& state) {
    const double a = QA(state), n = AgentsA(state), p = Patience(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangA(a, n, 180, p));
    }
}
void ErlangAServiceLevel(benchmark::State& state) {
    const double a = QA(state), n = AgentsA(state), p = Patience(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangAServiceLevel(a, n, 180, p, 20));
    }
}
void ErlangAAgents(benchmark::State& state) {
    const double a = QA(state), p = Patience(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangAAgents(a, 180, p, 20, 0.8));
    }
}
void ErlangAAgentsForWait(benchmark::State& state) {
    const double a = QA(state), p = Patience(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangAAgentsForWait(a, 180, p, 10));
    }
}
void ErlangCWait(benchmark::State& state) {
    const double a = QA(state), n = AgentsC(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangC(a, n));
    }
}
void ErlangCServiceLevel(benchmark::State& state) {
    const double a = QA(state), n = AgentsC(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCServiceLevel(a, n, 180, 20));
    }
}
// Fewer than one line: the traffic falls hundreds of orders of magnitude.
void TrafficFewLines(benchmark::State& state) {
    constexpr double lines[] = {1e-300, 1e-4, 0.0015, 0.5};
    constexpr double targets[] = {0.3, 0.6, 0.75, 0.999};
    const double n = lines[state.range(0)], t = targets[state.range(1)];
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangBTraffic(n, t));
    }
}

void ErlangCAverageWait(benchmark::State& state) {
    const double a = QA(state), n = AgentsC(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCAverageWait(a, n, 180));
    }
}
void ErlangCAgents(benchmark::State& state) {
    const double a = QA(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCAgents(a, 180, 20, 0.8));
    }
}
void ErlangCAgentsForWait(benchmark::State& state) {
    const double a = QA(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(teletraffic::ErlangCAgentsForWait(a, 180, 10));
    }
}

BENCHMARK(ErlangA)->Apply(PatienceGrid);
BENCHMARK(ErlangAServiceLevel)->Apply(PatienceGrid);
BENCHMARK(ErlangAAgents)->Apply(PatienceGrid);
BENCHMARK(ErlangAAgentsForWait)->Apply(PatienceGrid);
BENCHMARK(ErlangCWait)->Apply(QueueGrid);
BENCHMARK(ErlangCServiceLevel)->Apply(QueueGrid);
BENCHMARK(ErlangCAverageWait)->Apply(QueueGrid);
BENCHMARK(ErlangCAgents)->Apply(QueueGrid);
BENCHMARK(ErlangCAgentsForWait)->Apply(QueueGrid);

BENCHMARK(Blocking)->Apply(Full);
BENCHMARK(PlainBlockingBM)->Name("PlainBlocking")->Apply(UpToAMillion);
BENCHMARK(Lines)->Apply(Full);
BENCHMARK(PlainLinesBM)->Name("PlainLines")->Apply(UpToAMillion);
BENCHMARK(Traffic)->Apply(Full);
BENCHMARK(Agents)->Apply(Full);
BENCHMARK(LinesNearTie)->Apply(Full);
BENCHMARK(AgentsNearTie)->Apply(Full);
BENCHMARK(ExtendedLinesNearTie)->Apply(Full);
BENCHMARK(ExtendedBlocking)->Apply(Full);
BENCHMARK(ServiceLevel)->Apply(Full);
BENCHMARK(TrafficFewLines)->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3}})->ArgNames({"N", "T"});

} // namespace

BENCHMARK_MAIN();
