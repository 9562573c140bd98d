# shellcheck shell=bash
# Sourced by tools/screenshots.sh: a private Xvfb
# with no window manager, so windows land where the program puts them and
# controls are clicked at their layout places. Every wait is bounded; the
# EXIT trap (x_session_stop) ends the editor and the server.

x_session_pids=()

x_fail() { echo "FAIL: $*" >&2 && exit 1; }

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_until()
{
    local i
    for ((i = 0; i < $1 * 10; ++i)); do
        "${@:2}" && return 0
        sleep 0.1
    done
    return 1
}

x_session_stop()
{
    kill "${x_session_pids[@]}" 2>/dev/null || true
    wait "${x_session_pids[@]}" 2>/dev/null || true
    x_session_pids=()
}

# Starts Xvfb on a display it picks itself (-displayfd), so parallel runs and
# a desktop's own display never collide, and exports DISPLAY.
x_session_start()
{
    x_session_work=$1
    trap x_session_stop EXIT
    : >"$x_session_work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$x_session_work/display" >"$x_session_work/xvfb.log" 2>&1 &
    x_session_pids+=($!)
    wait_until 20 test -s "$x_session_work/display" || x_fail "Xvfb did not start (see xvfb.log)"
    DISPLAY=:$(tr -d '[:space:]' <"$x_session_work/display")
    # Recovery journals and the window's settings stay in the session's
    # folder, not the user's.
    export DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$x_session_work/runtime \
        XDG_DATA_HOME=$x_session_work/data XDG_CONFIG_HOME=$x_session_work/config
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# start_editor EXE FOLDER: runs the editor in FOLDER and waits for its main
# window; sets editor_pid, main_window, main_x, main_y.
start_editor()
{
    (cd "$2" && exec "$1") >"$x_session_work/editor.log" 2>&1 &
    editor_pid=$!
    x_session_pids+=("$editor_pid")
    main_window=$(timeout 20 xdotool search --sync --onlyvisible \
        --name '^MoonrakesMantle\.zozOzazez( - .*)?$' | head -n 1) || true
    [[ -n $main_window ]] || x_fail "the main window did not appear (see editor.log)"
    window_origin "$main_window"
    main_x=$window_x main_y=$window_y
}

# window_origin ID: sets window_x, window_y, window_h.
# shellcheck disable=SC2034 # the variables are the function's results
window_origin()
{
    local X Y HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|HEIGHT)=')"
    window_x=$X window_y=$Y window_h=$HEIGHT
}

# click_twips LEFT TOP WIDTH HEIGHT: clicks the middle of a main window's
# control, its rectangle given in twips as the layout gives it.
click_twips() { click_at $((main_x + ($1 + $3 / 2) / 15)) $((main_y + ($2 + $4 / 2) / 15)); }

# click_at X Y: moves the pointer there and clicks (--sync waits for a motion
# event, which never comes when the pointer is already in place).
click_at()
{
    local X Y
    eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
    [[ $X == "$1" && $Y == "$2" ]] || xdotool mousemove --sync "$1" "$2"
    xdotool click 1
}
