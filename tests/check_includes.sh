#!/usr/bin/env bash
# Fails when an include points the wrong way: the core names nothing of Qt
# Gui or Widgets, no library reaches into another folder by path (the include
# roots already keep editor headers out of the core's reach), and no two
# headers include each other.
#   check_includes.sh SRC_DIR
set -u
src=$1
status=0
complain() { echo "$1"; status=1; }
while IFS= read -r hit; do complain "core includes a GUI header: $hit"; done < <(
    grep -rnE '#include <(Qt(Gui|Widgets)/|Q(Widget|Application|GuiApplication|Menu|Label|Action|Font|Icon|Pixmap|Image|Color|Clipboard|Painter)\b)' "$src/core")
while IFS= read -r hit; do complain "include reaches a folder by path: $hit"; done < <(
    grep -rnE '#include "(\.\./|core/|editor/|app/)' "$src")
for a in "$src"/*/*.h; do
    for b in $(grep -oE '^#include "[^"]+\.h"' "$a" | cut -d'"' -f2); do
        [[ -f $(dirname "$a")/$b ]] && grep -qF "#include \"$(basename "$a")\"" "$(dirname "$a")/$b" &&
            complain "$(basename "$a") and $b include each other"
    done
done
exit $status
