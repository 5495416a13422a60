#!/usr/bin/env bash
# Builds the fuzz target with clang in build-fuzz (configured on first use)
# and fuzzes the input path for SECONDS (default 60), starting from a scratch
# copy of the committed seeds; crashing inputs land in build-fuzz/artifacts/.
# Seeds are UTF-16LE text, traffic and blocking split by a line feed:
#   printf '10\n0.01' | iconv -t UTF-16LE > fuzz/corpus/NAME
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60} build=build-fuzz
[[ -f $build/CMakeCache.txt ]] || CC=clang CXX=clang++ cmake -S . -B "$build" -DCORVANE_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCORVANE_WERROR=ON -DCORVANE_SANITIZE=ON
cmake --build "$build" -j "$(nproc)" --target fuzz_input
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work/" && mkdir -p "$build/artifacts"
if ! UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/fuzz_input" "$work" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/" \
    >"$work/log" 2>&1; then
    cat "$work/log"
    echo "fuzz_input FAILED; the input is in $build/artifacts/" >&2
    exit 1
fi
echo "fuzzing: $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log") inputs in $seconds s, no finding"
