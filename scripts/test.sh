#!/usr/bin/env bash
# Sets up a Debian machine, then builds and runs every test twice: once as
# the program ships (warnings as errors) and once with AddressSanitizer and
# UndefinedBehaviorSanitizer. Usage: bash scripts/test.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=$(nproc)

bash scripts/setup-debian.sh

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKAMO_WERROR=ON
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300

cmake -S . -B "$build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKAMO_WERROR=ON \
    -DTOCKAMO_SANITIZE=ON -DTOCKAMO_BENCH=OFF
cmake --build "$build-sanitize" -j "$jobs"
ctest --test-dir "$build-sanitize" --output-on-failure -j "$jobs" --timeout 300
