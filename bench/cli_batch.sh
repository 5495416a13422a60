#!/usr/bin/env bash
# Times the real corvane-cli on generated files of traffic,blocking rows of
# everyday sizes (traffic 0.1 to 1000 erlangs, blocking 0.001 to 0.1, both
# log-uniform), and gives the rows per second by the clock, the processor
# time of all its threads (which holds better on a busy machine), and the
# peak resident memory.
# bench_cli, beside it, splits the same work into the engine and the rest.
# usage: bench/cli_batch.sh PROGRAM [ROWS...]    (default rows: 100000 1000000)
set -euo pipefail
program=$1
shift
(($# > 0)) || set -- 100000 1000000
[[ -x /usr/bin/time ]] || {
    echo "needs /usr/bin/time (Debian package time)" >&2
    exit 2
}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/corvane-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

for rows in "$@"; do
    file=$scratch/rows-$rows.csv
    awk -v rows="$rows" 'BEGIN {
        srand(20261206)
        print "traffic,blocking"
        for (i = 0; i < rows; i++)
            printf "%.5g,%.3g\n", 10 ^ (-1 + 4 * rand()), 10 ^ (-3 + 2 * rand())
    }' >"$file"
    /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$program" lines --input "$file" >"$scratch/out" ||
        [[ $? == 1 ]]
    read -r seconds user system kib <"$scratch/time"
    answered=$(($(wc -l <"$scratch/out") - 1))
    awk -v rows="$rows" -v answered="$answered" -v s="$seconds" -v user="$user" \
        -v sys="$system" -v kib="$kib" 'BEGIN {
        cpu = user + sys
        printf "%8d rows: %6.2f s, %8.0f rows/s; processor time %6.2f s, %8.0f rows/s; " \
            "peak RSS %5.1f MiB; %d rows out\n",
            rows, s, rows / s, cpu, rows / cpu, kib / 1024, answered
    }'
done
