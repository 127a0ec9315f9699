#!/usr/bin/env bash
# Runs the built program on a virtual X server the way a person would use it:
# the main window must open where the preferences file says, Start must count
# down to the "Time's Up" window (20 pixels below the main window, with the
# alarm played), an arrow click must change the minutes, and Ctrl+Q must close
# the window and rewrite the preferences. The test command's end-to-end test
# covers the rest on a whole desktop; this one waits out a real minute.
#
# Usage: bash scripts/smoke-xvfb.sh [--quick] [build-dir]
#   --quick  skips the one-minute countdown.
# Needs: xvfb, xdotool, x11-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/desktop/session.sh

quick=0
if [[ ${1:-} == --quick ]]; then
    quick=1
    shift
fi
build=${1:-build}
program=$(realpath "$build/bin/tockamo")
[[ -x $program ]] || { echo "smoke: $program is not built" >&2; exit 2; }

app_pid=
cleanup() {
    [[ -n $app_pid ]] && stop_process "$app_pid"
    session_stop
}
trap cleanup EXIT

fail() {
    echo "smoke: FAIL: $*" >&2
    exit 1
}

session_begin
start_display 1024x768 || fail "Xvfb did not start"

# Preferences of our own; the alarm goes to a file instead of a loudspeaker.
prefs="$XDG_CONFIG_HOME/tockamo.txt"
printf '#Window1Position 200,300\n#MySetMin 1\n' >"$prefs"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$session_dir/alarm.raw"

"$program" >"$session_dir/tockamo.log" 2>&1 &
app_pid=$!

wait_for_window Tockamo 10 || fail "the main window did not appear"
window=$shown_window
read -r left top _ < <(window_rect "$window")
[[ $left == 300 && $top == 200 ]] || fail "main window at left $left, top $top; the preferences say 300, 200"
echo "smoke: main window mapped at left $left, top $top"

if (( !quick )); then
    click_in_main "$window" start || fail "cannot press Start"
    echo "smoke: Start pressed; waiting a minute for the alarm"
    wait_for_window "Time's Up" 75 || fail "no Time's Up window after the countdown"
    alert=$shown_window
    read -r alert_left alert_top _ < <(window_rect "$alert")
    [[ $alert_left == 300 && $alert_top == 220 ]] || fail "Time's Up window at left $alert_left, top $alert_top; expected 300, 220"
    echo "smoke: Time's Up window at left $alert_left, top $alert_top"
    wait_until 5 test -s "$session_dir/alarm.raw" || fail "the alarm was not played"
    echo "smoke: alarm played"
    # The alert covers the main window's controls; the user drags it aside.
    xdotool windowmove --sync "$alert" 600 450
fi

# The set minutes go from 1 to 2.
click_in_main "$window" up_arrow || fail "cannot press the Up arrow"
xdotool windowfocus --sync "$window"
xdotool key ctrl+q
wait_for_exit "$app_pid" 5 || fail "Ctrl+Q did not end the program"
app_pid=
(( exit_status == 0 )) || fail "the program ended with status $exit_status"

expected=$'#Window1Position 200,300\n#MySetMin 2'
saved=$(tr -d '\r' <"$prefs")
[[ $saved == "$expected" ]] || fail "preferences after closing: $(printf '%q' "$saved")"
echo "smoke: preferences rewritten: $(tr '\n' ' ' <<<"$saved")"
echo "smoke: OK"
