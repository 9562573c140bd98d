#!/usr/bin/env bash
# Takes the README's screenshots from the real program in a private Xvfb
# display: the main window as it starts, the About window, lists with marks, a
# picture preview, and the window filling the screen with a find under way.
#   tools/screenshots.sh [BUILD_DIR]      (default: build/release)
# Writes docs/screenshots/main-window.png, about-window.png, marked-lists.png,
# picture-preview.png and find-in-long-list.png.
# A developer's tool: it needs Xvfb, xdotool and ImageMagick's import and
# identify (Debian packages xvfb, xdotool, imagemagick); tools/install-deps.sh
# --test installs only xvfb.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
exe=$build/bin/scpmaker
[[ -x $exe ]] || { echo "build first: $exe not found" >&2; exit 1; }
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done

# shellcheck source-path=SCRIPTDIR source=x_session.sh
source "$root/tools/x_session.sh"
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
about=$(timeout 10 xdotool search --sync --onlyvisible --name '^About scpmaker$' | head -n 1) || true
[[ -n $about ]] || x_fail "the About window did not appear"
shoot "$about" "$out/about-window.png"
kill "$editor_pid"
wait "$editor_pid" || true

# The lists with the lint's marks, the pointer resting on one: Load in a
# folder whose section files hold the usual mistakes. Writes
# docs/screenshots/marked-lists.png.
marked=$work/marked
mkdir -p "$marked"
{ printf 'BM'; head -c 12 /dev/zero; printf '\x28\0\0\0\x78\0\0\0\xc8\0\0\0'; head -c 28 /dev/zero; } \
    >"$marked/cloak.bmp" # a BMP header: 120 x 200 pixels
spacer=$(printf '%37s' '') item_spacer=$(printf '%86s' '')
printf '%s' "GUMPS WILL LOAD HERE"$'\r\n'"0x0F00 cloak.bmp 120 200${spacer}0x0F01 cloak.bmp 120 220" \
    "${spacer}0xF00 belt.bmp 32 32${spacer}0x0F02 Cloak.bmp 120 200" >"$marked/gumps.scp"
printf '%s' "0x0200 floor.png 44 44${spacer}HexID Filename.bmp Width Height" >"$marked/tiles.scp"
printf '%s' "0x1F03 0 0 0 0 5 9 100 12 Mantle of Night${item_spacer}0x1F04 0 0 0 0 5 20 100 12" \
    " Belt of Dawn${item_spacer}0x1F05 0 0 0 0 5 20 101" >"$marked/items.scp"
start_editor "$exe" "$marked"
click_twips 4080 5160 1095 615 # Load
xdotool mousemove --sync $((main_x + 70)) $((main_y + 78)) # over "Cloak.bmp"
sleep 2 # the tooltip's delay
import -window root -crop "$((12165 / 15))x$((4215 / 15))+$main_x+$main_y" -strip "$out/marked-lists.png"
echo "wrote $out/marked-lists.png"
kill "$editor_pid"
wait "$editor_pid" || true

# An entry's picture, the pointer resting on the entry: its preview with its
# true size and the entry's size mark. Writes docs/screenshots/picture-preview.png.
pictures=$work/pictures
mkdir -p "$pictures"
convert -size 120x200 gradient:'#2d4f8a-#e0b040' -fill '#7a1f1f' -draw 'rectangle 20,40 100,160' \
    BMP3:"$pictures/cloak.bmp"
convert -size 32x32 gradient:'#704020-#d0a060' BMP3:"$pictures/belt.bmp"
printf '%s' "0x0F00 cloak.bmp 120 220${spacer}0x0F01 belt.bmp 32 32" >"$pictures/gumps.scp"
start_editor "$exe" "$pictures"
click_at $((main_x + 80)) $((main_y + 200)) # tooltips show in the active window
xdotool mousemove --sync $((main_x + 70)) $((main_y + 27)) # over "cloak.bmp"
sleep 2 # the tooltip's delay
import -window root -crop "$((12165 / 15))x$((5835 / 15))+$main_x+$main_y" -strip \
    "$out/picture-preview.png"
echo "wrote $out/picture-preview.png"
kill "$editor_pid"
wait "$editor_pid" || true

# Long lists (3,000 entries each, a few of them marked) in the window grown to
# fill the screen, as maximised on a desktop (Xvfb has no window manager to
# maximise it), with a find for an id under way in the gumps list. Writes
# docs/screenshots/find-in-long-list.png.
long=$work/long
mkdir -p "$long"
bmp_header() # WIDTH HEIGHT: the start of a BMP file, enough for the marks
{
    printf 'BM'; head -c 12 /dev/zero
    printf "\\x28\\0\\0\\0\\x$(printf %02x "$1")\\0\\0\\0\\x$(printf %02x "$2")\\0\\0\\0"
    head -c 28 /dev/zero
}
bmp_header 120 200 >"$long/cloak_of_the_north_male.bmp"
bmp_header 44 44 >"$long/tile_marble.bmp"
awk 'BEGIN { for (i = 0; i < 3000; ++i) printf "%s0x%04X cloak_of_the_north_male.bmp 120 %d",
             (i ? sprintf("%37s", "") : ""), 6656 + i, (i == 2100 ? 220 : 200) }' >"$long/gumps.scp"
awk 'BEGIN { for (i = 0; i < 3000; ++i) printf "%s0x%04X tile_marble.bmp 44 44",
             (i ? sprintf("%37s", "") : ""), (i == 1500 ? 512 : 512 + i) }' >"$long/tiles.scp"
awk 'BEGIN { for (i = 0; i < 3000; ++i) printf "%s0x%04X 0 0 0 0 5 %d %d 12 Mantle of Night",
             (i ? sprintf("%86s", "") : ""), 8192 + i, (i == 40 ? 9 : 20), 900 + i }' >"$long/items.scp"
start_editor "$exe" "$long"
xdotool windowmove --sync "$main_window" 0 0 windowsize --sync "$main_window" 1280 1024
sleep 0.5
xdotool mousemove --sync 60 200 click 1 # into the gumps list
xdotool key ctrl+f
xdotool type --delay 60 0x1F40
shoot "$main_window" "$out/find-in-long-list.png"
