#!/bin/bash
# Instruction counts of a short fixed render (the reference score of the
# host benchmark: eight held notes, a new one every 0.1 s, factory preset,
# 44.1 kHz, blocks of 512) under valgrind's callgrind, for figures that do
# not depend on the machine's load. Only the render is counted, not the
# instrument's start-up.
#
#   tools/callgrind-bench.sh [seconds]        (default 0.25 s of audio)
#
# Uses the build in $BUILD_DIR (default build/), building host_render_report
# there when needed. Prints one line per oversampling and unison setting of
# the factory preset, then the heavy bench sound (bench/BenchSounds.h, unison
# 4) at each oversampling factor.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
SECONDS_OF_AUDIO=${1:-0.25}

command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD_DIR" --target host_render_report -j"$(nproc)" >/dev/null
TOOL="$BUILD_DIR/bench/host_render_report"

OUT_DIR=$(mktemp -d)
trap 'rm -rf "$OUT_DIR"' EXIT

printf "%-8s %-12s %-7s %16s %14s\n" sound oversampling unison instructions "per sample"
for setting in "factory 2 1" "factory 4 1" "factory 8 1" "factory 2 8" "factory 4 8" "factory 8 8" \
               "heavy 2 4" "heavy 4 4" "heavy 8 4"; do
  read -r sound os unison <<<"$setting"
  out="$OUT_DIR/callgrind.$sound.$os.$unison"
  result=$(valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect=MorlavineRenderScore "$TOOL" "$os" "$unison" "$SECONDS_OF_AUDIO" "$sound" 2>/dev/null)
  frames=$(awk '{print $2}' <<<"$result")
  ir=$(awk '/^(summary|totals):/ {print $2; exit}' "$out")
  awk -v s="$sound" -v os="${os}x" -v u="$unison" -v ir="$ir" -v f="$frames" \
    'BEGIN { printf "%-8s %-12s %-7s %16s %14.0f\n", s, os, u, ir, ir / f }'
done
