#!/bin/bash
# Runs two builds of the program over the same inputs and compares every file
# they write, byte for byte: each test template (PNG and JPEG kinds), plain
# and styled settings, PNG and JPEG output, one poster and a table of posters.
# For a change that must not alter what users get:
#   scripts/compare-outputs.sh OLD/Imprinta.exe NEW/Imprinta.exe
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
OLD="$(realpath "$1")" NEW="$(realpath "$2")"
WORK=$(mktemp -d /tmp/imprinta-compare.XXXXXX)
source "$ROOT/scripts/session.sh"
start_session
trap 'stop_session; rm -rf "$WORK"' EXIT

bash "$ROOT/scripts/make-test-templates.sh" "$WORK/all" >/dev/null
mkdir -p "$WORK/templates"
cp "$WORK"/all/*.png "$WORK"/all/*.jpg "$WORK/templates/"
# Settings: the defaults (an empty file), and every style setting away from its default.
: >"$WORK/plain.ini"
printf '[配置]\r\n标题大小=36\r\n文案大小=18\r\n标题字体x=20\r\n标题字体y=30\r\n文案字体x=120\r\n文案字体y=120\r\n' >"$WORK/styled.ini"
printf '标题字体名称=宋体\r\n文案字体名称=黑体\r\n标题对齐=1\r\n标题描边宽度=3\r\n标题描边颜色=16777215\r\n' >>"$WORK/styled.ini"
printf '标题阴影x=4\r\n标题阴影y=5\r\n标题阴影不透明度=60\r\n标题阴影模糊=3\r\n文案行距=150\r\n文案最大宽度=100\r\n' >>"$WORK/styled.ini"
printf '文案对齐=2\r\n文案超宽处理=0\r\n标题定位=1\r\n标题参考宽=480\r\n标题参考高=640\r\n' >>"$WORK/styled.ini"
iconv -f UTF-8 -t GBK "$WORK/styled.ini" >"$WORK/styled-gbk.ini"
printf '标题,文案,文件名\n夏日促销,"第一行\n第二行",a\n秋季上新,满100减20 全场包邮 活动时间有限,\n冬至,,c\n' >"$WORK/table.csv"

runs=0
for settings in plain styled-gbk; do
  for format in png jpg; do
    for input in single table; do
      args=(--batch --templates "Z:${WORK//\//\\}\\templates" --settings "Z:${WORK//\//\\}\\$settings.ini"
            --format "$format" --jobs 2)
      if [ "$input" = table ]; then args+=(--texts "Z:${WORK//\//\\}\\table.csv"); else args+=(--title 标题样张 --body '第一行\n第二行'); fi
      for side in old new; do
        exe="$OLD"; [ "$side" = new ] && exe="$NEW"
        out="$WORK/out-$side/$settings-$format-$input"
        mkdir -p "$out" "$WORK/logs"
        code=0
        wine "$exe" "${args[@]}" --out "Z:${out//\//\\}" >"$WORK/logs/$side-$settings-$format-$input" 2>&1 || code=$?
        echo "$code" >>"$WORK/logs/codes-$side"
      done
      runs=$((runs + 1))
    done
  done
done
files=$(find "$WORK/out-old" -type f | wc -l)
cmp -s "$WORK/logs/codes-old" "$WORK/logs/codes-new" || { echo "compare: exit codes differ"; exit 1; }
if diff -r "$WORK/out-old" "$WORK/out-new" >"$WORK/diff.txt"; then
  echo "compare: $runs runs, $files files, every file the same byte for byte"
else
  echo "compare: outputs differ:"; head -20 "$WORK/diff.txt"; exit 1
fi
