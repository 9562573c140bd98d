#pragma once

// Finding text in a list's document, and the entry around a position, by
// document positions: nothing is laid out.

#include <QString>

class QTextDocument;

namespace scp {

struct TextMatch {
    int start = -1;
    int end = -1;
    bool wrapped = false; // found only past the document's end (or start)
    bool found() const { return start >= 0; }
};

// `needle` in the list as it reads (row breaks as the spaces they stand
// for), ignoring case. Forward: the first match starting at `from` or
// after; backward: the last one starting before `from`. Either goes round
// the document's end when there is none that way.
TextMatch findInList(const QTextDocument& document, const QString& needle, int from, bool backward);

// The entry that holds `position` (or starts there), as the lint splits a
// list: at line ends and at runs of two or more spaces. Empty at `position`
// when it stands between entries.
struct EntrySpan {
    int start = 0;
    int end = 0;
};
EntrySpan entryAround(const QTextDocument& document, int position);

} // namespace scp
