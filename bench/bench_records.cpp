// Reading Asterisk call records, parsing included, beside a plain read of
// the same file in the same run (its bytes in blocks of a megabyte and its
// line ends counted): the ratio is the figure, the machine being shared.
// The file is written first: a million rows (CORVANE_BENCH_ROWS) over 30 days
// in Europe/Berlin, as a switch writes them (in the order of their ends),
// two rows in three calls sharing a linkedid.
//   bench_records                          the benchmarks
//   bench_records --write ROWS DAYS FILE   a file of ROWS rows over DAYS days
//   bench_records --read FILE...           read and summarise (for /usr/bin/time -v)
//   bench_records --read-jobs N FILE...    the same, N files at once
#include "records/records.h"
#include "records/tokenizer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Row {
    std::int64_t start, end;
    std::uint64_t call;
    int leg;
};

std::string Clock(std::int64_t local) {
    const std::int64_t day = local / 86400, s = local % 86400;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s %02d:%02d:%02d", records::DateText(day).c_str(),
                  int(s / 3600), int(s / 60 % 60), int(s % 60));
    return buffer;
}

// Local times in winter (UTC+1) only: the file needs no zone to be written.
void Write(std::int64_t rows, int days, const std::string& path) {
    std::uint64_t seed = 20261208;
    auto next = [&] { return seed = seed * 6364136223846793005ULL + 1442695040888963407ULL; };
    const std::int64_t begin = 19'737LL * 86400; // 2024-01-15, local
    const std::int64_t span = std::int64_t{days} * 86400;
    std::vector<Row> all;
    all.reserve(static_cast<std::size_t>(rows));
    for (std::uint64_t call = 0; static_cast<std::int64_t>(all.size()) < rows; ++call) {
        const std::int64_t start = begin + static_cast<std::int64_t>(next() >> 33) % span;
        const std::int64_t hold = 20 + static_cast<std::int64_t>(next() >> 40) % 580;
        all.push_back({start, start + hold, call, 0});
        if (next() % 3 != 0 && static_cast<std::int64_t>(all.size()) < rows) {
            all.push_back({start, start + hold - static_cast<std::int64_t>(next() >> 60), call, 1});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Row& a, const Row& b) { return a.end < b.end; });
    std::ofstream out(path, std::ios::binary);
    for (const Row& r : all) {
        const std::string id =
            std::to_string(1705300000 + r.call / 7) + "." + std::to_string(r.call);
        out << "\"\",\"" << 8900000000 + r.call % 1000000 << "\",\"2" << r.call % 100
            << "\",\"from-pstn\",\"\"\"Caller\"\" <89" << r.call % 100000 << ">\",\"PJSIP/carrier-"
            << r.call % 100000 << "\",\"PJSIP/" << 200 + r.leg << "-" << r.call % 65536
            << "\",\"Dial\",\"PJSIP/200&PJSIP/201,60\",\"" << Clock(r.start) << "\",\""
            << Clock(r.start + 5) << "\",\"" << Clock(r.end) << "\"," << r.end - r.start << ','
            << r.end - r.start - 5 << ",\"ANSWERED\",\"DOCUMENTATION\",\"" << id
            << "\",\"\",\"\",\"" << id << "\"," << r.leg << '\n';
    }
}

std::string& File() {
    static std::string path;
    return path;
}
std::int64_t& Rows() {
    static std::int64_t rows = 0;
    return rows;
}

void PlainRead(benchmark::State& state) {
    std::vector<char> block(std::size_t{1} << 20);
    for (auto _ : state) {
        std::ifstream in(File(), std::ios::binary);
        std::int64_t lines = 0;
        while (in.read(block.data(), static_cast<std::streamsize>(block.size())) ||
               in.gcount() > 0) {
            const char* p = block.data();
            const char* end = p + in.gcount();
            while ((p = static_cast<const char*>(
                        std::memchr(p, '\n', static_cast<std::size_t>(end - p))))) {
                ++lines;
                ++p;
            }
        }
        benchmark::DoNotOptimize(lines);
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(Rows()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void Tokenize(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(File(), std::ios::binary);
        records::Tokenizer tokens(in);
        std::size_t fields = 0;
        while (tokens.Next()) {
            fields += tokens.Fields().size();
        }
        benchmark::DoNotOptimize(fields);
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(Rows()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void ReadRecords(benchmark::State& state) {
    records::ReadOptions options;
    options.timezone = "Europe/Berlin";
    for (auto _ : state) {
        const records::Tally tally = records::ReadRecords({File()}, options);
        if (tally.rows != Rows() || tally.RowsRefused() != 0) {
            state.SkipWithError("the rows were not all read");
        }
        benchmark::DoNotOptimize(tally.calls);
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(Rows()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

// Two files over the same days read together, on one thread and on two:
// wall-clock time, the parsing of each on a core of its own.
void ReadTwoFiles(benchmark::State& state) {
    records::ReadOptions options;
    options.timezone = "Europe/Berlin";
    options.jobs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const records::Tally tally = records::ReadRecords({File(), File()}, options);
        benchmark::DoNotOptimize(tally.calls);
    }
    state.counters["rows/s"] = benchmark::Counter(2.0 * static_cast<double>(Rows()),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(Tokenize)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadTwoFiles)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int ReadAndSummarise(int argc, char** argv, int jobs) {
    records::ReadOptions options;
    options.timezone = "Europe/Berlin";
    options.jobs = jobs;
    const std::vector<std::string> files(argv + (jobs > 1 ? 3 : 2), argv + argc);
    const records::Tally tally = records::ReadRecords(files, options);
    const records::Report report = records::Summarize(tally, {});
    std::cout << records::SummaryJson(report, tally) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--write") {
        Write(std::atoll(argv[2]), std::atoi(argv[3]), argv[4]);
        return 0;
    }
    if (argc >= 3 && std::string(argv[1]) == "--read") {
        return ReadAndSummarise(argc, argv, 1);
    }
    if (argc >= 4 && std::string(argv[1]) == "--read-jobs") {
        return ReadAndSummarise(argc, argv, std::max(2, std::atoi(argv[2])));
    }
    const char* rows = std::getenv("CORVANE_BENCH_ROWS");
    Rows() = rows ? std::atoll(rows) : 1'000'000;
    File() = (std::filesystem::temp_directory_path() /
              ("corvane-bench-records-" + std::to_string(::getpid()) + ".csv"))
                 .string();
    Write(Rows(), 30, File());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(File());
    return 0;
}
