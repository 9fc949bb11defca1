#!/usr/bin/env bash
# Makes the example shape poem: draws examples/morning-fuji.png, then converts it with
# glyphscape-batch into a grid of 16-pixel blocks and pours examples/morning-fuji.txt into
# the cells that are not white, giving examples/morning-fuji.grd, its HTML page and a
# picture of that page.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target draw-example-picture glyphscape-batch
"$build/bin/draw-example-picture" examples/morning-fuji.png
"$build/bin/glyphscape-batch" --image examples/morning-fuji.png --block 16 \
    --text examples/morning-fuji.txt --flow --skip-bg \
    --save examples/morning-fuji.grd --html examples/morning-fuji.html
"$build/bin/glyphscape-batch" --grid examples/morning-fuji.grd --png examples/morning-fuji-page.png \
    --cell-size 16 --page-look
