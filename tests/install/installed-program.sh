#!/usr/bin/env bash
# Installs the build under a fresh prefix and uses it as the desktop would:
# every file where a Linux desktop looks for it, a launcher that passes
# desktop-file-validate and names the installed icon, and the program,
# started through the launcher's Exec line from another folder, finds its
# alarm sound. Usage: bash installed-program.sh BUILD-DIR
# Needs: desktop-file-utils, xvfb, xdotool, x11-utils.
set -euo pipefail
build=$(realpath "$1")
source "$(dirname "$0")/../desktop/session.sh"

app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null || true
    session_stop
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

session_begin
work=$session_dir

# A space in the prefix, as in many a home folder, must survive the launcher.
prefix="$work/installed programs"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

[[ -x $prefix/bin/tockamo ]] || fail "no program in bin/"
[[ -s $prefix/share/tockamo/Microwave.wav ]] || fail "no alarm sound in share/tockamo/"
entry=$prefix/share/applications/tockamo.desktop
[[ -f $entry ]] || fail "no desktop entry in share/applications/"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"

icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -n $icon && $icon != */* ]] || fail "the Icon key '$icon' is not an icon theme name"
[[ -s $prefix/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "no scalable icon named '$icon'"
for png in "$prefix"/share/icons/hicolor/*x*/apps/*; do
    [[ $(basename "$png") == "$icon.png" ]] || fail "$png is not named after the Icon key"
done

# The Exec value as the desktop reads it: the string escapes first, then the
# double-quoting rules, which are the shell's, and a doubled per cent sign.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
exec_line=${exec_line//\\\\/\\}
exec_line=${exec_line//%%/%}
eval "launcher=($exec_line)"
[[ ${launcher[0]} -ef $prefix/bin/tockamo ]] || fail "the launcher starts '${launcher[0]}', not the installed program"

# A display of its own; preferences with the minutes at 0, so Start ends the
# count at the first tick; the alarm goes to a file.
start_display 800x600
printf '#Window1Position 100,100\n#MySetMin 0\n' >"$XDG_CONFIG_HOME/tockamo.txt"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/alarm.raw
unset QT_QPA_PLATFORM
(cd / && exec "${launcher[@]}") >"$work/tockamo.log" 2>&1 &
app_pid=$!
wait_for_window Tockamo 10 || fail "the main window did not appear"
click_in_main "$shown_window" start || fail "cannot press Start"

# Silence is zero bytes in the disk driver's signed 16-bit samples.
alarm_heard() { [[ -s $work/alarm.raw ]] && [[ -n $(tr -d '\0' <"$work/alarm.raw" | head -c1) ]]; }
wait_until 15 alarm_heard || { cat "$work/tockamo.log"; fail "no alarm was played"; }

kill -TERM "$app_pid"
wait_for_exit "$app_pid" 10 || fail "the program did not end after SIGTERM"
app_pid=
((exit_status == 0)) || { cat "$work/tockamo.log"; fail "the program ended with status $exit_status"; }
echo "installed under '$prefix', started from /, alarm played, exit status 0"
