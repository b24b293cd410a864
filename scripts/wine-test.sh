#!/bin/sh
# wine-test.sh [BUILD_DIR]
#
# Cross-compiles the core library, the command line and their tests for
# 64-bit Windows with MinGW-w64 (cmake/mingw-w64-x86_64.cmake) in BUILD_DIR
# (default build-win/), then runs the tests under Wine, in a Wine prefix of
# its own that is removed afterwards. The command-line tests run the Windows
# boardquill.exe through cmd.exe.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
prog=wine-test.sh

for tool in x86_64-w64-mingw32-g++-posix wine wineserver; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$prog: $tool not found (scripts/deps.sh installs it)" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBOARDQUILL_GUI=OFF -DBOARDQUILL_WERROR=ON >/dev/null
cmake --build "$build" -j2

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/bq-wine.XXXXXX")
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The server stays up between tests. The first start makes the prefix and
# its background services, which keep the standard streams they were started
# with: they get none of ctest's, since ctest waits for its pipes to close.
start=$(date +%s)
wineserver -p
wine wineboot -i </dev/null >"$build/wineboot.log" 2>&1 || { cat "$build/wineboot.log" >&2; exit 1; }
echo "$prog: Wine prefix ready in $(($(date +%s) - start)) s"

cd "$build"
# Now and then Wine fails to start a process while its own helpers start
# ("Can't recognize ... as an internal or external command", status 9009);
# a test fails only if it fails three times.
ctest --output-on-failure -j2 --repeat until-pass:3
