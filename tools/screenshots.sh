#!/usr/bin/env bash
# Takes the README's screenshots from the real program in a private Xvfb
# display: the main window as it starts, and the About window.
#   tools/screenshots.sh [BUILD_DIR]      (default: build/release)
# Writes docs/screenshots/main-window.png and docs/screenshots/about-window.png.
# A developer's tool: it needs Xvfb, xdotool and ImageMagick's import and
# identify (Debian packages xvfb, xdotool, imagemagick), which
# tools/install-deps.sh leaves to you.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
exe=$build/bin/scpmaker
[[ -x $exe ]] || { echo "build first: $exe not found" >&2; exit 1; }
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done

# shellcheck source-path=SCRIPTDIR source=../tests/xvfb/x_session.sh
source "$root/tests/xvfb/x_session.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/scp-shots.XXXXXX")
x_session_start "$work"
trap 'x_session_stop; rm -rf "$work"' EXIT

out=$root/docs/screenshots
mkdir -p "$out" "$work/folder"

# import reads the window's pixels from the server; a moment first lets the
# program finish painting what it has just mapped.
shoot()
{
    sleep 0.5
    import -window "$1" -strip "$2"
    echo "wrote $2 ($(identify -format '%wx%h' "$2"))"
}

start_editor "$exe" "$work/folder"
shoot "$main_window" "$out/main-window.png"

click_twips 5280 5160 1095 615 # ABOUT
about=$(timeout 10 xdotool search --sync --onlyvisible --name '^Form2$' | head -n 1) || true
[[ -n $about ]] || x_fail "the About window did not appear"
shoot "$about" "$out/about-window.png"
