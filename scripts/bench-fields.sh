#!/bin/bash
# A table batch of posters that each carry their own photo (a round picture
# field) and their own QR code, beside a Pillow + qrcode script doing the same
# in one Python process: decode the template and the row's photo, fill the
# round box, make the code (level M, whole-pixel modules), draw the two texts,
# save a PNG. Usage: scripts/bench-fields.sh [rows] (default 100)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
ROWS="${1:-100}"
cmake --build "$BUILD" --target Imprinta >/dev/null
/usr/bin/python3 -c 'import PIL, qrcode' 2>/dev/null || apt-get install -y -q python3-pil python3-qrcode >/dev/null
P="$BUILD/bench-fields"
rm -rf "$P/out"; mkdir -p "$P/模板" "$P/表" "$P/out"
cp "$BUILD/Imprinta.exe" "$P/"
[ -s "$P/模板/t.png" ] || convert -size 1080x1920 -seed 3 plasma:fractal -blur 0x0.6 -depth 8 "$P/模板/t.png"
# Phone-like photos (1200 x 1600 JPEG), a file of its own for every row.
for i in $(seq 1 10); do
  [ -s "$P/seed$i.jpg" ] || convert -size 1200x1600 -seed "$((40 + i))" plasma:fractal -quality 90 "$P/seed$i.jpg"
done
for r in $(seq 1 "$ROWS"); do cp -n "$P/seed$(( (r - 1) % 10 + 1 )).jpg" "$P/表/p$r.jpg"; done
{
  printf '[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=96\r\n文案大小=48\r\n标题字体x=80\r\n标题字体y=160\r\n'
  printf '文案字体x=80\r\n文案字体y=420\r\n标题颜色=255\r\n文案颜色=16777215\r\n文案内容=限时优惠\r\n字段数=2\r\n'
  printf '字段1类型=图片\r\n字段1文件={照片}\r\n字段1x=80\r\n字段1y=900\r\n字段1宽=520\r\n字段1高=520\r\n字段1缩放=填满\r\n字段1圆形=1\r\n'
  printf '字段2类型=二维码\r\n字段2内容={链接}\r\n字段2纠错=M\r\n字段2x=640\r\n字段2y=1400\r\n字段2大小=360\r\n'
} | iconv -f UTF-8 -t GBK >"$P/pz.ini"
{
  echo "标题,链接,照片"
  for r in $(seq 1 "$ROWS"); do echo "新品上市 $r,https://example.cn/活动/报名?编号=$r,p$r.jpg"; done
} >"$P/表/rows.csv"
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
rate() { echo "scale=1; $ROWS / $1" | bc; }
s=$(date +%s.%N)
(cd "$P" && wine Imprinta.exe --version >/dev/null) || true
START=$(echo "$(date +%s.%N) - $s" | bc)
for jobs in 1 2; do
  s=$(date +%s.%N)
  (cd "$P" && wine Imprinta.exe --batch --texts '表\rows.csv' --jobs "$jobs" --out "out\\$jobs" >/dev/null) || true
  t=$(echo "$(date +%s.%N) - $s" | bc)
  echo "imprinta png jobs=$jobs: $ROWS posters with a photo and a QR code in ${t} s = $(rate "$t") posters/s ($(rate "$(echo "$t - $START" | bc)") beyond the start), $(ls "$P/out/$jobs/1" | wc -l) files"
done
/usr/bin/python3 - "$P" "$ROWS" <<'PY'
import sys, time, io
from PIL import Image, ImageDraw, ImageFont, ImageOps
import qrcode
folder, rows = sys.argv[1], int(sys.argv[2])
font = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
title, body = ImageFont.truetype(font, 96), ImageFont.truetype(font, 48)
mask = Image.new("L", (520, 520), 0)
ImageDraw.Draw(mask).ellipse((0, 0, 519, 519), fill=255)
start = time.time()
for r in range(1, rows + 1):
    im = Image.open(f"{folder}/模板/t.png").convert("RGB")
    photo = ImageOps.fit(Image.open(f"{folder}/表/p{r}.jpg").convert("RGB"), (520, 520))
    im.paste(photo, (80, 900), mask)
    qr = qrcode.QRCode(error_correction=qrcode.constants.ERROR_CORRECT_M, border=4, box_size=1)
    qr.add_data(f"https://example.cn/活动/报名?编号={r}")
    qr.make(fit=True)
    code = qr.make_image().convert("RGB")
    module = 360 // code.size[0]
    code = code.resize((code.size[0] * module, code.size[1] * module), Image.NEAREST)
    im.paste(code, (640 + (360 - code.size[0]) // 2, 1400 + (360 - code.size[1]) // 2))
    d = ImageDraw.Draw(im)
    d.text((80, 160), f"新品上市 {r}", font=title, fill=(255, 0, 0))
    d.text((80, 420), "限时优惠", font=body, fill=(255, 255, 255))
    im.save(io.BytesIO(), "PNG")
t = time.time() - start
print(f"pillow + qrcode png one process: {rows} posters in {t:.2f} s = {rows / t:.1f} posters/s")
PY
