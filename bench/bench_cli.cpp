// corvane-cli's batch on generated traffic,blocking rows of everyday sizes
// (traffic 0.1 to 1000 erlangs, blocking 0.001 to 0.1, both log-uniform):
// the whole command, the same without the engine (reading, parsing and
// writing only), and the engine's line search alone on the same rows in one
// thread, so that the share of each shows in one run.
#include "cli/batch.h"
#include "cli/run.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/number_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<double, double>> Rows(std::size_t count) {
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::pair<double, double>> rows;
    for (std::size_t i = 0; i < count; ++i) {
        // Read back from 5 digits, as a file written by people holds them.
        rows.emplace_back(number_text::Rounded(std::pow(10.0, -1 + 4 * unit(random)), 5),
                          number_text::Rounded(std::pow(10.0, -3 + 2 * unit(random)), 3));
    }
    return rows;
}

std::string Csv(const std::vector<std::pair<double, double>>& rows) {
    std::string text = "traffic,blocking\n";
    for (const auto& [traffic, blocking] : rows) {
        number_text::Append(text, traffic);
        text.push_back(',');
        number_text::Append(text, blocking);
        text.push_back('\n');
    }
    return text;
}

// Discards what it is given, as /dev/null would.
class NullBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int overflow(int c) override { return c; }
};

void Engine(benchmark::State& state) {
    const auto rows = Rows(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        for (const auto& [traffic, blocking] : rows) {
            benchmark::DoNotOptimize(teletraffic::ErlangBLines(traffic, blocking));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Batch(benchmark::State& state) {
    const std::string csv = Csv(Rows(static_cast<std::size_t>(state.range(0))));
    NullBuffer null;
    std::ostream out(&null);
    std::ostringstream err;
    for (auto _ : state) {
        std::istringstream in(csv);
        benchmark::DoNotOptimize(cli::Run({"lines", "--input", "-"}, in, out, err));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BatchWithoutEngine(benchmark::State& state) {
    const std::string csv = Csv(Rows(static_cast<std::size_t>(state.range(0))));
    cli::Command lines = *std::ranges::find(cli::Commands(), "lines", &cli::Command::name);
    lines.solve = [](const cli::Inputs& in) {
        return cli::Answer{.count = static_cast<std::int64_t>(in["traffic"] / in["blocking"]),
                           .isCount = true};
    };
    NullBuffer null;
    std::ostream out(&null);
    const std::vector<std::optional<double>> fixed(2);
    const cli::BatchRequest request{.name = "rows"};
    for (auto _ : state) {
        std::istringstream in(csv);
        benchmark::DoNotOptimize(cli::AnswerCsv(lines, fixed, request, in, out));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// By the clock: the batch answers on every core, and the processor time
// Google Benchmark counts is the main thread's alone.
BENCHMARK(Engine)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(Batch)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BatchWithoutEngine)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
