# Shared by the benchmark scripts: a private X server and a private
# preferences folder, both removed again on exit.

# Starts Xvfb on the first free display from :170 up and exports DISPLAY.
start_xvfb() {
    local n
    for n in $(seq 170 230); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            for _ in $(seq 1 200); do
                [ -e "/tmp/.X11-unix/X$n" ] && break
                sleep 0.02
            done
            if kill -0 "$XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
                export DISPLAY=":$n"
                return 0
            fi
        fi
    done
    echo "no free X display found" >&2
    return 1
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}

# A temporary XDG_CONFIG_HOME whose tockamo.txt makes a count last one minute.
make_config() {
    BENCH_TMP=$(mktemp -d /tmp/tockamo-bench-XXXXXX)
    export XDG_CONFIG_HOME="$BENCH_TMP/config"
    mkdir -p "$XDG_CONFIG_HOME"
    printf '#Window1Position 150,150\n#MySetMin 1\n' >"$XDG_CONFIG_HOME/tockamo.txt"
}

remove_config() {
    if [ -n "${BENCH_TMP:-}" ]; then
        rm -rf "$BENCH_TMP"
        BENCH_TMP=
    fi
}
