#!/usr/bin/env bash
# The bash completion, against the program it completes.
# usage: completion.sh PROGRAM COMPLETION_SCRIPT
set -euo pipefail
program=$1
# shellcheck source=/dev/null
source "$2"

failed=0
while IFS='|' read -r words want; do
    read -ra COMP_WORDS <<<"$program $words"
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _corvane_cli
    got="${COMPREPLY[*]}"
    if [[ $got != "$want" ]]; then
        echo "FAIL: corvane-cli $words<TAB> gave '$got', want '$want'" >&2
        failed=1
    fi
done <<'CASES'
ext|extended-blocking extended-lines
lines --tr|--traffic
agents --traffic 10 --serv|--service-level
table --format m|markdown
overflow-lines --method h|hayward
queue|queue-blocking queue-lines
agents --basis ex|excluding-short-abandons
records --hol|--holding
records --format cu|cucm
records --per d|day
day --method s|stationary
day --start p|periodic
shifts --objective s|service
shifts --cov|--coverage
CASES
exit $failed
