#!/usr/bin/env bash
# Drives the real program as a person would, on a private Xvfb display: keys
# typed with xdotool, text pasted and read back through the clipboard (xclip).
# Usage: e2e.sh path/to/corvane        Needs: xvfb xdotool xclip
set -uo pipefail

# One bound on the whole run: `timeout` signals the run, whose trap cleans up.
if [[ -z ${CORVANE_E2E_BOUNDED:-} ]]; then
    CORVANE_E2E_BOUNDED=1 exec timeout -k 5 60 "$BASH" "$0" "$@"
fi

app=${1:?usage: $0 path/to/corvane}
step="setup"
fail() {
    echo "e2e FAILED at step: $step" >&2
    printf '  %s\n' "$@" >&2
    exit 1
}
[[ -x $app ]] || fail "no program at $app"
for tool in Xvfb xdotool xclip; do
    command -v "$tool" >/dev/null || fail "$tool not found (apt-get install xvfb xdotool xclip)"
done

tmp=$(mktemp -d)
xvfb_pid="" app_pid=""
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
    # Closing the display also ends any xclip still holding the clipboard.
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'step="$step (interrupted or timed out)"; fail "killed by a signal"' INT TERM HUP

# Polls a command every 0.1 s for up to $1 seconds.
wait_until() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS <= end)) || return 1
        sleep 0.1
    done
}

# Shows a text with its line breaks visible, for failure messages.
show() { local s=${1//$'\n'/\\n}; printf '"%s"' "$s"; }

expect() { # what, expected, got
    [[ $3 == "$2" ]] || fail "$1" "expected: $(show "$2")" "got:      $(show "$3")"
}

clipboard() { xclip -o -selection clipboard 2>/dev/null; }

# xclip stays behind to serve the text; it must not hold our output open.
# Once in many runs the text did not take: try again before failing.
set_clipboard() {
    local try
    for try in 1 2 3; do
        printf '%s' "$1" | xclip -i -selection clipboard >/dev/null 2>&1
        wait_until 2 test "$(clipboard)" = "$1" && return
        echo "note: clipboard holds $(show "$(clipboard)") instead of $(show "$1"), try $try" >&2
    done
    fail "could not put $(show "$1") on the clipboard"
}

# Sets `copied` to the clipboard after pressing keys in the focused window,
# trailing line breaks kept; a marker first tells a copy from what was there.
copy_with() {
    local marker="<nothing copied>"
    set_clipboard "$marker"
    xdotool key "$@"
    wait_until 5 test "$(clipboard)" != "$marker"
    copied=$(clipboard; printf x)
    copied=${copied%x}
}

# Replaces the focused box's text: typed if plain ASCII, else pasted.
enter() {
    xdotool key ctrl+a BackSpace
    if [[ -z $(printf '%s' "$1" | LC_ALL=C tr -d '\040-\176') ]]; then
        xdotool type --delay 20 -- "$1"
    else
        set_clipboard "$1"
        xdotool key ctrl+v
    fi
}

visible_windows() { xdotool search --onlyvisible --name '^Corvane$' 2>/dev/null; }
window_count() { [[ $(visible_windows | wc -l) -eq $1 ]]; }

# --- a private display and the program -------------------------------------
step="start Xvfb"
# -displayfd: the first free display, even beside other X servers.
# -noreset: a server that resets as its last client leaves refuses the next.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_until 10 test -s "$tmp/display" || fail "no display within 10 s" "$(cat "$tmp/xvfb.log")"
DISPLAY=":$(<"$tmp/display")"
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# With no window manager, focus falls back to the window under the pointer.
xdotool mousemove 0 0

step="start the program"
LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
    "$app" >"$tmp/app.log" 2>&1 &
app_pid=$!
wait_until 10 window_count 1 || fail "no visible window titled Corvane within 10 s" "$(cat "$tmp/app.log")"
main=$(visible_windows)
xdotool windowfocus --sync "$main"
# Focus is on txtInput1; every scenario starts and ends there.

# --- calculations and warnings ----------------------------------------------
bad="　の値が不正です。"
rule="---------------------------"
while IFS='|' read -r traffic loss outcome; do
    step="calculate $(show "$traffic") $(show "$loss")"
    enter "$traffic"
    xdotool key Tab
    enter "$loss"
    xdotool key Tab space # cmdCalc
    if [[ $outcome != warn:* ]]; then
        xdotool key Tab # txtResult
        copy_with ctrl+a ctrl+c
        expect "result box" "$outcome" "$copied"
        xdotool key Tab Tab # cmdExit, txtInput1
        continue
    fi
    wait_until 5 window_count 2 || fail "no message box within 5 s"
    box=$(visible_windows | grep -vx "$main")
    xdotool windowfocus --sync "$box"
    copy_with ctrl+c
    expect "message box copied with Ctrl+C" \
        "$rule"$'\n'"Corvane"$'\n'"$rule"$'\n'"${outcome#warn:}"$'\n'"$rule"$'\n'"OK   "$'\n'"$rule"$'\n' \
        "$copied"
    xdotool key Return
    wait_until 5 window_count 1 || fail "message box still open 5 s after Return"
    xdotool windowfocus --sync "$main"
    xdotool key Tab Tab Tab # from cmdCalc: txtResult, cmdExit, txtInput1
done <<EOT
10|0.01|18
１０|０．０１|18
999999|0.0001|1001691
abc|0.01|warn:呼量：abc$bad
１ｘ|0.01|warn:呼量：１ｘ$bad
10|1|warn:呼損率：1$bad
EOT

# --- each input box keeps to six characters -----------------------------------
# box, text before, typed or pasted, text added, text kept
while IFS='|' read -r box before how text kept; do
    step="six characters: $how $(show "$text") after $(show "$before") in $box"
    tabs=$([[ $box == txtInput2 ]] && echo 1 || echo 0)
    for ((i = 0; i < tabs; i++)); do xdotool key Tab; done
    enter "$before"
    if [[ $how == type ]]; then
        xdotool key End
        xdotool type --delay 20 -- "$text"
    else
        set_clipboard "$text"
        xdotool key ctrl+a ctrl+v
    fi
    copy_with ctrl+a ctrl+c
    expect "box text" "$kept" "$copied"
    for ((i = tabs; i < 5; i++)); do xdotool key Tab; done
done <<EOT
txtInput1||type|1234567|123456
txtInput2|12|type|34567|123456
txtInput1|12|paste|1234567|12
txtInput2|12|paste|１２３４５６７|12
EOT

# --- the exit button ends the program at once with code 0 ---------------------
step="exit button"
xdotool key Tab Tab Tab Tab space # txtInput2, cmdCalc, txtResult, cmdExit
exited() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_until 5 exited || fail "still running 5 s after Exit"
wait "$app_pid"
rc=$?
app_pid=""
((rc == 0)) || fail "exit code $rc, expected 0" "$(cat "$tmp/app.log")"

echo "e2e passed in ${SECONDS} s"
