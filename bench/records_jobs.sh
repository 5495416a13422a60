#!/usr/bin/env bash
# corvane-cli records on two files of Asterisk records read with --jobs 1 and
# --jobs 2, alternated run by run so that a shared machine's load falls on
# both alike: the median wall-clock time of each, their ratio, and the load
# average before and after. The files are written by bench_records (ROWS rows
# each, over 30 and 31 days).
# usage: bench/records_jobs.sh BUILD_DIR [ROWS] [ROUNDS]
set -euo pipefail
build=$1 rows=${2:-2000000} rounds=${3:-9}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/bench/bench_records" --write "$rows" 30 "$scratch/a.csv"
"$build/bench/bench_records" --write "$rows" 31 "$scratch/b.csv"
cli=$build/cli/corvane-cli
run() {
    local start end
    start=$(date +%s%N)
    "$cli" records "$scratch/a.csv" "$scratch/b.csv" --format asterisk --timezone Europe/Berlin \
        --per summary --jobs "$1" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
before=$(cut -d' ' -f1-3 /proc/loadavg)
one=() two=()
run 1 >/dev/null # the files into the page cache
for ((i = 0; i < rounds; ++i)); do
    one+=("$(run 1)")
    two+=("$(run 2)")
done
after=$(cut -d' ' -f1-3 /proc/loadavg)
m1=$(printf '%s\n' "${one[@]}" | median)
m2=$(printf '%s\n' "${two[@]}" | median)
echo "two files of $rows rows, $rounds rounds alternated on $(nproc) cores"
echo "--jobs 1: median ${m1} ms (${one[*]})"
echo "--jobs 2: median ${m2} ms (${two[*]})"
echo "ratio $(awk -v a="$m1" -v b="$m2" 'BEGIN { printf "%.2f", a / b }'); load average ${before} before, ${after} after"
