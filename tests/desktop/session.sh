# A private desktop for driving the real program as a person would: an X
# server of its own, optionally the openbox window manager and a PulseAudio
# server whose only output is a null sink, all in a scratch folder with its
# own HOME and XDG folders, so nothing depends on (or touches) the desktop of
# whoever runs it. Sourced by the desktop and install tests, the smoke script
# and the benchmarks; needs bash 5 and, for what each script starts, xvfb,
# x11-utils, xdotool, openbox, pulseaudio and pulseaudio-utils.
#
# The caller sets up a trap that runs session_stop; every process started here
# is remembered and ended there, newest first.

session_pids=()

# Makes the scratch folder, session_dir, and points HOME, the XDG folders and
# the session bus into it.
session_begin() {
    session_dir=$(mktemp -d "${TMPDIR:-/tmp}/tockamo-desktop.XXXXXX")
    export HOME="$session_dir/home"
    export XDG_CONFIG_HOME="$session_dir/config"
    export XDG_CACHE_HOME="$session_dir/cache"
    export XDG_DATA_HOME="$session_dir/data"
    export XDG_RUNTIME_DIR="$session_dir/runtime"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # A bus address that leads nowhere: nothing autolaunches a session bus
    # that would outlive the test, and the caller's own bus stays out of it.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/no-bus"
    # Whatever the caller's desktop chose for its toolkit stays out as well.
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE \
        QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI XDG_CURRENT_DESKTOP \
        DESKTOP_SESSION XAUTHORITY PULSE_SINK PULSE_SOURCE SDL_AUDIODRIVER
    # Leaks that live in the system's libraries are not the program's; a
    # sanitizer build reports every other one. The suppressions name functions
    # inside those libraries, which are built without frame pointers, so the
    # allocations' stacks are taken the slow, complete way.
    export LSAN_OPTIONS="suppressions=$(session_library_dir)/system-leaks.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    export ASAN_OPTIONS="fast_unwind_on_malloc=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
}

session_library_dir() {
    cd "$(dirname "${BASH_SOURCE[0]}")" && pwd
}

session_stop() {
    local i
    for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
        stop_process "${session_pids[i]}"
    done
    session_pids=()
    [[ -n ${session_dir:-} ]] && rm -rf "$session_dir"
    session_dir=
}

# Ends one child: SIGTERM, then SIGKILL if it is still there after a while.
stop_process() {
    local pid=$1
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    kill "$pid" 2>/dev/null
    wait_until 5 process_gone "$pid" || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

process_gone() {
    ! kill -0 "$1" 2>/dev/null
}

# Waits up to the given number of seconds for a child to end and sets
# exit_status to its status; fails, leaving it running, if it does not end.
wait_for_exit() {
    local pid=$1 seconds=$2
    wait_until "$seconds" process_gone "$pid" || return 1
    exit_status=0
    wait "$pid" 2>/dev/null || exit_status=$?
}

# Runs a command until it succeeds or the given number of seconds has passed;
# the only way these scripts wait for anything.
wait_until() {
    local seconds=$1
    shift
    local now=${EPOCHREALTIME/./}
    local deadline=$((now + seconds * 1000000))
    until "$@"; do
        now=${EPOCHREALTIME/./}
        ((now < deadline)) || return 1
        sleep 0.05
    done
}

# Starts Xvfb on the first free display with a screen of the given size and
# exports DISPLAY.
start_display() {
    local size=$1 number_file="$session_dir/display"
    exec {display_fd}>"$number_file"
    Xvfb -displayfd "$display_fd" -screen 0 "${size}x24" -nolisten tcp \
        >"$session_dir/xvfb.log" 2>&1 &
    session_pids+=($!)
    exec {display_fd}>&-
    wait_until 10 test -s "$number_file" || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$number_file")"
}

# Starts openbox with the package's settings (its own configuration folder in
# the private XDG_CONFIG_HOME is empty) and waits until it manages the screen.
start_window_manager() {
    openbox --sm-disable >"$session_dir/openbox.log" 2>&1 &
    session_pids+=($!)
    wait_until 10 window_manager_running || { echo "openbox did not start" >&2; return 1; }
}

window_manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Starts a PulseAudio server whose default sink is a null sink, reached only
# through PULSE_SERVER. Its monitor source, null.monitor, hears what plays.
start_sound_server() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --load=module-null-sink --load=module-native-protocol-unix \
        >"$session_dir/pulseaudio.log" 2>&1 &
    session_pids+=($!)
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
    wait_until 10 pactl info >/dev/null 2>&1 || { echo "pulseaudio did not start" >&2; return 1; }
}

# Prints the id of the visible window whose title is exactly the given text,
# if there is one.
visible_window() {
    local pattern
    pattern="^$(sed 's/[][\.*^$()+?{}|]/\\&/g' <<<"$1")\$"
    xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1
}

# Waits up to the given number of seconds for a visible window whose title is
# exactly the given text, and sets shown_window to its id.
wait_for_window() {
    wait_until "$2" window_shown "$1"
}

window_shown() {
    shown_window=$(visible_window "$1")
    [[ -n $shown_window ]]
}

# Prints "left top width height" of a window's own area (inside any frame the
# window manager added), in screen pixels.
window_rect() {
    xwininfo -id "$1" 2>/dev/null | awk -F: '
        /Absolute upper-left X/ { left = $2 }
        /Absolute upper-left Y/ { top = $2 }
        /^ +Width/ { width = $2 }
        /^ +Height/ { height = $2 }
        END { if (width == "") exit 1; print left + 0, top + 0, width + 0, height + 0 }'
}

# The main window's layout: its content, under the menu bar, is this high,
# and these are the points a user clicks in it, from its top-left corner.
main_content_height=130
declare -gA main_points=([start]="60 100" [up_arrow]="69 61")

# Clicks a point of the main window's content (one of main_points), below
# the menu bar whatever height the desktop's font gives it; as many times as
# the third argument says (once without it), a tenth of a second apart.
click_in_main() {
    local window=$1 times=${3:-1} x y height
    read -r x y <<<"${main_points[$2]}"
    read -r _ _ _ height < <(window_rect "$window") || { echo "cannot read where window $window is" >&2; return 1; }
    local menu_height=$((height - main_content_height))
    ((menu_height >= 0)) || { echo "the main window is $height high, less than its content" >&2; return 1; }
    xdotool mousemove --window "$window" "$x" "$((menu_height + y))" click --repeat "$times" --delay 100 1
}

is_active_window() {
    [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]
}
