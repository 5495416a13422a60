#!/usr/bin/env bash
# e2e.sh path/to/corvane: the real program under a window manager (openbox) on
# a private Xvfb display, driven by xdotool and read back through xclip.
set -uo pipefail
app=$1 tmp=$(mktemp -d) step="start Xvfb and openbox"
fail() { echo "e2e FAILED at step: $step: $*" >&2; cat "$tmp/app.log" >&2 2>/dev/null; exit 1; }
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$tmp"' EXIT
trap 'fail "killed by a signal"' INT TERM HUP
wait_until() { # seconds, command...
    local end=$((SECONDS + $1)) && shift
    until "$@"; do ((SECONDS < end)) || return 1 && sleep 0.1; done
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" 2>/dev/null &
wait_until 10 test -s "$tmp/display" || fail "no display"
export DISPLAY=":$(<"$tmp/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$tmp
unset WAYLAND_DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_until 10 wm_up || fail "no window manager"

step="start the program"
LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp" "$app" >"$tmp/app.log" 2>&1 &
app_pid=$!
windows() { xdotool search --onlyvisible --name '^Corvane$' 2>/dev/null; }
count() { [[ $(windows | wc -l) == "$1" ]]; }
wait_until 10 count 1 || fail "no window titled Corvane"
main=$(windows)

step="the outer frame stands in the middle of the 1280x1024 screen"
centred() {
    local ext x y
    ext=$(xprop -id "$main" _NET_FRAME_EXTENTS) && IFS=' ,' read -r l r t b <<<"${ext#*= }"
    x=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ {print $4}')
    y=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {print $4}')
    dx=$((2 * (x - l) + 304 + l + r - 1280)) dy=$((2 * (y - t) + 303 + t + b - 1024))
    ((dx * dx <= 4 && dy * dy <= 4))
}
wait_until 5 centred || fail "frame off centre by $((dx / 2)),$((dy / 2)) px (frame ${l}/${r}/${t}/${b})"

step="type 10 and 0.01, Enter on the calculate button, copy the result"
# A marker on the clipboard tells a copy from what was there before. Once in
# many runs xclip's text did not take: try again.
clip() { xclip -o -selection clipboard 2>/dev/null; }
for _ in 1 2 3; do
    printf marker | xclip -i -selection clipboard >/dev/null 2>&1
    wait_until 2 test "$(clip)" = marker && break
done
xdotool windowactivate --sync "$main" type --delay 20 10
xdotool key Tab && xdotool type --delay 20 0.01
xdotool key Tab Return Tab ctrl+a ctrl+c # cmdCalc, then txtResult
wait_until 5 test "$(clip)" != marker
[[ $(clip) == 18 ]] || fail "the result box holds '$(clip)', expected 18"

step="Enter on Exit ends the program with code 0"
xdotool key Tab Return # from txtResult
exited() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_until 5 exited || fail "still running"
wait "$app_pid" || fail "exit code $?"
echo "e2e passed in ${SECONDS} s"
