#pragma once

// List text put into a list's document by the row-break rule.

#include <QtGlobal>

#include <functional>

class QString;
class QTextCursor;
class QTextDocument;

namespace scp::rows {

// Hears how far a fill has got, in characters of its text, after each
// paragraph break; answering false stops it.
using Progress = std::function<bool(qsizetype inserted)>;

// Inserts list text (any line ends: Qt makes CR LF, CR and LF one paragraph
// break each) at the cursor with a plain format. The last space of a run of
// at least the document's spacer between two other characters of a line
// becomes a break: a row break once the row it ends holds
// ListDocument::kRowLength characters, a line separator before that. A
// stretch of a paragraph that reaches ListDocument::kChunkLength characters
// with no break in it ends in a chunk break. `spacesBefore` is the run
// already before the cursor, as trailingSpaces() counts it.
void insertListText(QTextCursor& cursor, const QString& text, qsizetype spacesBefore);

// A new document holding the text (UTF-16, or Windows-1252 bytes), filled
// with no undo steps; none when `inserted` stopped it.
QTextDocument* filledWith(const char16_t* text, qsizetype size, int spacer,
                          const Progress& inserted);
QTextDocument* filledWith(const char* bytes, qsizetype size, int spacer, const Progress& inserted);

} // namespace scp::rows
