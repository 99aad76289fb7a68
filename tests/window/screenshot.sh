#!/bin/bash
# Shows the template-built test window under Xvfb and saves a screenshot of the
# screen: tests/window/screenshot.sh <output.png> [hold|shape]  (after a build of window_child).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
OUT="${1:-window.png}"
SCENARIO="${2:-hold}"
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
LOG=$(mktemp)
wine "$IMPRINTA_BUILD/tests/window/window_child.exe" "$SCENARIO" "$(winepath -w "$LOG")" >/dev/null 2>&1 &
CHILD=$!
sleep 2.5
import -window root "$OUT"
wait "$CHILD"
echo "exit code $?"
cat "$LOG"
rm -f "$LOG"
