#!/usr/bin/env bash
# Builds and runs every benchmark and prints each figure with its goal beside
# it. About four minutes; --quick shortens every phase (about 1.5 minutes, the
# one-minute count still runs in full).
# Usage: bash bench/run-all.sh [--quick] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/desktop/session.sh

quick=0
if [ "${1:-}" = "--quick" ]; then
    quick=1
    shift
fi
build=${1:-build-bench}

buildlog=$(mktemp /tmp/tockamo-bench-build-XXXXXX.log)
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOCKAMO_DESKTOP=ON -DTOCKAMO_BENCH=ON &&
    cmake --build "$build" -j "$(nproc)" --target tockamo bench_timer_accuracy bench_alarm_latency bench_program; } >"$buildlog" 2>&1; then
    cat "$buildlog"
    rm -f "$buildlog"
    exit 1
fi
rm -f "$buildlog"
bin="$build/bin"

# A private display and private folders, the same as the desktop tests use;
# the preferences make a count last one minute.
trap session_stop EXIT
session_begin
printf '#Window1Position 150,150\n#MySetMin 1\n' >"$XDG_CONFIG_HOME/tockamo.txt"
# The programs' own chatter (SDL's notice about its disk driver, Qt's about
# the platform) goes to a log that is shown only when a benchmark fails.
log="$session_dir/stderr.log"
run() {
    "$@" 2>>"$log" || { echo "  ($1 failed; its messages follow)"; cat "$log"; }
}

if [ $quick = 1 ]; then
    ticks=10 phase=5 runs=3
else
    ticks=60 phase=30 runs=5
fi

echo "== Timing, real clock, Qt backend (offscreen)"
# The plain and the stalled run go side by side; each is one thread that
# sleeps between ticks, so they do not disturb each other on this machine.
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$bin/bench_timer_accuracy" --ticks $ticks >"$session_dir/plain.txt" 2>>"$log" &
plain=$!
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$bin/bench_timer_accuracy" --ticks $ticks --stall-ms 300 --stall-every 3 >"$session_dir/stalled.txt" 2>>"$log" &
stalled=$!
wait $plain || cat "$log"
wait $stalled || cat "$log"
cat "$session_dir/plain.txt" "$session_dir/stalled.txt"

echo "== Alarm latency (SDL2 disk driver)"
QT_QPA_PLATFORM=offscreen run "$bin/bench_alarm_latency" 10

echo "== The program under Xvfb"
start_display 1280x1024
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$session_dir/audio.raw"
run "$bin/bench_program" startup "$bin/tockamo" $runs
printf '#Window1Position 150,150\n#MySetMin 1\n' >"$XDG_CONFIG_HOME/tockamo.txt"
run "$bin/bench_program" countdown "$bin/tockamo" $phase $phase $phase
