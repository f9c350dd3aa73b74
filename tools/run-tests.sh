#!/bin/bash
# Builds (if needed) and runs the whole test suite.
set -e
cd "$(dirname "$0")/.."
[ -d build ] || bash tools/setup.sh
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
