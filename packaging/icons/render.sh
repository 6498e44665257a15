#!/bin/sh
# Renders the icon's PNG sizes from palvorn-enemy-creator.svg; run after
# editing the SVG and commit the PNGs. Needs rsvg-convert (Debian package
# librsvg2-bin).
set -eu
cd "$(dirname -- "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" --output "$size.png" palvorn-enemy-creator.svg
done
