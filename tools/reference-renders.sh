#!/bin/bash
# Renders the reference renders that a speed change must leave unchanged:
# the factory preset and the heavy bench sound (bench/BenchSounds.h), each
# at 2x, 4x and 8x oversampling, playing the built-in demo phrase with a
# fixed seed, into OUT_DIR as factory-2x.wav ... heavy-8x.wav.
#
#   tools/reference-renders.sh OUT_DIR
#
# Compare two such folders with tools/render-diff.py. Uses the build in
# $BUILD_DIR (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
OUT_DIR=${1:?usage: tools/reference-renders.sh OUT_DIR}
cmake --build "$BUILD_DIR" --target bench_presets_report morlavine-render -j4 >/dev/null
mkdir -p "$OUT_DIR/presets"
"$BUILD_DIR/bench/bench_presets_report" "$OUT_DIR/presets" >/dev/null
for sound in factory heavy; do
  for os in 2 4 8; do
    "$BUILD_DIR/tools/morlavine-render" --demo --seed 1 --preset "$OUT_DIR/presets/$sound-${os}x.p" \
      -o "$OUT_DIR/$sound-${os}x.wav" | tail -1
  done
done
