// Shift scheduling on the realistic days of shifts_days.h, each solve from
// the templates and the requirements to the verified-by-construction
// schedule: a 96-period day to proven optimality (target: 5 s at the median
// on one core), a week of 672 periods (target: 60 s to optimal or a gap of at
// most 1 %) with days that split into blocks and with a weekly max on one
// template that links them into one search, and service on a 96-period day.
// Each row's counters: optimal (1) or not, the gap, the cost, and the
// programme's size; after Google Benchmark's own lines, each median against
// its target as a ratio.
#include "bench/shifts_days.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace shifts_days;

std::map<std::string, std::vector<double>> gSeconds; // each solve's, by row

void Run(benchmark::State& state, const shifts::Problem& problem, const std::string& name) {
    shifts::Summary summary;
    for (auto _ : state) {
        summary = shifts::Solve(problem).summary;
        benchmark::DoNotOptimize(summary);
        gSeconds[name].push_back(summary.seconds);
    }
    state.counters["optimal"] = summary.status == shifts::Status::Optimal ? 1 : 0;
    state.counters["gap"] = summary.gap;
    state.counters["cost"] = summary.cost;
    state.counters["columns"] = summary.columns;
    state.counters["integers"] = summary.integerColumns;
    state.counters["rows"] = summary.rows;
}

void CoverDay(benchmark::State& state) {
    Run(state, CoverProblem(OneDay(Shape::DoublePeak)), "cover day");
}
void CoverWeek(benchmark::State& state) {
    Run(state, CoverProblem(OneWeek()), "cover week");
}
void CoverWeekLinked(benchmark::State& state) {
    shifts::Problem problem = CoverProblem(OneWeek());
    problem.templates[0].max = 80; // agents on early over the week: the days no longer apart
    Run(state, problem, "cover week, one search");
}
void ServiceDay(benchmark::State& state) {
    Run(state, ServiceProblem(OneDay(Shape::DoublePeak), kLevel), "service day");
}

BENCHMARK(CoverDay)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(CoverWeek)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();
BENCHMARK(CoverWeekLinked)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ServiceDay)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const std::map<std::string, double> targets = {
        {"cover day", 5}, {"cover week", 60}, {"cover week, one search", 60}, {"service day", 5}};
    std::printf("\n%-24s %10s %10s %8s\n", "row", "median s", "target s", "ratio");
    for (auto& [name, all] : gSeconds) {
        std::ranges::sort(all);
        const double seconds = all[all.size() / 2];
        const double target = targets.at(name);
        std::printf("%-24s %10.2f %10.0f %8.3f\n", name.c_str(), seconds, target, seconds / target);
    }
}
