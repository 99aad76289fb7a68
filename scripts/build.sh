#!/bin/bash
# Configures and builds the Windows program and tests, and the native checks.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
DEPS="${IMPRINTA_DEPS:-$BUILD/deps}"
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DIMPRINTA_DEPS_PREFIX="$DEPS/prefix" -DIMPRINTA_DEPS_SRC="$DEPS/src" >/dev/null
fi
cmake --build "$BUILD"
if [ -f "$ROOT/native/CMakeLists.txt" ]; then
  if [ ! -f "$BUILD/native/build.ninja" ]; then
    cmake -S "$ROOT/native" -B "$BUILD/native" -G Ninja -DIMPRINTA_DEPS_SRC="$DEPS/src" >/dev/null
  fi
  cmake --build "$BUILD/native"
fi
