#!/bin/bash
# Shows the visual units' showcase window under Xvfb and saves a screenshot:
#   tests/visual_units/screenshot.sh <output.png>   (after a build of visual_showcase)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
OUT="${1:-visual_units.png}"
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
wine "$IMPRINTA_BUILD/tests/visual_units/visual_showcase.exe" 5000 >/dev/null 2>&1 &
CHILD=$!
sleep 3.5
import -window root "$OUT"
wait "$CHILD" || true
echo "saved $OUT"
