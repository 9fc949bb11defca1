#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it on the example poem, or on the
# file given.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target glyphscape
exec build/bin/glyphscape "${1:-examples/morning-fuji.grd}"
