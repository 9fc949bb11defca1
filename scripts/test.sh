#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything and runs every test:
# once as built for users, then builds and tries the Debian package, runs the tests once
# more under AddressSanitizer and UndefinedBehaviorSanitizer, then clang-tidy over the
# sources and the grid file reader's fuzzer for a minute.
# GLYPHSCAPE_QUICK=1 runs the formatting check and the first pass only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

# The keyboard shortcut tests need a real X server; a private Xvfb on a free display serves
# them and stops with the script. Without one they skip.
xvfb_pid=""
stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap stop_xvfb EXIT
unset DISPLAY
if command -v Xvfb >/dev/null; then
    display_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    if [ -s "$display_file" ]; then
        export DISPLAY=":$(head -n 1 "$display_file")"
    else
        echo "Xvfb did not start: the X11 tests will skip." >&2
    fi
    rm -f "$display_file"
fi

# Runs the tests of one build and adds their number to the total; a failure stops the script.
passed=0
run_tests() {
    local log
    log="$(mktemp)"
    ctest --test-dir "$1" --output-on-failure --parallel "$jobs" | tee "$log"
    passed=$((passed + $(grep -c -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$log")))
    rm -f "$log"
}

sources() { find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0; }

echo "== Check the formatting"
if ! sources | xargs -0 clang-format --dry-run -Werror; then
    echo "Formatting differs from .clang-format: run clang-format -i on the files above." >&2
    exit 1
fi
passed=$((passed + 1))

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build --parallel "$jobs"
run_tests build

if [ "${GLYPHSCAPE_QUICK:-0}" = "1" ]; then
    echo "tests: $passed passed, 0 failed"
    exit 0
fi

echo "== Build the Debian package and try it"
rm -f build/glyphscape_*.deb
(cd build && cpack -G DEB >/dev/null)
deb="$(echo build/glyphscape_*.deb)"
apt-get install --simulate "./$deb" >/dev/null
unpacked="$(mktemp -d)"
dpkg-deb -x "$deb" "$unpacked"
version="$(dpkg-deb -f "$deb" Version)"
# The packaged programs, on the system's Qt, with no display: --version needs none.
for program in glyphscape glyphscape-batch; do
    answer="$(env -u DISPLAY -u QT_QPA_PLATFORM "$unpacked/usr/bin/$program" --version)"
    if [ "$answer" != "$program ${version%-*}" ]; then
        echo "The packaged $program answers \"$answer\" to --version, not \"$program ${version%-*}\"." >&2
        exit 1
    fi
done
desktop-file-validate "$unpacked/usr/share/applications/glyphscape.desktop"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
rm -rf "$unpacked"
passed=$((passed + 1))

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DGLYPHSCAPE_SANITIZE=ON >/dev/null
cmake --build build-sanitize --parallel "$jobs"
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_tests build-sanitize

echo "== clang-tidy over the sources"
find src -name '*.cpp' -print0 | xargs -0 -P "$jobs" -n 4 clang-tidy -p build --quiet
passed=$((passed + 1))

if [ -f tests/fuzz/CMakeLists.txt ]; then
    echo "== Fuzz the grid file reader"
    cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DGLYPHSCAPE_FUZZ=ON >/dev/null
    cmake --build build-fuzz --parallel "$jobs" --target fuzz_gridfile
    mkdir -p build-fuzz/corpus
    build-fuzz/bin/fuzz_gridfile -max_total_time=60 -rss_limit_mb=4096 build-fuzz/corpus
    passed=$((passed + 1))
fi

echo "tests: $passed passed, 0 failed"
