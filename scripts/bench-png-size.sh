#!/bin/bash
# Kept PNG sizes against Pillow's default save: one poster (the window's sample
# title and five-line body) on every kind of 1080 x 1920 template from the
# command line, each file beside Pillow saving the same pixels and Pillow's
# own drawing of the same texts. Usage: scripts/bench-png-size.sh (after a build)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
cmake --build "$BUILD" --target Imprinta >/dev/null
/usr/bin/python3 -c 'import PIL' 2>/dev/null || apt-get install -y -q python3-pil >/dev/null
P="$BUILD/bench-png-size"
T="$P/模板"
rm -rf "$P/out"; mkdir -p "$T"
cp "$BUILD/Imprinta.exe" "$P/"
make() { local file="$1"; shift; [ -s "$T/$file" ] || convert "$@" "$T/$file"; }
make single.png -size 1080x1920 xc:'#f3e3c3' -depth 8
make flat.png -size 1080x1920 -depth 8 gradient:'#f7e8c8-#d9a66b' -fill 'rgba(255,255,255,0.35)' \
  -draw "roundrectangle 40,40 1040,1880 30,30" -fill '#c0392b' -draw "rectangle 60,1700 1020,1780"
make photo.png -size 1080x1920 -seed 7 plasma:fractal -blur 0x0.6 -depth 8
make photo.jpg "$T/photo.png" -quality 90
make progressive.jpg "$T/photo.png" -sampling-factor 2x2 -interlace Plane -quality 85
[ -s "$T/deep16.png" ] || convert "$T/photo.png" -depth 16 PNG48:"$T/deep16.png"
bash "$ROOT/scripts/make-samples.sh" "$P/samples" >/dev/null
cp "$P/samples/1.png" "$T/sample.png"; cp "$P/samples/模板/海报-绿.jpg" "$T/sample.jpg"
printf '[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=50\r\n文案大小=25\r\n标题字体x=120\r\n标题字体y=120\r\n文案字体x=120\r\n文案字体y=400\r\n标题颜色=255\r\n文案颜色=3355443\r\n' |
  iconv -f UTF-8 -t GBK >"$P/pz.ini"
TITLE='这是一个测试标题'
BODY='1、橘子味道很芳香，令我流连忘返。\n\n2、橘子又甜又香那是秋天发出的气息。\n\n3、橘子含大量维C，味道为酸味或者甜味。\n\n4、桔子的味道酸酸甜甜的，我最爱吃桔子了。\n\n5、一个个黄澄澄的橘子挂在树上就好像小灯笼一样。'
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
(cd "$P" && wine Imprinta.exe --batch --jobs 2 --format png --out out --title "$TITLE" --body "$BODY") |
  sed -n 's|.*模板\\\(.*\) -> \(.*\)|\1\t\2|p' | tr '\\' '/' >"$P/made.tsv"
/usr/bin/python3 - "$P" "$TITLE" "$BODY" <<'PY'
import io, os, sys
from PIL import Image, ImageDraw, ImageFont
folder, title, body = sys.argv[1], sys.argv[2], sys.argv[3].replace("\\n", "\n")
font = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
def saved(im):
    out = io.BytesIO(); im.save(out, "PNG"); return len(out.getvalue())
print(f"{'template':16s} | {'Imprinta':>9s} | {'Pillow, same pixels':>19s} | {'Pillow, own drawing':>19s}")
worst = 0
for line in open(f"{folder}/made.tsv", encoding="utf-8"):
    name, made = line.rstrip("\n").split("\t")
    ours = os.path.getsize(f"{folder}/{made}")
    same = saved(Image.open(f"{folder}/{made}"))
    im = Image.open(f"{folder}/模板/{name}").convert("RGB"); d = ImageDraw.Draw(im)
    d.text((120, 120), title, font=ImageFont.truetype(font, 50), fill=(255, 0, 0))
    d.multiline_text((120, 400), body, font=ImageFont.truetype(font, 25), fill=(51, 51, 51))
    own = saved(im)
    worst = max(worst, ours / same)
    print(f"{name:16s} | {ours:9d} | {same:9d} ({ours / same * 100:5.1f} %) | {own:9d} ({ours / own * 100:5.1f} %)")
print(f"largest kept PNG against Pillow's save of the same pixels: {worst * 100:.1f} %")
PY
