#!/bin/bash
# Builds what a Windows user downloads, into build/dist/:
#   Imprinta-<version>-win32.zip    the portable folder
#   Imprinta-<version>-setup.exe    the installer (NSIS)
# The version comes from app/resources/version.h. The same source gives the same zip
# bytes: fixed file times and order, samples drawn here, no dates or paths.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
BUILD="$IMPRINTA_BUILD"

"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh"

version_part() { sed -n "s/^#define IMPRINTA_VERSION_$1 \([0-9]\+\)$/\1/p" "$ROOT/app/resources/version.h"; }
VERSION="$(version_part MAJOR).$(version_part MINOR).$(version_part PATCH)"
[[ "$VERSION" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package: no version in app/resources/version.h" >&2; exit 1; }
TOP="Imprinta-$VERSION"
DIST="$BUILD/dist"
STAGE="$BUILD/package/$TOP"
FIXED_TIME="2026-01-01 00:00:00 UTC"

rm -rf "$BUILD/package" "$DIST"
mkdir -p "$STAGE" "$DIST"
# strip stamps the PE header with the time unless it is given one.
SOURCE_DATE_EPOCH=$(date -d "$FIXED_TIME" +%s) i686-w64-mingw32-strip -o "$STAGE/Imprinta.exe" "$BUILD/Imprinta.exe"
# The program writes these beside itself when they are missing; shipped, they
# also work where the folder cannot be written (Program Files, read-only media).
cp "$BUILD/app/skin/SkinH_QX.dll" "$STAGE/SkinH_QX.dll"
cp "$ROOT/app/resources/tutorial.html" "$STAGE/tutorial.html"
sed "s/@VERSION@/$VERSION/g" "$ROOT/app/resources/user_guide.txt" | sed 's/$/\r/' |
  iconv -f UTF-8 -t GBK > "$STAGE/使用说明.txt"
# The fonts free for commercial use and their licences (scripts/fetch-fonts.sh).
cp -r "$BUILD/fonts" "$STAGE/fonts"
bash "$ROOT/scripts/make-samples.sh" "$STAGE"
find "$STAGE" -exec touch -h -d "$FIXED_TIME" {} +

ZIP="$DIST/$TOP-win32.zip"
python3 "$ROOT/scripts/make-zip.py" "$STAGE" "$TOP" "$ZIP"

SETUP="$DIST/$TOP-setup.exe"
SIZE_KB=$(du -sk "$STAGE" | cut -f1)
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DOUTFILE="$SETUP" \
  -DICON="$ROOT/app/resources/imprinta.ico" -DSIZE_KB="$SIZE_KB" "$ROOT/scripts/installer.nsi"
echo "package: $ZIP ($(du -k "$ZIP" | cut -f1) KB)"
echo "package: $SETUP ($(du -k "$SETUP" | cut -f1) KB)"
