// A day whose queue carries over (transient/day.h), on the days its targets
// name: 48 half-hours of everyday size (up to some 100 agents) staffed; 96
// quarter-hours up to some 1,000 agents evaluated (the usual plan's
// schedule, judged carried over) and staffed. Each beside the usual plan of
// the same day by the engine alone (Erlang A per interval), the baseline of
// the same run. Both days double-peaked, callers hanging up after 5 minutes
// on average, 80 % answered within 20 s.
#include "transient/day.h"

#include "teletraffic/erlang_x.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using transient::DayInput;

// A double-peaked day of `count` intervals whose peak traffic is `peak`
// erlangs: mornings and afternoons, a lunch dip, quiet ends.
DayInput DoublePeak(int count, double minutes, double aht, double peak) {
    DayInput in;
    in.model = {minutes, aht, 300, INFINITY};
    in.targets.serviceLevel = 0.8;
    in.targets.targetTimeSeconds = 20;
    in.targets.shrinkage = 0.3;
    in.targets.maxOccupancy = 0.9;
    for (int i = 0; i < count; ++i) {
        const double x = (i + 0.5) / count; // the day's share gone
        const double load = std::exp(-std::pow((x - 0.35) / 0.09, 2)) +
                            0.85 * std::exp(-std::pow((x - 0.68) / 0.11, 2)) + 0.03;
        in.calls.push_back(std::round(peak * load * minutes * 60 / aht));
    }
    return in;
}

DayInput Everyday() {
    return DoublePeak(48, 30, 180, 90);
}
DayInput Large() {
    return DoublePeak(96, 15, 300, 950);
}

void Run(benchmark::State& state, const DayInput& in) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(transient::PlanDay(in));
    }
}

// The baseline: the usual plan's counts by the engine alone, interval by
// interval, nothing carried over.
void Engine(benchmark::State& state, const DayInput& in) {
    const teletraffic::ErlangXModel model{
        in.model.ahtSeconds, in.model.patienceSeconds, INFINITY, 0, 0, 0};
    teletraffic::ErlangXTargets targets;
    targets.targetTime = in.targets.targetTimeSeconds;
    targets.serviceLevel = in.targets.serviceLevel;
    for (auto _ : state) {
        for (const double calls : in.calls) {
            const double traffic = calls * in.model.ahtSeconds / (60 * in.model.intervalMinutes);
            const auto agents = teletraffic::ErlangXAgents(traffic, model, targets);
            benchmark::DoNotOptimize(teletraffic::ErlangXScheduleAgents(
                traffic, agents, model, in.targets.shrinkage, in.targets.maxOccupancy));
        }
    }
}

void BM_Engine48(benchmark::State& s) {
    Engine(s, Everyday());
}
void BM_Staff48(benchmark::State& s) {
    Run(s, Everyday());
}

DayInput UsualSchedule(DayInput in) {
    in.method = transient::Method::Stationary;
    const transient::DayResult usual = transient::PlanDay(in);
    in.agents.emplace();
    for (const auto& f : usual.intervals) {
        in.agents->push_back(static_cast<double>(f.agents));
    }
    return in;
}

void BM_Engine96(benchmark::State& s) {
    Engine(s, Large());
}
void BM_Evaluate96(benchmark::State& s) {
    Run(s, UsualSchedule(Large()));
}
void BM_Staff96(benchmark::State& s) {
    Run(s, Large());
}

} // namespace

BENCHMARK(BM_Engine48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Staff48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Engine96)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Evaluate96)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Staff96)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
