#!/bin/bash
# The fonts the program ships in its fonts\ folder, taken from Debian's font
# packages (downloaded and unpacked, never installed: a font installed on the
# host is seen by every Wine prefix, and the tests must see these only in the
# program's folder), with their licence texts, into $BUILD/fonts.
#   霞鹜文楷 (LXGW WenKai), Regular and Bold: SIL OFL 1.1; a true bold face,
#     used for the bold the posters are drawn in.
#   文泉驿微米黑 (WenQuanYi Micro Hei): Apache 2.0; a plain sans (黑体) for
#     body texts, and the default and the stand-in for a missing font. Its
#     first font is taken out of the package's collection, tables unchanged.
# Each file must hold TrueType outlines (GDI+ draws no PostScript outlines).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(mkdir -p "${1:-$ROOT/build}" && cd "${1:-$ROOT/build}" && pwd)"
OUT="$BUILD/fonts"
WORK="$BUILD/fonts-src"
MARK="$WORK/.fetched-v3"
mkdir -p "$WORK" "$OUT/licences"
# The note on the fonts follows its source at every run.
sed 's/$/\r/' "$ROOT/app/resources/fonts_readme.txt" | iconv -f UTF-8 -t GBK > "$OUT/字体说明.txt"
[ -f "$MARK" ] && exit 0
cd "$WORK"
# package  files to ship (under usr/share/fonts/truetype/)  licence name
PACKAGES=(
  "fonts-wqy-microhei|wqy/wqy-microhei.ttc|文泉驿微米黑"
  "fonts-lxgw-wenkai|lxgw-wenkai/LXGWWenKai-Regular.ttf lxgw-wenkai/LXGWWenKai-Bold.ttf|霞鹜文楷"
)
for row in "${PACKAGES[@]}"; do
  IFS='|' read -r pkg files name <<<"$row"
  ls "$pkg"_*.deb >/dev/null 2>&1 || apt-get download -q "$pkg" >/dev/null 2>&1 ||
    { echo "fonts: cannot download $pkg (apt-get update?)" >&2; exit 1; }
  rm -rf "unpacked-$pkg"
  dpkg-deb -x "$(ls "$pkg"_*.deb | head -1)" "unpacked-$pkg"
  for f in $files; do
    src="unpacked-$pkg/usr/share/fonts/truetype/$f"
    magic=$(head -c 4 "$src" | od -An -tx1 | tr -d ' \n')
    case "$magic" in
      00010000) cp "$src" "$OUT/" ;;
      # A collection's first font, on its own: GDI+ private collections load no collections.
      74746366) python3 "$ROOT/scripts/ttc-first-font.py" "$src" "$OUT/$(basename "${f%.ttc}").ttf" ;;
      *) echo "fonts: $f holds no TrueType outlines ($magic)" >&2; exit 1 ;;
    esac
  done
  # Debian's copyright file names the authors and holds the licence (OFL in full).
  sed 's/$/\r/' "unpacked-$pkg/usr/share/doc/$pkg/copyright" > "$OUT/licences/$name-版权与许可.txt"
  rm -rf "unpacked-$pkg"
done
sed 's/$/\r/' /usr/share/common-licenses/Apache-2.0 > "$OUT/licences/Apache-2.0.txt"
touch "$MARK"
echo "fonts: $(ls "$OUT"/*.ttf | wc -l) font files and their licences in $OUT"
