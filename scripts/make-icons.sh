#!/usr/bin/env bash
# Draws the PNG icons from the hand-written SVG with ImageMagick's convert; their output is
# committed, so that building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 48 256; do
    convert -background none glyphscape.svg -resize "${size}x${size}" -strip "PNG32:glyphscape-${size}.png"
done
