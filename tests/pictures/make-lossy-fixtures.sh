#!/usr/bin/env bash
# Makes the JPEG and WebP pictures of data/lossy/ with ImageMagick: one
# 16 × 12 picture, its left half black and its right half white with a dark
# grey band, in each kind of JPEG and WebP the intake reads or refuses.
# Committed, so the tests need no ImageMagick; run again only to change them.
set -euo pipefail
cd "$(dirname "$0")/data/lossy"
rm -f ./*.jpg ./*.webp
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 16x12 xc:white -fill black -draw 'rectangle 0,0 7,11' -fill 'gray(30)' \
  -draw 'rectangle 8,4 15,5' "$tmp/half.png"
convert "$tmp/half.png" -type TrueColor -quality 90 -sampling-factor 2x2 baseline.jpg
convert "$tmp/half.png" -type TrueColor -quality 90 -interlace Plane progressive.jpg
convert "$tmp/half.png" -quality 90 -colorspace Gray grey.jpg
convert "$tmp/half.png" -quality 90 -colorspace CMYK cmyk.jpg
# Stored turned a quarter anticlockwise (12 × 16), with EXIF saying to turn
# it a quarter clockwise: upright it is the 16 × 12 picture again.
# The EXIF segment (orientation 6 alone) is put in after the start marker.
convert "$tmp/half.png" -rotate -90 -type TrueColor -quality 90 "$tmp/side.jpg"
python3 - "$tmp/side.jpg" turned.jpg <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
tiff = b'II*\0' + struct.pack('<IH', 8, 1) + struct.pack('<HHIHH', 0x0112, 3, 1, 6, 0) + struct.pack('<I', 0)
body = b'Exif\0\0' + tiff
open(sys.argv[2], 'wb').write(data[:2] + b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body + data[2:])
PY
convert "$tmp/half.png" -quality 90 lossy.webp
convert "$tmp/half.png" -define webp:lossless=true lossless.webp
# The right half transparent instead of white.
convert "$tmp/half.png" -fuzz 1% -transparent white -define webp:lossless=true alpha.webp
convert -delay 10 "$tmp/half.png" -negate "$tmp/half.png" -loop 0 animated.webp
identify ./*.jpg ./*.webp
