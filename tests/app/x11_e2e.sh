#!/bin/sh
# End-to-end run of the desktop program on a real X server:
#   x11_e2e.sh PROGRAM CHSFONTS_INI EPD_FILE OUTPUT_DIR
# Starts the program with a fresh settings file (Chess Merida chosen, with
# coordinates, no window placement) on a 1280x1024 screen and checks the
# first-start window: at least 640 pixels tall, within the screen, centred.
# Opens the Position Editor (Ctrl+N), enters a position with arrows and
# letters, and checks that Return leaves convert's document of that line
# on the clipboard as rich text (a screenshot of the editor is saved).
# Puts the EPD file on the clipboard, presses Ctrl+V in the window (real
# XTEST key events), checks that the clipboard then offers the document as
# rich text equal to what "PROGRAM convert" makes of the same file and
# settings, saves a screenshot of the window, copies the first diagram as
# a picture (Ctrl+Shift+C) and compares the clipboard's PNG with the one
# "PROGRAM convert --format png" writes, edits the first record with
# Ctrl+E (a piece added, Return) and compares the clipboard with convert's
# document of the edited suite, then ends the program through its menu;
# started again with picture diagrams, the rich text on the clipboard is
# what "PROGRAM convert --diagram-style picture" writes. Exit code 77 (skipped) when Xvfb, xdotool, xclip or import is
# missing.
set -eu

if [ $# -ne 4 ]; then
  echo "usage: x11_e2e.sh PROGRAM CHSFONTS_INI EPD_FILE OUTPUT_DIR" >&2
  exit 2
fi
program=$1
fonts_ini=$2
epd=$3
out=$4

for tool in Xvfb xdotool xclip import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool not found"
    exit 77
  fi
done

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/app.log" ] && sed "s/^/app: /" "$work/app.log" >&2
  [ -f "$work/xvfb.log" ] && sed "s/^/xvfb: /" "$work/xvfb.log" >&2
  exit 1
}

# Poll a command (up to about 10 seconds) until it succeeds.
retry() {
  i=0
  while ! "$@" >/dev/null 2>&1; do
    i=$((i + 1))
    [ "$i" -ge 100 ] && return 1
    sleep 0.1
  done
}

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The fonts stay where the user installed them; everything else is private.
fonts_home=${XDG_DATA_HOME:-$HOME/.local/share}
export XDG_DATA_HOME="$fonts_home"
export HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config"
export XDG_CACHE_HOME="$work/home/.cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The settings file lives beside the program, so the program runs from a
# folder of its own.
mkdir "$work/bin"
cp "$program" "$work/bin/boardquill"
# The window program that boardquill starts from its own folder.
if [ -x "$(dirname "$program")/boardquill-desktop" ]; then
  cp "$(dirname "$program")/boardquill-desktop" "$work/bin/"
fi
cp "$fonts_ini" "$work/bin/ChsFonts.ini"
settings="$work/bin/boardquill.ini"
cat >"$settings" <<'EOF'
[General]
DiagFont=Chess Merida
DiagFontCharSet=0
ShowCoords=1
EOF

# A display of our own: the server picks a free number and writes it to
# descriptor 3; -noreset keeps it up between clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
retry grep -q . "$work/display" || fail "no X server of our own could be started"
export DISPLAY=":$(head -n 1 "$work/display")"
retry xdotool getdisplaygeometry || fail "the X server does not answer"
[ "$(xdotool getdisplaygeometry)" = "1280 1024" ] || fail "the X server is not 1280x1024"

QT_QPA_PLATFORM=xcb "$work/bin/boardquill" >"$work/app.log" 2>&1 &
app_pid=$!
retry xdotool search --onlyvisible --name '^Boardquill$' || fail "no Boardquill window"
win=$(xdotool search --onlyvisible --name '^Boardquill$' | head -n 1)

eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$HEIGHT" -ge 640 ] || fail "the window is $HEIGHT pixels tall at its first start"
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 1024 ] ||
  fail "the window ($WIDTH x $HEIGHT at $X,$Y) leaves the screen"
centre=$((X + WIDTH / 2 - 640))
[ "$centre" -le 24 ] && [ "$centre" -ge -24 ] ||
  fail "the window ($WIDTH x $HEIGHT at $X,$Y) is not centred"

# The Position Editor, opened with Ctrl+N on the empty pane: with the
# focus on the board and its cursor on a1, K there, two up and one right Q
# (b3), then to h8 and k; Return adds the line, converts and copies.
xdotool windowfocus --sync "$win"
xdotool key ctrl+n
editor_window() { xdotool search --onlyvisible --name '^Position Editor'; }
retry editor_window || fail "Ctrl+N opened no Position Editor"
editor=$(editor_window | head -n 1)
xdotool windowfocus --sync "$editor"
xdotool key K Up Up Right Q Up Up Up Up Up Right Right Right Right Right Right k
sleep 0.5
import -window "$editor" "$out/x11_e2e_editor.png" || fail "no screenshot of the Position Editor"
xdotool key Return
has_rtf() { xclip -selection clipboard -t TARGETS -o | grep -qx 'text/rtf'; }

# File > Exit, then the program must end, without an error; $1 says which
# run it was in the message.
exit_program() {
  xdotool key alt+f
  sleep 0.3
  xdotool key x
  i=0
  while kill -0 "$app_pid" 2>/dev/null; do
    i=$((i + 1))
    [ "$i" -ge 100 ] && fail "the program did not end after File > Exit${1:-}"
    sleep 0.1
  done
  wait "$app_pid" || fail "the program ended with an error${1:-}"
  app_pid=
}
retry has_rtf || fail "the clipboard offers no text/rtf after the Position Editor's OK"
xclip -selection clipboard -t text/rtf -o >"$work/clipboard.rtf"
printf '%s\n' '7k/8/8/8/8/1Q6/8/K7 w - -' >"$work/new.epd"
"$work/bin/boardquill" convert --settings "$settings" "$work/new.epd" >"$work/expected.rtf" ||
  fail "boardquill convert failed"
cmp "$work/clipboard.rtf" "$work/expected.rtf" ||
  fail "the Position Editor's line did not give convert's document"

xclip -selection clipboard -i "$epd"
xdotool windowfocus --sync "$win"
xdotool key ctrl+v

retry has_rtf || fail "the clipboard offers no text/rtf after Ctrl+V"
targets=$(xclip -selection clipboard -t TARGETS -o)
for t in text/rtf application/rtf text/richtext; do
  printf '%s\n' "$targets" | grep -qx "$t" || fail "clipboard target $t missing"
done

xclip -selection clipboard -t text/rtf -o >"$work/clipboard.rtf"
"$work/bin/boardquill" convert --settings "$settings" "$epd" >"$work/expected.rtf" ||
  fail "boardquill convert failed"
[ -s "$work/expected.rtf" ] || fail "boardquill convert wrote nothing"
cmp "$work/clipboard.rtf" "$work/expected.rtf" ||
  fail "the clipboard's rich text differs from boardquill convert's document"

# F9 converts again without copying, which leaves the preview unselected
# for the screenshot.
xdotool key F9
sleep 1
import -window "$win" "$out/x11_e2e_screenshot.png" || fail "no screenshot"

# Copy Diagram as Picture in the preview, its cursor on the first record
# after F9: the clipboard's PNG is the file convert writes for that record.
xdotool key ctrl+shift+c
has_png() { xclip -selection clipboard -t TARGETS -o | grep -qx 'image/png'; }
retry has_png || fail "the clipboard offers no image/png after Ctrl+Shift+C"
xclip -selection clipboard -t TARGETS -o | grep -qx 'image/svg+xml' ||
  fail "clipboard target image/svg+xml missing"
xclip -selection clipboard -t image/png -o >"$work/clipboard.png"
"$work/bin/boardquill" convert --settings "$settings" --format png -o "$work/pictures" "$epd" ||
  fail "boardquill convert --format png failed"
cmp "$work/clipboard.png" "$work/pictures/0001.png" ||
  fail "the clipboard's PNG differs from boardquill convert's picture"

# Ctrl+E in the preview, its cursor still on the first record: the editor
# opens on the suite's first record; a white knight on a1 and Return
# replace that line, and the clipboard holds the edited suite's document.
first=1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5
grep -q "^$first b - -" "$epd" || fail "the suite's first record is not $first"
xdotool key ctrl+e
retry editor_window || fail "Ctrl+E opened no Position Editor"
xdotool windowfocus --sync "$(editor_window | head -n 1)"
xdotool key N Return
retry has_rtf || fail "the clipboard offers no text/rtf after the edit"
xclip -selection clipboard -t text/rtf -o >"$work/clipboard.rtf"
sed "s#^$first b - -#1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/N1K5 b - -#" "$epd" >"$work/edited.epd"
"$work/bin/boardquill" convert --settings "$settings" "$work/edited.epd" >"$work/expected.rtf" ||
  fail "boardquill convert failed"
cmp "$work/clipboard.rtf" "$work/expected.rtf" ||
  fail "the edited suite did not give convert's document"
# The closed dialog took the X input focus with it.
xdotool windowfocus --sync "$win"

# Exit through the menu: the program writes its settings on the way out.
exit_program
grep -q '^AutoCopy=1' "$settings" || fail "AutoCopy was not written"
grep -q '^OpenDir=' "$settings" || fail "the settings were not written at exit"
grep -q '^Splitter=' "$settings" || fail "the splitter was not written with the placement"

# Picture diagrams: started again with DiagramStyle=picture, the window
# copies the document that "convert --diagram-style picture" writes.
sed -i 's/^\[General\]$/[General]\nDiagramStyle=picture/' "$settings"
QT_QPA_PLATFORM=xcb "$work/bin/boardquill" >"$work/app.log" 2>&1 &
app_pid=$!
retry xdotool search --onlyvisible --name '^Boardquill$' || fail "no Boardquill window the second time"
win=$(xdotool search --onlyvisible --name '^Boardquill$' | head -n 1)
xclip -selection clipboard -i "$epd"
xdotool windowfocus --sync "$win"
xdotool key ctrl+v
retry has_rtf || fail "the clipboard offers no text/rtf after Ctrl+V with picture diagrams"
xclip -selection clipboard -t text/rtf -o >"$work/pictures.rtf"
"$work/bin/boardquill" convert --settings "$settings" --diagram-style picture "$epd" \
  >"$work/expected-pictures.rtf" || fail "boardquill convert --diagram-style picture failed"
grep -q 'pngblip' "$work/expected-pictures.rtf" || fail "convert wrote no picture diagrams"
cmp "$work/pictures.rtf" "$work/expected-pictures.rtf" ||
  fail "the clipboard's rich text with pictures differs from boardquill convert's document"
exit_program " the second time"
echo "PASS: clipboard (RTF, RTF with pictures, PNG) matches boardquill convert, also after the Position Editor; screenshots in $out"
