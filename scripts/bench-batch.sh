#!/bin/bash
# Command-line batch throughput: posters per second for 5 photo-like 1080 x 1920
# templates x ROWS table rows, PNG and JPEG, one thread and two, beside Pillow in
# one Python process (decode, the same two texts, PNG at its default level and
# JPEG at quality 90 4:2:0). Usage: scripts/bench-batch.sh [rows] (default 8)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
ROWS="${1:-8}"
cmake --build "$BUILD" --target Imprinta >/dev/null
/usr/bin/python3 -c 'import PIL' 2>/dev/null || apt-get install -y -q python3-pil >/dev/null
P="$BUILD/bench-batch"
rm -rf "$P/out"; mkdir -p "$P/模板" "$P/out"
cp "$BUILD/Imprinta.exe" "$P/"
for i in 1 2 3 4 5; do
  [ -s "$P/模板/t$i.png" ] || convert -size 1080x1920 -seed "$i" plasma:fractal -blur 0x0.6 -depth 8 "$P/模板/t$i.png"
done
printf '[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=96\r\n文案大小=48\r\n标题字体x=80\r\n标题字体y=160\r\n文案字体x=80\r\n文案字体y=420\r\n标题颜色=255\r\n文案颜色=16777215\r\n' |
  iconv -f UTF-8 -t GBK >"$P/pz.ini"
: >"$P/rows.txt"
for r in $(seq 1 "$ROWS"); do printf '新品上市 %d\t限时优惠 第 %d 场\\n欢迎光临\n' "$r" "$r" >>"$P/rows.txt"; done
POSTERS=$((ROWS * 5))
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
rate() { echo "scale=1; $POSTERS / $1" | bc; }
# A Wine process start is part of every whole run; it is timed on its own
# (the program answering --version) so the rate beyond it can be given too.
s=$(date +%s.%N)
(cd "$P" && wine Imprinta.exe --version >/dev/null) || true
START=$(echo "$(date +%s.%N) - $s" | bc)
echo "program start (wine, --version): ${START} s"
for fmt in png jpg; do
  for jobs in 1 2; do
    s=$(date +%s.%N)
    (cd "$P" && wine Imprinta.exe --batch --texts rows.txt --format "$fmt" --jobs "$jobs" --out "out\\$fmt-$jobs" >/dev/null) || true
    e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc)
    echo "imprinta $fmt jobs=$jobs: $POSTERS posters in ${t} s = $(rate "$t") posters/s ($(rate "$(echo "$t - $START" | bc)") beyond the start)"
  done
done
/usr/bin/python3 - "$P" "$ROWS" <<'PY'
import sys, time, io
from PIL import Image, ImageDraw, ImageFont
folder, rows = sys.argv[1], int(sys.argv[2])
font = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
title, body = ImageFont.truetype(font, 96), ImageFont.truetype(font, 48)
for fmt in ("png", "jpg"):
    start = time.time()
    for r in range(1, rows + 1):
        for i in range(1, 6):
            im = Image.open(f"{folder}/模板/t{i}.png").convert("RGB")
            d = ImageDraw.Draw(im)
            d.text((80, 160), f"新品上市 {r}", font=title, fill=(255, 0, 0))
            d.text((80, 420), f"限时优惠 第 {r} 场\n欢迎光临", font=body, fill=(255, 255, 255))
            out = io.BytesIO()
            if fmt == "png":
                im.save(out, "PNG")
            else:
                im.save(out, "JPEG", quality=90, subsampling=2)
    t = time.time() - start
    print(f"pillow {fmt} one process: {rows * 5} posters in {t:.2f} s = {rows * 5 / t:.1f} posters/s")
PY
# Posters with a photo and a QR code each, beside Pillow + qrcode.
"$ROOT/scripts/bench-fields.sh"
