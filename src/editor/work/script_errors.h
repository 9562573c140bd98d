#pragma once

// What the compile asks about: the problems of error level in the lists.

#include "lint/lint_rules.h"
#include "script/entry_lists.h"

#include <QList>

#include <array>

namespace scp {

class ListDocument;
class ListProblems;

// One list's errors: how many, and the first, its position a document
// position of the list.
struct ListErrors {
    ListId list = ListId::Gumps;
    qsizetype count = 0;
    LintFinding first;
};

// The lists that hold errors, in the editor's order (gumps, tiles, items);
// none when no list does. Taken from a list's problem count where it has
// one that can say (`problems`, null where a list has none), else read
// from its document as it stands, without pictures: no error needs one.
QList<ListErrors> scriptErrors(const std::array<const ListDocument*, 3>& lists,
                               const std::array<const ListProblems*, 3>& problems = {});

} // namespace scp
