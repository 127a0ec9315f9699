#!/usr/bin/env bash
# Runs the built program on a virtual X server the way a person would use it:
# the main window must open where the preferences file says, Start must count
# down to the "Time's Up" window (20 pixels below the main window, with the
# alarm played), an arrow click must change the minutes, and Ctrl+Q must close
# the window and rewrite the preferences.
#
# Usage: bash scripts/smoke-xvfb.sh [--quick] [build-dir]
#   --quick  skips the one-minute countdown.
# Needs: xvfb, xdotool, x11-utils.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
if [[ ${1:-} == --quick ]]; then
    quick=1
    shift
fi
build=${1:-build}
program="$build/bin/tockamo"
[[ -x $program ]] || { echo "smoke: $program is not built" >&2; exit 2; }

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "smoke: FAIL: $*" >&2
    exit 1
}

# A display of its own, whatever number is free.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# Preferences of our own; the alarm goes to a file instead of a loudspeaker.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
prefs="$XDG_CONFIG_HOME/tockamo.txt"
printf '#Window1Position 200,300\n#MySetMin 1\n' >"$prefs"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/alarm.raw"
unset QT_QPA_PLATFORM

"$program" >"$work/tockamo.log" 2>&1 &
app_pid=$!

window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Tockamo$' | head -n1) || fail "the main window did not appear"
geometry() { xwininfo -id "$1" | awk -v key="$2" -F: '$1 ~ key { gsub(/ /, "", $2); print $2 }'; }
left=$(geometry "$window" "Absolute upper-left X")
top=$(geometry "$window" "Absolute upper-left Y")
height=$(geometry "$window" "Height")
[[ $left == 300 && $top == 200 ]] || fail "main window at left $left, top $top; the preferences say 300, 200"
echo "smoke: main window mapped at left $left, top $top"
menu=$((height - 130))
(( menu >= 0 )) || fail "main window is $height high, less than its content"

click() { xdotool mousemove --window "$window" "$1" "$((menu + $2))" click 1; sleep 0.3; }

if (( !quick )); then
    click 60 100 # Start
    echo "smoke: Start pressed; waiting a minute for the alarm"
    alert=$(timeout 75 xdotool search --sync --onlyvisible --name "^Time's Up$" | head -n1) || fail "no Time's Up window after the countdown"
    alert_left=$(geometry "$alert" "Absolute upper-left X")
    alert_top=$(geometry "$alert" "Absolute upper-left Y")
    [[ $alert_left == 300 && $alert_top == 220 ]] || fail "Time's Up window at left $alert_left, top $alert_top; expected 300, 220"
    echo "smoke: Time's Up window at left $alert_left, top $alert_top"
    sleep 1
    [[ -s $work/alarm.raw ]] || fail "the alarm was not played"
    echo "smoke: alarm played"
    # The alert covers the main window's controls; the user drags it aside.
    xdotool windowmove --sync "$alert" 600 450
fi

click 69 61 # the Up arrow: the set minutes go from 1 to 2
xdotool windowfocus --sync "$window"
xdotool key ctrl+q
for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "Ctrl+Q did not end the program"
wait "$app_pid" || fail "the program ended with status $?"
app_pid=

expected=$'#Window1Position 200,300\n#MySetMin 2'
saved=$(tr -d '\r' <"$prefs")
[[ $saved == "$expected" ]] || fail "preferences after closing: $(printf '%q' "$saved")"
echo "smoke: preferences rewritten: $(tr '\n' ' ' <<<"$saved")"
echo "smoke: OK"
