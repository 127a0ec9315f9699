#!/usr/bin/env bash
# Drives the real program on a real desktop stack (Xvfb, the openbox window
# manager, a PulseAudio server with a null sink) with the mouse and keyboard,
# the way a person uses it, and checks what they would see, hear and find in
# tockamo.txt afterwards. Each row of the table below starts the program
# afresh with a preferences file of its own and prints PASS or FAIL on a line
# of its own; the script fails when any row fails.
#
# Usage: bash tests/desktop/end-to-end.sh path/to/tockamo [row...]
set -uo pipefail
program=$(realpath "${1:?usage: end-to-end.sh path/to/tockamo [row...]}")
shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session.sh"

for tool in Xvfb openbox pulseaudio pactl parec xdotool xwininfo xprop xev; do
    command -v "$tool" >/dev/null || { echo "end-to-end: $tool is missing; run scripts/setup-debian.sh" >&2; exit 1; }
done
[[ -x $program ]] || { echo "end-to-end: $program is not built" >&2; exit 1; }

# The screen of a laptop with no external monitor.
screen_width=1280
screen_height=800

# What each row does, step by step (the steps are the functions further
# down), and what tockamo.txt must hold afterwards, "\n" between lines. Every
# preferences file the rows write begins with a comment line, which the
# program never writes, so a rewritten file always shows. Positions are top,left
# as in the file; "@shown" stands for where the screen showed the main window.
rows=(
    # name           | tockamo.txt before                      | what the user does                                              | tockamo.txt after
    "placed          | #Window1Position 200,300\n#MySetMin 5   | launch; main_at 200,300; quit_from main                         | #Window1Position 200,300\n#MySetMin 5"
    "placed-at-origin| #Window1Position 0,0\n#MySetMin 5       | launch; main_at 0,0; quit_from main                             | #Window1Position 0,0\n#MySetMin 5"
    "monitor-gone    | #Window1Position 5000,6000\n#MySetMin 5 | launch; main_on_screen; quit_from main                          | #Window1Position @shown\n#MySetMin 5"
    "alarm           | #Window1Position 200,300\n#MySetMin 0   | launch; listen; press_start; alert_below_main; alarm_heard; signal TERM | #Window1Position 200,300\n#MySetMin 0"
    "quit-from-alert | #Window1Position 200,300\n#MySetMin 0   | launch; press_start; alert_below_main; quit_from alert          | #Window1Position 200,300\n#MySetMin 0"
    "quit-from-about | #Window1Position 200,300\n#MySetMin 5   | launch; open_about; quit_from about                             | #Window1Position 200,300\n#MySetMin 5"
    "terminal-closed | #Window1Position 200,300\n#MySetMin 5   | launch; main_at 200,300; signal HUP                             | #Window1Position 200,300\n#MySetMin 5"
    "no-display      | #Window1Position 200,300\n#MySetMin 5   | launch_without_display                                          | (as before)"
    "above-a-panel   | #Window1Position 5000,6000\n#MySetMin 5 | panel_below 40; launch; main_in_free_area; open_about; about_centred_in_free_area; quit_from about | #Window1Position @shown\n#MySetMin 5"
    "web-site        | #Window1Position 200,300\n#MySetMin 5   | handler_on_path; launch; open_about; visit_web_site; quit_from about | #Window1Position 200,300\n#MySetMin 5"
)

declare -A titles=([main]="Tockamo" [alert]="Time's Up" [about]="About...")

fail() {
    echo "FAIL $row: $*"
    exit 1
}

# Starts the program with the row's preferences, the alarm going to the
# session's sound server.
launch() {
    SDL_AUDIODRIVER=pulseaudio "$program" >"$row_dir/program.log" 2>&1 &
    app_pid=$!
    wait_until 20 find_window main || fail "the main window did not appear"
    main=$window
}

# Looks up the visible window of the given kind; sets window to its id.
find_window() {
    window=$(visible_window "${titles[$1]}")
    [[ -n $window ]]
}

# Sets left, top, width and height from the window's place on the screen.
read_rect() {
    read -r left top width height < <(window_rect "$1") || fail "cannot read where window $1 is"
}

main_shown_at() {
    read_rect "$main"
    [[ $top,$left == "$1" ]]
}

main_at() {
    wait_until 5 main_shown_at "$1" ||
        fail "the main window shows at top,left $top,$left; the preferences say $1"
}

main_wholly_on_screen() {
    read_rect "$main"
    ((left >= 0 && top >= 0 && left + width <= screen_width && top + height <= screen_height))
}

main_on_screen() {
    wait_until 5 main_wholly_on_screen ||
        fail "the main window (${width}x$height) is at left $left, top $top, not wholly on the ${screen_width}x$screen_height screen"
    shown="$top,$left"
}

# A panel along the bottom of the screen, as high as given: a plain window
# that reserves its strip with _NET_WM_STRUT_PARTIAL as desktop panels do,
# which the window manager takes out of the screen's free area.
panel_below() {
    local strip=$1
    xev -geometry "${screen_width}x$strip+0+$((screen_height - strip))" -name tockamo-test-panel >/dev/null 2>&1 &
    panel_pid=$!
    wait_until 10 window_shown tockamo-test-panel || fail "the panel did not appear"
    xprop -id "$shown_window" -f _NET_WM_STRUT_PARTIAL 32c \
        -set _NET_WM_STRUT_PARTIAL "0, 0, 0, $strip, 0, 0, 0, 0, 0, 0, 0, $((screen_width - 1))"
    wait_until 5 free_area_is 0 0 "$screen_width" "$((screen_height - strip))" ||
        fail "the window manager left the panel's strip in the free area: $(xprop -root _NET_WORKAREA)"
}

# Sets free_left, free_top, free_width and free_height from the free area
# the window manager announces.
read_free_area() {
    read -r free_left free_top free_width free_height _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
}

free_area_is() {
    read_free_area
    [[ "$free_left $free_top $free_width $free_height" == "$*" ]]
}

main_wholly_in_free_area() {
    read_rect "$main"
    ((left >= free_left && top >= free_top && left + width <= free_left + free_width && top + height <= free_top + free_height))
}

# Back from a monitor that has gone, the main window stands wholly in the free
# area, clear of the panel.
main_in_free_area() {
    read_free_area
    wait_until 5 main_wholly_in_free_area ||
        fail "the main window (${width}x$height) is at left $left, top $top, not wholly in the free area (${free_width}x$free_height at $free_left,$free_top)"
    shown="$top,$left"
}

# The About window, which the program never places, opens in the middle of
# the free area (to a pixel: halves are rounded).
about_centred_in_free_area() {
    find_window about || fail "no About window"
    read_rect "$window"
    read_free_area
    local across=$((2 * left + width - 2 * free_left - free_width)) down=$((2 * top + height - 2 * free_top - free_height))
    ((across >= -2 && across <= 2 && down >= -2 && down <= 2)) ||
        fail "the About window (${width}x$height) is at left $left, top $top, not in the middle of the free area (${free_width}x$free_height at $free_left,$free_top)"
}

# The desktop's URL handler, xdg-open, as a stand-in first on PATH that
# writes down which signals it was started ignoring and which address it got.
handler_on_path() {
    mkdir -p "$row_dir/bin"
    printf '#!/bin/sh\ngrep "^SigIgn:" /proc/$$/status >"%s.part"\necho "$1" >>"%s.part"\nmv "%s.part" "%s"\n' \
        "$row_dir/handler.txt" "$row_dir/handler.txt" "$row_dir/handler.txt" "$row_dir/handler.txt" >"$row_dir/bin/xdg-open"
    chmod +x "$row_dir/bin/xdg-open"
    export PATH="$row_dir/bin:$PATH"
}

# Visit Web Site, in the About window, hands the web site to the URL handler,
# which starts with SIGPIPE as every program does: not ignored, whatever the
# program does with it for itself.
visit_web_site() {
    find_window about || fail "no About window"
    xdotool mousemove --window "$window" 132 227 click 1
    wait_until 10 test -s "$row_dir/handler.txt" || fail "Visit Web Site started no URL handler"
    local ignored address
    { read -r _ ignored && read -r address; } <"$row_dir/handler.txt"
    [[ $address == https://* ]] || fail "the URL handler was given $address"
    ((((0x$ignored >> 12) & 1) == 0)) || fail "the URL handler was started with SIGPIPE ignored (SigIgn $ignored)"
}

# Records what the null sink plays, from before anything plays.
listen() {
    parec -d null.monitor --format=s16le --rate=44100 --channels=2 --raw >"$row_dir/heard.raw" 2>"$row_dir/parec.log" &
    recorder_pid=$!
    wait_until 10 recording || fail "parec did not start recording"
}

recording() {
    [[ -n $(pactl list short source-outputs 2>/dev/null) ]]
}

press_start() {
    click_in_main "$main" start || fail "cannot press Start"
}

alert_below_main() {
    read_rect "$main"
    local main_left=$left main_top=$top
    wait_until 10 find_window alert || fail "no Time's Up window after Start from 0 minutes"
    alert=$window
    read_rect "$alert"
    [[ $left == "$main_left" && $top == $((main_top + 20)) ]] ||
        fail "the Time's Up window is at left $left, top $top; the main window is at left $main_left, top $main_top"
}

# True once the recording holds a quarter of a second of sound above 1/32 of
# full scale; the monitor records exact zeros, or nothing, while nothing plays.
sound_recorded() {
    od -An -td2 -v -w2 "$row_dir/heard.raw" |
        awk '$1 > 1000 || $1 < -1000 { n++ } END { exit !(n >= 22050) }'
}

alarm_heard() {
    wait_until 10 sound_recorded || fail "no alarm was heard on the sound server"
}

open_about() {
    wait_until 5 is_active_window "$main" || fail "the main window is not in front"
    xdotool key alt+f
    wait_until 5 menu_open || fail "Alt+F did not open the File menu"
    # The menu opens with its first item, About Box, chosen.
    xdotool key Return
    wait_until 10 find_window about || fail "File > About Box showed no About window"
}

# True while one of the program's windows is a pop-up (a menu), which the
# window manager does not frame.
menu_open() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

quit_from() {
    find_window "$1" || fail "no ${titles[$1]} window to press Ctrl+Q in"
    local front=$window
    wait_until 5 is_active_window "$front" || fail "the ${titles[$1]} window is not in front"
    xdotool key ctrl+q
    program_ends 0 "Ctrl+Q in the ${titles[$1]} window"
}

signal() {
    kill -"$1" "$app_pid"
    program_ends 0 "SIG$1"
}

program_ends() {
    wait_for_exit "$app_pid" 10 || fail "$2 did not end the program"
    app_pid=
    ((exit_status == $1)) || fail "after $2 the program ended with status $exit_status, not $1"
}

# Started from a text console: one line that names what is missing, status 1.
launch_without_display() {
    env -u DISPLAY -u WAYLAND_DISPLAY "$program" >"$row_dir/program.log" 2>"$row_dir/stderr.log" &
    app_pid=$!
    program_ends 1 "starting without a display"
    local lines
    lines=$(wc -l <"$row_dir/stderr.log")
    ((lines == 1)) && grep -qi 'display' "$row_dir/stderr.log" ||
        fail "wanted one line about the missing display on stderr, got: $(head -c 300 "$row_dir/stderr.log")"
}

trim() {
    sed 's/^ *//; s/ *$//' <<<"$1"
}

# Runs one row in a subshell of its own, so that a failed step ends just that
# row and its processes.
run_row() {
    local line=$1 before steps after step
    IFS='|' read -r row before steps after <<<"$line"
    row=$(trim "$row")
    before=$(trim "$before")
    steps=$(trim "$steps")
    after=$(trim "$after")

    row_dir="$session_dir/rows/$row"
    export XDG_CONFIG_HOME="$row_dir/config"
    mkdir -p "$XDG_CONFIG_HOME"
    prefs="$XDG_CONFIG_HOME/tockamo.txt"
    printf "' kept by hand\n%b\n" "$before" >"$prefs"
    cp "$prefs" "$row_dir/before.txt"

    app_pid=
    recorder_pid=
    panel_pid=
    trap '[[ -n $app_pid ]] && stop_process "$app_pid"; [[ -n $recorder_pid ]] && stop_process "$recorder_pid"; [[ -n $panel_pid ]] && stop_process "$panel_pid"' EXIT

    IFS=';' read -ra step_list <<<"$steps"
    for step in "${step_list[@]}"; do
        read -ra words <<<"$step"
        "${words[@]}"
    done

    if [[ $after == "(as before)" ]]; then
        cmp -s "$prefs" "$row_dir/before.txt" || fail "tockamo.txt changed: $(printf '%q' "$(cat "$prefs")")"
        [[ $(ls -A "$XDG_CONFIG_HOME") == tockamo.txt ]] || fail "files appeared beside tockamo.txt: $(ls -A "$XDG_CONFIG_HOME" | xargs)"
    else
        local expected saved
        expected=$(printf '%b' "${after//@shown/${shown:-}}")
        saved=$(cat "$prefs" 2>/dev/null)
        [[ $saved == "$expected" ]] || fail "tockamo.txt holds $(printf '%q' "$saved"), not $(printf '%q' "$expected")"
    fi
    echo "PASS $row"
}

trap session_stop EXIT
trap 'exit 130' INT TERM HUP
session_begin
start_display "${screen_width}x$screen_height" || exit 1
start_window_manager || exit 1
start_sound_server || exit 1

failures=0
for line in "${rows[@]}"; do
    name=$(trim "${line%%|*}")
    if (($# > 0)) && ! [[ " $* " == *" $name "* ]]; then
        continue
    fi
    # The shell's own notices (a child ended by a signal) go to the row's
    # folder with everything else that is only wanted when the row fails.
    mkdir -p "$session_dir/rows/$name"
    if ! (run_row "$line") 2>"$session_dir/rows/$name/script.log"; then
        failures=$((failures + 1))
        for log in "$session_dir/rows/$name"/{program,stderr,script}.log; do
            [[ -s $log ]] || continue
            echo "  $(basename "$log"):"
            tail -n 20 "$log" | sed 's/^/    /'
        done
    fi
done
((failures == 0)) || { echo "end-to-end: $failures row(s) failed"; exit 1; }
echo "end-to-end: all rows passed"
