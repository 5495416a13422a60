#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz (configured on first use)
# and fuzzes them for SECONDS in all (default 60): half for the main window's
# input path (fuzz_input), a sixth each for the call records' readers
# (fuzz_records) and the shifts' readers (fuzz_shifts), a twelfth each for
# corvane-cli's CSV reader (fuzz_csv) and the number grammar (fuzz_number);
# on two cores the first runs beside the other four, so it all takes
# SECONDS / 2. Each starts from a
# scratch copy of its committed seeds in fuzz/corpus/TARGET; crashing inputs
# land in build-fuzz/artifacts/. The window's seeds are UTF-16LE text,
# traffic and blocking split by a line feed:
#   printf '10\n0.01' | iconv -t UTF-16LE > fuzz/corpus/input/NAME
# the others plain bytes: a CSV file, the text of one number; the records'
# a byte choosing the reader (fuzz_records.cpp) and then the file; the
# shifts' a byte of choices, the requirements and, after a NUL, the
# templates (fuzz_shifts.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60} build=build-fuzz
[[ -f $build/CMakeCache.txt ]] || CC=clang CXX=clang++ cmake -S . -B "$build" -DCORVANE_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCORVANE_WERROR=ON -DCORVANE_SANITIZE=ON
cmake --build "$build" -j "$(nproc)" --target fuzz_input fuzz_csv fuzz_number fuzz_records fuzz_shifts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

# fuzz TARGET SECONDS: one target from a scratch copy of its seeds; on a
# finding, its log and where the input is.
fuzz() {
    mkdir "$work/$1" && cp "fuzz/corpus/$1"/* "$work/$1/"
    UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz/fuzz_$1" "$work/$1" -max_total_time="$2" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/" >"$work/$1.log" 2>&1 ||
        { cat "$work/$1.log" && echo "fuzz_$1 FAILED; the input is in $build/artifacts/" >&2 && return 1; }
}
input=$((seconds / 2)) records=$((seconds / 6)) shifts=$((seconds / 6)) csv=$((seconds / 12))
number=$((seconds - input - records - shifts - csv))
status=0
if (($(nproc) > 1)); then
    # Two at once on two cores: the window's input path beside the call
    # records, the CSV reader and then the number grammar, each for as long
    # as alone.
    fuzz input "$input" &
    window=$!
    { fuzz records "$records" && fuzz shifts "$shifts" && fuzz csv "$csv" &&
        fuzz number "$number"; } || status=1
    wait "$window" || status=1
else
    { fuzz input "$input" && fuzz records "$records" && fuzz shifts "$shifts" && fuzz csv "$csv" &&
        fuzz number "$number"; } || status=1
fi
((status == 0)) || exit 1
executed() { sed -n 's/^stat::number_of_executed_units: *//p' "$work/$1.log"; }
echo "fuzzing: $(executed input) window inputs in $input s, $(executed records) call-record files in" \
    "$records s, $(executed shifts) requirement and template files in $shifts s, $(executed csv) CSV" \
    "files in $csv s, $(executed number) numbers in $number s, no finding"
