#!/usr/bin/env bash
# Builds the preferences reader with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes it for a bounded time (default 60 s).
# A crash leaves its input in the build folder and fails the script.
# Usage: bash scripts/fuzz-prefs.sh [seconds] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
build=${2:-build-fuzz}
sanitizers="address,undefined"

cmake -S . -B "$build" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,$sanitizers -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DTOCKAMO_DESKTOP=OFF -DTOCKAMO_TESTS=OFF -DTOCKAMO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tockamo_app framework_headless >/dev/null

clang++ -std=c++20 -g -O1 -I. \
    -fsanitize=fuzzer,$sanitizers -fno-sanitize-recover=undefined -fno-omit-frame-pointer \
    fuzz/PrefsFuzzer.cpp \
    "$build/libtockamo_app.a" "$build/framework/libframework_headless.a" "$build/framework/libframework.a" \
    -o "$build/prefs_fuzzer"

# The seeds stay untouched; what the fuzzer learns goes to the build folder.
mkdir -p "$build/prefs-corpus"
cd "$build"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./prefs_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=5 \
    -dict="$root/fuzz/prefs.dict" prefs-corpus "$root/fuzz/corpus"
