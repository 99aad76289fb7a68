#!/bin/bash
# One table shared by three shards run at once by GNU parallel, each into an
# output folder of its own as on its own machine: together they hold one
# run's files byte for byte, no file twice, and their records add up to its.
set -u
WINE_RUN="$1" PROGRAM="$2"
command -v parallel >/dev/null || { echo "GNU parallel is not installed (scripts/setup.sh)"; exit 1; }
dir=$(mktemp -d /tmp/imprinta-shards.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
cp "$PROGRAM" Imprinta.exe
mkdir 模板
convert -size 360x640 gradient:'#fbf1dc-#d9a66b' -depth 8 模板/a.png
convert -size 360x640 xc:'#4a7ab8' -quality 90 模板/b.jpg
printf '[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=30\r\n文案大小=18\r\n标题字体x=20\r\n标题字体y=20\r\n文案字体x=20\r\n文案字体y=80\r\n标题颜色=255\r\n文案颜色=0\r\n' |
  iconv -f UTF-8 -t GBK >pz.ini
{
  echo '标题,文案,文件名'
  for i in $(seq 1 29); do echo "第${i}张海报,正文第 ${i} 行,海报${i}"; done
  echo '坏行,名字不行,a/b'   # a row every run refuses: its shard records it
} >t.csv
fail=0
check() { if ! eval "$1"; then echo "FAILED: $2"; fail=1; fi; }

"$WINE_RUN" Imprinta.exe --batch --texts t.csv --out one >one.log 2>&1
parallel -j 3 "'$WINE_RUN'" Imprinta.exe --batch --texts t.csv --out 'part{}' --shard '{}/3' '>part{}.log' '2>&1' ::: 1 2 3

files() { (cd "$1" && find . -type f ! -name '*.csv' | sort); }
files one >one.files
for k in 1 2 3; do files "part$k"; done | sort >parts.files
check '[ "$(wc -l <one.files)" = 58 ]' "one run writes 29 rows x 2 templates ($(wc -l <one.files) files)"
check 'cmp -s one.files parts.files' "the shards' files are one run's, none twice: $(diff one.files parts.files | head -5)"
for k in 1 2 3; do
  (cd "part$k" && find . -type f ! -name '*.csv') | while read -r f; do
    cmp -s "one/$f" "part$k/$f" || echo "$f differs"
  done
done >differ.txt
check '[ ! -s differ.txt ]' "bytes differ: $(head -3 differ.txt)"
# Records: each poster and refused row once, in the shard that took its row.
entries() { for f in "$@"; do tail -n +2 "$f"; done | grep -v ',开始,\|,完成,' | cut -d, -f1,2,4 | tr -d '\r' | sort; }
entries one/记录.csv >one.entries
entries part1/记录-1-3.csv part2/记录-2-3.csv part3/记录-3-3.csv >parts.entries
check '[ "$(grep -c ,写出 one.entries)" = 58 ] && [ "$(grep -c ,跳过 one.entries)" = 1 ]' "one run's record: $(sort one.entries | cut -d, -f3 | uniq -c | tr '\n' ' ')"
check 'cmp -s one.entries parts.entries' "the shards' records do not add up: $(diff one.entries parts.entries | head -5)"
check 'grep -q "^31,,,跳过" part2/记录-2-3.csv' "row 31 (31 mod 3 = 1) is shard 2's"
[ "$fail" = 0 ] && echo "shards: 3 x GNU parallel = one run (58 files, 59 record lines)"
exit "$fail"
