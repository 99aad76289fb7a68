#!/bin/bash
# The table batch's check (--check) on 10,000 rows (or ROWS) of varied titles
# and bodies over one 1080 x 1920 template, timed whole (the Wine process
# start included) and as the program counts it. Usage: scripts/bench-check.sh [rows]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"
ROWS="${1:-10000}"
cmake --build "$BUILD" --target Imprinta >/dev/null
P="$BUILD/bench-check"
mkdir -p "$P/模板"
cp "$BUILD/Imprinta.exe" "$P/"
[ -s "$P/模板/t.png" ] || convert -size 1080x1920 xc:'#f3e3c3' -depth 8 "$P/模板/t.png"
printf '[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=72\r\n文案大小=40\r\n标题字体x=80\r\n标题字体y=160\r\n文案字体x=80\r\n文案字体y=420\r\n文案最大宽度=900\r\n文案超宽处理=1\r\n标题颜色=255\r\n文案颜色=0\r\n' |
  iconv -f UTF-8 -t GBK >"$P/pz.ini"
# Titles of 4 to 17 characters drawn from a few hundred common ones, so most
# rows fit and some run beyond the picture.
/usr/bin/python3 - "$P/rows.csv" "$ROWS" <<'PY'
import random, sys
random.seed(5)
common = "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打白教速花带安场身车例真务具万每目至达走积示议声报斗完类八离华名确才科张信马节话米整空元况今集温传土许步群广石记需段研界拉林律叫且究观越织装影算低持音众书布复容儿须际商非验连断深难近矿千周委素技备半办青省列习响约支般史感劳便团往酸历市克何除消构府称太准精值号率族维划选标写存候毛亲快效斯院查江型眼王按格养易置派层片始却专状育厂京识适属圆包火住调满县局照参红细引听该铁价严"
with open(sys.argv[1], "w", encoding="utf-8-sig") as f:
    f.write("标题,文案,文件名\n")
    for r in range(1, int(sys.argv[2]) + 1):
        title = "".join(random.choice(common) for _ in range(random.randint(4, 17)))
        body = "\\n".join("".join(random.choice(common) for _ in range(random.randint(8, 30))) for _ in range(3))
        f.write(f"{title},{body},海报{r}\n")
PY
source "$ROOT/scripts/session.sh"
start_session
trap stop_session EXIT
s=$(date +%s.%N)
(cd "$P" && wine Imprinta.exe --batch --check --texts rows.csv --out out) | tail -1 || true
echo "check of $ROWS rows, whole process: $(echo "$(date +%s.%N) - $s" | bc) s"
# The same rows with a photo (a round picture field) and a QR code each: every
# row's file looked at and every code sized. Ten photos of 1200 x 1600, by ten
# names each, so the rows name as many files as a batch of real photos would.
mkdir -p "$P/照片"
for i in $(seq 1 10); do
  [ -s "$P/照片/s$i.jpg" ] || convert -size 1200x1600 -seed "$((40 + i))" plasma:fractal -quality 90 "$P/照片/s$i.jpg"
done
for r in $(seq 1 "$ROWS"); do
  [ -e "$P/照片/p$r.jpg" ] || ln "$P/照片/s$(( (r - 1) % 10 + 1 )).jpg" "$P/照片/p$r.jpg"
done
{ iconv -f GBK -t UTF-8 "$P/pz.ini"
  printf '字段数=2\r\n字段1类型=图片\r\n字段1文件=照片\\p{编号}.jpg\r\n字段1x=80\r\n字段1y=900\r\n字段1宽=520\r\n字段1高=520\r\n字段1圆形=1\r\n'
  printf '字段2类型=二维码\r\n字段2内容=https://example.cn/活动/报名?编号={编号}\r\n字段2纠错=M\r\n字段2x=640\r\n字段2y=1400\r\n字段2大小=360\r\n'
} | iconv -f UTF-8 -t GBK >"$P/fields.ini"
awk -F, 'NR == 1 { print $0 ",编号"; next } { print $0 "," NR - 1 }' "$P/rows.csv" >"$P/rows-fields.csv"
s=$(date +%s.%N)
(cd "$P" && wine Imprinta.exe --batch --check --settings fields.ini --texts rows-fields.csv --out out) | tail -1 || true
echo "check of $ROWS rows with a photo and a QR code each, whole process: $(echo "$(date +%s.%N) - $s" | bc) s"
# The contact sheet of the first 100 rows: 100 posters at thumbnail size.
head -101 "$P/rows.csv" >"$P/rows100.csv"
s=$(date +%s.%N)
(cd "$P" && wine Imprinta.exe --batch --texts rows100.csv --contact-sheet sheet.png) | tail -1 || true
echo "contact sheet of 100 posters, whole process: $(echo "$(date +%s.%N) - $s" | bc) s"
