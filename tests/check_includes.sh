#!/usr/bin/env bash
# Fails when an include points the wrong way (the core names no Qt Gui or Widgets,
# no library reaches into another by path), two headers include each other, or a
# source is not in a folder by concern.
#   check_includes.sh SRC_DIR
set -u
src=$1
status=0
complain() { echo "$1"; status=1; }
while IFS= read -r hit; do complain "core includes a GUI header: $hit"; done < <(
    grep -rnE '#include <(Qt(Gui|Widgets)/|Q(Widget|Application|GuiApplication|Menu|Label|Action|Font|Icon|Pixmap|Image|Color|Clipboard|Painter)\b)' "$src/core")
while IFS= read -r hit; do complain "include reaches a folder by path: $hit"; done < <(
    grep -rnE '#include "(\.\./|core/|editor/|app/)' "$src")
# Includes name a header from its library's root ("lists/list_edit.h").
resolve() { for root in "$src/$1" "$src/core"; do [[ -f $root/$2 ]] && { echo "$root/$2"; return; }; done; }
while IFS= read -r a; do
    lib=${a#"$src"/}; lib=${lib%%/*}
    for b in $(grep -oE '^#include "[^"]+\.h"' "$a" | cut -d'"' -f2); do
        other=$(resolve "$lib" "$b")
        [[ -n $other ]] && grep -qF "#include \"${a#"$src/$lib"/}\"" "$other" &&
            complain "${a#"$src"/} and $b include each other"
    done
done < <(find "$src" -name '*.h')
# No source sits at a library's top: each is in the folder of its concern.
while IFS= read -r loose; do complain "source outside a folder: $loose"; done < <(
    find "$src/core" "$src/editor" -maxdepth 1 -name '*.h' -o -maxdepth 1 -name '*.cpp')
exit $status
