#!/bin/bash
# Gathers picture corpora that this project did not write into
# $IMPRINTA_BUILD/corpora, with ImageMagick's own decodes as references:
#   pngsuite/ testpngs/   libpng's PngSuite and test pictures (incl. crashers)
#   jpeg/                 libjpeg-turbo's test images
#   giflib/               giflib's pictures and reference RGB dumps
#   gdkpixbuf/            gdk-pixbuf's installed test images (GIF suite, fail/, reftests/...)
#   sdl/                  SDL2_image's installed samples
#   pillow/               Pillow's BMP suite, PCX, CUR, ICO and GIF test files
#   generated/            BMP/GIF/ICO/CUR/PCX written by ImageMagick
# Next to a picture X, X.rgba holds ImageMagick's decode (8-bit RGBA) and
# X.size "width height frames"; animated files get X.<n>.rgba per coalesced frame.
# Idempotent: a marker file skips the work on later runs.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
DEPS_SRC="${IMPRINTA_DEPS_SRC:-${IMPRINTA_DEPS:-$BUILD/deps}/src}"
OUT="$BUILD/corpora"
MARKER="$OUT/.complete-v8"
[ -f "$MARKER" ] && exit 0
mkdir -p "$OUT"
cd "$OUT"

copy_matching() {  # src-dir dest-dir find-args...
  local src="$1" dest="$2"; shift 2
  [ -d "$src" ] || { echo "fetch-corpora: $src missing" >&2; return 0; }
  mkdir -p "$dest"
  find "$src" -type f "$@" -exec cp -f {} "$dest/" \;
}

PNG_SRC=$(ls -d "$DEPS_SRC"/libpng1.6-*/ 2>/dev/null | head -1 || true)
JPEG_SRC=$(ls -d "$DEPS_SRC"/libjpeg-turbo-*/ 2>/dev/null | head -1 || true)
GIF_SRC=$(ls -d "$DEPS_SRC"/giflib-*/ 2>/dev/null | head -1 || true)
if [ -z "$PNG_SRC" ] || [ -z "$JPEG_SRC" ] || [ -z "$GIF_SRC" ]; then
  echo "fetch-corpora: library sources missing under $DEPS_SRC (set IMPRINTA_DEPS)" >&2
  exit 1
fi
copy_matching "${PNG_SRC}contrib/pngsuite" pngsuite -maxdepth 1 -name '*.png'
copy_matching "${PNG_SRC}contrib/pngsuite/interlaced" pngsuite/interlaced -name '*.png'
copy_matching "${PNG_SRC}contrib/testpngs" testpngs -maxdepth 1 -name '*.png'
copy_matching "${PNG_SRC}contrib/testpngs/crashers" testpngs/crashers -name '*.png'
copy_matching "${JPEG_SRC}testimages" jpeg \( -name '*.jpg' -o -name '*.bmp' \)
copy_matching "${GIF_SRC}pic" giflib \( -name '*.gif' -o -name '*.ico' \)
copy_matching "${GIF_SRC}tests" giflib \( -name '*.rgb' -o -name '*.gif' \)

PIXBUF=/usr/libexec/installed-tests/gdk-pixbuf
if [ -d "$PIXBUF/test-images" ]; then
  rm -rf gdkpixbuf; mkdir -p gdkpixbuf
  cp -r "$PIXBUF/test-images/." gdkpixbuf/
  find "$PIXBUF" -maxdepth 1 -type f \( -name '*.gif' -o -name '*.jpg' -o -name '*.png' -o -name '*.bmp' \) \
    -exec cp -f {} gdkpixbuf/ \;
else
  echo "fetch-corpora: gdk-pixbuf-tests not installed (scripts/setup.sh installs it)" >&2
fi
copy_matching /usr/libexec/installed-tests/SDL2_image sdl \
  \( -name '*.bmp' -o -name '*.cur' -o -name '*.ico' -o -name '*.gif' -o -name '*.pcx' \)

# Pillow's test pictures from its Debian source package (only the picture files are kept).
if [ ! -d pillow/bmp ]; then
  rm -rf pillow-src && mkdir -p pillow-src
  (cd pillow-src && apt-get source --download-only -q pillow >/dev/null 2>&1) || true
  ORIG=$(ls pillow-src/pillow_*.orig.tar.* 2>/dev/null | head -1 || true)
  if [ -n "$ORIG" ]; then
    tar -xf "$ORIG" -C pillow-src --wildcards '*/Tests/images/*' 2>/dev/null || true
    IMG=$(ls -d pillow-src/*/Tests/images 2>/dev/null | head -1)
    mkdir -p pillow
    cp -r "$IMG/bmp" pillow/bmp
    find "$IMG" -maxdepth 1 -type f \( -iname '*.pcx' -o -iname '*.cur' -o -iname '*.ico' -o -iname '*.gif' \
      -o -iname '*.bmp' \) -exec cp -f {} pillow/ \;
  else
    echo "fetch-corpora: apt-get source pillow failed; Pillow corpus skipped" >&2
  fi
  rm -rf pillow-src
fi

# Pictures written by ImageMagick in each variant the decoders handle.
rm -rf generated && mkdir -p generated && cd generated
SRC="$JPEG_SRC/testimages/testorig.jpg"
convert "$SRC" -resize 61x37! base.png
convert "${PNG_SRC}contrib/pngsuite/basn6a08.png" -resize 29x23! alpha.png
convert base.png BMP3:rgb24.bmp
convert base.png -type TrueColor -define bmp:subtype=RGB565 BMP:rgb565.bmp
convert base.png -type TrueColor -define bmp:subtype=RGB555 BMP:rgb555.bmp
convert alpha.png -type TrueColorAlpha BMP:argb32.bmp
convert base.png -colors 200 -type Palette BMP3:pal8.bmp
convert base.png -colors 200 -type Palette -compress RLE BMP3:pal8rle.bmp
convert base.png -colors 14 -type Palette BMP3:pal4.bmp
convert base.png -colors 14 -type Palette -compress RLE BMP3:pal4rle.bmp
convert base.png -monochrome BMP3:mono.bmp
convert base.png -colors 200 -type Palette BMP2:os2pal8.bmp
convert base.png BMP2:os2rgb24.bmp
convert base.png -colors 64 still.gif
convert base.png -colors 64 -interlace GIF interlaced.gif
convert alpha.png -colors 32 transparent.gif
convert base.png -colors 100 GIF87:gif87a.gif
for d in None Background Previous; do
  convert -delay 7 -size 40x30 xc:navy -dispose $d \
    \( -size 12x10 xc:red -repage +3+4 \) \( -size 9x14 xc:lime -repage +20+9 \) \
    \( alpha.png -resize 16x12! -repage +14+2 \) -loop 0 "anim-$(echo $d | tr A-Z a-z).gif"
done
convert base.png -define icon:auto-resize=16,32,48 multi.ico
convert base.png -resize 32x32! -colors 16 -type Palette single32.ico
convert alpha.png -resize 32x32! alpha32.ico
convert base.png -resize 32x32! arrow.cur
convert base.png -interlace JPEG -quality 80 progressive.jpg
convert base.png -colorspace Gray gray.jpg
convert base.png -colorspace CMYK cmyk.jpg
convert base.png -colors 200 -type Palette PCX:pal8.pcx
convert base.png -resize 50x37! -colors 100 -type Palette PCX:odd50.pcx
convert base.png -type TrueColor PCX:rgb24.pcx
# ImageMagick writes no 1-plane 1-bit PCX; Pillow's pil184.pcx is one, but with
# version 5, and the 1-bit format is recognised by version 3 only.
if [ -f ../pillow/pil184.pcx ]; then
  cp ../pillow/pil184.pcx mono1.pcx
  printf '\x03' | dd of=mono1.pcx bs=1 seek=1 conv=notrunc status=none
fi
cd ..

# References: ImageMagick's decode of every file of the formats we handle.
reference() {
  local f="$1" frames
  frames=$(identify -format '%n\n' "$f" 2>/dev/null | head -1) || return 0
  [ -n "$frames" ] || return 0
  if [ "$frames" -gt 1 ] && [[ "$f" == *.gif ]]; then
    convert "$f" -coalesce +adjoin -depth 8 "rgba:$f.%d.rgba" 2>/dev/null || return 0
    identify -format '%W %H\n' "$f" 2>/dev/null | head -1 | sed "s/\$/ $frames/" > "$f.size"
  elif [ "$frames" -gt 1 ]; then
    convert "$f" +adjoin -depth 8 "rgba:$f.%d.rgba" 2>/dev/null || return 0
    identify -format '%w %h\n' "$f" > "$f.sizes" 2>/dev/null || true
  else
    convert "$f" -depth 8 "rgba:$f.rgba" 2>/dev/null || return 0
    identify -format '%w %h\n' "$f" 2>/dev/null | sed 's/$/ 1/' > "$f.size"
  fi
}
for f in generated/* sdl/* gdkpixbuf/reftests/*.ico pillow/*.pcx pillow/*.cur pillow/*.ico giflib/*.gif jpeg/*.jpg; do
  case "$f" in *.rgba|*.size|*.sizes|*.png) continue ;; esac
  [ -f "$f" ] && reference "$f"
done
touch "$MARKER"
echo "fetch-corpora: corpora ready in $OUT"
