#!/bin/bash
# Picture and QR code fields through the command line, read back as a person's
# phone would: every code written is decoded by zbarimg to its row's exact text
# (levels L, M, Q and H, a 300-character address with Chinese in it, a
# transparent light colour, a centre picture); the row's photo fills its round
# box; rows whose photo is missing or whose text no code of its level holds
# fail with their row and column while the others are written, each skipped row
# in the record (which --resume then passes over); --check names the same rows
# in the same words without writing anything; the contact sheet shows the photos.
set -u
WINE_RUN="$1" PROGRAM="$2"
dir=$(mktemp -d /tmp/imprinta-fields.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cp "$PROGRAM" "$dir/Imprinta.exe"
mkdir "$dir/模板" "$dir/表"
convert -size 1080x1920 xc:'#f4f0e8' "$dir/模板/poster.png" &&
  convert -size 300x200 xc:'#0000ff' "$dir/表/blue.png" &&
  convert -size 64x64 xc:'#ff0000' "$dir/logo.png" || exit 1
printf '\x89PNG\r\n\x1a\nbroken after its signature' > "$dir/表/broken.png"  # fails only when decoded
printf 'a note, not a picture' > "$dir/表/note.png"

fail=0
check() { # what, got, want
  if [ "$2" != "$3" ]; then echo "FAIL $1: got [$2] want [$3]"; fail=1; else echo "ok   $1"; fi
}

logo="Z:${dir//\//\\}\\logo.png"
# One code of each level; Q's light colour is transparent, H carries the logo.
{
  printf '[配置]\r\n标题内容=\r\n字段数=5\r\n'
  printf '字段1类型=图片\r\n字段1文件={照片}\r\n字段1x=40\r\n字段1y=40\r\n字段1宽=300\r\n字段1高=300\r\n字段1缩放=填满\r\n字段1圆形=1\r\n'
  n=2
  for codeRow in "L 40 400 400 0" "M 540 400 400 0" "Q 40 900 400 1" "H 540 900 500 0"; do
    set -- $codeRow
    printf '字段%s类型=二维码\r\n字段%s内容={链接}\r\n字段%s纠错=%s\r\n字段%sx=%s\r\n字段%sy=%s\r\n字段%s大小=%s\r\n字段%s浅色透明=%s\r\n' \
      $n $n $n "$1" $n "$2" $n "$3" $n "$4" $n "$5"
    [ "$1" = H ] && printf '字段%s中心图片=%s\r\n' $n "$logo"
    n=$((n + 1))
  done
} | iconv -f UTF-8 -t GBK > "$dir/pz.ini"

long="https://活动.example.cn/报名?$(printf 'a%.0s' $(seq 1 200))&城市=上海&日期=2026-12-09&编号=0123456789abcdef0123456789"
long=${long:0:300}
huge=$(printf 'x%.0s' $(seq 1 2000))
{
  echo "标题,文件名,链接,照片"
  echo "扫码报名,张三,https://a.cn/1,blue.png"
  echo "活动,李四,$long,blue.png"
  echo "缺照片,王五,https://a.cn/3,missing.png"
  echo "太长,赵六,$huge,blue.png"
  echo "最后,孙七,扫码关注 https://a.cn/6,blue.png"
  echo "坏图,周八,https://a.cn/7,broken.png"
  echo "文字,吴九,https://a.cn/8,note.png"
} > "$dir/表/rows.csv"

# The check first: it writes nothing.
out=$(cd "$dir" && "$WINE_RUN" Imprinta.exe --batch --check --texts "表\\rows.csv" --templates 模板 --out 批量目录 2>/dev/null)
check "check: exit code (problems found)" "$?" 1
check "check: row 4's photo" "$(echo "$out" | grep -c '问题: 第 4 行: 字段1 ({照片}): 找不到图片文件 .*missing.png')" 1
check "check: row 5's code" "$(echo "$out" | grep -m1 -c '问题: 第 5 行: .*{链接}.*太长')" 1
check "check: row 8's file" "$(echo "$out" | grep -c '问题: 第 8 行: 字段1 ({照片}): 不是能读的图片')" 1
check "check: rows 2, 3 and 6 fine" "$(echo "$out" | grep -c '第 [236] 行')" 0
check "check: nothing written" "$(ls "$dir" | grep -c 批量目录)" 0

out=$(cd "$dir" && "$WINE_RUN" Imprinta.exe --batch --texts "表\\rows.csv" --templates 模板 --out 批量目录 2>/dev/null)
code=$?
echo "$out" | tail -12
check "exit code (some rows failed)" "$code" 1
check "row 4 named with its column" "$(echo "$out" | grep -m1 -c '第 4 行.*{照片}.*找不到图片文件')" 1
check "row 5 named with its column" "$(echo "$out" | grep -m1 -c '第 5 行.*{链接}.*太长')" 1
check "row 7 named when its photo is decoded" "$(echo "$out" | grep -c '跳过 第 7 行: 字段1 ({照片}): 不是能读的图片')" 1
check "row 8 named" "$(echo "$out" | grep -c '跳过 第 8 行: 字段1 ({照片}): 不是能读的图片')" 1
record=$(sed 's/\r$//' "$dir/批量目录/记录.csv")
for row in 4 5 7 8; do
  check "row $row in the record as skipped, with the reason" "$(echo "$record" | grep -c "^$row,,,跳过,\"\\?第 $row 行: ")" 1
done
out=$(cd "$dir" && "$WINE_RUN" Imprinta.exe --batch --resume --texts "表\\rows.csv" --templates 模板 --out 批量目录 2>/dev/null)
check "resume: the skipped rows passed over" "$(echo "$out" | grep -c '第 [4578] 行')" 0

declare -A want=([张三]="https://a.cn/1" [李四]="$long" [孙七]="扫码关注 https://a.cn/6")
for name in 张三 李四 孙七; do
  file="$dir/批量目录/1/$name.png"
  if [ ! -f "$file" ]; then check "$name written" missing present; continue; fi
  decoded=$(zbarimg -q --raw "$file" 2>/dev/null)
  check "$name: four codes" "$(printf '%s\n' "$decoded" | grep -c .)" 4
  check "$name: every code reads the row's text" "$(printf '%s\n' "$decoded" | sort -u)" "${want[$name]}"
  check "$name: photo in the circle's middle" "$(convert "$file" -format '%[hex:p{190,190}]' info:)" 0000FF
  check "$name: circle's corner left alone" "$(convert "$file" -format '%[hex:p{44,44}]' info:)" F4F0E8
done
# The contact sheet reads each row's photo beside the table too: the first
# thumbnail (row 2) shows it in its circle, 16 px in from the sheet's corner.
(cd "$dir" && "$WINE_RUN" Imprinta.exe --batch --contact-sheet sheet.png --texts "表\\rows.csv" --templates 模板 >/dev/null 2>&1)
check "contact sheet: row 2's photo in its thumbnail" \
  "$(convert "$dir/sheet.png" -format '%[hex:p{44,44}]' info: 2>/dev/null | cut -c1-6)" 0000FF
check "nothing written for the failed rows" "$(ls "$dir/批量目录/1" | LC_ALL=C sort | tr '\n' ' ')" \
  "$(printf '%s\n' 张三.png 李四.png 孙七.png | LC_ALL=C sort | tr '\n' ' ')"
exit $fail
