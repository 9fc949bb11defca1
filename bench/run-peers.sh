#!/usr/bin/env bash
# Times glyphscape-batch against jp2a and libcaca's img2txt on the same pictures and grid
# sizes, side by side in one run: the median of 5 runs each, peak memory, and the ratios.
#   bench/run-peers.sh            build, make the pictures (once), time everything
# GLYPHSCAPE_BENCH_DIR (default /tmp/glyphscape-bench) holds the pictures and outputs;
# GLYPHSCAPE_BENCH_RUNS (default 5) sets the runs per program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
work="${GLYPHSCAPE_BENCH_DIR:-/tmp/glyphscape-bench}"
runs="${GLYPHSCAPE_BENCH_RUNS:-5}"

# The peers and the picture maker come from Debian's packages.
missing=()
command -v jp2a >/dev/null || missing+=(jp2a)
command -v img2txt >/dev/null || missing+=(caca-utils)
command -v convert >/dev/null || missing+=(imagemagick)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

echo "== Building glyphscape-batch (Release) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target glyphscape-batch >/dev/null
batch="$build/bin/glyphscape-batch"

# Deterministic photo-like pictures (fractal plasma, fixed seed, camera-like 4:2:0 JPEG),
# made once and kept outside the repository.
mkdir -p "$work"
make_picture() {
    local size="$1" seed="$2" file="$work/photo-$1.jpg"
    if [ ! -s "$file" ]; then
        echo "== Making $file"
        convert -size "$size" -seed "$seed" plasma:fractal -blur 0x2 -sampling-factor 4:2:0 -quality 90 "$file.tmp.jpg"
        mv "$file.tmp.jpg" "$file"
    fi
}
make_picture 6000x4000 4242
make_picture 4000x3000 4243
# A poem to pour for the typical course of work (code page 932: ASCII is the same bytes).
poem="$work/poem.txt"
if [ ! -s "$poem" ]; then
    for i in $(seq 1 2000); do echo "Shape poems take the colours of the picture, line $i."; done | sed 's/$/\r/' >"$poem"
fi

# Prints "<median seconds> <peak MB>" for one command, run $runs times; stdout goes to $out.
measure() {
    local out="$1"
    shift
    local times=() peak=0 start end rss
    for _ in $(seq 1 "$runs"); do
        start=$EPOCHREALTIME
        /usr/bin/time -f %M -o "$work/rss" "$@" >"$out"
        end=$EPOCHREALTIME
        times+=("$(echo "$start $end" | awk '{printf "%.4f", $2 - $1}')")
        rss=$(tail -n 1 "$work/rss")
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v peak="$peak" \
        '{t[NR] = $1} END {printf "%.3f %.0f\n", t[int((NR + 1) / 2)], peak / 1024}'
}

row() {
    local label="$1" picture="$2" block="$3" columns="$4" rows="$5"
    local b j c
    b=$(measure /dev/null "$batch" --image "$picture" --block "$block" --html "$work/batch.htm")
    j=$(measure /dev/null jp2a --html --colors "--size=${columns}x${rows}" "--output=$work/jp2a.htm" "$picture")
    c=$(measure "$work/img2txt.htm" img2txt -f html -W "$columns" -H "$rows" "$picture")
    echo "$label $b $j $c" | awk '{
        printf "%-30s %8.3f s %6d MB %8.3f s %6d MB %8.3f s %6d MB %9.2f %9.2f\n",
               $1, $2, $3, $4, $5, $6, $7, $2 / $4, $2 / $6 }'
}

echo "== Median of $runs runs each, wall time and peak resident memory ($(nproc) cores)"
printf '%-30s %19s %19s %19s %9s %9s\n' "grid (picture, block)" "glyphscape-batch" "jp2a" "img2txt" "/jp2a" "/img2txt"
row "750x500(6000x4000,block8)" "$work/photo-6000x4000.jpg" 8 750 500
row "4000x3000(4000x3000,block1)" "$work/photo-4000x3000.jpg" 1 4000 3000

echo "== glyphscape-batch alone: the typical course of work (picture, poem, HTML)"
for run in "6000x4000 8" "4000x3000 1"; do
    set -- $run
    t=$(measure /dev/null "$batch" --image "$work/photo-$1.jpg" --block "$2" --text "$poem" --flow --skip-bg \
        --html "$work/poem.htm" --plain "$work/poem.txt.out" --save "$work/poem.grd")
    printf '%-30s %8.3f s %6d MB\n' "$1,block$2+text+3outputs" $t
done
