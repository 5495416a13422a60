// Engset and the overflow functions over a grid of their domain; Engset's
// sums beside the recurrence that steps the lines up one by one, on the same
// inputs in one run.
#include "teletraffic/engset.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/overflow.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

namespace {

namespace tt = teletraffic;

constexpr double kSources[] = {10, 100, 1e3, 1e4, 1e6, 1e9};
// Intended traffic per source, and call-congestion targets.
constexpr double kShare[] = {0.02, 0.3, 0.8};
constexpr double kTargets[] = {1e-6, 0.01, 0.3};

// E(S, N, beta) by 1/E(n) = 1 + n / ((S - n + 1) beta) / E(n - 1): one pass a line.
double PlainEngset(double S, double N, double beta) {
    double inverse = 1;
    for (double n = 1; n <= N; ++n) {
        inverse = 1 + n / ((S - n + 1) * beta) * inverse;
    }
    return 1 / inverse;
}

void Grid(benchmark::internal::Benchmark* b, std::size_t sources) {
    for (std::size_t s = 0; s < sources; ++s) {
        for (std::size_t a = 0; a < std::size(kShare); ++a) {
            for (std::size_t t = 0; t < std::size(kTargets); ++t) {
                b->Args({static_cast<std::int64_t>(s), static_cast<std::int64_t>(a),
                         static_cast<std::int64_t>(t)});
            }
        }
    }
    b->ArgNames({"S", "a", "T"});
}
void Full(benchmark::internal::Benchmark* b) {
    Grid(b, std::size(kSources));
}
// The recurrence stops at a million sources: a billion takes seconds.
void UpToAMillion(benchmark::internal::Benchmark* b) {
    Grid(b, std::size(kSources) - 1);
}

struct Point {
    double S, intended, beta, T, N;
};
// Each point is one a user would ask: the lines are those the load needs.
Point At(const benchmark::State& state) {
    Point p{};
    p.S = kSources[state.range(0)];
    p.intended = std::round(p.S * kShare[state.range(1)] * 1e3) / 1e3;
    p.beta = p.intended / (p.S - p.intended);
    p.T = kTargets[state.range(2)];
    p.N = static_cast<double>(tt::EngsetLines(tt::EngsetLoad::IdleSourceTraffic, p.beta, p.S, p.T));
    p.N = std::fmin(p.N, p.S - 1);
    return p;
}

void EngsetBlocking(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tt::EngsetBlocking(tt::EngsetLoad::IdleSourceTraffic, p.beta, p.S, p.N));
    }
}
void PlainEngsetBlocking(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        // Time and call congestion, as EngsetBlocking gives both.
        benchmark::DoNotOptimize(PlainEngset(p.S, p.N, p.beta));
        benchmark::DoNotOptimize(PlainEngset(p.S - 1, p.N, p.beta));
    }
}
void EngsetBlockingFromTraffic(benchmark::State& state) {
    const Point p = At(state);
    const double A =
        tt::EngsetBlocking(tt::EngsetLoad::IdleSourceTraffic, p.beta, p.S, p.N).traffic;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::EngsetBlocking(tt::EngsetLoad::Traffic, A, p.S, p.N));
    }
}
void EngsetLines(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tt::EngsetLines(tt::EngsetLoad::IntendedTraffic, p.intended, p.S, p.T));
    }
}
void PlainEngsetLines(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        double inverse = 1;
        double n = 0;
        while (1 / inverse > p.T && n < p.S - 1) {
            ++n;
            inverse = 1 + n / ((p.S - n) * p.beta) * inverse;
        }
        benchmark::DoNotOptimize(n);
    }
}
void EngsetLinesFromTraffic(benchmark::State& state) {
    const Point p = At(state);
    const double A =
        tt::EngsetBlocking(tt::EngsetLoad::IdleSourceTraffic, p.beta, p.S, p.N).traffic;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::EngsetLines(tt::EngsetLoad::Traffic, A, p.S, p.T));
    }
}
void EngsetTraffic(benchmark::State& state) {
    const Point p = At(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::EngsetTraffic(p.S, p.N, p.T));
    }
}

BENCHMARK(EngsetBlocking)->Apply(Full);
BENCHMARK(PlainEngsetBlocking)->Apply(UpToAMillion);
BENCHMARK(EngsetBlockingFromTraffic)->Apply(Full);
BENCHMARK(EngsetLines)->Apply(Full);
BENCHMARK(PlainEngsetLines)->Apply(UpToAMillion);
BENCHMARK(EngsetLinesFromTraffic)->Apply(Full);
BENCHMARK(EngsetTraffic)->Apply(Full);

// Overflow: first-choice groups from 1 to 1e4 erlangs at 1 % to 30 % blocking.
constexpr double kGroupTraffic[] = {1, 10, 100, 1e3, 1e4};
constexpr double kGroupBlocking[] = {0.01, 0.1, 0.3};

void Groups(benchmark::internal::Benchmark* b) {
    for (std::size_t a = 0; a < std::size(kGroupTraffic); ++a) {
        for (std::size_t t = 0; t < std::size(kGroupBlocking); ++t) {
            b->Args({static_cast<std::int64_t>(a), static_cast<std::int64_t>(t)});
        }
    }
    b->ArgNames({"A", "B"});
}
struct Group {
    double A, N;
    tt::Overflow o;
};
Group GroupAt(const benchmark::State& state) {
    const double A = kGroupTraffic[state.range(0)];
    const double N = static_cast<double>(tt::ErlangBLines(A, kGroupBlocking[state.range(1)]));
    return {A, N, tt::OverflowMoments(A, N)};
}

void OverflowMoments(benchmark::State& state) {
    const Group g = GroupAt(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::OverflowMoments(g.A, g.N));
    }
}
void EquivalentRandom(benchmark::State& state) {
    const Group g = GroupAt(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::OverflowEquivalentRandom(g.o.mean, g.o.variance));
    }
}
template <tt::OverflowMethod method> void OverflowBlocking(benchmark::State& state) {
    const Group g = GroupAt(state);
    const double x = std::ceil(g.o.mean * 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::OverflowBlocking(g.o.mean, g.o.variance, x, method));
    }
}
template <tt::OverflowMethod method> void OverflowLines(benchmark::State& state) {
    const Group g = GroupAt(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::OverflowLines(g.o.mean, g.o.variance, method, 0.01));
    }
}
void OfferedTraffic(benchmark::State& state) {
    const Group g = GroupAt(state);
    const double carried = g.A * (1 - tt::ErlangB(g.A, g.N));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tt::ErlangBOfferedTraffic(carried, g.N));
    }
}

BENCHMARK(OverflowMoments)->Apply(Groups);
BENCHMARK(EquivalentRandom)->Apply(Groups);
BENCHMARK(OverflowBlocking<tt::OverflowMethod::EquivalentRandom>)
    ->Name("OverflowBlockingERT")
    ->Apply(Groups);
BENCHMARK(OverflowBlocking<tt::OverflowMethod::Hayward>)
    ->Name("OverflowBlockingHayward")
    ->Apply(Groups);
BENCHMARK(OverflowLines<tt::OverflowMethod::EquivalentRandom>)
    ->Name("OverflowLinesERT")
    ->Apply(Groups);
BENCHMARK(OverflowLines<tt::OverflowMethod::Hayward>)->Name("OverflowLinesHayward")->Apply(Groups);
BENCHMARK(OfferedTraffic)->Apply(Groups);

} // namespace

BENCHMARK_MAIN();
