#!/bin/bash
# Installs the Debian packages the build needs (when missing), configures and
# builds Morlavine into ./build.
set -e
cd "$(dirname "$0")/.."
PKGS="cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev fftw-dev libsmf-dev libxml2-dev libcairo2-dev libx11-dev fonts-liberation librtaudio-dev librtmidi-dev"
missing=""
for p in $PKGS; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
