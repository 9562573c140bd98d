#!/usr/bin/env bash
# Start-up as a user sees it: from the program's start to the X server
# mapping its main window, scpmaker in an empty folder against a bare Qt
# Widgets window of the same size, taking turns, on an Xvfb of its own. The
# same window holding one plain-text box runs in turn with them: what any
# window with text pays beyond the bare one.
#   bench/startup_vs_bare.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/ci}" && pwd)
runs=${2:-15}
editor=$build/bin/scpmaker
map_time=$build/bench/map_time
bare=$build/bench/bare_window
for f in "$editor" "$map_time" "$bare"; do
    [[ -x $f ]] || { echo "build first: $f not found" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/scp-startup-bench.XXXXXX")
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" $(cat "$work/bus.pid" 2>/dev/null); rm -rf "$work"' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb
# A user of its own: no settings, recent folders or recovery journals of
# anyone's, the same for every run.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$work/folder" "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# A desktop session has a message bus, which Qt's accessibility bridge joins
# as the editor's window is made. Without one, the D-Bus library forks the
# program to start a helper that would look for one: a cost no desktop user
# pays. So the runs have a session bus of their own, as a desktop has, and
# never the caller's (where a screen reader may be listening). Its daemon's
# word is dropped: started as root in a container, it says it cannot raise
# its limit of open files.
unset DBUS_SESSION_BUS_ADDRESS
bus="none (no dbus-daemon)"
if command -v dbus-daemon >/dev/null; then
    address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 \
        3>"$work/bus.pid" 2>/dev/null) || address=
    if [[ -n $address ]]; then
        export DBUS_SESSION_BUS_ADDRESS=$address
        bus="one of its own"
    fi
fi
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 1

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Each run is ended once mapped, which leaves the lock files of its settings
# and of its folder's recovery: the next starts as after a close, without them.
editor_once() {
    find "$HOME" -name '*.lock*' -delete
    (cd "$work/folder" && "$map_time" "$editor" "$work/folder")
}
size=$(editor_once | awk '{print $2}') # and the first run warms the caches
bare_once() { "$map_time" "$bare" "${size%x*}" "${size#*x}" "$@"; } # --text: with a text box
bare_once >/dev/null
bare_once --text >/dev/null
for _ in $(seq "$runs"); do
    echo "editor $(editor_once | awk '{print $1}')"
    echo "bare $(bare_once | awk '{print $1}')"
    echo "text $(bare_once --text | awk '{print $1}')"
done >"$work/times"
median_of() { awk -v name="$1" '$1 == name {print $2}' "$work/times" | median; }
e=$(median_of editor)
b=$(median_of bare)
t=$(median_of text)
echo "start to the mapped window, a $size window, median of $runs runs each, in turns;"
echo "session message bus: $bus"
awk -v e="$e" -v b="$b" -v t="$t" 'BEGIN {
    printf "scpmaker in an empty folder:  %.1f ms\n", e / 1000
    printf "bare Qt Widgets window:       %.1f ms\n", b / 1000
    printf "the same with one text box:   %.1f ms\n", t / 1000
    printf "ratio:                        %.2fx\n", e / b
    printf "ratio to the text box window: %.2fx (that window to the bare one: %.2fx)\n", e / t, t / b }'
