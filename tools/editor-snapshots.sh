#!/usr/bin/env bash
# Draws the editor's pages and overlay panels into docs/ with the editor
# tool's --snapshot (no display needed): docs/editor-PAGE.png for each lower
# page and docs/editor-overlay-NAME.png for each overlay, over the FX page.
# The editor runs on a data folder of its own with a few preset folders, so
# the browser shows a folder tree.
# Usage: tools/editor-snapshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
editor="$build/tools/morlavine-editor"
[ -x "$editor" ] || { echo "no $editor: build the project first" >&2; exit 1; }
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
presets="$data/Library/Synth Presets"
mkdir -p "$presets/Bass/Sub" "$presets/Lead/Mono" "$presets/Lead/Poly" "$presets/Pad" "$presets/Keys"
export MORLAVINE_DATA_DIR="$data"
mkdir -p "$here/docs"
for page in fx mod arp; do
  "$editor" --page "$page" --snapshot "$here/docs/editor-$page.png"
done
for overlay in browser wavetable sample recorder; do
  "$editor" --page fx --overlay "$overlay" --snapshot "$here/docs/editor-overlay-$overlay.png"
done
