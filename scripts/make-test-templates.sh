#!/bin/bash
# Template pictures for the renderer's comparison of its fast path with the
# all-GDI+ path, one per kind of file a user may pick, drawn with ImageMagick.
# Usage: make-test-templates.sh DEST (skips what exists).
set -euo pipefail
DEST="$1"
mkdir -p "$DEST"
cd "$DEST"
W=240 H=320
make() {  # file, ImageMagick output format, then ImageMagick arguments
  local file="$1" format="$2"; shift 2
  [ -s "$file" ] || convert "$@" "$format:$file"
}
make flat.png PNG24 -size ${W}x${H} gradient:'#f7e8c8-#d9a66b' -fill '#c0392b' -draw "rectangle 20,250 220,290"
make photo.png PNG32 -size ${W}x${H} -seed 7 plasma:fractal -depth 8
make alpha.png PNG32 -size ${W}x${H} xc:none -fill 'rgba(255,0,0,0.5)' -draw "circle 120,120 120,40" \
  -fill 'rgba(20,90,200,0.9)' -draw "rectangle 0,200 160,320" -fill white -draw "rectangle 180,0 240,60"
make palette.png PNG8 -size ${W}x${H} xc:none -fill '#3366cc' -draw "circle 120,160 120,40" -fill '#ffcc00' \
  -draw "rectangle 0,0 80,80"
make grey.png PNG -size ${W}x${H} -seed 3 plasma:fractal -colorspace Gray -depth 8
make deep.png PNG64 -size ${W}x${H} -seed 5 plasma:fractal -depth 16
make baseline.jpg JPEG -size ${W}x${H} -seed 9 plasma:fractal -quality 90
make progressive.jpg JPEG -size ${W}x${H} -seed 11 plasma:fractal -interlace Plane -quality 85
make cmyk.jpg JPEG -size ${W}x${H} -seed 13 plasma:fractal -colorspace CMYK -quality 90
make template.bmp BMP3 -size ${W}x${H} -seed 15 plasma:fractal
make template.gif GIF -size ${W}x${H} xc:none -fill '#22aa44' -draw "circle 120,160 120,60" -fill '#aa2244' \
  -draw "rectangle 0,0 100,100"
