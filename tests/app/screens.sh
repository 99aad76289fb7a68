#!/bin/bash
# Runs the window-fit cases of test_app on the screens people have: 1366 x 768,
# 1280 x 720, and 1920 x 1080 at 150 % (LogPixels 144). Each screen is an Xvfb
# of that size; Wine takes the screen size when its wineserver starts, so the
# cases run in a prefix of their own whose wineserver this script restarts.
#   tests/app/screens.sh <test_app.exe> [sizes...]
set -u
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
TEST_EXE="$1"; shift
SIZES=("$@")
[ ${#SIZES[@]} -eq 0 ] && SIZES=(1366x768 1280x720 1920x1080@144)
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
bash "$ROOT/scripts/make-prefix.sh" "$BUILD/screens" || exit 1
source "$ROOT/scripts/wine-env.sh"
export WINEPREFIX="$BUILD/screens/wineprefix"
FILTER="WindowFit.*:WindowExtras.Dragging*"
XVFB=""
finish() {
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  [ -n "$XVFB" ] && { kill "$XVFB" 2>/dev/null; wait "$XVFB" 2>/dev/null; }
  XVFB=""
}
trap finish EXIT
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  wineserver -w
}
status=0
for size in "${SIZES[@]}"; do
  geometry="${size%@*}"; dpi=96
  [ "$geometry" != "$size" ] && dpi="${size#*@}"
  fd_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 "${geometry}x24" -nolisten tcp >"$fd_file" 2>/dev/null &
  XVFB=$!
  for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$fd_file")"
  rm -f "$fd_file"
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  set_dpi "$dpi"
  wine wineboot </dev/null >/dev/null 2>&1
  echo "== screen $geometry at $dpi dpi =="
  IMPRINTA_SCREEN_DPI="$dpi" wine "$TEST_EXE" --gtest_filter="$FILTER" --gtest_color=no || status=1
  [ "$dpi" != 96 ] && set_dpi 96
  finish
done
exit $status
