#!/bin/sh
# Configures and builds the project (Release) in build/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DBOARDQUILL_WERROR=ON \
    -DBOARDQUILL_GUI="${BOARDQUILL_GUI:-ON}" >/dev/null
cmake --build "$root/build" -j2
