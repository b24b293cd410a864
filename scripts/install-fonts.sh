#!/bin/sh
# install-fonts.sh [--force]
#
# Installs the free chess diagram fonts that data/ChsFonts.ini describes, for
# the current user, when they are missing. The fonts come from two Debian
# packages (pychess: 18 TrueType fonts; texlive-games: the three skaknew
# diagram fonts), which are only downloaded and unpacked, never installed,
# so no root is needed. Does nothing when the fonts are already there.
#
# Needs apt-get, dpkg-deb, tar, fc-list and fc-cache.
set -eu

prog=install-fonts.sh
dest="${XDG_DATA_HOME:-$HOME/.local/share}/fonts/boardquill"
force=no
case "${1:-}" in
  --force) force=yes ;;
  "") ;;
  *) echo "usage: $prog [--force]" >&2; exit 2 ;;
esac

have_family() {
  # A pattern would read "-" as a size separator; the property form does not.
  fc-list -q ":family=$1"
}

if [ "$force" = no ] && have_family "Chess Merida" && have_family "SkakNew-Diagram"; then
  echo "$prog: chess fonts already installed"
  exit 0
fi

for tool in apt-get dpkg-deb tar fc-list fc-cache; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$prog: $tool not found (this script needs a Debian-based system)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

download() {
  (cd "$work" && apt-get download pychess texlive-games) >"$work/apt.log" 2>&1
}

echo "$prog: downloading pychess and texlive-games (not installing them)"
if ! download; then
  # Usually stale or missing package lists.
  echo "$prog: download failed, refreshing the package lists"
  if ! apt-get update >>"$work/apt.log" 2>&1 || ! download; then
    cat "$work/apt.log" >&2
    echo "$prog: could not download the packages (as root: apt-get update)" >&2
    exit 1
  fi
fi

mkdir "$work/x"
# pychess keeps its piece fonts here; all of them are diagram fonts.
dpkg-deb --fsys-tarfile "$work"/pychess_*.deb |
  tar -x -C "$work/x" --wildcards './usr/share/pychess/pieces/ttf/*.ttf'
# Of texlive-games only the diagram fonts of the skaknew set; the figurine
# fonts beside them draw no boards.
skak=./usr/share/texlive/texmf-dist/fonts/opentype/public/skaknew
dpkg-deb --fsys-tarfile "$work"/texlive-games_*.deb |
  tar -x -C "$work/x" "$skak/SkakNew-Diagram.otf" "$skak/SkakNew-DiagramT.otf" "$skak/AlphaDia.otf"

mkdir -p "$dest"
count=0
for f in "$work"/x/usr/share/pychess/pieces/ttf/*.ttf "$work/x/$skak"/*.otf; do
  [ -f "$f" ] || continue
  cp "$f" "$dest/"
  count=$((count + 1))
done
if [ "$count" -eq 0 ]; then
  echo "$prog: no font files found in the packages" >&2
  exit 1
fi

fc-cache -f "$dest"
if have_family "Chess Merida"; then
  echo "$prog: installed $count fonts in $dest"
else
  echo "$prog: copied $count fonts to $dest, but fontconfig does not list them" >&2
  echo "$prog: (is $dest inside a folder fontconfig reads?)" >&2
  exit 1
fi
