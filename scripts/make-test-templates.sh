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
# Kinds decoded by the program's own decoders. Sharp colour edges over a photo
# show where chroma upsampling and bit expansion could differ.
edges=(-fill '#c0392b' -draw "rectangle 20,250 220,290" -fill '#2060ff' -draw "circle 60,60 60,20")
make interlaced.png PNG24 -size ${W}x${H} -seed 17 plasma:fractal "${edges[@]}" -interlace PNG
make grey-alpha.png PNG -size ${W}x${H} xc:none -fill 'rgba(90,90,90,0.6)' -draw "circle 120,160 120,40" \
  -fill 'rgba(200,200,200,1)' -draw "rectangle 0,0 80,80" -colorspace Gray -define png:color-type=4
make grey4.png PNG -size ${W}x${H} gradient:black-white -colorspace Gray -depth 4 -define png:bit-depth=4
# 16-bit BMPs: ImageMagick marks its 5-5-5 and 5-6-5 rows as bit fields but
# writes no masks; they are made plain BI_RGB 5-5-5 rows, and bit fields with
# their masks after the header.
sixteen() {  # file, subtype, seed
  [ -s "$1" ] && return 0
  convert -size ${W}x${H} -seed "$3" plasma:fractal "${edges[@]}" -alpha off -type TrueColor \
    -define bmp:subtype="$2" BMP3:"$1.tmp"
  python3 - "$1.tmp" "$1" <<'PY'
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
assert struct.unpack_from('<IHHI', d, 14 + 0)[0] == 40 and struct.unpack_from('<I', d, 10)[0] == 54
if sys.argv[2].endswith('555.bmp'):
    struct.pack_into('<I', d, 30, 0)
else:
    d[54:54] = struct.pack('<III', 0xF800, 0x07E0, 0x001F)
    struct.pack_into('<I', d, 10, 66)
    struct.pack_into('<I', d, 2, len(d))
open(sys.argv[2], 'wb').write(d)
PY
  rm -f "$1.tmp"
}
sixteen rgb555.bmp RGB555 19
sixteen rgb565.bmp RGB565 21
# A GIF whose image reaches past its logical screen (the screen says 200 x 280).
if [ ! -s oversize.gif ]; then
  convert -size ${W}x${H} xc:'#3080c0' -fill '#e0a020' -draw "rectangle 150,200 239,319" GIF:oversize.gif.tmp
  printf '\xc8\x00\x18\x01' | dd of=oversize.gif.tmp bs=1 seek=6 conv=notrunc status=none
  mv oversize.gif.tmp oversize.gif
fi
# JPEG kinds, each with ImageMagick's decode beside it (X.jpg.png): the
# program's JPEG pixels are libjpeg-turbo's, so they are compared with that.
make yuv420.jpg JPEG -size ${W}x${H} -seed 23 plasma:fractal "${edges[@]}" -sampling-factor 2x2 -quality 90
make yuv422.jpg JPEG -size ${W}x${H} -seed 25 plasma:fractal "${edges[@]}" -sampling-factor 2x1 -quality 90
make yuv444.jpg JPEG -size ${W}x${H} -seed 27 plasma:fractal "${edges[@]}" -sampling-factor 1x1 -quality 90
make progressive420.jpg JPEG -size ${W}x${H} -seed 29 plasma:fractal "${edges[@]}" -sampling-factor 2x2 \
  -interlace Plane -quality 80
make grey.jpg JPEG -size ${W}x${H} -seed 31 plasma:fractal "${edges[@]}" -colorspace Gray -quality 90
for j in baseline progressive cmyk yuv420 yuv422 yuv444 progressive420 grey; do
  [ -s "$j.jpg.png" ] || convert "$j.jpg" -colorspace sRGB PNG32:"$j.jpg.png"
done
