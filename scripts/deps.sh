#!/bin/sh
# Installs the Debian packages that building and testing need, when missing.
# Quick when everything is there; uses sudo when not run as root.
set -eu

packages="g++ cmake make pkg-config libfontconfig-dev fontconfig libgtest-dev googletest \
qt6-base-dev libgl-dev xvfb xdotool xclip imagemagick x11-apps x11-utils"
if [ "${BOARDQUILL_GUI:-ON}" = "OFF" ]; then
    packages="g++ cmake make pkg-config libfontconfig-dev fontconfig libgtest-dev googletest"
fi
# PDF, SVG and PNG output (Cairo, Pango, FreeType, libdeflate).
packages="$packages libcairo2-dev libpango1.0-dev libfreetype-dev libdeflate-dev"
# Running the program needs only the build packages ("deps.sh --run").
if [ "${1:-}" != "--run" ]; then
    # The picture tests read our files back with these; the printed layout
    # is checked in LibreOffice.
    packages="$packages librsvg2-bin poppler-utils libreoffice-writer-nogui python3"
    # Fuzzing (scripts/fuzz.sh) and the memory check of scripts/hugefile.sh;
    # the games reader's differential test (tests/games).
    packages="$packages clang-14 libclang-rt-14-dev llvm-14 time pgn-extract"
    # The Debian package and its checks (scripts/package.sh); the Windows build
    # and its tests under Wine (scripts/wine-test.sh).
    packages="$packages dpkg-dev file desktop-file-utils appstream man-db \
g++-mingw-w64-x86-64-posix wine wine64"
fi
packages="$packages ${BOARDQUILL_EXTRA_PACKAGES:-}"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
# shellcheck disable=SC2086
if ! $sudo apt-get install -y -q --no-install-recommends $missing; then
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo apt-get install -y -q --no-install-recommends $missing
fi
