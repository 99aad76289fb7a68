#!/bin/bash
# Cross-builds libpng and libjpeg-turbo (decoding), libdeflate (PNG encoding) and
# xxHash's header (picture cache keys) static from Debian's source packages into
# $BUILD/deps/prefix. The sources stay in $BUILD/deps/src: the tests use their corpora.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
DEPS="${IMPRINTA_DEPS:-$BUILD/deps}"
PREFIX="$DEPS/prefix"
MARK="$DEPS/.built-v1"
ENCODE_MARK="$DEPS/.built-encode-v1"
[ -f "$MARK" ] && [ -f "$ENCODE_MARK" ] && exit 0
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
