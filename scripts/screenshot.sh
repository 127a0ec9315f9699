#!/usr/bin/env bash
# Makes the README's picture from the real program: starts it on a private
# desktop (Xvfb and openbox), counts down from 0 minutes so that the Time's Up
# window opens, sets that window under the main window, and photographs the
# two with their frames into docs/tockamo.png. Run it again whenever the
# windows change.
#
# Needs the Debian packages xvfb, openbox, xdotool, x11-utils, imagemagick
# and optipng (scripts/setup-debian.sh installs all but the last two).
#
# Usage: bash scripts/screenshot.sh [path/to/tockamo] [picture.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/bin/tockamo}")
picture=$(realpath -m "${2:-$root/docs/tockamo.png}")
source "$root/tests/desktop/session.sh"

for tool in Xvfb openbox xdotool xwininfo xprop import optipng; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (see the top of $0)" >&2; exit 1; }
done
[[ -x $program ]] || { echo "screenshot: $program is not built (bash scripts/run.sh builds it)" >&2; exit 1; }

trap session_stop EXIT
session_begin
start_display 640x480
start_window_manager

# Prints "left top width height" of a window with the frame the window
# manager gave it.
frame_rect() {
    local left top width height extents
    read -r left top width height < <(window_rect "$1")
    # "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
    read -r fl fr ft fb <<<"${extents:-0 0 0 0}"
    echo "$((left - fl)) $((top - ft)) $((width + fl + fr)) $((height + ft + fb))"
}

found() {
    window=$(visible_window "$1")
    [[ -n $window ]]
}

# The place is the top,left of the window's content; the minutes end the
# count at its first tick.
printf '#Window1Position 60,40\n#MySetMin 0\n' >"$XDG_CONFIG_HOME/tockamo.txt"
SDL_AUDIODRIVER=dummy "$program" >"$session_dir/program.log" 2>&1 &
session_pids+=($!)
wait_until 20 found "Tockamo" || { echo "screenshot: the main window did not appear" >&2; exit 1; }
main=$window

click_in_main "$main" start || { echo "screenshot: cannot press Start" >&2; exit 1; }
wait_until 10 found "Time's Up" || { echo "screenshot: no Time's Up window after Start" >&2; exit 1; }
alert=$window

# The Time's Up window opens over the main window; for the picture it goes
# right under it, frame to frame.
read -r main_left main_top main_width main_height < <(frame_rect "$main")
read -r client_left client_top _ _ < <(window_rect "$alert")
read -r frame_left frame_top _ _ < <(frame_rect "$alert")
xdotool windowmove "$alert" "$((main_left + client_left - frame_left))" "$((main_top + main_height + client_top - frame_top))"
below() {
    read -r alert_left alert_top alert_width alert_height < <(frame_rect "$alert")
    ((alert_left == main_left && alert_top == main_top + main_height))
}
wait_until 5 below || { echo "screenshot: the Time's Up window did not move under the main window" >&2; exit 1; }
# Set shows 5 minutes rather than the 0 that brought the alarm at once.
click_in_main "$main" up_arrow 5 || { echo "screenshot: cannot press the up arrow" >&2; exit 1; }
wait_until 5 is_active_window "$main" || { echo "screenshot: the main window did not take the clicks" >&2; exit 1; }
# The pointer stays off the windows, where it would cast a hover look.
xdotool mousemove 0 0

right=$((main_left + main_width > alert_left + alert_width ? main_left + main_width : alert_left + alert_width))
mkdir -p "$(dirname "$picture")"
import -window root -crop "$((right - main_left))x$((alert_top + alert_height - main_top))+$main_left+$main_top" +repage "$picture"
optipng -quiet -o5 -strip all "$picture"
echo "screenshot: $picture ($(stat -c %s "$picture") bytes)"
