#!/bin/bash
# Times one preview (two DrawTextOnPicture passes) on a 1080 x 1920 PNG template
# under Wine, then ImageMagick decoding the same template, drawing the same two
# texts and writing a PNG. Usage: scripts/bench-renderer.sh (after a build).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
EXE="$BUILD/tests/renderer/bench_renderer.exe"
[ -f "$EXE" ] || cmake --build "$BUILD" --target bench_renderer
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
WORK="$(mktemp -d)"
cp "$EXE" "$WORK/"
(cd "$WORK" && wine ./bench_renderer.exe)

FONT=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
TITLE='公众号标题：今日份的好心情'
BODY=$'第一行正文文字\n第二行正文文字，稍长一些\n第三行'
best=""
for i in 1 2 3 4 5; do
  start=$(date +%s%N)
  convert "$WORK/bench-template.png" -font "$FONT" -stroke none \
    -fill '#FF0000' -pointsize 72 -gravity NorthWest -annotate +120+120 "$TITLE" \
    -fill '#FFFFFF' -pointsize 48 -annotate +120+400 "$BODY" "$WORK/bench-magick.png"
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  all="${all:-}${all:+ }$ms"
done
echo "ImageMagick (decode, two texts, PNG write): best ${best} ms; runs: ${all} ms"
echo "pictures: $WORK/bench-preview.png $WORK/bench-magick.png"
