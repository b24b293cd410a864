#!/bin/sh
# The benchmark: installs what is missing, builds Release in build-bench/,
# makes the input from a seed, runs every measurement and the two npm peers
# on the same file in the same sitting, and prints the figures as a table.
#
#   BENCH_LINES   lines of the generated input (200000)
#   BENCH_SEED    seed of the generator (1)
#   BENCH_RUNS    runs of each timed measurement (5; 3 for the preview)
#   BENCH_SKIP    space-separated parts to leave out: callgrind peers preview games pictures
#   BENCH_PICTURES  diagrams of each picture format (100000)
#   BENCH_PICTURE_RTF  diagrams of the RTF document of picture diagrams (10000)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
lines=${BENCH_LINES:-200000}
seed=${BENCH_SEED:-1}
runs=${BENCH_RUNS:-5}
skip=" ${BENCH_SKIP:-} "
build="$root/build-bench"
gui=${BOARDQUILL_GUI:-ON}

skipped() { case "$skip" in *" $1 "*) return 0 ;; *) return 1 ;; esac; }

# ---- what the benchmark needs ------------------------------------------------
extra="nodejs valgrind time"
command -v npm >/dev/null 2>&1 || extra="$extra npm"
BOARDQUILL_EXTRA_PACKAGES="${BOARDQUILL_EXTRA_PACKAGES:-} $extra" "$root/scripts/deps.sh"
# The window and the pictures draw with the installed diagram fonts.
if [ "$gui" = ON ] || ! skipped pictures; then "$root/scripts/install-fonts.sh" >/dev/null; fi
if [ ! -d "$root/bench/node_modules/chess.js" ] || [ ! -d "$root/bench/node_modules/chessops" ] ||
   [ "$root/bench/package-lock.json" -nt "$root/bench/node_modules/.package-lock.json" ]; then
    (cd "$root/bench" && npm ci --no-audit --no-fund --loglevel=error)
fi

echo "Building (Release) in $build ..."
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBOARDQUILL_BENCH=ON \
    -DBOARDQUILL_GUI="$gui" >/dev/null
targets="boardquill bq_bench"
[ "$gui" = ON ] && targets="$targets bq_bench_preview"
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets >/dev/null

input="$build/bench-$seed-$lines.epd"
if [ ! -s "$input" ]; then
    echo "Generating $lines lines (seed $seed) ..."
    node "$root/bench/gen.mjs" --seed "$seed" --lines "$lines" --out "$input.tmp"
    mv "$input.tmp" "$input"
fi

fonts="$root/data/ChsFonts.ini"
settings="$build/bench-settings.ini"
: >"$settings"  # no settings: every default, whatever the user chose
results="$build/bench-results.txt"
: >"$results"
out="$build/bench-out.rtf"
# The conversion as a user runs it; the font catalogue is not filtered by
# the installed fonts, so the figures do not depend on them.
convert_args="--settings $settings --fonts-file $fonts --all-fonts --font"

run() { "$@" | tee -a "$results"; }

echo "Measuring on $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) ..."
run "$build/bench/bq_bench" read "$input" --runs "$runs"
run "$build/bench/bq_bench" driver "$input" --runs "$runs" --fonts-file "$fonts"
run "$build/bench/bq_bench" convert "$input" --exe "$build/boardquill" --out "$out" \
    --runs "$runs" -- $convert_args "Chess Merida"

if ! skipped peers; then
    for peer in chess.js chessops; do
        run node "$root/bench/peers.mjs" --peer "$peer" --in "$input" --out "$build/bench-$peer.rtf" \
            --fonts-file "$fonts" --runs "$runs"
        if cmp -s "$out" "$build/bench-$peer.rtf"; then same=yes; else same=NO; fi
        echo "same_$peer|output identical to ours|$same" >>"$results"
    done
fi

callgrind_cmd="valgrind --tool=callgrind --callgrind-out-file=$build/callgrind.out \
$build/boardquill convert $convert_args \"Chess Merida\" -o $build/callgrind.rtf $input"
if ! skipped callgrind; then
    echo "Counting instructions with callgrind ..."
    collected() {  # total instructions of a callgrind run of the conversion of $1
        valgrind --tool=callgrind --callgrind-out-file="$2" "$build/boardquill" convert \
            $convert_args "Chess Merida" -o "$build/callgrind.rtf" "$1" 2>&1 |
            sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
    }
    head -n 1 "$input" >"$build/bench-one.epd"
    total=$(collected "$input" "$build/callgrind.out")
    startup=$(collected "$build/bench-one.epd" "$build/callgrind-one.out")
    echo "callgrind|instructions/position|$total|$lines|$startup" >>"$results"
    # The margin: the first 20,000 lines less the first line, per further line.
    margin=$((lines < 20000 ? lines : 20000))
    head -n "$margin" "$input" >"$build/bench-margin.epd"
    marginal=$(collected "$build/bench-margin.epd" "$build/callgrind-margin.out")
    echo "callgrind_margin|instructions/position|$marginal|$margin|$startup" >>"$results"
fi

# PDF, SVG and PNG (400 px boards) of the first diagrams of the same file,
# each as a user makes them: `boardquill convert --format`, timed whole
# (start-up included) with its peak memory; the output goes when measured
# (100,000 SVG files take 7 GB).
if ! skipped pictures; then
    count=${BENCH_PICTURES:-100000}
    head -n "$count" "$input" >"$build/bench-pictures.epd"
    count=$(grep -c . "$build/bench-pictures.epd")
    for format in pdf svg png; do
        pictures="$build/bench-pictures-$format"
        rm -rf "$pictures"
        # shellcheck disable=SC2086
        /usr/bin/time -f "%e %M" -o "$build/bench-pictures.time" "$build/boardquill" convert \
            $convert_args "Chess Merida" --format "$format" -o "$pictures" "$build/bench-pictures.epd"
        rm -rf "$pictures"
        read -r seconds kb <"$build/bench-pictures.time"
        awk -v f="$format" -v n="$count" -v s="$seconds" -v kb="$kb" 'BEGIN {
            r = n / (s > 0 ? s : 0.01); m = kb / 1024
            printf "picture_%s|diagrams/s|%.6g|%.6g|%.6g|%d diagrams\n", f, r, r, r, n
            printf "picture_%s_maxrss|MB|%.6g|%.6g|%.6g|\n", f, m, m, m }' | tee -a "$results"
    done
fi

# Picture diagrams in RTF (--diagram-style picture: a PNG at 300 pixels per
# inch per diagram) of the first diagrams of the same file, timed whole with
# its peak memory; and the document's size per diagram.
if ! skipped pictures; then
    count=${BENCH_PICTURE_RTF:-10000}
    head -n "$count" "$input" >"$build/bench-picture-rtf.epd"
    count=$(grep -c . "$build/bench-picture-rtf.epd")
    document="$build/bench-picture-rtf.rtf"
    rm -f "$document"
    # shellcheck disable=SC2086
    /usr/bin/time -f "%e %M" -o "$build/bench-pictures.time" "$build/boardquill" convert \
        $convert_args "Chess Merida" --diagram-style picture -o "$document" \
        "$build/bench-picture-rtf.epd"
    bytes=$(wc -c <"$document")
    rm -f "$document"
    read -r seconds kb <"$build/bench-pictures.time"
    awk -v n="$count" -v s="$seconds" -v kb="$kb" -v bytes="$bytes" 'BEGIN {
        r = n / (s > 0 ? s : 0.01); m = kb / 1024; d = bytes / n / 1024
        printf "picture_rtf|diagrams/s|%.6g|%.6g|%.6g|%d diagrams\n", r, r, r, n
        printf "picture_rtf_maxrss|MB|%.6g|%.6g|%.6g|\n", m, m, m
        printf "picture_rtf_size|KB/diagram|%.6g|%.6g|%.6g|\n", d, d, d }' | tee -a "$results"
fi

if [ "$gui" = ON ] && ! skipped preview; then
    for n in 1000 10000; do
        run "$build/bench/bq_bench_preview" "$input" --lines "$n" --runs 3 --fonts-file "$fonts"
    done
fi

# ---- the table ------------------------------------------------------------------
echo
echo "Boardquill benchmark: $lines positions (seed $seed), $runs runs, $(date -u +%Y-%m-%dT%H:%MZ)"
awk -F'|' -v cg="$callgrind_cmd" '
function fmt(x) {
  if (x >= 1000) return sprintf("%\047.0f", x)
  if (x >= 10) return sprintf("%.1f", x)
  return sprintf("%.3f", x)
}
function row(label, key, unit) {
  if (!(key in med)) return
  printf "%-46s %14s %14s %14s  %s\n", label " (" unit ")", fmt(lo[key]), fmt(med[key]), fmt(hi[key]), note[key]
}
$1 == "callgrind" { cgtotal = $3; cglines = $4; cgstart = $5; next }
$1 == "callgrind_margin" { cgmargin = $3; cgmlines = $4; next }
$1 ~ /^same_/ { same[substr($1, 6)] = $3; next }
{ lo[$1] = $3; med[$1] = $4; hi[$1] = $5; note[$1] = $6 }
END {
  printf "%-46s %14s %14s %14s\n", "", "min", "median", "max"
  row("ReadEPDLine", "read", "positions/s")
  row("Conversion driver in memory", "driver", "positions/s")
  row("boardquill convert, file to file", "convert", "positions/s")
  row("boardquill convert output", "convert_output", "MB/s")
  row("boardquill convert peak memory", "convert_maxrss", "MB")
  row("chess.js 1.4.0 (validateFen + load)", "peer_chessjs", "positions/s")
  row("chess.js output", "peer_chessjs_output", "MB/s")
  row("chess.js peak memory", "peer_chessjs_maxrss", "MB")
  row("chessops 0.15.1 (parseFen + fromSetup)", "peer_chessops", "positions/s")
  row("chessops output", "peer_chessops_output", "MB/s")
  row("chessops peak memory", "peer_chessops_maxrss", "MB")
  row("Pictures: PDF", "picture_pdf", "diagrams/s")
  row("Pictures: PDF peak memory", "picture_pdf_maxrss", "MB")
  row("Pictures: SVG", "picture_svg", "diagrams/s")
  row("Pictures: SVG peak memory", "picture_svg_maxrss", "MB")
  row("Pictures: PNG, 400 px", "picture_png", "diagrams/s")
  row("Pictures: PNG peak memory", "picture_png_maxrss", "MB")
  row("RTF of picture diagrams", "picture_rtf", "diagrams/s")
  row("RTF of picture diagrams: peak memory", "picture_rtf_maxrss", "MB")
  row("RTF of picture diagrams: document size", "picture_rtf_size", "KB/diagram")
  row("Desktop: Convert to loaded preview, 1,000", "preview_loaded_1000", "s")
  row("Desktop: Convert to painted preview, 1,000", "preview_1000", "s")
  row("Desktop: Convert to loaded preview, 10,000", "preview_loaded_10000", "s")
  row("Desktop: Convert to painted preview, 10,000", "preview_10000", "s")
  row("Desktop: Convert to laid-out preview, 1,000", "preview_laidout_1000", "s")
  row("Desktop: Convert to laid-out preview, 10,000", "preview_laidout_10000", "s")
  print ""
  if ("convert" in med) {
    for (p in same) printf "Output of %s identical to ours: %s\n", p, same[p]
    if ("peer_chessjs" in med)
      printf "convert vs chess.js:  %.1f times (median), %.1f times (our min / their max)\n", med["convert"] / med["peer_chessjs"], lo["convert"] / hi["peer_chessjs"]
    if ("peer_chessops" in med)
      printf "convert vs chessops:  %.1f times (median), %.1f times (our min / their max)\n", med["convert"] / med["peer_chessops"], lo["convert"] / hi["peer_chessops"]
    if ("peer_chessops" in med && "driver" in med)
      printf "in-memory driver vs chessops: %.1f times (median; the peers are timed in process too)\n", med["driver"] / med["peer_chessops"]
  }
  if (cgtotal != "") {
    printf "Instructions per position (callgrind): %.0f (%\047d in all for %\047d positions; %.0f without the start-up of %\047d)\n", cgtotal / cglines, cgtotal, cglines, (cgtotal - cgstart) / (cglines - 1), cgstart
    printf "  command: %s\n", cg
  }
  if (cgmargin != "" && cgmlines > 1)
    printf "Marginal instructions per position (callgrind, first %\047d lines less the first line): %.0f\n", cgmlines, (cgmargin - cgstart) / (cgmlines - 1)
}' "$results"

# ---- games: PGN to EPD and game text beside pgn-extract, and perft -----------
#   BENCH_PGN_REPEAT   copies of pgn-extract's eco.pgn in the input (40)
if ! skipped games; then
    BOARDQUILL_EXTRA_PACKAGES="pgn-extract" "$root/scripts/deps.sh"
    cmake --build "$build" -j2 --target bq_bench_perft >/dev/null
    eco=/usr/share/pgn-extract/eco.pgn
    repeat=${BENCH_PGN_REPEAT:-40}
    pgn="$build/bench-eco-$repeat.pgn"
    if [ ! -s "$pgn" ]; then
        i=0
        while [ "$i" -lt "$repeat" ]; do cat "$eco"; i=$((i + 1)); done >"$pgn.tmp"
        mv "$pgn.tmp" "$pgn"
    fi
    # Processor seconds (user and system) of each of $runs runs of a command,
    # its output to $1, sorted: both programs run on one core, and so the
    # figures hold on a machine busy with other work.
    timed() {
        out=$1
        shift
        n=0
        while [ "$n" -lt "$runs" ]; do
            /usr/bin/time -f "%U %S" -o "$build/bench-time.txt" "$@" >"$out" 2>/dev/null
            awk '{ print $1 + $2 }' "$build/bench-time.txt"
            n=$((n + 1))
        done | sort -n
    }
    ours=$(timed "$build/bench-pgn-ours.epd" "$build/boardquill" pgn2epd --diagrams every:1 "$pgn")
    theirs=$(timed "$build/bench-pgn-theirs.epd" /usr/games/pgn-extract -s --quiet -Wepd "$pgn")
    # Game text: the games with their moves, comments and variations as RTF
    # and as PDF (a diagram of each final position, as GameDiagrams chooses
    # for games without marks), beside pgn-extract rewriting them as SAN.
    # shellcheck disable=SC2086
    text_rtf=$(timed "$build/bench-gametext.rtf" "$build/boardquill" convert $convert_args \
        "Chess Merida" --game-text "$pgn")
    # shellcheck disable=SC2086
    text_pdf=$(timed "$build/bench-gametext.pdf" "$build/boardquill" convert $convert_args \
        "Chess Merida" --game-text --format pdf "$pgn")
    theirs_san=$(timed "$build/bench-pgn-theirs.san" /usr/games/pgn-extract -s --quiet -Wsan "$pgn")
    peak() {  # peak memory of one run of a command, in MB
        /usr/bin/time -f "%M" -o "$build/bench-time.txt" "$@" >/dev/null 2>&1
        awk '{ printf "%.1f", $1 / 1024 }' "$build/bench-time.txt"
    }
    # shellcheck disable=SC2086
    peak_rtf=$(peak "$build/boardquill" convert $convert_args "Chess Merida" --game-text "$pgn")
    # shellcheck disable=SC2086
    peak_pdf=$(peak "$build/boardquill" convert $convert_args "Chess Merida" --game-text \
        --format pdf "$pgn")
    peak_san=$(peak /usr/games/pgn-extract -s --quiet -Wsan "$pgn")
    # pgn-extract writes every position, a blank line after each game.
    positions=$(grep -c / "$build/bench-pgn-theirs.epd")
    games=$(grep -c -v / "$build/bench-pgn-theirs.epd")
    perft=$("$build/bench/bq_bench_perft" --depth 5 --runs "$runs")
    echo
    echo "Games: eco.pgn x$repeat, $games games, $((positions - games)) moves, $runs runs"
    printf '%s\n%s\n%s\n%s\n%s\n' "$ours" "$theirs" "$text_rtf" "$text_pdf" "$theirs_san" |
        awk -v runs="$runs" -v moves=$((positions - games)) -v games="$games" -v perft="$perft" \
        -v mrtf="$peak_rtf" -v mpdf="$peak_pdf" -v msan="$peak_san" '
    function median(a, n) { return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
    { part = int((NR - 1) / runs); v[part, (NR - 1) % runs + 1] = $1 }
    function med(p,   a, i) { for (i = 1; i <= runs; i++) a[i] = v[p, i]; return median(a, runs) }
    END {
      o = med(0); t = med(1); r = med(2); p = med(3); s = med(4)
      printf "%-50s %7.3f s CPU %10.0f moves/s\n", "boardquill pgn2epd --diagrams every:1 (median)", o, moves / o
      printf "%-50s %7.3f s CPU %10.0f moves/s\n", "pgn-extract -Wepd, every position (median)", t, moves / t
      printf "pgn2epd vs pgn-extract: %.2f times as fast (median)\n", t / o
      printf "%-50s %7.3f s CPU %10.0f games/s %6s MB peak\n", "boardquill convert --game-text, RTF (median)", r, games / r, mrtf
      printf "%-50s %7.3f s CPU %10.0f games/s %6s MB peak\n", "boardquill convert --game-text, PDF (median)", p, games / p, mpdf
      printf "%-50s %7.3f s CPU %10.0f games/s %6s MB peak\n", "pgn-extract -s -Wsan (median)", s, games / s, msan
      printf "RTF game text vs pgn-extract -Wsan: %.2f times as fast (median)\n", s / r
      split(perft, q, "|")
      printf "Perft, %s: %.0f nodes/s (median; min %.0f, max %.0f)\n", q[6], q[4], q[3], q[5]
    }'
fi
