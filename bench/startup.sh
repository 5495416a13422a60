#!/usr/bin/env bash
# Start-up of Corvane against an empty Qt window of the same size, both built
# in the same tree and started by turns on one private Xvfb display with a
# session bus of its own, as a desktop has: the time from launch until the
# window is mapped (median of RUNS, default 6), the main thread's processor
# time until then, and the resident memory 0.5 s after it.
# usage: bench/startup.sh [BUILD_DIR] [RUNS]   (BUILD_DIR configured with -DCORVANE_BENCH=ON)
#
# Without a session bus, the first text a window sets starts Qt's
# accessibility bridge, whose D-Bus library then tries to launch a bus
# (dbus-launch --autolaunch); an empty window meets that only after it is
# mapped, so the comparison would measure the missing bus.
set -euo pipefail
if [[ -z ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
    exec dbus-run-session -- "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi
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
for k in 1 2 3; do b[k]=$(median "$tmp/bare" $k) c[k]=$(median "$tmp/corvane" $k); done
echo "bare window: $(cut -d' ' -f1 "$tmp/bare" | tr '\n' ' ')ms"
echo "corvane:     $(cut -d' ' -f1 "$tmp/corvane" | tr '\n' ' ')ms"
awk -v b="${b[1]}" -v c="${c[1]}" -v rb="${b[2]}" -v rc="${c[2]}" -v cb="${b[3]}" -v cc="${c[3]}" 'BEGIN {
    printf "median launch to mapped window: corvane %.1f ms, bare window %.1f ms, ratio %.2f\n", c, b, c / b
    printf "median main-thread processor time until then: corvane %.1f ms, bare window %.1f ms, ratio %.2f\n", cc, cb, cc / cb
    printf "median RSS: corvane %.1f MiB, bare window %.1f MiB\n", rc / 1024, rb / 1024 }'
