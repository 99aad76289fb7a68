#!/bin/bash
# Cross-builds libpng and libjpeg-turbo (decoding), libdeflate (PNG encoding),
# xxHash's header (picture cache keys) and libqrencode (QR code fields) static from Debian's source packages into
# $BUILD/deps/prefix. The sources stay in $BUILD/deps/src: the tests use their corpora.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
DEPS="${IMPRINTA_DEPS:-$BUILD/deps}"
PREFIX="$DEPS/prefix"
MARK="$DEPS/.built-v1"
ENCODE_MARK="$DEPS/.built-encode-v1"
QR_MARK="$DEPS/.built-qr-v1"
[ -f "$MARK" ] && [ -f "$ENCODE_MARK" ] && [ -f "$QR_MARK" ] && exit 0
mkdir -p "$DEPS/src" "$PREFIX/include" "$PREFIX/lib"
cd "$DEPS/src"
TC="$ROOT/cmake/mingw-i686.cmake"

if [ ! -f "$ENCODE_MARK" ]; then
  for pkg in libdeflate xxhash; do
    ls -d "$pkg"-*/ >/dev/null 2>&1 || apt-get source -q "$pkg" >/dev/null
  done
  DEFLATE_SRC=$(ls -d libdeflate-*/ | head -1)
  XXHASH_SRC=$(ls -d xxhash-*/ | head -1)
  make -C "$DEFLATE_SRC" -j2 libdeflatestatic.lib CC=i686-w64-mingw32-gcc-posix AR=i686-w64-mingw32-ar >/dev/null
  cp "$DEFLATE_SRC/libdeflatestatic.lib" "$PREFIX/lib/libdeflate.a"
  cp "$DEFLATE_SRC/libdeflate.h" "$XXHASH_SRC/xxhash.h" "$PREFIX/include/"
  touch "$ENCODE_MARK"
  echo "deps: libdeflate and xxhash built into $PREFIX"
fi
if [ ! -f "$QR_MARK" ]; then
  # The library is built from the source package's upstream tarball alone,
  # checked against the package's description: the mirror has served the
  # package without its packaging part.
  if ! ls -d qrencode-*/ >/dev/null 2>&1; then
    apt-get source -q --download-only qrencode >/dev/null 2>&1 || true
    ORIG=$(ls qrencode_*.orig.tar.* | head -1)
    SUM=$(md5sum "$ORIG" | cut -d' ' -f1)
    grep -q "^ $SUM [0-9]* $ORIG\$" qrencode_*.dsc || { echo "deps: $ORIG does not match its .dsc" >&2; exit 1; }
    tar xf "$ORIG"
  fi
  QR_SRC=$(ls -d qrencode-*/ | head -1)
  cmake -S "$QR_SRC" -B build-qr -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TC" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DWITH_TOOLS=NO -DWITH_TESTS=NO -DWITHOUT_PNG=YES -DBUILD_SHARED_LIBS=NO >/dev/null
  cmake --build build-qr >/dev/null
  cmake --install build-qr >/dev/null
  touch "$QR_MARK"
  echo "deps: libqrencode built into $PREFIX"
fi
[ -f "$MARK" ] && exit 0
for pkg in libpng1.6 libjpeg-turbo giflib; do
  ls -d "$pkg"-*/ >/dev/null 2>&1 || ls -d "${pkg%1.6}"*-*/ >/dev/null 2>&1 || apt-get source -q "$pkg" >/dev/null
done
PNG_SRC=$(ls -d libpng1.6-*/ | head -1)
JPEG_SRC=$(ls -d libjpeg-turbo-*/ | head -1)
ZLIB_INC=/usr/i686-w64-mingw32/include
ZLIB_LIB=/usr/i686-w64-mingw32/lib/libz.a

cmake -S "$PNG_SRC" -B build-png -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TC" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_INCLUDE_DIR="$ZLIB_INC" -DZLIB_LIBRARY="$ZLIB_LIB" -DSKIP_INSTALL_EXPORT=ON >/dev/null
cmake --build build-png >/dev/null
cmake --install build-png >/dev/null

cmake -S "$JPEG_SRC" -B build-jpeg -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TC" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_ARITH_DEC=ON >/dev/null
cmake --build build-jpeg >/dev/null
cmake --install build-jpeg >/dev/null
touch "$MARK"
echo "deps: libpng and libjpeg-turbo built into $PREFIX"
