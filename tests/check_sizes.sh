#!/usr/bin/env bash
# Fails when a source grows past what one reading holds: a file over 400
# non-blank lines, or a function whose body runs over 70 lines. Bodies are
# found as clang-format lays them out, opened by a "{" alone at column 0.
#   check_sizes.sh SRC_DIR
set -u
status=0
while IFS= read -r file; do
    lines=$(grep -c . "$file")
    ((lines > 400)) && { echo "$file: $lines non-blank lines (at most 400)"; status=1; }
    awk '/^\{$/ { start = FNR; name = prev; next }
         /^\}/ && start { if (FNR - start - 1 > 70) printf "%s:%d: a body of %d lines (at most 70): %s\n", FILENAME, start, FNR - start - 1, name; start = 0 }
         !/^[[:space:]]*$/ { prev = $0 }' "$file" | grep . && status=1
done < <(find "$1" -name '*.cpp' -o -name '*.h')
exit $status
