#!/bin/bash
# Runs the sample-folder case of test_app against a program folder made the way
# the run command makes its ready folder (scripts/make-samples.sh).
set -u
WINE_RUN="$1" TEST_EXE="$2" PROGRAM="$3" MAKE_SAMPLES="$4"
dir=$(mktemp -d /tmp/imprinta-samples.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cp "$PROGRAM" "$dir/Imprinta.exe"
bash "$MAKE_SAMPLES" "$dir" || exit 1
IMPRINTA_SAMPLE_FOLDER="Z:${dir//\//\\}\\" "$WINE_RUN" "$TEST_EXE" --gtest_filter='SampleFolder.*' --gtest_color=no
