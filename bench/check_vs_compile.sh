#!/usr/bin/env bash
# Whole process on one folder: scpmaker-compile --check DIR against a plain
# scpmaker-compile DIR. The gumps and tiles lists hold 100,000 entries each,
# all naming one of 100 pictures in the folder, one entry in ten with a
# height the picture does not have; the items list holds one entry.
#   bench/check_vs_compile.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/ci}
runs=${2:-5}
compile=$build/bin/scpmaker-compile
[[ -x $compile ]] || { echo "build first: $compile not found" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/scp-check-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A BMP header of 120 x 200 pixels is all the check reads of a picture.
for i in $(seq 0 99); do
    printf 'BM\0\0\0\0\0\0\0\0\0\0\0\0\x28\0\0\0\x78\0\0\0\xc8\0\0\0' >"$work/pic_$i.bmp"
    head -c 28 /dev/zero >>"$work/pic_$i.bmp"
done
entries() { # PREFIX: 100,000 entries, each separated from the next by the Add spacer
    awk -v prefix="$1" 'BEGIN {
        spacer = sprintf("%37s", "")
        for (i = 0; i < 100000; i++)
            printf "%s0x%05X pic_%d.bmp 120 %d", (i ? spacer : ""), prefix + i, i % 100,
                (i % 10 == 0 ? 201 : 200)
    }'
}
entries 0 >"$work/gumps.scp"
entries 1048576 >"$work/tiles.scp"
printf '0x2000 0 0 0 0 3 20 970 0 Mantle of Night' >"$work/items.scp"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

compile_once() { "$compile" "$work" >/dev/null; }
check_once() { "$compile" --check "$work" >/dev/null || [[ $? == 1 ]]; } # 1: findings

compile_once; check_once # warm the page cache for both
findings=$("$compile" --check "$work" | wc -l || true)

# The two take turns, so that other work on the machine weighs on both
# alike. Each run's wall time is what counts; the processor time (user and
# system) is printed too, as a machine others load stretches the wall time
# of the one that computes more, while the compile mostly waits for the disk.
TIMEFORMAT='%R %U %S'
for _ in $(seq "$runs"); do
    for run in compile_once check_once; do
        { time "$run"; } 2>&1 | awk -v run="$run" '{printf "%s %d %d\n", run, $1 * 1000, ($2 + $3) * 1000}'
    done
done >"$work/times"
stat() { awk -v run="$1" -v col="$2" '$1 == run {print $col}' "$work/times" | median; }
c=$(stat compile_once 2) k=$(stat check_once 2)
cp=$(stat compile_once 3) kp=$(stat check_once 3)
echo "200,000 entries naming 100 pictures, $findings findings; median of $runs runs"
echo "scpmaker-compile:          ${c} ms (${cp} ms of processor time)"
echo "scpmaker-compile --check:  ${k} ms (${kp} ms of processor time)"
# On a busy machine the wall time follows the processor time: both ratios count.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }'; }
echo "ratio:                     $(ratio "$k" "$c") wall, $(ratio "$kp" "$cp") processor time"
