#!/bin/bash
# Configures and builds the Windows program and tests, and the native checks.
#   build.sh             everything (what the test command needs)
#   build.sh --program   only the program and its skin library (what the run
#                        command needs): no test programs, no native tree
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"
DEPS="${IMPRINTA_DEPS:-$BUILD/deps}"
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DIMPRINTA_DEPS_PREFIX="$DEPS/prefix" -DIMPRINTA_DEPS_SRC="$DEPS/src" >/dev/null
fi
if [ "${1:-}" = --program ]; then
  cmake --build "$BUILD" --target Imprinta SkinH_QX
  exit 0
fi
cmake --build "$BUILD"
if [ -f "$ROOT/native/CMakeLists.txt" ]; then
  if [ ! -f "$BUILD/native/build.ninja" ]; then
    cmake -S "$ROOT/native" -B "$BUILD/native" -G Ninja -DIMPRINTA_DEPS_SRC="$DEPS/src" >/dev/null
  fi
  cmake --build "$BUILD/native"
fi
