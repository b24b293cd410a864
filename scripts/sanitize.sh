#!/bin/sh
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the whole test suite there; any report fails a test.
# BOARDQUILL_GUI=OFF leaves out the desktop program and its tests.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-asan"
# -O1 with line tables only: quick to build, and reports still name the line.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DBOARDQUILL_WERROR=ON \
    -DBOARDQUILL_SANITIZE=ON -DBOARDQUILL_GUI="${BOARDQUILL_GUI:-ON}" >/dev/null
cmake --build "$build" -j2
# Reports end the process with an error; leaks count too. Qt and fontconfig
# keep caches until exit that are not leaks of ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build"
ctest --output-on-failure -j2
