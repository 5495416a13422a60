#!/usr/bin/env bash
# corvane-cli's batch under ThreadSanitizer: builds the engine and corvane-cli
# alone in build-tsan/ (GCC, -fsanitize=thread), then answers generated files
# on 2 threads: whole line counts over the engine's range, and the blocking of
# fractional counts (the incomplete gamma function's series and continued
# fraction), with a row in a few hundred that fails; and two call-record
# files read at once by the records' reading (bench_records --read-jobs 2).
# Any report from ThreadSanitizer fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-tsan
# -Og: every memory access stays in the code for ThreadSanitizer to watch;
# line tables (-g1) are enough for its reports' file and line.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-Og -g1 -DNDEBUG" \
    -DCORVANE_WERROR=ON -DCORVANE_TSAN=ON -DBUILD_TESTING=OFF -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target corvane-cli bench_records
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk 'BEGIN {
    srand(20261207)
    print "traffic,blocking"
    for (i = 0; i < 12000; i++)
        if (i % 397 == 0) print "-1,0.01"
        else printf "%.6g,%.4g\n", 10 ^ (-3 + 12 * rand()), 10 ^ (-12 + 11.7 * rand())
}' >"$work/lines.csv"
awk 'BEGIN {
    srand(20261208)
    print "traffic,lines"
    for (i = 0; i < 8000; i++) {
        a = 10 ^ (-2 + 6 * rand())
        if (i % 397 == 0) print a ",x"
        else printf "%.6g,%.6g\n", a, a * (0.3 + 2 * rand())
    }
}' >"$work/blocking.csv"

rows=0
for command in lines blocking; do
    status=0
    TSAN_OPTIONS="halt_on_error=1 exitcode=66" "$build/cli/corvane-cli" "$command" --threads 2 \
        --input "$work/$command.csv" >"$work/out.csv" || status=$?
    # 1: some rows failed, as some were made to.
    if ((status != 1)); then
        echo "corvane-cli $command under ThreadSanitizer: exit status $status" >&2
        exit 1
    fi
    rows=$((rows + $(wc -l <"$work/out.csv") - 1))
done
for day in 1 2; do
    "$build/bench/bench_records" --write 100000 2 "$work/records$day.csv"
done
TSAN_OPTIONS="halt_on_error=1 exitcode=66" "$build/bench/bench_records" --read-jobs 2 "$work/records1.csv" \
    "$work/records2.csv" >/dev/null
echo "ThreadSanitizer: $rows batch rows on 2 threads, 200000 call records on 2, no report"
