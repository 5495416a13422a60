// Shift scheduling on the realistic days of shifts_days.h, each solve from
// the templates and the requirements to the verified-by-construction
// schedule: a 96-period day to proven optimality (target: 5 s at the median
// on one core), a week of 672 periods (target: 60 s to optimal or a gap of at
// most 1 %) with days that split into blocks and with a weekly max on one
// template that links them (shared out among the days), and service on a
// 96-period day and over the week, whose one level row links the days.
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
std::map<std::string, shifts::Summary> gLast;        // the last solve's, by row

void Run(benchmark::State& state, const shifts::Problem& problem, const std::string& name) {
    shifts::Summary summary;
    for (auto _ : state) {
        summary = shifts::Solve(problem).summary;
        benchmark::DoNotOptimize(summary);
        gSeconds[name].push_back(summary.seconds);
    }
    gLast[name] = summary;
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
    Run(state, problem, "cover week, linked");
}
void ServiceDay(benchmark::State& state) {
    Run(state, ServiceProblem(OneDay(Shape::DoublePeak), kLevel), "service day");
}
void ServiceWeek(benchmark::State& state) {
    Run(state, ServiceProblem(OneWeek(), kLevel), "service week");
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
BENCHMARK(ServiceWeek)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const std::map<std::string, double> targets = {
        {"cover day", 5},   {"cover week", 60},   {"cover week, linked", 60},
        {"service day", 5}, {"service week", 60},
    };
    std::printf("\n%-24s %10s %10s %8s  %s\n", "row", "median s", "target s", "ratio", "answer");
    for (auto& [name, all] : gSeconds) {
        std::ranges::sort(all);
        const double seconds = all[all.size() / 2];
        const double target = targets.at(name);
        const shifts::Summary& last = gLast[name];
        char answer[48];
        std::snprintf(answer, sizeof answer,
                      last.status == shifts::Status::Optimal ? "optimal, cost %.0f"
                                                             : "cost %.0f, gap %.2f %%",
                      last.cost, 100 * last.gap);
        std::printf("%-24s %10.2f %10.0f %8.3f  %s\n", name.c_str(), seconds, target,
                    seconds / target, answer);
    }
}
