#!/usr/bin/env bash
# Whole-process assembly of a ~100 MB script: scpmaker-compile DIR against
# `cat` of the same thirteen pieces plus an fsync of the result.
#   bench/compile_vs_cat.sh [BUILD_DIR] [MEGABYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/ci}
mb=${2:-100}
runs=${3:-5}
compile=$build/bin/scpmaker-compile
[[ -x $compile ]] || { echo "build first: $compile not found" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/scp-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
blocks=$root/tests/data/blocks

# Each section file: one long line of entries separated by its spacer.
third=$((mb * 1024 * 1024 / 3))
entries() ( # yes and tr end on SIGPIPE once head has enough: not an error
    set +o pipefail
    yes "$1" | tr -d '\n' | head -c "$third"
)
entries "0x4000 tile_marble.bmp 44 44$(printf '%37s' '')" >"$work/tiles.scp"
entries "0x0F00 gump_cloak_m.bmp 120 200$(printf '%37s' '')" >"$work/gumps.scp"
entries "0x2000 0 0 0 0 3 20 970 0 Mantle of Night$(printf '%86s' '')" >"$work/items.scp"

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

compile_once() { "$compile" "$work" >/dev/null; }
cat_once() {
    cat "$blocks/head.txt" "$blocks/gap.txt" "$work/tiles.scp" "$blocks/gap.txt" \
        "$blocks/gumps_head.txt" "$blocks/gap.txt" "$work/gumps.scp" "$blocks/gap.txt" \
        "$blocks/items_head.txt" "$blocks/gap.txt" "$work/items.scp" "$blocks/gap.txt" \
        "$blocks/tail.txt" >"$work/cat.scp"
    sync "$work/cat.scp"
}

compile_once; cat_once # warm the page cache for both
cmp -s "$work/mantle.scp" "$work/cat.scp" || { echo "outputs differ" >&2; exit 1; }
bytes=$(stat -c %s "$work/mantle.scp")

time_runs() {
    for _ in $(seq "$runs"); do
        local t0; t0=$(now); "$1"; echo $(( ($(now) - t0) / 1000000 ))
    done | median
}
c=$(time_runs compile_once)
k=$(time_runs cat_once)
echo "script: $bytes bytes, median of $runs runs"
echo "scpmaker-compile:  ${c} ms"
echo "cat + fsync:       ${k} ms"
awk -v c="$c" -v k="$k" 'BEGIN { printf "ratio:             %.2fx\n", (k > 0 ? c / k : 0) }'
