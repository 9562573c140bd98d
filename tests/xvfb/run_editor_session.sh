#!/usr/bin/env bash
# The editor in a real X session, operated with mouse and keyboard as a person
# would: clear the gumps list, type one entry, Add, Save > SaveAllSections,
# Save > CompileMantleScp, two trips to the About window and back, then close the
# main window. The files the editor wrote must match byte for byte.
#
#   run_editor_session.sh SCPMAKER_EXE BLOCKS_DIR
# BLOCKS_DIR holds the template blocks as files (head.txt, gumps_head.txt, items_head.txt, tail.txt, gap.txt).
set -euo pipefail

exe=$(realpath "$1")
blocks=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=x_session.sh
source "$here/x_session.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/scp-xvfb.XXXXXX")
cleanup()
{
    x_session_stop
    if [[ ${keep_work:-0} == 1 ]]; then
        echo "kept $work" >&2
    else
        rm -rf "$work"
    fi
}
x_session_start "$work"
trap cleanup EXIT
keep_work=1 # until the end, so a failure leaves its logs and files

folder=$work/folder
mkdir "$folder"
start_editor "$exe" "$folder"
[[ $main_x == 88 && $main_y == 141 ]] ||
    x_fail "main window at $main_x,$main_y, expected 88,141 (is a window manager running?)"

entry='0x0F00 cloak_gump.bmp 120 200'

click_twips 720 5160 495 375 # Command3: gumps Clear
click_twips 0 4680 2655 375  # Text1: gumps entry field
xdotool key ctrl+a
xdotool type --delay 20 "$entry"
click_twips 120 5160 495 375 # Command2: gumps Add

click_twips 6480 5160 1095 615 # Command9: Save
choose_popup_item 1            # SaveAllSections
confirm_message_box

click_twips 6480 5160 1095 615 # Save again
choose_popup_item 0            # CompileMantleScp
confirm_message_box

# ABOUT swaps to the About window, centred on the 1280 x 1024 screen, with
# Return focused: Enter swaps back.
click_twips 5280 5160 1095 615 # Command8: ABOUT
about=$(timeout 10 xdotool search --sync --onlyvisible --name '^Form2$' | head -n 1) || true
[[ -n $about ]] || x_fail "the About window did not appear"
window_origin "$about"
[[ "$window_x,$window_y,$window_w,$window_h" == "467,369,346,286" ]] ||
    x_fail "About window at $window_x,$window_y size ${window_w}x$window_h"
[[ $(visible_windows) == "$about" ]] || x_fail "the main window stayed visible under About"
about_focused() { [[ $(xdotool getwindowfocus) == "$about" ]]; }
wait_until 10 about_focused || x_fail "About has no focus"
xdotool key Return
wait_until 10 only_main_visible || x_fail "Return did not bring back the main window"

# Again, at the same place; a window manager's close request (Alt+F4) acts as
# Return, so the main window never stays hidden.
click_twips 5280 5160 1095 615
only_about_visible() { [[ $(visible_windows) == "$about" ]]; }
wait_until 10 only_about_visible || x_fail "ABOUT did not show the same window"
window_origin "$about"
[[ "$window_x,$window_y" == "467,369" ]] || x_fail "About window moved to $window_x,$window_y"
close_window "$about"
wait_until 10 only_main_visible || x_fail "closing About did not bring back the main window"

close_window "$main_window"
wait_until 20 editor_ended || x_fail "closing the window did not end the program"
status=0
wait "$editor_pid" || status=$?
[[ $status == 0 ]] || x_fail "the editor exited with status $status (see editor.log)"

# What the editor wrote, byte for byte.
expected=$work/expected
mkdir "$expected"
printf '%s' "$entry" >"$expected/gumps.scp"
printf 'TILES WILL LOAD HERE\r\n' >"$expected/tiles.scp"
printf 'ITEMS WILL LOAD HERE\r\n' >"$expected/items.scp"
cat "$blocks/head.txt" "$blocks/gap.txt" "$expected/tiles.scp" "$blocks/gap.txt" \
    "$blocks/gumps_head.txt" "$blocks/gap.txt" "$expected/gumps.scp" "$blocks/gap.txt" \
    "$blocks/items_head.txt" "$blocks/gap.txt" "$expected/items.scp" "$blocks/gap.txt" \
    "$blocks/tail.txt" >"$expected/mantle.scp"
for file in gumps.scp tiles.scp items.scp mantle.scp; do
    cmp "$expected/$file" "$folder/$file" || x_fail "$file differs from the expected bytes"
done
written=$(find "$folder" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')
[[ $written == 'gumps.scp items.scp mantle.scp tiles.scp ' ]] || x_fail "the folder holds: $written"

keep_work=0
echo "PASS: editor session under Xvfb ($DISPLAY)"
