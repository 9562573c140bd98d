#include "lists/list_filling.h"

#include "lists/row_breaks.h"
#include "text/cp1252.h"

#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace scp::rows {

namespace {

// Text without paragraph breaks (a list of lines) goes in a stretch of lines
// of about kInsertStretch characters at a time.
constexpr qsizetype kInsertStretch = qsizetype(1) << 16;

QString textPiece(const char16_t* text, qsizetype size)
{
    // Only read while inserted, which copies it into the document.
    return QString::fromRawData(reinterpret_cast<const QChar*>(text), size);
}

QString textPiece(const char* bytes, qsizetype size)
{
    return decodeCp1252(QByteArrayView(bytes, size));
}

QChar standInFor(char16_t c)
{
    return QChar(c);
}

QChar standInFor(char byte)
{
    return decodeCp1252(QByteArrayView(&byte, 1)).at(0);
}

// insertListText() for text of either kind. `rowBefore` is the characters of
// the cursor's paragraph before it, `stretchBefore` those of them after its
// last break; `inserted` hears how far the insertion has got after each
// paragraph break, and stops it by answering false.
template <typename Ch, typename Progress>
bool insertAs(QTextCursor& cursor, const Ch* text, qsizetype size, qsizetype spacesBefore,
              qsizetype rowBefore, qsizetype stretchBefore, Progress inserted)
{
    const QTextCharFormat plain;
    const QTextCharFormat rowBreak = breakFormat(kRowBreakObject);
    const qsizetype spacer = spacerOf(*cursor.document());
    bool afterText = spacesBefore >= 0;
    qsizetype run = qMax<qsizetype>(0, spacesBefore);
    qsizetype rowStart = -rowBefore;
    // Where the row's last stretch without a break starts: a chunk break
    // bounds that stretch, not the row, which holds a few dozen entries.
    qsizetype stretchStart = -stretchBefore;
    qsizetype pending = 0;                 // first character not yet inserted
    std::vector<qsizetype> lineSeparators; // among the pending ones
    auto flush = [&](qsizetype to) {
        if (to > pending) {
            QString piece = textPiece(text + pending, to - pending);
            for (const qsizetype at : lineSeparators)
                piece[at - pending] = QChar::LineSeparator;
            cursor.insertText(piece, plain);
        }
        lineSeparators.clear();
    };
    // The character at `at` becomes a paragraph break of `format`.
    auto breakParagraph = [&](qsizetype at, const QTextCharFormat& format) {
        flush(at);
        cursor.insertBlock(QTextBlockFormat(), format);
        pending = rowStart = stretchStart = at + 1;
        return inserted(pending);
    };
    for (qsizetype i = 0; i < size; ++i) {
        const Ch c = text[i];
        if (c == Ch(' ')) {
            ++run;
            if (i - stretchStart >= ListDocument::kChunkLength && !breakParagraph(i, rowBreak))
                return false;
            continue;
        }
        if (c == Ch('\r') || c == Ch('\n')) {
            afterText = false;
            rowStart = stretchStart = i + 1;
            // A list of lines goes in a stretch of lines at a time.
            if (c == Ch('\n') && i + 1 - pending >= kInsertStretch) {
                flush(i + 1);
                pending = i + 1;
                if (!inserted(pending))
                    return false;
            }
        } else if (afterText && run >= spacer && i > 0 && text[i - 1] == Ch(' ') &&
                   i - 1 >= pending) {
            if (i - 1 - rowStart >= ListDocument::kRowLength) {
                if (!breakParagraph(i - 1, rowBreak))
                    return false;
            } else {
                lineSeparators.push_back(i - 1);
                stretchStart = i;
            }
        } else if (i - stretchStart >= ListDocument::kChunkLength && !QChar::isSurrogate(c)) {
            // Two halves of one character stay together.
            if (!breakParagraph(i, chunkFormat(standInFor(c))))
                return false;
            run = 0;
            afterText = true;
            continue;
        }
        afterText = c != Ch('\r') && c != Ch('\n');
        run = 0;
    }
    flush(size);
    return true;
}

template <typename Ch, typename Progress>
QTextDocument* filledAs(const Ch* text, qsizetype size, int spacer, Progress inserted)
{
    auto* fresh = new QTextDocument;
    fresh->setProperty(kSpacerProperty, spacer);
    fresh->setUndoRedoEnabled(false);
    QTextCursor cursor(fresh);
    cursor.beginEditBlock();
    const bool whole = insertAs(cursor, text, size, -1, 0, 0, inserted);
    cursor.endEditBlock();
    if (!whole) {
        delete fresh;
        return nullptr;
    }
    fresh->setUndoRedoEnabled(true);
    return fresh;
}

} // namespace

void insertListText(QTextCursor& cursor, const QString& text, qsizetype spacesBefore)
{
    const qsizetype rowBefore = cursor.positionInBlock();
    const qsizetype lastBreak =
        rowBefore > 0 ? cursor.block().text().lastIndexOf(QChar::LineSeparator, rowBefore - 1) : -1;
    insertAs(cursor, reinterpret_cast<const char16_t*>(text.constData()), text.size(), spacesBefore,
             rowBefore, rowBefore - 1 - lastBreak, [](qsizetype) { return true; });
}

QTextDocument* filledWith(const char16_t* text, qsizetype size, int spacer,
                          const Progress& inserted)
{
    return filledAs(text, size, spacer, inserted);
}

QTextDocument* filledWith(const char* bytes, qsizetype size, int spacer, const Progress& inserted)
{
    return filledAs(bytes, size, spacer, inserted);
}

} // namespace scp::rows
