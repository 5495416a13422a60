// CalcLines beside the literal search it replaces, on the same inputs in one
// run, so that the ratio holds on a noisy machine.
#include "calc/mdl_Corvane.h"
#include "tests/support/literal_search.h"

#include <benchmark/benchmark.h>

namespace {

void Args(benchmark::internal::Benchmark* b) {
    // Traffic in erlangs, blocking target in units of 0.0001.
    for (const auto& [traffic, blocking] :
         {std::pair{999999, 1}, {999999, 100}, {999999, 9999}, {123456, 1}}) {
        b->Args({traffic, blocking});
    }
    b->ArgNames({"A", "B_e4"})->Unit(benchmark::kMillisecond);
}

template <double (*Search)(double, double)> void BM_Search(benchmark::State& state) {
    const auto A = static_cast<double>(state.range(0));
    const double B = static_cast<double>(state.range(1)) / 10000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Search(A, B));
    }
}

BENCHMARK(BM_Search<mdl_Corvane::CalcLines>)->Name("CalcLines")->Apply(Args);
BENCHMARK(BM_Search<literal::LiteralSearchLines>)->Name("LiteralSearch")->Apply(Args);

} // namespace

BENCHMARK_MAIN();
