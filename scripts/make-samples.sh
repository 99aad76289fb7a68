#!/bin/bash
# Makes the sample template pictures of a ready program folder (drawn here with
# ImageMagick, nothing taken from elsewhere): 1.png and a few in 模板, one of them
# in a sub-folder.
set -euo pipefail
DEST="$1"
mkdir -p "$DEST/模板/节日"
make_template() {  # file width height top-colour bottom-colour
  [ -f "$1" ] && return 0
  convert -size "$2x$3" "gradient:$4-$5" \
    -fill 'rgba(255,255,255,0.35)' -draw "roundrectangle 40,40 $(($2-40)),$(($3-40)) 30,30" \
    -fill 'rgba(255,255,255,0.6)' -draw "rectangle 60,$(($3-140)) $(($2-60)),$(($3-120))" "$1"
}
make_template "$DEST/1.png" 800 1000 '#f7e8c8' '#d9a66b'
make_template "$DEST/模板/海报-蓝.png" 720 960 '#dfefff' '#4a7ab8'
make_template "$DEST/模板/海报-绿.jpg" 720 960 '#e9f7e4' '#5c9a56'
make_template "$DEST/模板/节日/红色.png" 720 960 '#ffe7e0' '#c0392b'
