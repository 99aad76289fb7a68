#!/bin/bash
# Makes a ready program folder's samples (drawn here with ImageMagick, nothing
# taken from elsewhere): 1.png and a few templates in 模板, one of them in a
# sub-folder, all 1080 x 1920 (the batch needs one size), and a pz.ini with the
# form's own sizes and positions, a red title and a dark body, so the first
# start shows a poster with both texts. Existing files are kept. No dates are
# stored in the pictures, so the package's samples are the same at every build.
set -euo pipefail
DEST="$1"
mkdir -p "$DEST/模板/节日"
WIDTH=1080 HEIGHT=1920
# A light card behind the texts (title at y 120, body from y 260) on a
# gradient, and a bar near the bottom.
make_template() {  # file top-colour bottom-colour
  [ -f "$1" ] && return 0
  convert -size "${WIDTH}x${HEIGHT}" "gradient:$2-$3" \
    -fill 'rgba(255,255,255,0.55)' -draw "roundrectangle 60,60 $((WIDTH-60)),720 36,36" \
    -fill 'rgba(255,255,255,0.35)' -draw "roundrectangle 60,780 $((WIDTH-60)),$((HEIGHT-260)) 36,36" \
    -fill 'rgba(255,255,255,0.6)' -draw "rectangle 90,$((HEIGHT-180)) $((WIDTH-90)),$((HEIGHT-156))" -depth 8 \
    -define png:exclude-chunks=date,time -strip "$1"
}
make_template "$DEST/1.png" '#fbf1dc' '#d9a66b'
make_template "$DEST/模板/海报-蓝.png" '#eef6ff' '#4a7ab8'
make_template "$DEST/模板/海报-绿.jpg" '#f1faee' '#5c9a56'
make_template "$DEST/模板/节日/红色.png" '#fff1ec' '#c0392b'

# Colours are 0x00BBGGRR in decimal; fonts are list positions (0: the first).
TITLE_RED=$(( (40 << 16) | (40 << 8) | 200 ))
BODY_DARK=$(( (54 << 16) | (47 << 8) | 43 ))
if [ ! -f "$DEST/pz.ini" ]; then
  printf '[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=50\r\n文案大小=25\r\n标题字体x=120\r\n标题字体y=120\r\n文案字体x=120\r\n文案字体y=260\r\n标题颜色=%d\r\n文案颜色=%d\r\n' \
    "$TITLE_RED" "$BODY_DARK" | iconv -f UTF-8 -t GBK > "$DEST/pz.ini"
fi
