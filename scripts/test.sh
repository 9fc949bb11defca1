#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once as built for
# users, once under AddressSanitizer and UndefinedBehaviorSanitizer, and the grid file
# reader's fuzzer for a minute. GLYPHSCAPE_QUICK=1 runs the first pass only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

[ "${GLYPHSCAPE_QUICK:-0}" = "1" ] && exit 0

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DGLYPHSCAPE_SANITIZE=ON >/dev/null
cmake --build build-sanitize --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"

if [ -f tests/fuzz/CMakeLists.txt ]; then
    echo "== Fuzz the grid file reader"
    cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DGLYPHSCAPE_FUZZ=ON >/dev/null
    cmake --build build-fuzz --parallel "$jobs" --target fuzz_gridfile
    mkdir -p build-fuzz/corpus
    build-fuzz/bin/fuzz_gridfile -max_total_time=60 -rss_limit_mb=4096 build-fuzz/corpus
fi
