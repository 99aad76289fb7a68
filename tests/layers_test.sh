#!/bin/bash
# The layer check on copies of the tree, each with one fault put in: it must
# fail and name the fault; the tree as it is must pass.
set -uo pipefail
ROOT="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
CHECK="$ROOT/scripts/check-layers.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
# fault name | file to change | line appended | words the check must say
cases=(
  "runtime upward|runtime/base/value.h|#include \"runtime/core/blocks.h\"|from the higher layer"
  "poster uses Windows|app/poster/poster.h|#include <windows.h>|plain C++"
  "poster upward|app/poster/poster.h|#include \"app/render/renderer.h\"|of the render room"
  "render into window|app/render/renderer.cpp|#include \"app/window/preview.h\"|of the window room"
  "window into batch|app/window/preview.cpp|#include \"app/batch/batch_job.h\"|of the batch room"
  "unit circle|app/render/gdiplus.h|#include \"app/render/text_render.h\"|include circle"
  "file at the root|app/loose.cpp|// nothing|at its root"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name file line words <<<"$c"
  rm -rf "$WORK/tree" && mkdir -p "$WORK/tree" && cp -r "$ROOT/app" "$ROOT/runtime" "$WORK/tree/"
  printf '%s\n' "$line" >>"$WORK/tree/$file"
  if out=$(bash "$CHECK" "$WORK/tree" 2>&1); then
    echo "FAIL: $name: the check passed"; failures=$((failures + 1))
  elif ! grep -q -- "$words" <<<"$out"; then
    echo "FAIL: $name: the check failed without saying \"$words\":"; echo "$out"; failures=$((failures + 1))
  fi
done
bash "$CHECK" "$ROOT" >/dev/null || { echo "FAIL: the tree as it is"; failures=$((failures + 1)); }
echo "layer check: ${#cases[@]} faults put in, $failures not caught"
exit $((failures > 0))
