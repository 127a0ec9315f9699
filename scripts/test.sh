#!/usr/bin/env bash
# Sets up a Debian machine, builds Tockamo with warnings as errors and runs
# every test. Usage: bash scripts/test.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

bash scripts/setup-debian.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKAMO_WERROR=ON
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
