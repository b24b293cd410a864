#!/bin/sh
# Sets everything up, builds, and runs every test.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/install-fonts.sh"
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j2
