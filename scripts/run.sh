#!/bin/bash
# Installs what is missing, builds Imprinta (the program and its skin library
# only: the test command builds the rest), prepares a ready program folder and
# runs it under Wine: on $DISPLAY when there is one, else on Xvfb, taking a
# screenshot of the window.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" --program

PROGRAM="$BUILD/program"
mkdir -p "$PROGRAM"
i686-w64-mingw32-strip -o "$PROGRAM/Imprinta.exe" "$BUILD/Imprinta.exe"
[ -f "$ROOT/app/resources/tutorial.html" ] && cp "$ROOT/app/resources/tutorial.html" "$PROGRAM/"
rm -rf "$PROGRAM/fonts" && cp -r "$BUILD/fonts" "$PROGRAM/fonts"
"$ROOT/scripts/make-samples.sh" "$PROGRAM"
echo "run: program folder $PROGRAM"

source "$ROOT/scripts/session.sh"
if [ -n "${DISPLAY:-}" ] && [ "${IMPRINTA_XVFB:-}" != 1 ]; then
  start_session
  trap stop_session EXIT
  (cd "$PROGRAM" && wine Imprinta.exe) || true
  exit 0
fi

start_session
trap stop_session EXIT
SHOT_DIR="$BUILD/screenshots"
mkdir -p "$SHOT_DIR"
(cd "$PROGRAM" && wine Imprinta.exe </dev/null >/dev/null 2>&1) &
APP=$!
if timeout 60 xdotool search --sync --onlyvisible --name '^Imprinta' >/dev/null; then
  echo "run: window shown $SECONDS s after run.sh started"
else
  echo "run: no window within 60 s" >&2
fi
sleep "${IMPRINTA_SHOT_DELAY:-2}"  # the first preview
import -window root "$SHOT_DIR/imprinta.png"
echo "run: no display, ran on Xvfb $DISPLAY; screenshot written to $SHOT_DIR/imprinta.png"
if kill -0 "$APP" 2>/dev/null; then
  # Close the window as a user would (Esc closes it), so the settings are written.
  for win in $(xdotool search --name Imprinta 2>/dev/null); do
    xdotool key --window "$win" Escape >/dev/null 2>&1 || true
  done
  for _ in $(seq 1 50); do kill -0 "$APP" 2>/dev/null || break; sleep 0.1; done
fi
wait "$APP" 2>/dev/null || true
