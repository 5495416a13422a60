#!/usr/bin/env bash
# Builds the fuzz target with clang (in build-fuzz, configured on first use)
# and fuzzes for a number of seconds (default 60). The committed seeds are
# copied to a scratch corpus, so fuzz/corpus/ only changes by hand; crashing
# inputs land in build-fuzz/artifacts/. Exits non-zero on any finding.
#
# Seeds are UTF-16LE text, traffic and blocking probability split by a line
# feed, e.g.: printf '10\n0.01' | iconv -t UTF-16LE > fuzz/corpus/NAME
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build="build-fuzz"

if [[ ! -f $build/CMakeCache.txt ]]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -DCORVANE_FUZZ=ON -DBUILD_TESTING=OFF -DCORVANE_WERROR=ON \
        -DCORVANE_SANITIZE=ON
fi
cmake --build "$build" -j "$(nproc)" --target fuzz_input

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work/"
mkdir -p "$build/artifacts"

status=0
UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/fuzz_input" "$work" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" >"$work/log" 2>&1 || status=$?
# The whole log only when something was found; its last lines otherwise.
if ((status != 0)); then cat "$work/log"; else tail -n 12 "$work/log"; fi

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
echo "executions run: ${runs:-unknown}"
if ((status != 0)); then
    echo "fuzz_input FAILED (exit $status); inputs in $build/artifacts/" >&2
fi
exit "$status"
