#!/bin/sh
# Sets everything up and starts Boardquill. Without a display it converts the
# bundled example to an RTF file instead and says where it is.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --run
"$root/scripts/install-fonts.sh"
"$root/scripts/build.sh"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/boardquill" "$@"
fi
out="$root/build/bk.rtf"
"$root/build/boardquill" check "$root/examples/bk.epd" | tail -n 1
"$root/build/boardquill" convert --font "Chess Merida" -o "$out" "$root/examples/bk.epd"
echo "No display: converted examples/bk.epd with Chess Merida to $out"
