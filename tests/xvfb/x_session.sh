# shellcheck shell=bash
# Shared by the real-window test and tools/screenshots.sh: a private Xvfb
# display with no window manager, the editor started in a folder of its own,
# and helpers that operate it with xdotool the way a person would.
#
# With no window manager a window lands exactly where the program puts it, so
# controls are clicked at their layout position: twips / 15 plus the window's
# origin. Every wait is bounded; x_session_stop (installed as the EXIT trap by
# x_session_start) ends the editor and the server whatever happened.
#
# Source this file from bash, then call x_session_start WORKDIR.

x_session_pids=()
x_session_work=

# Fails the calling script with a message on stderr.
x_fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_until()
{
    local limit=$(($1 * 10))
    shift
    local i
    for ((i = 0; i < limit; ++i)); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

x_session_stop()
{
    local pid
    for pid in "${x_session_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${x_session_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    x_session_pids=()
}

# Starts Xvfb on a display it picks itself (-displayfd), so parallel runs and
# a desktop's own display never collide, and exports DISPLAY.
x_session_start()
{
    x_session_work=$1
    trap x_session_stop EXIT
    local number_file=$x_session_work/display
    : >"$number_file"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$number_file" >"$x_session_work/xvfb.log" 2>&1 &
    x_session_pids+=($!)
    wait_until 20 test -s "$number_file" || x_fail "Xvfb did not start (see xvfb.log)"
    DISPLAY=:$(tr -d '[:space:]' <"$number_file")
    export DISPLAY
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR=$x_session_work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# start_editor EXE FOLDER: runs the editor with FOLDER as its current directory
# and waits for its main window; sets editor_pid, main_window, main_x, main_y.
start_editor()
{
    local exe=$1 folder=$2
    (cd "$folder" && exec "$exe") >"$x_session_work/editor.log" 2>&1 &
    editor_pid=$!
    x_session_pids+=("$editor_pid")
    main_window=$(timeout 20 xdotool search --sync --onlyvisible --name '^MoonrakesMantle\.zozOzazez$' |
        head -n 1) || true
    [[ -n $main_window ]] || x_fail "the main window did not appear (see editor.log)"
    window_origin "$main_window"
    main_x=$window_x main_y=$window_y
}

# window_origin ID: sets window_x, window_y, window_w, window_h.
# shellcheck disable=SC2034 # the variables are the function's results
window_origin()
{
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    window_x=$X window_y=$Y window_w=$WIDTH window_h=$HEIGHT
}

# click_twips LEFT TOP WIDTH HEIGHT: clicks the middle of a control of the
# main window, its rectangle given in twips as the layout gives it.
click_twips()
{
    click_at $((main_x + ($1 + $3 / 2) / 15)) $((main_y + ($2 + $4 / 2) / 15))
}

# click_at X Y: moves the pointer there (waiting until it has arrived) and
# clicks. --sync waits for a motion event, which never comes when the pointer
# is already in place, so that case skips the move.
click_at()
{
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    if [[ $X != "$1" || $Y != "$2" ]]; then
        xdotool mousemove --sync "$1" "$2"
    fi
    xdotool click 1
}

# The editor's mapped windows (Qt sets _NET_WM_PID on each).
visible_windows()
{
    xdotool search --onlyvisible --pid "$editor_pid" 2>/dev/null | sort
}

only_main_visible()
{
    [[ $(visible_windows) == "$main_window" ]]
}

editor_ended()
{
    ! kill -0 "$editor_pid" 2>/dev/null
}

# A window other than the main one is up and has the keyboard focus.
other_window_focused()
{
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null) || return 1
    [[ $focus != "$main_window" ]] && visible_windows | grep -qx "$focus"
}

# Sets X, Y and WINDOW from the pointer; true when it is over a window other
# than the main one.
pointer_over_other_window()
{
    eval "$(xdotool getmouselocation --shell)"
    [[ -n $WINDOW && $WINDOW != "$main_window" && $WINDOW != 0 ]]
}

# choose_popup_item INDEX: the menu just opened at the pointer (its top-left
# corner is the pointer); clicks item INDEX (0 = first) of its two items.
choose_popup_item()
{
    # shellcheck disable=SC2034 # SCREEN is set too, and not needed
    local X Y SCREEN WINDOW # set by pointer_over_other_window
    wait_until 10 pointer_over_other_window || x_fail "no popup menu at the pointer"
    local px=$X py=$Y
    window_origin "$WINDOW"
    [[ $window_x == "$px" && $window_y == "$py" ]] ||
        x_fail "popup at $window_x,$window_y, pointer at $px,$py"
    # Two items of equal height fill the menu between its thin frames.
    click_at $((px + 30)) $((py + window_h * (2 * $1 + 1) / 4))
}

# confirm_message_box: waits for the modal box, presses Enter, waits for it
# to go.
confirm_message_box()
{
    wait_until 10 other_window_focused || x_fail "no message box appeared"
    xdotool key Return
    wait_until 10 only_main_visible || x_fail "the message box did not close: $(visible_windows | tr "\n" " ")"
}

# close_window ID: asks the window to close, as a window manager's close box
# does (WM_DELETE_WINDOW). xdotool cannot send that message, so a few lines of
# Python over libX11 do.
close_window()
{
    python3 - "$1" <<'PY'
import ctypes, ctypes.util, sys

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                           ctypes.POINTER(Event)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.xclient.data[1] = 0  # CurrentTime
x11.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
PY
}
