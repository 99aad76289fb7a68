#!/bin/bash
# Builds the libFuzzer targets with clang-14 and fuzzes each for a given time,
# then prints executions, coverage and findings per target.
#   scripts/fuzz.sh [-j jobs] [-n min-executions] [seconds-per-target] [target...]
# Defaults: one job, no execution minimum, 60 s, all targets. With -n a target
# keeps fuzzing past its time until it has run that many inputs.
# Corpora grow in $IMPRINTA_BUILD/fuzz/corpus/<target>; findings land in
# $IMPRINTA_BUILD/fuzz/findings/<target>/. After fixing one, keep the file
# under native/fuzz/regressions/<target>/ so the replay test runs it forever.
# Slow units (one input over 10 s) are counted apart from findings, with the
# time the same input takes again: a pause of the whole machine also makes them.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
FUZZ="$BUILD/fuzz"
JOBS=1
MIN_EXECS=0
while getopts "j:n:" opt; do
  case "$opt" in
    j) JOBS="$OPTARG" ;;
    n) MIN_EXECS="$OPTARG" ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
SECONDS_PER_TARGET="${1:-60}"
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(sniff bmp gif icon pcx png jpeg template property table)

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
seed table
# The application's own form templates seed the template reader; their unit
# blocks, behind each type byte, the property streams.
if [ ! -d "$FUZZ/corpus/template" ]; then
  seed template
  seed property
  if [ -f "$BUILD/native/build.ninja" ] && cmake --build "$BUILD/native" --target fuzz_form_seeds >/dev/null 2>&1; then
    "$BUILD/native/fuzz_form_seeds" "$FUZZ/corpus/template" "$FUZZ/corpus/property" >/dev/null
  fi
fi

# Pictures get short inputs: a few kilobytes reach every header and
# compression path, and longer ones only cost time per run.
max_len() {
  case "$1" in
    template|property) echo 65536 ;;
    *) echo 4096 ;;
  esac
}

# One libFuzzer round; prints "executions seconds".
round() {  # target log extra-options...
  local t="$1" log="$2"; shift 2
  local dict=()
  [ -f "$ROOT/native/fuzz/dict/$t.dict" ] && dict=(-dict="$ROOT/native/fuzz/dict/$t.dict")
  local began=$SECONDS
  (cd "$FUZZ" && nice -n 10 "./fuzz_$t" "$FUZZ/corpus/$t" "${dict[@]}" "$@" \
      -timeout=10 -rss_limit_mb=2048 -max_len="$(max_len "$t")" \
      -artifact_prefix="$FUZZ/findings/$t/" -print_final_stats=1 >>"$log" 2>&1) || true
  local n
  n=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  echo "${n:-0} $((SECONDS - began))"
}

# Crashes, leaks, timeouts and out-of-memory inputs of a target.
findings() { find "$FUZZ/findings/$1" -type f ! -name 'slow-unit-*' | wc -l; }

# Slow units of a target, each with its time when run again.
slow_units() {
  local f ms
  for f in "$FUZZ/findings/$1"/slow-unit-*; do
    [ -f "$f" ] || continue
    ms=$("$FUZZ/fuzz_$1" "$f" 2>&1 | grep -o 'in [0-9]* ms' | grep -o '[0-9]*')
    echo "$1: slow unit $(basename "$f") takes ${ms:-?} ms when run again"
  done
}

fuzz_target() {  # target -> one summary line in $FUZZ/result.<target>
  local t="$1" log="$FUZZ/$t.log" execs=0 secs=0 n s
  mkdir -p "$FUZZ/findings/$t"
  : >"$log"
  read -r n s < <(round "$t" "$log" -max_total_time="$SECONDS_PER_TARGET")
  execs=$((execs + n)); secs=$((secs + s))
  # Further rounds until the minimum is met (each exits on its own findings).
  while [ "$execs" -lt "$MIN_EXECS" ] && [ "$(findings "$t")" -eq 0 ]; do
    read -r n s < <(round "$t" "$log" -runs=$((MIN_EXECS - execs)))
    [ "$n" -gt 0 ] || break
    execs=$((execs + n)); secs=$((secs + s))
  done
  local cov ft found slow
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  found=$(findings "$t")
  slow=$(find "$FUZZ/findings/$t" -type f -name 'slow-unit-*' | wc -l)
  printf '%-8s %12s %8s %8s %8s %9s %9s %5s\n' "$t" "$execs" "$secs" "$((execs / (secs > 0 ? secs : 1)))" \
      "${cov:-?}" "${ft:-?}" "$found" "$slow" >"$FUZZ/result.$t"
}

minimum=""
[ "$MIN_EXECS" -gt 0 ] && minimum=", at least $MIN_EXECS runs"
echo "fuzz: ${TARGETS[*]}: ${SECONDS_PER_TARGET}s each, $JOBS at a time$minimum"
running=0
for t in "${TARGETS[@]}"; do
  if [ "$running" -ge "$JOBS" ]; then wait -n || true; running=$((running - 1)); fi
  rm -f "$FUZZ/result.$t"
  fuzz_target "$t" &
  running=$((running + 1))
done
wait
{
  printf '%-8s %12s %8s %8s %8s %9s %9s %5s\n' target executions seconds exec/s cov features findings slow
  for t in "${TARGETS[@]}"; do cat "$FUZZ/result.$t" 2>/dev/null || echo "$t: no result"; done
  for t in "${TARGETS[@]}"; do slow_units "$t"; done
} | tee "$FUZZ/summary.txt"
