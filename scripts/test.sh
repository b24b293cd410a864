#!/bin/sh
# Sets everything up, builds, and runs every test.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/install-fonts.sh"
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j2
# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer,
# a short run of every fuzz target on its corpus, and the streaming check
# of `convert` on a 50 MB file (scripts/hugefile.sh 1024 is the full one).
"$root/scripts/sanitize.sh"
"$root/scripts/fuzz.sh" "${BQ_FUZZ_SECONDS:-30}"
"$root/scripts/hugefile.sh" 50 "$root/build/boardquill"
# The Debian package, built from build/, installed and run as a user would;
# the core and the command line built for Windows, their tests under Wine.
"$root/scripts/package.sh" "$root/build"
"$root/scripts/wine-test.sh"
