#!/usr/bin/env bash
# Start-up of Corvane against an empty Qt window of the same size, both built
# in the same tree and started by turns on one private Xvfb display: the time
# from launch until the window is mapped (median of RUNS, default 6) and the
# resident memory 0.5 s after it.
# usage: bench/startup.sh [BUILD_DIR] [RUNS]   (BUILD_DIR configured with -DCORVANE_BENCH=ON)
set -euo pipefail
build=${1:-build-test} runs=${2:-6}
corvane=$build/app/corvane bare=$build/bench/bare_window timer=$build/bench/map_timer
for f in "$corvane" "$bare" "$timer"; do
    [[ -x $f ]] || { echo "no $f: build $build with -DCORVANE_BENCH=ON" >&2; exit 1; }
done

tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait; rm -rf "$tmp"' EXIT
for _ in {1..100}; do [[ -s $tmp/display ]] && break; sleep 0.1; done
export DISPLAY=":$(<"$tmp/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$tmp
unset WAYLAND_DISPLAY

# One start of each first, untimed, so that both find the libraries in the page cache.
"$timer" 0 "$bare" >/dev/null
"$timer" 0 "$corvane" >/dev/null
for ((i = 0; i < runs; i++)); do
    "$timer" 500 "$bare" >>"$tmp/bare"
    "$timer" 500 "$corvane" >>"$tmp/corvane"
done

median() { sort -n -k"$2" "$1" | awk -v k="$2" '{v[NR] = $k} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
b=$(median "$tmp/bare" 1) c=$(median "$tmp/corvane" 1)
rb=$(median "$tmp/bare" 2) rc=$(median "$tmp/corvane" 2)
echo "bare window: $(tr '\n' ' ' < <(cut -d' ' -f1 "$tmp/bare"))ms"
echo "corvane:     $(tr '\n' ' ' < <(cut -d' ' -f1 "$tmp/corvane"))ms"
awk -v b="$b" -v c="$c" -v rb="$rb" -v rc="$rc" 'BEGIN {
    printf "median start to mapped window: corvane %.1f ms, bare window %.1f ms, ratio %.2f\n", c, b, c / b
    printf "median RSS: corvane %.1f MB, bare window %.1f MB\n", rc / 1024, rb / 1024 }'
