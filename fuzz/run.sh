#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz (configured on first use)
# and fuzzes them for SECONDS in all (default 60): half for the main window's
# input path (fuzz_input), a quarter each for corvane-cli's CSV reader
# (fuzz_csv) and the number grammar (fuzz_number). Each starts from a
# scratch copy of its committed seeds in fuzz/corpus/TARGET; crashing inputs
# land in build-fuzz/artifacts/. The window's seeds are UTF-16LE text,
# traffic and blocking split by a line feed:
#   printf '10\n0.01' | iconv -t UTF-16LE > fuzz/corpus/input/NAME
# the others plain bytes: a CSV file, the text of one number.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60} build=build-fuzz
[[ -f $build/CMakeCache.txt ]] || CC=clang CXX=clang++ cmake -S . -B "$build" -DCORVANE_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCORVANE_WERROR=ON -DCORVANE_SANITIZE=ON
cmake --build "$build" -j "$(nproc)" --target fuzz_input fuzz_csv fuzz_number
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"
summary=()
for run in "input $((seconds / 2)) window inputs" "csv $((seconds / 4)) CSV files" \
    "number $((seconds - seconds / 2 - seconds / 4)) numbers"; do
    read -r target time what <<<"$run"
    mkdir "$work/$target" && cp "fuzz/corpus/$target"/* "$work/$target/"
    if ! UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/fuzz_$target" "$work/$target" \
        -max_total_time="$time" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/" >"$work/log" 2>&1; then
        cat "$work/log"
        echo "fuzz_$target FAILED; the input is in $build/artifacts/" >&2
        exit 1
    fi
    summary+=("$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log") $what in $time s")
done
echo "fuzzing: $(IFS=,; echo "${summary[*]}" | sed 's/,/, /g'), no finding"
