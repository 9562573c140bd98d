#!/usr/bin/env bash
# The editor in a real X session, operated with mouse and keyboard as a person
# would: clear the gumps list, type one entry, Add, Save > SaveAllSections,
# Save > CompileMantleScp. The files the editor wrote must match byte for
# byte. (The About window is visited by check_accessibility.sh.)
#   run_editor_session.sh SCPMAKER_EXE BLOCKS_DIR
# BLOCKS_DIR holds the template blocks (head.txt, gumps_head.txt, ...).
set -euo pipefail
exe=$(realpath "$1")
blocks=$(realpath "$2")
# shellcheck source-path=SCRIPTDIR source=x_session.sh
source "$(dirname "$0")/x_session.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/scp-xvfb.XXXXXX")
x_session_start "$work"
# A failure leaves its logs and files behind.
trap 'x_session_stop; [[ ${passed:-} ]] && rm -rf "$work" || echo "kept $work" >&2' EXIT

# Sets X, Y and WINDOW from the pointer; true when it is over another window.
# shellcheck disable=SC2034 # SCREEN is set too, and not needed
pointer_over_other_window()
{
    eval "$(xdotool getmouselocation --shell)"
    [[ -n $WINDOW && $WINDOW != "$main_window" && $WINDOW != 0 ]]
}

# choose_popup_item INDEX: the menu just opened with its top-left corner at
# the pointer; clicks item INDEX (0 = first) of its two equal-height items.
choose_popup_item()
{
    local X Y SCREEN WINDOW
    wait_until 10 pointer_over_other_window || x_fail "no popup menu at the pointer"
    window_origin "$WINDOW"
    [[ $window_x == "$X" && $window_y == "$Y" ]] || x_fail "popup at $window_x,$window_y, pointer at $X,$Y"
    click_at $((X + 30)) $((Y + window_h * (2 * $1 + 1) / 4))
}

# Waits for the modal box to take the focus, presses Enter, waits for it to go.
box_focused()
{
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null) && [[ $focus != "$main_window" ]]
}
confirm_message_box()
{
    wait_until 10 box_focused || x_fail "no message box appeared"
    xdotool key Return
    wait_until 10 only_main_visible || x_fail "the message box did not close"
}

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
passed=1
echo "PASS: editor session under Xvfb ($DISPLAY)"
