#!/usr/bin/env bash
# The same work on one machine, by the Linux build and by the Windows build
# under Wine: the editor's start-up until its main window is on an Xvfb
# display, and scpmaker-compile of a ~100 MB script (section files made as
# compile_vs_cat.sh makes them), each the median of RUNS. Wine's server is
# kept running between runs, as it is for a second program on one desktop.
# Wine is a layer over Linux, not Windows: its figures say what the Windows
# build costs here, not what it would cost on Windows.
#   bench/wine_vs_linux.sh [LINUX_BUILD] [WINDOWS_BUILD] [RUNS]
# (tools/test.sh and tools/test-windows.sh make build/ci and build/windows.)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux=$(cd "${1:-$root/build/ci}" && pwd)
windows=$(cd "${2:-$root/build/windows}" && pwd)
runs=${3:-5}
wine=${SCP_WINE:-/usr/lib/wine/wine64}
for file in "$linux/bin/scpmaker" "$linux/bin/scpmaker-compile" "$windows/bin/scpmaker.exe" \
    "$windows/bin/scpmaker-compile.exe"; do
    [[ -f $file ]] || { echo "build first: $file not found" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/scp-wine-bench.XXXXXX")
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEPATH=$windows/bin
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() {
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
"$wine" wineboot --init >/dev/null 2>&1

mkdir "$work/lists" "$work/empty"
third=$((100 * 1024 * 1024 / 3))
entries() ( # yes and tr end on SIGPIPE once head has enough: not an error
    set +o pipefail
    yes "$1" | tr -d '\n' | head -c "$third"
)
entries "0x4000 tile_marble.bmp 44 44$(printf '%37s' '')" >"$work/lists/tiles.scp"
entries "0x0F00 gump_cloak_m.bmp 120 200$(printf '%37s' '')" >"$work/lists/gumps.scp"
entries "0x2000 0 0 0 0 3 20 970 0 Mantle of Night$(printf '%86s' '')" >"$work/lists/items.scp"

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
milliseconds() { # COMMAND...: median wall time of RUNS runs, one warm-up first
    "$@" >/dev/null 2>&1
    for _ in $(seq "$runs"); do
        local t0
        t0=$(now)
        "$@" >/dev/null 2>&1
        echo $((($(now) - t0) / 1000000))
    done | median
}

# From the start of the process until the main window is mapped, then the
# program is ended. Polled every 10 ms.
start_once() {
    local t0 pid
    t0=$(now)
    (cd "$work/empty" && exec "$@" >/dev/null 2>&1) &
    pid=$!
    until [[ $(xwininfo -root -tree 2>/dev/null) == *'"MoonrakesMantle.'* ]]; do
        sleep 0.01
        if (($(now) - t0 > 60000000000)); then
            echo "the main window did not show: $*" >&2
            exit 1
        fi
    done
    echo $((($(now) - t0) / 1000000))
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    while [[ $(xwininfo -root -tree 2>/dev/null) == *'"MoonrakesMantle.'* ]]; do sleep 0.05; done
}
startup() {
    start_once "$@" >/dev/null
    for _ in $(seq "$runs"); do start_once "$@"; done | median
}

linux_start=$(startup "$linux/bin/scpmaker")
wine_start=$(startup "$wine" "$windows/bin/scpmaker.exe")
linux_compile=$(milliseconds "$linux/bin/scpmaker-compile" "$work/lists")
cp "$work/lists/mantle.scp" "$work/linux.scp"
wine_compile=$(milliseconds "$wine" "$windows/bin/scpmaker-compile.exe" "$work/lists")
cmp -s "$work/lists/mantle.scp" "$work/linux.scp" || { echo "the two scripts differ" >&2; exit 1; }

echo "median of $runs runs; script $(stat -c %s "$work/lists/mantle.scp") bytes"
printf '%-44s %8s %8s\n' "" Linux Wine
printf '%-44s %5s ms %5s ms\n' "editor start-up, until the main window shows" \
    "$linux_start" "$wine_start"
printf '%-44s %5s ms %5s ms\n' "scpmaker-compile, ~100 MB script" "$linux_compile" "$wine_compile"
