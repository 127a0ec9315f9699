#!/usr/bin/env bash
# Sets up a Debian machine, then builds and runs every test twice: once as
# the program ships (warnings as errors) and once with AddressSanitizer and
# UndefinedBehaviorSanitizer. Usage: bash scripts/test.sh [build-dir]
#
# Each phase states every option it depends on, so a folder that an earlier
# command configured differently (scripts/run.sh turns the tests off) is
# switched back, and a phase that finds no test to run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=$(nproc)

bash scripts/setup-debian.sh

phase() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKAMO_WERROR=ON \
        -DTOCKAMO_DESKTOP=ON -DTOCKAMO_TESTS=ON "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" --timeout 300
}

phase "$build" -DTOCKAMO_SANITIZE=OFF -DTOCKAMO_BENCH=ON
phase "$build-sanitize" -DTOCKAMO_SANITIZE=ON -DTOCKAMO_BENCH=OFF
