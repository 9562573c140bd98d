#!/usr/bin/env bash
# What a screen reader finds through AT-SPI on a private session bus: every
# control by name and role, each entry field named by its labels, and About
# and Return pressed by their own actions. Exits 77 without the tools.
#   check_accessibility.sh SCPMAKER_EXE
set -euo pipefail
# python3-pyatspi lives in the system's Python, hence /usr/bin/python3.
if ! command -v dbus-run-session >/dev/null ||
    ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "SKIP: needs dbus-run-session and python3-pyatspi" && exit 77
fi
[[ -n ${SCP_ON_PRIVATE_BUS:-} ]] || SCP_ON_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
exe=$(realpath "$1")
# shellcheck source-path=SCRIPTDIR source=x_session.sh
source "$(dirname "$0")/x_session.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/scp-atspi.XXXXXX")
x_session_start "$work"
trap 'x_session_stop; rm -rf "$work"' EXIT
mkdir "$work/folder"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_editor "$exe" "$work/folder"

/usr/bin/python3 - <<'PY'
import sys, time, pyatspi

def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)

def check(title, expected):
    """The window's controls on screen by name; expected: name -> role."""
    for _ in range(100):
        windows = [top for app in pyatspi.Registry.getDesktop(0) if app and app.name == "scpmaker"
                   for top in app if top.name == title and showing(top)]
        if windows:
            break
        time.sleep(0.1)
    else:
        sys.exit(f"FAIL: no window {title!r} on the accessibility bus")
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
main = check("MoonrakesMantle.zozOzazez", expected)
for noun, caption in fields.items():
    labels = [rel.getTarget(0).name for rel in main[f"New {noun} entry"].getRelationSet()
              if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    if sorted(" ".join(labels).split()) != sorted(caption.split()):
        sys.exit(f"FAIL: the {noun} entry is labelled by {labels}")

main["About"].queryAction().doAction(0)
about = check("Form2", {"Return": "push button", "Visit web site": "label", "Mail": "label",
                        "ICQ directory search": "label"})
about["Return"].queryAction().doAction(0)
check("MoonrakesMantle.zozOzazez", {})
print("PASS: accessible names and roles over AT-SPI")
PY
