#!/usr/bin/env bash
# Renders morvane.svg to the PNG sizes the desktop's hicolor theme looks up,
# into hicolor/NxN/apps/morvane.png beside this script. The PNGs are committed,
# so building the package needs no renderer; run this after changing the SVG.
# Needs rsvg-convert (apt-get install librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" morvane.svg \
    --output "hicolor/${size}x${size}/apps/morvane.png"
done
