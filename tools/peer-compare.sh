#!/bin/sh
# Runs the shared peer benchmark (../shared/tools/peer-bench, see its
# README) with our sounds in the same interleaved run: compare.sh times
# the factory preset against the Linux synthesizers, and this wrapper adds
# two more targets to every run: the factory preset with a 64-voice limit
# and the heavy bench sound (bench/heavy.p). The shared folder is
# read-only, so the tool is copied and built under the build folder.
#
#   tools/peer-compare.sh [peer-bench options]      from the project root
#
# Needs the packages named in the peer benchmark's README.
set -e
cd "$(dirname "$0")/.."
# The shared folder sits beside the main checkout; worktrees are one level deeper.
src=${PEER_BENCH_DIR:-}
for d in ../shared/tools/peer-bench ../../shared/tools/peer-bench; do
  [ -z "$src" ] && [ -f "$d/compare.sh" ] && src=$d
done
[ -n "$src" ] || { echo "peer-bench not found: set PEER_BENCH_DIR" >&2; exit 1; }
BUILD_DIR=${BUILD_DIR:-build}
work="$BUILD_DIR/peer-bench"
mkdir -p "$work/presets"
cp "$src/Makefile" "$src/compare.sh" "$src/peer-bench.cpp" "$work/"
cmake --build "$BUILD_DIR" --target bench_presets_report morlavine-render -j4 >/dev/null
"$BUILD_DIR/bench/bench_presets_report" "$work/presets" >/dev/null
render=$(readlink -f "$BUILD_DIR/tools/morlavine-render")
out=${TMPDIR:-/tmp}/peer-bench-morlavine
target() {
  echo "$render --midi {midi} --preset $(readlink -f "$1") --tail 0.5 --rate {rate} --block {block} -o $out-$2.wav 2>/dev/null"
}
exec sh "$work/compare.sh" --external "$(target "$work/presets/factory-64v.p" 64v)" \
  --external "$(target bench/heavy.p heavy)" "$@"
