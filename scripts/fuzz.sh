#!/bin/bash
# Builds the libFuzzer targets with clang-14 and fuzzes each for a given time,
# one at a time on one core, then prints executions, coverage and findings.
#   scripts/fuzz.sh [seconds-per-target] [target...]      (default 60 s, all targets)
# Corpora grow in $IMPRINTA_BUILD/fuzz/corpus/<target>; findings land in
# $IMPRINTA_BUILD/fuzz/findings/<target>/. After fixing one, keep the file
# under native/fuzz/regressions/<target>/ so the replay test runs it forever.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
FUZZ="$BUILD/fuzz"
SECONDS_PER_TARGET="${1:-60}"
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(sniff bmp gif icon pcx png jpeg template property)

"$ROOT/scripts/fetch-corpora.sh"
if [ ! -f "$FUZZ/build.ninja" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$ROOT/native/fuzz" -B "$FUZZ" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
nice cmake --build "$FUZZ" -- -j1 >/dev/null

CORPORA="$BUILD/corpora"
seed() {  # target name-patterns...
  local t="$1"; shift
  local dir="$FUZZ/corpus/$t"
  [ -d "$dir" ] && return 0
  mkdir -p "$dir"
  cp "$ROOT/native/fuzz/seeds/$t/"* "$dir/" 2>/dev/null || true
  for pat in "$@"; do
    find "$CORPORA" -type f -iname "$pat" -size -64k -exec cp -f {} "$dir/" \; 2>/dev/null || true
  done
  find "$ROOT/native/fuzz/regressions/$t" -type f -exec cp -f {} "$dir/" \; 2>/dev/null || true
}
seed sniff '*.cur' 'basn*.png' 'pal8*.pcx' 'welcome2.gif' 'pal8*.bmp' 'testimgint.jpg'
seed bmp '*.bmp'
seed gif '*.gif'
seed icon '*.ico' '*.cur'
seed pcx '*.pcx'
seed png '*.png'
seed jpeg '*.jpg' '*.jpeg'
# The application's own form templates seed the template reader; their unit
# blocks, behind each type byte, the property streams.
if [ ! -d "$FUZZ/corpus/template" ]; then
  seed template
  seed property
  if [ -f "$BUILD/native/build.ninja" ] && cmake --build "$BUILD/native" --target fuzz_form_seeds >/dev/null 2>&1; then
    "$BUILD/native/fuzz_form_seeds" "$FUZZ/corpus/template" "$FUZZ/corpus/property" >/dev/null
  fi
fi

printf '%-6s %12s %8s %8s %9s\n' target executions cov features findings > "$FUZZ/summary.txt"
for t in "${TARGETS[@]}"; do
  mkdir -p "$FUZZ/findings/$t"
  dict=()
  [ -f "$ROOT/native/fuzz/dict/$t.dict" ] && dict=(-dict="$ROOT/native/fuzz/dict/$t.dict")
  log="$FUZZ/$t.log"
  echo "fuzz: $t for ${SECONDS_PER_TARGET}s"
  (cd "$FUZZ" && nice -n 10 "./fuzz_$t" "$FUZZ/corpus/$t" "${dict[@]}" \
      -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$FUZZ/findings/$t/" -print_final_stats=1 >"$log" 2>&1) || true
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  found=$(find "$FUZZ/findings/$t" -type f | wc -l)
  printf '%-6s %12s %8s %8s %9s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$found" >> "$FUZZ/summary.txt"
done
cat "$FUZZ/summary.txt"
