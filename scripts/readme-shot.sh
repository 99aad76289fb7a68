#!/bin/bash
# Takes the README's picture of the window: the built program started from a
# ready sample folder (scripts/make-samples.sh: its poster has a red title) on
# a 1366 x 768 Xvfb, the window cut out of the screen and stored as a small
# palette PNG. Fails unless the picture holds the poster's red title, so a
# window that did not draw its preview is never taken for the picture.
#   scripts/readme-shot.sh [output.png]   (default docs/window.png; after a build)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
OUT="${1:-$ROOT/docs/window.png}"
EXE="$BUILD/Imprinta.exe"
[ -f "$EXE" ] || { echo "readme-shot: no $EXE (bash scripts/build.sh --program)" >&2; exit 1; }

# A prefix of its own: Wine takes the screen size when its wineserver starts,
# and the build's wineserver may be serving other programs on another screen.
bash "$ROOT/scripts/make-prefix.sh" "$BUILD/shot" >/dev/null
source "$ROOT/scripts/wine-env.sh"
export WINEPREFIX="$BUILD/shot/wineprefix"

DIR=$(mktemp -d /tmp/imprinta-readme-shot.XXXXXX)
XVFB="" APP=""
finish() {
  local status=$?
  set +e
  [ -n "$APP" ] && kill "$APP" 2>/dev/null
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  [ -n "$XVFB" ] && { kill "$XVFB" 2>/dev/null; wait "$XVFB" 2>/dev/null; }
  rm -rf "$DIR"
  exit $status
}
trap finish EXIT

fd_file="$DIR/display"
Xvfb -displayfd 1 -screen 0 1366x768x24 -nolisten tcp >"$fd_file" 2>/dev/null &
XVFB=$!
for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$fd_file")"
wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true
wine wineboot </dev/null >/dev/null 2>&1 || true

mkdir "$DIR/program"
cp "$EXE" "$DIR/program/Imprinta.exe"
# As the zip has it: the bundled fonts beside the program, listed and chosen first.
[ -d "$BUILD/fonts" ] && cp -r "$BUILD/fonts" "$DIR/program/fonts"
bash "$ROOT/scripts/make-samples.sh" "$DIR/program"
(cd "$DIR/program" && exec wine Imprinta.exe </dev/null >/dev/null 2>&1) &
APP=$!
WIN=$(timeout 60 xdotool search --sync --onlyvisible --name '^Imprinta' | head -1) ||
  { echo "readme-shot: no window within 60 s" >&2; exit 1; }
# Wine's pointer starts in the screen's middle, over the preview, whose tooltip
# would then show: a move through the window's empty corner puts it elsewhere.
eval "$(xdotool getwindowgeometry --shell "$WIN")"
xdotool mousemove $((X + WIDTH - 6)) $((Y + HEIGHT - 6)) sleep 0.3 mousemove 1365 767
sleep "${IMPRINTA_SHOT_DELAY:-3}"  # the first preview and the skin's repaint

# The window's rectangle (unmanaged, Wine draws its frame in the same X window).
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$DIR/screen.png"
xdotool key --window "$WIN" Escape 2>/dev/null || true
for _ in $(seq 1 50); do kill -0 "$APP" 2>/dev/null || break; sleep 0.1; done

# 256 colours without dithering: the window's flat surfaces and the poster's
# soft gradient stay clean, and the file stays small.
mkdir -p "$(dirname "$OUT")"
convert "$DIR/screen.png" +dither -colors 256 -strip -define png:exclude-chunks=date,time "PNG8:$DIR/out.png"

# The sample poster's title is drawn in rgb(200, 40, 40): count the clearly red
# pixels in the window's left half, the preview (the title's colour swatch sits
# in the right half; the templates' warm gradient never gets that red).
red=$(convert "$DIR/out.png" -crop "$((WIDTH / 2))x${HEIGHT}+0+0" +repage -depth 8 rgb:- | python3 -c '
import sys
d = sys.stdin.buffer.read()
print(sum(1 for r, g, b in zip(d[0::3], d[1::3], d[2::3]) if r >= 150 and g <= 90 and b <= 90))')
if [ "$red" -lt "${IMPRINTA_SHOT_MIN_RED:-300}" ]; then
  echo "readme-shot: only $red red pixels in the window: the poster's title is missing" >&2
  cp "$DIR/screen.png" "$OUT.failed.png"
  exit 1
fi
mv "$DIR/out.png" "$OUT"
echo "readme-shot: $OUT (${WIDTH} x ${HEIGHT}, $(stat -c %s "$OUT") bytes, $red red title pixels)"
