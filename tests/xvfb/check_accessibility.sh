#!/usr/bin/env bash
# What a screen reader finds through AT-SPI on a private session bus: controls by
# name and role, fields named by their labels, About and Return pressed by their
# actions, the icon whole once painted; a folder that cannot be opened said in a box
# whose OK ends the program.
set -euo pipefail
# python3-pyatspi lives in the system's Python, hence /usr/bin/python3.
command -v Xvfb >/dev/null && command -v dbus-run-session >/dev/null && command -v xprop >/dev/null &&
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "SKIP: needs Xvfb, dbus-run-session, xprop and python3-pyatspi"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/scp-atspi.XXXXXX")
mkdir -m 700 "$work/runtime" && mkdir "$work/folder"
# Journals and the window's settings go to the scratch folder.
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_RUNTIME_DIR=$work/runtime \
    XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config

# A private X server, no window manager, on a display it picks (-displayfd).
xvfb=
start_x() {
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    for _ in $(seq 300); do [[ -s $work/display ]] && break; sleep 0.1; done
    [[ -s $work/display ]] || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
    DISPLAY=:$(tr -d '[:space:]' <"$work/display") && export DISPLAY
}
# Waited for, so a next run never meets it shutting down.
stop_x() { [[ -z $xvfb ]] || { kill "$xvfb"; wait "$xvfb" || true; xvfb=; }; }
trap 'stop_x 2>/dev/null; rm -rf "$work"' EXIT

# On a private session bus, where the accessibility bus starts.
check() {
    dbus-run-session -- /usr/bin/python3 - "$(realpath "$1")" "$work/folder" <<'PY'
import atexit, os, re, subprocess, sys, time, pyatspi

editor = subprocess.Popen([sys.argv[1]], cwd=sys.argv[2])
atexit.register(editor.kill)

showing = lambda node: node.getState().contains(pyatspi.STATE_SHOWING)

def check(title, expected):
    """The window's controls on screen by name; expected: name -> role."""
    for _ in range(300):  # 30 s: a loaded machine starts slowly
        if editor.poll() is not None and "Load" in expected:
            sys.exit(75)  # died before its first window: a server it never reached
        windows = [top for app in pyatspi.Registry.getDesktop(0) if app and app.name == "scpmaker"
                   for top in app if top.name == title and showing(top)]
        if windows: break
        time.sleep(0.1)
    else: sys.exit(f"FAIL: no window {title!r} on the accessibility bus")
    found = {}
    for node in filter(showing, windows[0]):
        if node.getState().contains(pyatspi.STATE_FOCUSABLE) and not node.name:
            sys.exit(f"FAIL: an unnamed {node.getRoleName()} can take the focus")
        found.setdefault(node.name, []).append(node)
    for name, role in expected.items():
        if [node.getRoleName() for node in found.get(name, [])] != [role]:
            sys.exit(f"FAIL: {title}: not one {role} named {name!r}")
    return {name: nodes[0] for name, nodes in found.items()}

fields = {"gump": "HexID Filename.bmp Width Height", "tile": "HexID Filename.bmp Width Height",
          "item": "ItemHex Flag1 Flag2 Flag3 Flag4 weight layer animation height itemName"}
expected = {"Load": "push button", "About": "push button", "Save": "push button"}
for noun in fields:
    expected |= {f"{noun.capitalize()}s list": "text", f"New {noun} entry": "text",
                 f"Add {noun}": "push button", f"Clear {noun}s": "push button"}
main_title = "MoonrakesMantle.zozOzazez - folder"  # the caption, then the folder's name
main = check(main_title, expected)
for noun, caption in fields.items():
    labels = [rel.getTarget(0).name for rel in main[f"New {noun} entry"].getRelationSet()
              if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    if sorted(" ".join(labels).split()) != sorted(caption.split()):
        sys.exit(f"FAIL: the {noun} entry is labelled by {labels}")

main["About"].queryAction().doAction(0)
about = check("About scpmaker", {"Return": "push button", "Visit web site": "label", "Mail": "label",
                        "ICQ directory search": "label"})
about["Return"].queryAction().doAction(0)
check(main_title, {})
# The icon's larger pictures come once the window is painted, for docks and dense screens.
icon = subprocess.run(["xprop", "-name", main_title, "-len", "999999", "_NET_WM_ICON"],
                      capture_output=True, text=True).stdout
if re.findall(r"Icon \((\d+) x", icon) != ["16", "32", "48", "64", "128", "256"]:
    sys.exit(f"FAIL: the window's icon has the sizes {re.findall(r'Icon (.*):', icon)}")

# From a desktop's menu on an X display alone: the reason a folder cannot be opened
# shows in a message box, and its OK ends the program with a failure.
missing = os.path.join(sys.argv[2], "none")
refused = subprocess.Popen([sys.argv[1], missing], stderr=subprocess.DEVNULL,
                           env={k: v for k, v in os.environ.items() if k != "WAYLAND_DISPLAY"})
atexit.register(refused.kill)
descendants = lambda node: [node] + [d for child in node for d in descendants(child)]
for _ in range(300):
    if refused.poll() is not None:  # 1: it said nothing on screen; else no server reached
        sys.exit(f"FAIL: the refused folder showed no message box (exit {refused.returncode})"
                 if refused.returncode == 1 else 75)
    boxes = [top for app in pyatspi.Registry.getDesktop(0) if app and app.name == "scpmaker"
             for top in app if top.getRoleName() == "alert" and showing(top)]
    if boxes: break
    time.sleep(0.1)
else: sys.exit("FAIL: no message box for the refused folder")
nodes = {node.name: node for node in descendants(boxes[0])}
if f'Cannot open the folder "{missing}": No such file or directory' not in nodes:
    sys.exit(f"FAIL: the box says {sorted(nodes)}")
nodes["OK"].queryAction().doAction(0)
try: status = refused.wait(30)
except subprocess.TimeoutExpired: sys.exit("FAIL: OK did not end the program")
if status != 1: sys.exit(f"FAIL: the refused folder ended with {status}, not 1")
print("PASS: accessible names and roles over AT-SPI, and the refused folder's box")
PY
}

# A server the editor cannot reach gets a fresh one, twice; else the verdict stands.
for _ in 1 2 3; do
    start_x
    status=0
    check "$1" || status=$?
    stop_x
    [[ $status -eq 75 ]] || exit "$status"
done
echo "FAIL: the editor reached none of three fresh X servers"
exit 1
