// A list's document: the row-break rule, its one walk, whole texts and
// their undo, and whether it is saved.

#include "list_document.h"

#include "entry_lists.h"
#include "line_ends.h"

#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// A row break is a paragraph break whose character carries this object type.
// Typed text takes the format beside the caret, which after a row break is
// the break's own; QTextCursor::insertText drops the object type from it, and
// Enter and paste, where Qt would hand the format on whole, are done with a
// plain format.
constexpr int kRowBreakObject = QTextFormat::UserObject + 1;

// The shortest run of spaces between two characters of a line whose last
// space becomes a row break: the narrower spacer. Wrapping starts a new row
// after such a run anyway, so the break moves nothing on screen.
constexpr qsizetype kRowBreakRun = std::min(kGumpTileSpacerWidth, kItemSpacerWidth);

QTextCharFormat rowBreakFormat()
{
    QTextCharFormat format;
    format.setObjectType(kRowBreakObject);
    return format;
}

// Tells row breaks from real line ends. The format of the break before a
// block is that block's character format, looked up here by index: a long
// list is read block by block, and that keeps reading it cheap.
class RowBreaks {
public:
    explicit RowBreaks(const QTextDocument& document)
    {
        const QList<QTextFormat> formats = document.allFormats();
        m_isRowBreak.reserve(formats.size());
        for (const QTextFormat& format : formats)
            m_isRowBreak.push_back(format.objectType() == kRowBreakObject);
    }
    bool before(const QTextBlock& block) const
    {
        const int format = block.charFormatIndex();
        return format >= 0 && format < qsizetype(m_isRowBreak.size()) && m_isRowBreak[format];
    }

private:
    std::vector<bool> m_isRowBreak;
};

// The one walk over a document range [from, to): `characters` gets each
// block's characters in the range, `lineBreak` each paragraph break in it,
// with whether it is a row break.
template <typename Characters, typename LineBreak>
void walk(const QTextDocument& document, qsizetype from, qsizetype to, Characters characters,
          LineBreak lineBreak)
{
    const RowBreaks rowBreaks(document);
    QTextBlock block = document.findBlock(int(from));
    // Each block starts where the one before ends: asking a block where it
    // starts costs a walk up the document's tree.
    for (qsizetype start = block.position(); block.isValid() && start < to;) {
        const qsizetype breakAt = start + block.length() - 1;
        const qsizetype first = std::max(from, start), last = std::min(to, breakAt);
        if (last > first)
            characters(QStringView(block.text()).sliced(first - start, last - first));
        block = block.next();
        if (breakAt < to && block.isValid())
            lineBreak(rowBreaks.before(block));
        start = breakAt + 1;
    }
}

// How many spaces end the document's last line, or -1 when nothing but
// spaces stands on that row: a run only ends in a row break between two
// other characters.
qsizetype trailingSpaces(const QTextDocument& document)
{
    const int rowStart = document.lastBlock().position();
    qsizetype run = 0;
    for (int at = document.characterCount() - 2; at >= rowStart; --at, ++run) {
        if (document.characterAt(at) != u' ')
            return run;
    }
    return -1;
}

// Text without row breaks (a list of lines) goes in a stretch of lines of
// about kInsertStretch characters at a time.
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

// Inserts list text (any line ends: Qt makes CR LF, CR and LF one paragraph
// break each) at the cursor with a plain format, the last space of a run of
// at least kRowBreakRun spaces between two other characters of a line a row
// break once the row it ends holds ListDocument::kRowLength characters.
// `spacesBefore` is the run already before the cursor, as trailingSpaces, and
// `rowBefore` the characters of its row before the cursor. `inserted` hears
// how far the insertion has got after each row break, and stops it by
// answering false.
template <typename Ch, typename Progress>
bool insertListText(QTextCursor& cursor, const Ch* text, qsizetype size, qsizetype spacesBefore,
                    qsizetype rowBefore, Progress inserted)
{
    const QTextCharFormat plain;
    const QTextCharFormat rowBreak = rowBreakFormat();
    bool afterText = spacesBefore >= 0;
    qsizetype run = qMax<qsizetype>(0, spacesBefore);
    qsizetype rowStart = -rowBefore;
    qsizetype pending = 0; // first character not yet inserted
    for (qsizetype i = 0; i < size; ++i) {
        const Ch c = text[i];
        if (c == Ch(' ')) {
            ++run;
            continue;
        }
        if (c == Ch('\r') || c == Ch('\n')) {
            afterText = false;
            rowStart = i + 1;
            // A list of lines goes in a stretch of lines at a time.
            if (c == Ch('\n') && i + 1 - pending >= kInsertStretch) {
                cursor.insertText(textPiece(text + pending, i + 1 - pending), plain);
                pending = i + 1;
                if (!inserted(pending))
                    return false;
            }
        } else {
            if (afterText && run >= kRowBreakRun && i > 0 && text[i - 1] == Ch(' ') &&
                i - 1 - rowStart >= ListDocument::kRowLength) {
                cursor.insertText(textPiece(text + pending, i - 1 - pending), plain);
                cursor.insertBlock(QTextBlockFormat(), rowBreak);
                pending = rowStart = i;
                if (!inserted(i))
                    return false;
            }
            afterText = true;
        }
        run = 0;
    }
    if (pending < size)
        cursor.insertText(textPiece(text + pending, size - pending), plain);
    return true;
}

void insertListText(QTextCursor& cursor, const QString& text, qsizetype spacesBefore)
{
    insertListText(cursor, reinterpret_cast<const char16_t*>(text.constData()), text.size(),
                   spacesBefore, cursor.positionInBlock(), [](qsizetype) { return true; });
}

template <typename Ch, typename Progress>
QTextDocument* filledWith(const Ch* text, qsizetype size, Progress inserted)
{
    auto* fresh = new QTextDocument;
    fresh->setUndoRedoEnabled(false);
    QTextCursor cursor(fresh);
    cursor.beginEditBlock();
    const bool whole = insertListText(cursor, text, size, -1, 0, inserted);
    cursor.endEditBlock();
    if (!whole) {
        delete fresh;
        return nullptr;
    }
    fresh->setUndoRedoEnabled(true);
    return fresh;
}

} // namespace

// The undo step that brings a replaced document back, while it is kept.
class ListDocument::ReplacedDocument final : public QAbstractUndoItem {
public:
    ReplacedDocument(ListDocument& list, QTextDocument* replaced)
        : m_list(list), m_replaced(replaced)
    {
    }
    void undo() override { m_list.restoreReplaced(m_replaced); }
    // Not reached: the document this step belongs to goes when it is undone.
    void redo() override {}

private:
    ListDocument& m_list;
    QPointer<QTextDocument> m_replaced;
};

ListDocument::ListDocument(const QString& text, QObject* parent) : QObject(parent)
{
    QTextDocument* first = filledWith(reinterpret_cast<const char16_t*>(text.constData()),
                                      text.size(), [](qsizetype) { return true; });
    first->setParent(this); // as every later one is
    show(first, false);
    markSaved();
}

ListDocument::~ListDocument() = default;

bool ListDocument::isRowBreakBefore(const QTextBlock& block)
{
    return block.charFormat().objectType() == kRowBreakObject;
}

bool ListDocument::isRowBreakAt(const QTextDocument& document, int position)
{
    return document.characterAt(position) == QChar::ParagraphSeparator &&
           RowBreaks(document).before(document.findBlock(position + 1));
}

QString ListDocument::text() const
{
    return text(0, positionCount());
}

QString ListDocument::text(int from, int to) const
{
    QString out;
    out.reserve(to - from);
    walk(
        *m_document, from, to, [&](QStringView characters) { out += characters; },
        [&](bool rowBreak) { out += rowBreak ? u" "_s : u"\r\n"_s; });
    return out;
}

void ListDocument::positionText(const QTextDocument& document, qsizetype from, qsizetype to,
                                QString& out)
{
    out.clear();
    out.reserve(to - from);
    walk(
        document, from, to, [&](QStringView characters) { out += characters; },
        [&](bool rowBreak) { out += rowBreak ? u' ' : u'\n'; });
}

int ListDocument::positionCount() const
{
    return m_document->characterCount() - 1;
}

Cp1252Encoding ListDocument::encoded() const
{
    // At most two bytes a position (a line end); the rest is given back.
    Cp1252Encoding result;
    result.bytes = QByteArray(2 * qsizetype(positionCount()), Qt::Uninitialized);
    char* const start = result.bytes.data();
    char* out = start;
    qsizetype index = 0; // in text()
    walk(
        *m_document, 0, positionCount(),
        [&](QStringView characters) {
            if (result.badIndex >= 0)
                return;
            const qsizetype bad = encodeCp1252To(characters, out);
            if (bad >= 0)
                result.badIndex = index + bad;
            out += characters.size();
            index += characters.size();
        },
        [&](bool rowBreak) {
            if (rowBreak) {
                *out++ = ' ';
                index += 1;
            } else {
                *out++ = '\r';
                *out++ = '\n';
                index += 2;
            }
        });
    if (result.badIndex >= 0)
        result.bytes = QByteArray();
    else
        result.bytes.resize(out - start);
    return result;
}

bool ListDocument::isEmpty() const
{
    return m_document->isEmpty();
}

bool ListDocument::holds(const QString& text) const
{
    // A line end is two characters of the text and one position.
    return positionCount() <= text.size() && this->text() == text;
}

void ListDocument::insertText(QTextCursor& cursor, const QString& text)
{
    insertListText(cursor, text, -1);
}

QTextDocument* ListDocument::filledDocument(QByteArrayView bytes,
                                            const std::function<bool(qsizetype done)>& filled)
{
    return filledWith(bytes.data(), bytes.size(), filled);
}

void ListDocument::setText(const QString& text)
{
    adopt(filledWith(reinterpret_cast<const char16_t*>(text.constData()), text.size(),
                     [](qsizetype) { return true; }));
}

void ListDocument::adopt(QTextDocument* fresh)
{
    fresh->setParent(this);
    fresh->setDefaultFont(m_document->defaultFont());
    fresh->setDefaultTextOption(m_document->defaultTextOption());
    fresh->setDocumentMargin(m_document->documentMargin());
    QTextDocument* old = m_document;
    delete m_replaced.data();
    if (fresh->isEmpty() || old->characterCount() - 1 <= kKeptCharacters) {
        fresh->appendUndoItem(new ReplacedDocument(*this, old));
        m_replaced = old;
        show(fresh, false);
    } else {
        show(fresh, false);
        delete old;
    }
}

void ListDocument::show(QTextDocument* document, bool byUndo)
{
    if (m_document != nullptr)
        m_document->disconnect(this);
    // The layout a list box needs; set here, as a document filled on
    // another thread cannot have had it.
    if (document->findChild<QPlainTextDocumentLayout*>(QString(), Qt::FindDirectChildrenOnly) ==
        nullptr)
        document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    m_document = document;
    connect(document, &QTextDocument::contentsChange, this, &ListDocument::positionsChanged);
    connect(document, &QTextDocument::modificationChanged, this, &ListDocument::updateUnsaved);
    Q_EMIT documentReplaced(byUndo);
    updateUnsaved();
}

void ListDocument::restoreReplaced(QTextDocument* replaced)
{
    if (replaced == nullptr || replaced != m_replaced)
        return;
    m_replaced = nullptr;
    // The document shown is in the middle of this undo step: it goes later.
    m_document->deleteLater();
    show(replaced, true);
}

void ListDocument::appendText(const QString& text)
{
    if (text.isEmpty())
        return;
    Q_EMIT appending();
    // Inserted at the very end: the document re-lays out only the last
    // paragraph and the new ones, and the spacer before an entry ends in a row
    // break. The edit block keeps it one undo step of its own, apart from
    // typing before, and is opened before the move: inside it the cursor does
    // not measure its x position, which would lay the old last paragraph out.
    QTextCursor end(m_document);
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    insertListText(end, normalizeLineEnds(text), trailingSpaces(*m_document));
    end.endEditBlock();
    Q_EMIT appended();
}

bool ListDocument::isUnsaved() const
{
    return m_document != m_saved || m_document->isModified();
}

void ListDocument::markSaved()
{
    m_saved = m_document;
    m_document->setModified(false);
    updateUnsaved();
}

void ListDocument::updateUnsaved()
{
    if (isUnsaved() != m_unsaved) {
        m_unsaved = !m_unsaved;
        Q_EMIT unsavedChanged(m_unsaved);
    }
}

void ListDocument::setBeingReplaced(bool beingReplaced)
{
    if (beingReplaced != m_beingReplaced) {
        m_beingReplaced = beingReplaced;
        Q_EMIT beingReplacedChanged(beingReplaced);
    }
}

} // namespace scp
