#!/bin/bash
# Runs the read-only-folder case of test_app against a program folder that
# cannot be written to (immutable for root, mode 555 otherwise).
set -u
WINE_RUN="$1" TEST_EXE="$2" PROGRAM="$3"
dir=$(mktemp -d /tmp/imprinta-readonly.XXXXXX)
cp "$PROGRAM" "$dir/Imprinta.exe"
# A template to export and one to batch, so every write has something to fail on.
mkdir "$dir/模板"
convert -size 120x80 xc:white "$dir/1.png" && cp "$dir/1.png" "$dir/模板/a.png" || exit 1
cleanup() { chattr -i "$dir" 2>/dev/null; chmod 755 "$dir"; rm -rf "$dir"; }
trap cleanup EXIT
if ! chattr +i "$dir" 2>/dev/null; then chmod 555 "$dir"; fi
if touch "$dir/probe" 2>/dev/null; then
  echo "cannot make a read-only folder here"; exit 77
fi
IMPRINTA_READONLY_FOLDER="Z:${dir//\//\\}\\" "$WINE_RUN" "$TEST_EXE" --gtest_filter='ReadOnlyFolder.*' --gtest_color=no
