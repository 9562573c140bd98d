#!/usr/bin/env bash
# Fresh Debian 12: installs what is missing, builds in Release and starts the
# editor. With no display it says so and builds the example patch with the
# headless compiler instead, in a temporary folder (the work tree stays clean).
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
root=$PWD

tools/install-deps.sh
cmake --preset release >/dev/null
# The two programs and the gzipped pages `cmake --install` wants; the tests
# are tools/test.sh's business.
cmake --build --preset release -j"$(nproc)" --target scpmaker scpmaker-compile scp_gzipped

bin=$root/build/release/bin
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    # The editor keeps its files in the folder it is started in: the caller's.
    cd "$here"
    exec "$bin/scpmaker" "$@"
fi

cat <<TXT
No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the editor
cannot open its window here. Without a display, build a script from section
files with the headless compiler:

    $bin/scpmaker-compile DIR    # reads DIR/gumps.scp, tiles.scp, items.scp; writes DIR/mantle.scp

Building the example patch in examples/patch that way now:
TXT
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/patch/*.scp "$work"/
"$bin/scpmaker-compile" "$work"
echo "--- $work/mantle.scp (first 12 lines, line ends shown as ^M\$) ---"
head -n 12 "$work/mantle.scp" | cat -A | cut -c1-100
