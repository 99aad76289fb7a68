#!/bin/bash
# Keystroke-to-preview benchmark through the real window under Wine, side by side
# with Pillow (in one Python process: decode, the same two texts, PNG save at its
# default level) and ImageMagick (one convert process) on the same templates, with
# the PNG sizes of all three; then start-up, memory over many refreshes, the
# batch, and the large templates. Usage: scripts/bench-preview.sh [keystrokes]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
KEYS="${1:-15}"
cmake --build "$BUILD" --target bench_preview Imprinta >/dev/null
command -v /usr/bin/python3 >/dev/null && /usr/bin/python3 -c 'import PIL' 2>/dev/null ||
  { apt-get install -y -q python3-pil >/dev/null; }
T="$BUILD/bench-templates"
mkdir -p "$T"
make() { local file="$1"; shift; [ -s "$T/$file" ] || convert "$@" "$T/$file"; }
make flat.png -size 1080x1920 -depth 8 gradient:'#f7e8c8-#d9a66b' -fill 'rgba(255,255,255,0.35)' \
  -draw "roundrectangle 40,40 1040,1880 30,30" -fill '#c0392b' -draw "rectangle 60,1700 1020,1780"
make photo.png -size 1080x1920 -seed 7 plasma:fractal -blur 0x0.6 -depth 8
make photo.jpg "$T/photo.png" -quality 90
[ -s "$T/deep16.png" ] || convert "$T/photo.png" -depth 16 PNG48:"$T/deep16.png"
make progressive.jpg "$T/photo.png" -sampling-factor 2x2 -interlace Plane -quality 85
# Camera-sized pictures exceed ImageMagick's resource policy: a plasma enlarged with grain.
large() {  # file width height seed
  [ -s "$T/$1" ] && return 0
  convert -size 1500x1000 -seed "$4" plasma:fractal -depth 8 "$T/seed-$1.png"
  /usr/bin/python3 - "$T/seed-$1.png" "$T/$1" "$2" "$3" <<'PY'
import sys
from PIL import Image
src, dst, w, h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
big = Image.open(src).convert("RGB").resize((w, h), Image.BICUBIC)
grain = Image.effect_noise((w, h), 24).convert("RGB")
Image.blend(big, grain, 0.12).save(dst, quality=92)
PY
  rm -f "$T/seed-$1.png"
}
large camera.jpg 6000 4000 21
large phone.jpg 3120 4208 25   # about 13 M pixels, 4:2:0 (Pillow's default subsampling)
large huge.jpg 8000 8000 23
for i in 1 2 3 4 5; do make "batch$i.png" -size 1080x1920 -seed "$((30 + i))" plasma:fractal -blur 0x0.6 -depth 8; done

FONT=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
TITLE='这是一个测试标题字a1'
BODY=$'1、橘子味道很芳香，令我流连忘返。\n\n2、橘子又甜又香那是秋天发出的气息。\n\n3、橘子含大量维C，味道为酸味或者甜味。'
pillow() {  # template -> "median_seconds png_bytes"
  /usr/bin/python3 - "$1" "$FONT" "$TITLE" "$BODY" <<'PY'
import io, sys, time
from PIL import Image, ImageDraw, ImageFont
path, font, title, body = sys.argv[1:5]
big, small = ImageFont.truetype(font, 50), ImageFont.truetype(font, 25)
times = []
for _ in range(5):
    t = time.perf_counter()
    im = Image.open(path); im.load()
    d = ImageDraw.Draw(im)
    d.text((120, 120), title, font=big, fill=(255, 0, 0))
    d.multiline_text((120, 400), body, font=small, fill=(51, 51, 51))
    out = io.BytesIO(); im.save(out, "PNG")
    times.append(time.perf_counter() - t)
times.sort()
print("%.3f %d" % (times[len(times) // 2], len(out.getvalue())))
PY
}
magick() {  # template -> "median_seconds png_bytes"
  local out; out=$(mktemp --suffix=.png); local all=()
  for i in 1 2 3; do
    local s; s=$(date +%s%N)
    convert "$1" -font "$FONT" -fill red -pointsize 50 -annotate +120+170 "$TITLE" \
      -fill '#333333' -pointsize 25 -annotate +120+425 "$BODY" "$out"
    all+=($(( ($(date +%s%N) - s) / 1000000 )))
  done
  IFS=$'\n' sorted=($(sort -n <<<"${all[*]}")); unset IFS
  printf '%d.%03d %d\n' $((sorted[1] / 1000)) $((sorted[1] % 1000)) "$(stat -c %s "$out")"
  rm -f "$out"
}

source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
BENCH="$BUILD/tests/app/bench_preview.exe"
ours() { wine "$BENCH" "$(winepath -w "$T/$1")" "${@:2}" 2>/dev/null | tr -d '\r'; }
value() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }

printf '%-15s | %-34s | %-24s | %-24s | %s\n' template "Imprinta: keystroke->preview (s), PNG" "Pillow in-process (s), PNG" "ImageMagick process (s), PNG" "x Pillow"
for t in flat.png photo.png photo.jpg deep16.png progressive.jpg phone.jpg camera.jpg; do
  keys=$KEYS; [ "$t" = camera.jpg ] && keys=5
  o=$(ours "$t" "$keys")
  read -r pt ps <<<"$(pillow "$T/$t")"
  read -r mt ms <<<"$(magick "$T/$t")"
  k=$(value keystroke_median_s "$o")
  printf '%-15s | %6s (min %s max %s) %9s B | %6s %11s B | %6s %11s B | %s\n' "$t" \
    "$k" "$(value keystroke_min_s "$o")" "$(value keystroke_max_s "$o")" \
    "$(value export_png_bytes "$o")" "$pt" "$ps" "$mt" "$ms" "$(awk -v a="$pt" -v b="$k" 'BEGIN { if (b > 0) printf "%.1f", a / b }')"
  starts="${starts:-}$t: $(value start_to_window_s "$o") s (peak working set $(value peak_working_set_mb "$o") MB, export $(value export_s "$o") s at once, $(value export_after_pause_s "$o") s after a pause); "
done
echo "start -> window shown: $starts"
o=$(ours huge.jpg 1)
echo "8000 x 8000 JPEG template: start -> window $(value start_to_window_s "$o") s, keystroke $(value keystroke_median_s "$o") s, peak working set $(value peak_working_set_mb "$o") MB"
o=$(IMPRINTA_BENCH_BODY=10000 ours photo.jpg "$KEYS")
echo "photo JPEG with a 10,000-character body: keystroke in the title $(value keystroke_median_s "$o") s (min $(value keystroke_min_s "$o") max $(value keystroke_max_s "$o"))"
o=$(IMPRINTA_BENCH_BODY=10000 IMPRINTA_BENCH_TYPE_IN=body ours photo.jpg "$KEYS")
echo "photo JPEG with a 10,000-character body: keystroke at the body's end $(value keystroke_median_s "$o") s (min $(value keystroke_min_s "$o") max $(value keystroke_max_s "$o"))"
o=$(IMPRINTA_BENCH_FIELDS="$(winepath -w "$T/phone.jpg")" ours photo.jpg "$KEYS")
echo "photo JPEG with a picture field (a 13 M pixel phone photo in a round box) and a QR code (level H, a centre picture): keystroke $(value keystroke_median_s "$o") s (min $(value keystroke_min_s "$o") max $(value keystroke_max_s "$o"))"
o=$(IMPRINTA_BENCH_VERTICAL=1 IMPRINTA_BENCH_TYPE_IN=body ours photo.png "$KEYS")
echo "photo-like PNG with a vertical 10-line poem (竖排, 40 px): keystroke at the poem's end $(value keystroke_median_s "$o") s (min $(value keystroke_min_s "$o") max $(value keystroke_max_s "$o"))"
o=$(ours photo.png 0 1000)
echo "photo-like PNG, 1000 refreshes: working set $(value working_set_after_101_mb "$o") MB after 101, $(value working_set_after_1000_mb "$o") MB after 1000, peak $(value peak_working_set_mb "$o") MB"
b=$(wine "$BENCH" --batch $(for i in 1 2 3 4 5; do winepath -w "$T/batch$i.png"; done) 2>/dev/null | tr -d '\r')
echo "batch, 5 photo-like 1080 x 1920 templates: $(value batch_per_template_s "$b") s per template, $(value batch_beyond_pauses_s "$b") s beyond its two 100 ms pauses"
