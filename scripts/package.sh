#!/bin/sh
# package.sh [BUILD_DIR]
#
# Builds the Debian package in BUILD_DIR (default build-pkg/, configured for
# Release), installs it with apt-get and checks the installed program as a
# user meets it:
#   - the desktop file, the AppStream metainfo and the manual page are valid,
#     and the manual page documents every option of --help;
#   - `boardquill fonts` and `boardquill convert` run through /usr/bin from
#     another folder and find ChsFonts.ini beside the real program;
#   - as an ordinary user, `convert` takes its settings from
#     $XDG_CONFIG_HOME/boardquill/, and the desktop window, started from the
#     desktop file's Exec line under Xvfb and ended through File > Exit,
#     makes that folder and writes its settings there.
# Installing needs root (or sudo). The package stays installed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-pkg}
prog=package.sh

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
fail() { echo "$prog: FAILED: $*" >&2; exit 1; }

# ---- build -------------------------------------------------------------------
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBOARDQUILL_WERROR=ON \
    -DBOARDQUILL_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target boardquill boardquill_man
rm -f "$build"/boardquill_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$build"/boardquill_*.deb)
echo "$prog: built $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

# ---- install -----------------------------------------------------------------
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -q --no-install-recommends --reinstall "$deb" >"$build/apt-install.log" 2>&1 ||
  { cat "$build/apt-install.log" >&2; fail "apt-get install $deb"; }
[ "$(readlink -f /usr/bin/boardquill)" = /usr/lib/boardquill/boardquill ] ||
  fail "/usr/bin/boardquill does not lead to /usr/lib/boardquill/boardquill"
[ -x /usr/lib/boardquill/boardquill-desktop ] || fail "no /usr/lib/boardquill/boardquill-desktop"
# The command line starts without the desktop toolkit.
! ldd /usr/lib/boardquill/boardquill | grep -q -e libQt ||
  fail "/usr/lib/boardquill/boardquill links Qt"

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- what the desktop and the manual see -------------------------------------
desktop=/usr/share/applications/boardquill.desktop
gui=yes
[ -f "$desktop" ] || gui=no  # a package built with BOARDQUILL_GUI=OFF
if [ "$gui" = yes ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
  for m in /usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$m" >"$work/as.log" 2>&1 ||
      { cat "$work/as.log" >&2; fail "appstreamcli validate $m"; }
  done
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon in the hicolor theme"
fi
# The manual page as packaged (some systems leave /usr/share/man out).
dpkg-deb -c "$deb" | grep -q ' ./usr/share/man/man1/boardquill.1.gz$' || fail "no manual page in the package"
man --warnings -l "$build/boardquill.1.gz" >/dev/null 2>"$work/man.err" || fail "man"
[ ! -s "$work/man.err" ] || { cat "$work/man.err" >&2; fail "the manual page has warnings"; }
# Every option that --help names is in the manual page.
zcat "$build/boardquill.1.gz" | sed 's/\\-/-/g' >"$work/man.txt"
for opt in $(boardquill --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "$opt" "$work/man.txt" || fail "the manual page does not mention $opt"
done

# ---- the command line, from another folder -----------------------------------
reference="$root/tests/cli/data/bk-merida-coords.rtf"
# The reference was checked before each diagram was kept whole on its page:
# compare without "\keepn" and the "\pard " before each last line.
same_as_reference() {
  sed -e 's/\\keepn//g' -e 's/\\pard //g' "$1" | cmp -s - "$reference"
}
mkdir "$work/elsewhere"
cp "$root/examples/bk.epd" "$work/elsewhere/"
printf '[General]\nOperations=id,bm\n' >"$work/elsewhere/plain.ini"
cd "$work/elsewhere"
boardquill fonts >fonts.txt || fail "boardquill fonts"
grep -q ' fonts in /usr/lib/boardquill/ChsFonts.ini;' fonts.txt ||
  fail "boardquill fonts did not read ChsFonts.ini beside the program: $(tail -n 1 fonts.txt)"
echo "$prog: boardquill fonts: $(tail -n 1 fonts.txt)"
boardquill check bk.epd >/dev/null || fail "boardquill check"
boardquill convert --settings plain.ini --all-fonts --font "Chess Merida" --coords -o bk.rtf bk.epd ||
  fail "boardquill convert"
same_as_reference bk.rtf || fail "the installed program's document differs from $reference"
if ldd /usr/lib/boardquill/boardquill | grep -q libcairo; then
  boardquill convert --settings plain.ini --all-fonts --font "Chess Merida" -o bk.pdf bk.epd ||
    fail "boardquill convert to PDF"
  [ "$(head -c 5 bk.pdf)" = "%PDF-" ] || fail "boardquill convert -o bk.pdf wrote no PDF"
fi

# ---- an ordinary user: settings in the per-user folder -----------------------
user=nobody
group=$(id -gn "$user")
home="$work/home"
mkdir -p "$home/.config/boardquill" "$work/runtime"
chmod 700 "$work/runtime"
printf '[General]\nDiagFont=Chess Merida\nShowCoords=1\n' >"$home/.config/boardquill/boardquill.ini"
chown -R "$user:$group" "$home" "$work/runtime"
chmod 755 "$work" "$work/elsewhere"
# Runs a command as that user with a clean environment.
as_user() {
  $sudo setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/runtime" \
    ${DISPLAY:+DISPLAY=$DISPLAY} "$@"
}
as_user sh -c "cd '$work/elsewhere' && boardquill convert --all-fonts bk.epd" >"$work/user.rtf" ||
  fail "boardquill convert as $user"
same_as_reference "$work/user.rtf" ||
  fail "convert as $user did not use the settings in ~/.config/boardquill/boardquill.ini"
rm -r "$home/.config/boardquill"
echo "$prog: the command line runs from any folder; settings come from ~/.config/boardquill/"

# ---- the desktop window, started as the menu starts it -----------------------
if [ "$gui" = no ] || ! command -v Xvfb >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
  echo "$prog: ok (no desktop program, Xvfb or xdotool: the desktop window was not started)"
  exit 0
fi
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ *%[fFuUick]//g')
start_xvfb() {
  Xvfb ":$1" -screen 0 1024x768x24 -nolisten tcp -ac >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  i=0
  while [ "$i" -lt 50 ]; do
    DISPLAY=":$1" xdotool getdisplaygeometry >/dev/null 2>&1 && kill -0 "$xvfb_pid" 2>/dev/null &&
      { export DISPLAY=":$1"; return 0; }
    i=$((i + 1))
    sleep 0.1
  done
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
  return 1
}
n=0
until start_xvfb $((200 + ($$ + n * 89) % 700)); do
  n=$((n + 1))
  [ "$n" -lt 5 ] || fail "no X server could be started"
done
# Not in a subshell, so that $! is the program itself.
# shellcheck disable=SC2086
as_user QT_QPA_PLATFORM=xcb $exec_line >"$work/app.log" 2>&1 &
app_pid=$!
i=0
until xdotool search --onlyvisible --name '^Boardquill$' >/dev/null 2>&1; do
  i=$((i + 1))
  [ "$i" -lt 150 ] || { cat "$work/app.log" >&2; fail "no Boardquill window from '$exec_line'"; }
  sleep 0.1
done
win=$(xdotool search --onlyvisible --name '^Boardquill$' | head -n 1)
xdotool windowfocus --sync "$win"
xdotool key alt+f
sleep 0.3
xdotool key x
i=0
while kill -0 "$app_pid" 2>/dev/null; do
  i=$((i + 1))
  [ "$i" -lt 100 ] || fail "the desktop window did not close after File > Exit"
  sleep 0.1
done
wait "$app_pid" || { cat "$work/app.log" >&2; fail "the desktop program ended with an error"; }
app_pid=
grep -q '^\[General\]' "$home/.config/boardquill/boardquill.ini" 2>/dev/null ||
  fail "the desktop program did not write its settings to ~/.config/boardquill/boardquill.ini"
echo "$prog: the desktop window starts from $desktop and keeps its settings in ~/.config/boardquill/"
echo "$prog: ok"
