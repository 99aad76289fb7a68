#!/bin/bash
# Runs the full-disk cases of test_app with the program's folder on a small
# tmpfs (root only), unmounted once Wine has let go of it.
set -u
WINE_RUN="$1" TEST_EXE="$2" PROGRAM="$3"
if [ "$(id -u)" != 0 ]; then echo "mounting a tmpfs needs root"; exit 77; fi
dir=$(mktemp -d /tmp/imprinta-full.XXXXXX)
# Room for the program, the skin library it writes beside itself, and a little more.
size_kb=$(( $(stat -c %s "$PROGRAM") * 2 / 1024 + 2048 ))
mount -t tmpfs -o "size=${size_kb}k" tmpfs "$dir" || exit 77
cleanup() {
  # A live Wine process holding the folder keeps it busy.
  WINEPREFIX="${IMPRINTA_BUILD}/wineprefix" wineserver -w 2>/dev/null
  umount "$dir" && rmdir "$dir"
}
trap cleanup EXIT
cp "$PROGRAM" "$dir/Imprinta.exe"
IMPRINTA_FULL_DISK_FOLDER="Z:${dir//\//\\}\\" "$WINE_RUN" "$TEST_EXE" --gtest_filter='FullDisk.*' --gtest_color=no
