#pragma once

// The lint of a whole list read once, start to end, as the compiler's check
// reads each list: from the file's Windows-1252 bytes, an entry in which no
// rule finds anything read from them as they are, any other decoded at a
// time (one longer than kLongestEntry not at all), keeping of an entry only
// where it starts, for a later one with the same key.
// What it finds, and where, is what ListLint (lint.h) finds in the same text;
// ListLint is for a list that is edited while it is read. Qt Core only.

#include "lint/lint_rules.h"

#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <functional>

namespace scp {

class PictureFolder;

struct PlacedFinding {
    LintFinding finding; // its position in the list
    TextPoint point;     // where that position is
    qsizetype entry = 0; // the number, from 1, of the entry it is in
    friend bool operator==(const PlacedFinding&, const PlacedFinding&) = default;
};

// Told each finding of a list in turn.
using FindingVisitor = std::function<void(PlacedFinding&&)>;

// The list's findings in text order, each with ListLint's lineColumn() and
// entryNumber() of its position. Without `pictures` the picture rules are
// not checked; it is asked once for each picture name the list holds.
QList<PlacedFinding> lintWholeList(QByteArrayView bytes, const LintRules& rules,
                                   PictureFolder* pictures = nullptr);
// The same, each told to `visit` as it is found, none kept.
void lintWholeList(QByteArrayView bytes, const LintRules& rules, PictureFolder* pictures,
                   const FindingVisitor& visit);
// The same for a text that may hold characters with no byte.
QList<PlacedFinding> lintWholeList(QStringView text, const LintRules& rules,
                                   PictureFolder* pictures = nullptr);
void lintWholeList(QStringView text, const LintRules& rules, PictureFolder* pictures,
                   const FindingVisitor& visit);

} // namespace scp
