#!/bin/sh
# hugefile.sh [MEGABYTES] [BINARY]
#
# Converts an EPD file of MEGABYTES (default 1024) with `boardquill convert`
# twice: once as it is, once with a bad last line. Checks that both runs stay
# in bounded memory, that the good run writes a whole document, and that the
# bad run reports what a one-line file with that bad line reports, leaves the
# existing output file as it was and leaves no temporary file behind.
# Prints the time and peak memory of each run. Needs /usr/bin/time.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
mb=${1:-1024}
bin=${2:-$root/build/boardquill}
limit_kb=${BQ_HUGE_RSS_LIMIT_KB:-65536}
prog=hugefile.sh

[ -x "$bin" ] || { echo "$prog: $bin not found (build first)" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/bq-huge.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

fail() { echo "$prog: FAILED: $*" >&2; exit 1; }
bad='rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - bm e4;'

convert() {  # convert INPUT OUTPUT: runs under time -v, sets rc, secs, rss_kb
  set +e
  /usr/bin/time -v -o "$work/time" "$bin" convert --settings "$work/none.ini" \
      --fonts-file "$root/data/ChsFonts.ini" --all-fonts --font "Chess Merida" \
      -o "$2" "$1" 2>"$work/err" >/dev/null
  rc=$?
  set -e
  rss_kb=$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$work/time")
  secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): *//p' "$work/time")
}

# The input: the example suite over and over, CR LF and LF lines as found.
cp "$root/examples/bk.epd" "$work/block"
while [ "$(wc -c <"$work/block")" -lt 1048576 ]; do
  cat "$work/block" "$work/block" >"$work/block2" && mv "$work/block2" "$work/block"
done
copies=$((mb * 1048576 / $(wc -c <"$work/block")))
i=0
: >"$work/big.epd"
while [ "$i" -lt "$copies" ]; do cat "$work/block" >>"$work/big.epd"; i=$((i + 1)); done
lines=$(wc -l <"$work/big.epd")
size=$(wc -c <"$work/big.epd")
echo "$prog: $size bytes, $lines lines"

# 1. The whole file converts.
convert "$work/big.epd" "$work/out.rtf"
[ "$rc" -eq 0 ] || { cat "$work/err" >&2; fail "convert exited with $rc"; }
[ "$(tail -c 1 "$work/out.rtf")" = "}" ] || fail "the document does not end in }"
out_size=$(wc -c <"$work/out.rtf")
echo "$prog: good file: $secs, peak RSS ${rss_kb} kB, document $out_size bytes"
[ "$rss_kb" -le "$limit_kb" ] || fail "peak RSS ${rss_kb} kB is over ${limit_kb} kB"
rm -f "$work/out.rtf"

# 2. The same file with a bad last line, over an existing output file.
printf '%s\n' "$bad" >"$work/small.epd"
printf 'old document\n' >"$work/out.rtf"
convert "$work/small.epd" "$work/out.rtf"
[ "$rc" -eq 1 ] || fail "a one-line bad file exited with $rc"
small_reason=$(sed -n '2s/^[^:]*:[0-9]*: //p' "$work/err")
[ "$(sed -n 1p "$work/err")" = "Error in EPD string 1" ] || fail "small file: $(cat "$work/err")"

printf '%s\n' "$bad" >>"$work/big.epd"
convert "$work/big.epd" "$work/out.rtf"
echo "$prog: bad last line: $secs, peak RSS ${rss_kb} kB, exit $rc"
[ "$rc" -eq 1 ] || fail "convert exited with $rc"
[ "$(sed -n 1p "$work/err")" = "Error in EPD string $((lines + 1))" ] || fail "message: $(sed -n 1p "$work/err")"
[ "$(sed -n '2s/^[^:]*:[0-9]*: //p' "$work/err")" = "$small_reason" ] || fail "reason differs: $(cat "$work/err")"
[ "$(cat "$work/out.rtf")" = "old document" ] || fail "the existing output file was changed"
[ "$(ls "$work" | grep -c '^out\.rtf\.')" -eq 0 ] || fail "a temporary file was left behind"
[ "$rss_kb" -le "$limit_kb" ] || fail "peak RSS ${rss_kb} kB is over ${limit_kb} kB"
echo "$prog: ok (${mb} MB; same message as a one-line file: $small_reason)"
