#!/usr/bin/env bash
# Fails when an include points the wrong way (the core names no Qt Gui or Widgets,
# no library reaches into another by path), two headers include each other, a
# source is not in a folder by concern, or a source grows past what one reading
# holds: over 400 non-blank lines, or a function body (opened by a "{" alone at
# column 0, as clang-format lays it out) over 70 lines.
#   check_sources.sh SRC_DIR
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
while IFS= read -r file; do
    lines=$(grep -c . "$file")
    ((lines > 400)) && complain "$file: $lines non-blank lines (at most 400)"
    awk '/^\{$/ { start = FNR; name = prev; next }
         /^\}/ && start { if (FNR - start - 1 > 70) printf "%s:%d: a body of %d lines (at most 70): %s\n", FILENAME, start, FNR - start - 1, name; start = 0 }
         !/^[[:space:]]*$/ { prev = $0 }' "$file" | grep . && status=1
done < <(find "$src" -name '*.cpp' -o -name '*.h')
exit $status
