#!/bin/bash
# Runs the built program from a ready sample folder under Xvfb and saves
# screenshots of the whole screen: the window as it starts, a hot and a pressed
# button, an open font list and the colour popup:
#   tests/app/screenshot.sh <output-prefix>   (after a build)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
OUT="${1:-imprinta}"
export IMPRINTA_XVFB=1
source "$ROOT/scripts/session.sh"
start_session
DIR=$(mktemp -d /tmp/imprinta-shot.XXXXXX)
cleanup() { stop_session; rm -rf "$DIR"; }
trap cleanup EXIT
cp "$IMPRINTA_BUILD/Imprinta.exe" "$DIR/"
bash "${IMPRINTA_SAMPLES_SCRIPT:-$ROOT/scripts/make-samples.sh}" "$DIR"
(cd "$DIR" && wine Imprinta.exe </dev/null >/dev/null 2>&1) &
APP=$!
WIN=$(xdotool search --sync --name Imprinta | head -1)
sleep 3
eval "$(xdotool getwindowgeometry --shell "$WIN")"  # X, Y: its client area's corner
CX=$X CY=$Y  # the X window of an unmanaged Wine window is its client area
# Units by their client position (those in the group box at its 600, 8 plus their own).
at() { xdotool mousemove $((CX + $1)) $((CY + $2)); }
shot() { sleep 0.6; import -window root "$OUT-$1.png"; echo "saved $OUT-$1.png"; }
away() { at 300 300; sleep 0.2; xdotool click 1; }  # on the preview: closes popups (Esc would close the window)
shot window
at $((600 + 16 + 48)) $((8 + 544 + 20)); shot hot  # 添加文案
xdotool mousedown 1; shot pressed
at 300 300; xdotool mouseup 1
at $((600 + 67 + 100)) $((8 + 96 + 10)); xdotool click 1; shot font-list  # 标题字体's arrow
away
at $((600 + 209 + 20)) $((8 + 91 + 12)); xdotool click 1; shot colour-popup  # 标题颜色
away
sleep 0.5
xdotool key --window "$WIN" Escape 2>/dev/null || true
for _ in $(seq 1 50); do kill -0 "$APP" 2>/dev/null || break; sleep 0.1; done
