#!/bin/sh
# fuzz.sh [SECONDS] [TARGET...]
#
# Builds the libFuzzer targets (clang, build-fuzz/) and runs each for SECONDS
# (default 60) on fuzz/corpus/<target>, one after the other, merging what
# each run finds into its corpus. A crash stops with status 1; the input is
# in build-fuzz/findings/<target>/. Targets: epdline convert fonts profile rtf pgn.
# Each run's log is build-fuzz/logs/<target>.log; the last line of the
# summary gives executions and coverage.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-epdline convert fonts profile rtf pgn}
build="$root/build-fuzz"

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBOARDQUILL_FUZZ=ON -DBOARDQUILL_GUI=OFF -DBOARDQUILL_TESTS=OFF -DBOARDQUILL_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target bq_fuzzers >/dev/null

dict_of() {
  case "$1" in
    epdline | convert) echo "$root/fuzz/epd.dict" ;;
    fonts | profile) echo "$root/fuzz/ini.dict" ;;
    rtf) echo "$root/fuzz/rtf.dict" ;;
    pgn) echo "$root/fuzz/pgn.dict" ;;
  esac
}

status=0
for t in $targets; do
  corpus="$root/fuzz/corpus/$t"
  work="$build/work/$t"
  findings="$build/findings/$t"
  log="$build/logs/$t.log"
  mkdir -p "$corpus" "$work" "$findings" "$build/logs"
  # New inputs go to a scratch folder first; the merge keeps only those that
  # add coverage, so the checked-in corpus stays small.
  rm -rf "$work"/*
  if "$build/fuzz/fuzz_$t" "$work" "$corpus" -dict="$(dict_of "$t")" \
      -max_total_time="$secs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  "$build/fuzz/fuzz_$t" -merge=1 "$corpus" "$work" >"$build/logs/$t.merge.log" 2>&1 || true
  echo "fuzz $t: $result, ${secs}s, ${execs:-?} executions, ${cov:-cov: ?}, corpus $(ls "$corpus" | wc -l)"
  if [ "$result" = FAILED ]; then
    grep -m 3 -E 'ERROR|property violated|runtime error' "$log" || true
    ls "$findings"
  fi
done
exit $status
