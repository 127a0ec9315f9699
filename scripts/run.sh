#!/usr/bin/env bash
# Sets up a Debian machine, builds Tockamo and starts it.
# Usage: bash scripts/run.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

bash scripts/setup-debian.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOCKAMO_TESTS=OFF -DTOCKAMO_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target tockamo
exec "$build/bin/tockamo"
