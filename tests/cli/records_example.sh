#!/usr/bin/env bash
# The README's worked example of call records, as it is run: the month its
# generator writes, read by corvane-cli, prints what the README shows.
# usage: records_example.sh PROGRAM SOURCE_DIR
set -euo pipefail
program=$1 source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
/usr/bin/python3 "$source/docs/examples/make_month.py" Master.csv
command="corvane-cli records Master.csv --timezone Pacific/Fiji --trunk 'PJSIP/carrier-*' --per summary 2>/dev/null"
# The lines after the command in the README, up to the next command.
awk -v command="\$ $command" '
    $0 == command { shown = 1; next }
    shown && /^\$ / { exit }
    shown { print }' "$source/README.md" >shown.txt
[[ -s shown.txt ]] || { echo "FAIL: the README does not show: $command" >&2 && exit 1; }
status=0
"$program" records Master.csv --timezone Pacific/Fiji --trunk 'PJSIP/carrier-*' --per summary \
    >printed.txt 2>/dev/null || status=$?
[[ $status == 1 ]] || { echo "FAIL: status $status, where five rows are refused" >&2 && exit 1; }
diff shown.txt printed.txt || { echo "FAIL: the README shows other figures than the program prints" >&2 && exit 1; }
