#!/usr/bin/env bash
# The editor in a real X session, operated with mouse and keyboard as a person
# would: clear the gumps list, type one entry, Add, Save > SaveAllSections
# through the real popup menu and message box. The section files must match
# byte for byte. (check_accessibility.sh visits the About window.)
#   run_editor_session.sh SCPMAKER_EXE
set -euo pipefail
exe=$(realpath "$1")
# shellcheck source-path=SCRIPTDIR source=x_session.sh
source "$(dirname "$0")/x_session.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/scp-xvfb.XXXXXX")
x_session_start "$work"
# A failure leaves its logs and files behind.
trap 'x_session_stop; [[ ${passed:-} ]] && rm -rf "$work" || echo "kept $work" >&2' EXIT

# choose_popup_item INDEX: waits for the menu to open with its top-left corner
# at the pointer, then clicks item INDEX (0 = first) of its two equal items.
pointer_over_menu()
{
    eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y|WINDOW)=')"
    [[ -n $WINDOW && $WINDOW != "$main_window" && $WINDOW != 0 ]]
}
choose_popup_item()
{
    local X Y WINDOW
    wait_until 10 pointer_over_menu || x_fail "no popup menu at the pointer"
    window_origin "$WINDOW"
    [[ $window_x == "$X" && $window_y == "$Y" ]] ||
        x_fail "popup at $window_x,$window_y, pointer at $X,$Y"
    click_at $((X + 30)) $((Y + window_h * (2 * $1 + 1) / 4))
}

# Waits for the modal box to take the focus, presses Enter, waits for it to go.
box_focused()
{
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null) && [[ $focus != "$main_window" ]]
}
only_main_visible() { [[ $(xdotool search --onlyvisible --pid "$editor_pid") == "$main_window" ]]; }
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

printf '%s' "$entry" >"$work/gumps.scp"
printf 'TILES WILL LOAD HERE\r\n' >"$work/tiles.scp"
printf 'ITEMS WILL LOAD HERE\r\n' >"$work/items.scp"
for file in gumps.scp tiles.scp items.scp; do
    cmp "$work/$file" "$folder/$file" || x_fail "$file differs from the expected bytes"
done
written=$(find "$folder" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')
[[ $written == 'gumps.scp items.scp tiles.scp ' ]] || x_fail "the folder holds: $written"
passed=1
echo "PASS: editor session under Xvfb ($DISPLAY)"
