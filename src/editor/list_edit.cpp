#include "list_edit.h"

#include "entry_lists.h"
#include "large_blocks.h"
#include "line_ends.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// A row break is a paragraph break whose character carries this object type.
// Typed text takes the format beside the caret, which after a row break is
// the break's own; QTextCursor::insertText drops the object type from it, and
// Enter and paste, where Qt would hand the format on whole, are done here with
// a plain format.
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
// block is that block's character format, looked up here by index: a list is
// read block by block, and that keeps reading a long list cheap.
class RowBreaks {
public:
    explicit RowBreaks(const QTextDocument& document)
    {
        const QList<QTextFormat> formats = document.allFormats();
        m_isRowBreak.reserve(formats.size());
        for (const QTextFormat& format : formats)
            m_isRowBreak.push_back(format.objectType() == kRowBreakObject);
    }
    // Whether the paragraph break before `block` is a row break.
    bool before(const QTextBlock& block) const
    {
        const int format = block.charFormatIndex();
        return format >= 0 && format < qsizetype(m_isRowBreak.size()) && m_isRowBreak[format];
    }

private:
    std::vector<bool> m_isRowBreak;
};

// Whether the character at `position` is a row break.
bool rowBreakAt(const QTextDocument& document, int position)
{
    if (document.characterAt(position) != QChar::ParagraphSeparator)
        return false;
    return RowBreaks(document).before(document.findBlock(position + 1));
}

// Moves by words as over the list's one long line: Qt stops at every
// paragraph end, and a row break is a space in the middle of a run, not the
// end of a line. Past one, the move goes on.
void moveOverWords(QTextCursor& cursor, QTextCursor::MoveOperation move, QTextCursor::MoveMode mode)
{
    while (cursor.movePosition(move, mode) && rowBreakAt(*cursor.document(), cursor.position())) {
    }
}

// The list text of the document range [from, to): every character as held,
// each row break as its space and each other paragraph break as CR LF.
QString listText(const QTextDocument& document, int from, int to)
{
    const RowBreaks rowBreaks(document);
    const QString raw = document.toRawText(); // one character a position
    QString out;
    out.reserve(to - from);
    int done = from;
    QTextBlock block = document.findBlock(from);
    int breakAt = block.position() + block.length() - 1;
    for (QTextBlock next = block.next(); next.isValid() && breakAt < to; next = next.next()) {
        out.append(QStringView(raw).mid(done, breakAt - done));
        if (rowBreaks.before(next))
            out.append(u' ');
        else
            out.append(QStringView(u"\r\n"));
        done = breakAt + 1;
        breakAt += next.length();
    }
    out.append(QStringView(raw).mid(done, to - done));
    return out;
}

// The document position of an index into the list text. An index between
// the CR and the LF of a line end lands after the line end.
int documentPosition(const QTextDocument& document, qsizetype index)
{
    const RowBreaks rowBreaks(document);
    qsizetype lineStart = 0; // list index of the block's first character
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int length = block.length() - 1;
        if (index <= lineStart + length || !block.next().isValid())
            return block.position() +
                   int(qBound<qsizetype>(0, index - lineStart, qsizetype(length)));
        lineStart += length + (rowBreaks.before(block.next()) ? 1 : 2);
        if (index < lineStart)
            return block.next().position();
    }
    return 0;
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

// For an insertion nobody follows or stops.
constexpr auto kToTheEnd = [](qsizetype) { return true; };

const char16_t* utf16(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.constData());
}

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
// break once the row it ends holds ListEdit::kRowLength characters.
// `spacesBefore` is the run already before the cursor, as trailingSpaces, and
// `rowBefore` the characters of its row before the cursor. `inserted` hears
// how far the insertion has got after each row break, and stops it by
// answering false.
template <typename Ch, typename Progress>
void insertListText(QTextCursor& cursor, const Ch* text, qsizetype size, qsizetype spacesBefore,
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
                    return;
            }
        } else {
            if (afterText && run >= kRowBreakRun && i > 0 && text[i - 1] == Ch(' ') &&
                i - 1 - rowStart >= ListEdit::kRowLength) {
                cursor.insertText(textPiece(text + pending, i - 1 - pending), plain);
                cursor.insertBlock(QTextBlockFormat(), rowBreak);
                pending = rowStart = i;
                if (!inserted(i))
                    return;
            }
            afterText = true;
        }
        run = 0;
    }
    if (pending < size)
        cursor.insertText(textPiece(text + pending, size - pending), plain);
}

void insertListText(QTextCursor& cursor, const QString& text, qsizetype spacesBefore)
{
    insertListText(cursor, utf16(text), text.size(), spacesBefore, cursor.positionInBlock(),
                   kToTheEnd);
}

// Pasted or dropped text: any line end, the Unicode line and paragraph
// separators included, becomes CR LF, so nothing hidden enters the list.
QString pastedListText(QString text)
{
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    return normalizeLineEnds(text);
}

} // namespace

ListEdit::ListEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    // Every document the box shows is its own, so a replaced one can be kept.
    showDocument(prepareDocument(new QTextDocument), 0, 0, false);
    markSaved();
    // Wrapping stays on: it keeps long lines on screen, and an unwrapped list
    // of tens of thousands of entries passes the longest line Qt will draw.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFont(listFont());
    // A right press opens the list's own copy menu (through the MouseDown
    // notification); Qt's editing menu must not pop up as well.
    setContextMenuPolicy(Qt::PreventContextMenu);
    // Tab walks the window's tab order; list entries are separated by spaces.
    setTabChangesFocus(true);
}

QFont ListEdit::listFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.5);
    // Qt lays a paragraph out whole on every edit, and a list may still hold
    // long ones. Latin text needs no shaping (only kerning and ligatures,
    // cosmetic here), and skipping it makes that layout several times cheaper.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

bool ListEdit::isRowBreakBefore(const QTextBlock& block)
{
    return block.charFormat().objectType() == kRowBreakObject;
}

QString ListEdit::positionText(int from, int to) const
{
    QString text;
    positionText(*document(), from, to, text);
    return text;
}

void ListEdit::positionText(const QTextDocument& document, qsizetype from, qsizetype to,
                            QString& text)
{
    text.clear();
    text.reserve(to - from);
    for (QTextBlock block = document.findBlock(int(from)); block.isValid() && block.position() < to;
         block = block.next()) {
        const qsizetype start = block.position();
        const qsizetype breakAt = start + block.length() - 1;
        const qsizetype first = std::max(from, start), last = std::min(to, breakAt);
        if (last > first)
            text += QStringView(block.text()).sliced(first - start, last - first);
        if (breakAt < to && block.next().isValid())
            text += isRowBreakBefore(block.next()) ? u' ' : u'\n';
    }
}

int ListEdit::positionCount() const
{
    return document()->characterCount() - 1;
}

bool ListEdit::isUnsaved() const
{
    return document() != m_saved || document()->isModified();
}

void ListEdit::markSaved()
{
    m_saved = document();
    document()->setModified(false);
    updateUnsaved();
}

void ListEdit::updateUnsaved()
{
    if (isUnsaved() != m_unsaved) {
        m_unsaved = !m_unsaved;
        Q_EMIT unsavedChanged(m_unsaved);
    }
}

QString ListEdit::text() const
{
    // Not toPlainText(): that turns U+00A0 into a space and U+2028 into LF.
    return listText(*document(), 0, document()->characterCount() - 1);
}

Cp1252Encoding ListEdit::encoded() const
{
    const QTextDocument& document = *this->document();
    const RowBreaks rowBreaks(document);
    qsizetype size = document.characterCount() - 1;
    for (QTextBlock block = document.begin().next(); block.isValid(); block = block.next())
        size += rowBreaks.before(block) ? 0 : 1; // CR LF for one character
    Cp1252Encoding result;
    result.bytes = QByteArray(size, Qt::Uninitialized);
    char* out = result.bytes.data();
    qsizetype index = 0; // in text()
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // A row at a time: a copy of the whole text would be twice the
        // bytes written, and fresh memory to touch.
        const QString row = block.text();
        const qsizetype length = row.size();
        const qsizetype bad = encodeCp1252To(row, out);
        if (bad >= 0)
            return {QByteArray(), index + bad};
        out += length;
        index += length;
        const QTextBlock next = block.next();
        if (!next.isValid())
            break;
        if (rowBreaks.before(next)) {
            *out++ = ' ';
            index += 1;
        } else {
            *out++ = '\r';
            *out++ = '\n';
            index += 2;
        }
    }
    return result;
}

// The undo step that brings a replaced document back, while the box keeps it.
class ListEdit::ReplacedDocument final : public QAbstractUndoItem {
public:
    ReplacedDocument(ListEdit& edit, QTextDocument* replaced, const QTextCursor& caret)
        : m_edit(edit), m_replaced(replaced), m_anchor(caret.anchor()), m_position(caret.position())
    {
    }
    void undo() override { m_edit.restoreReplaced(m_replaced, m_anchor, m_position); }
    // Not reached: the document this step belongs to goes when it is undone.
    void redo() override {}

private:
    ListEdit& m_edit;
    QPointer<QTextDocument> m_replaced;
    int m_anchor;
    int m_position;
};

namespace {

// A document holding a whole list text, filled with no undo steps, no layout
// and no parent, in one edit block. Nothing in it reaches for fonts or the
// window system, so it may be filled on a thread of its own; adoptDocument()
// makes it a box's. `inserted` hears how far the filling has got.
template <typename Ch, typename Progress>
QTextDocument* filledDocument(const Ch* text, qsizetype size, Progress inserted)
{
    auto* fresh = new QTextDocument;
    fresh->setUndoRedoEnabled(false);
    QTextCursor cursor(fresh);
    cursor.beginEditBlock();
    insertListText(cursor, text, size, -1, 0, inserted);
    cursor.endEditBlock();
    fresh->setUndoRedoEnabled(true);
    return fresh;
}

} // namespace

// A file's content being put into a new document on a thread of its own.
struct ListEdit::Filling {
    QByteArray bytes;
    std::atomic<qsizetype> done{0};
    std::atomic<bool> abandoned{false}; // the box is closing: the rest is not wanted
    QTextDocument* document = nullptr;  // set by the thread, which hands it to the box's
    std::unique_ptr<QThread> thread;
};

ListEdit::~ListEdit()
{
    if (m_filling) {
        m_filling->abandoned = true;
        m_filling->thread->wait();
        delete m_filling->document;
    }
}

void ListEdit::setFileContent(const QByteArray& bytes)
{
    startFileContent(bytes);
    finishFileContent();
}

void ListEdit::startFileContent(const QByteArray& bytes)
{
    finishFileContent();
    auto filling = std::make_unique<Filling>();
    filling->bytes = bytes;
    Filling* shared = filling.get();
    QThread* home = thread();
    filling->thread.reset(QThread::create([shared, home] {
        QTextDocument* fresh = filledDocument(
            shared->bytes.constData(), shared->bytes.size(), [shared](qsizetype done) {
                shared->done.store(done, std::memory_order_relaxed);
                return !shared->abandoned.load(std::memory_order_relaxed);
            });
        fresh->moveToThread(home);
        shared->document = fresh;
    }));
    connect(filling->thread.get(), &QThread::finished, this, &ListEdit::contentFilled);
    m_filling = std::move(filling);
    Q_EMIT fillStarted();
    m_filling->thread->start();
}

bool ListEdit::isFilling() const
{
    return m_filling && m_filling->thread->isRunning();
}

double ListEdit::filledFraction() const
{
    if (!m_filling || m_filling->bytes.isEmpty())
        return 1;
    return double(m_filling->done.load(std::memory_order_relaxed)) /
           double(m_filling->bytes.size());
}

void ListEdit::finishFileContent()
{
    if (!m_filling)
        return;
    const std::unique_ptr<Filling> filling = std::move(m_filling);
    filling->thread->wait();
    // A thread that could not be started filled nothing: the work is done here.
    QTextDocument* fresh = filling->document;
    if (fresh == nullptr)
        fresh = filledDocument(filling->bytes.constData(), filling->bytes.size(), kToTheEnd);
    adoptDocument(fresh);
    // The filling thread's heap holds what it freed, and the replaced list
    // and the files read go once the Load is over: given back when the
    // window is next idle.
    returnFreedMemoryWhenIdle();
}

void ListEdit::setText(const QString& text)
{
    adoptDocument(filledDocument(utf16(text), text.size(), kToTheEnd));
}

void ListEdit::adoptDocument(QTextDocument* fresh)
{
    prepareDocument(fresh);
    QTextDocument* old = document();
    delete m_replaced.data();
    if (fresh->isEmpty() || old->characterCount() - 1 <= kKeptCharacters) {
        fresh->appendUndoItem(new ReplacedDocument(*this, old, textCursor()));
        m_replaced = old;
        showDocument(fresh, 0, 0, false);
    } else {
        showDocument(fresh, 0, 0, false);
        delete old;
    }
}

QTextDocument* ListEdit::prepareDocument(QTextDocument* fresh)
{
    fresh->setParent(this);
    if (const QTextDocument* shown = document()) {
        fresh->setDefaultFont(shown->defaultFont());
        fresh->setDefaultTextOption(shown->defaultTextOption());
        fresh->setDocumentMargin(shown->documentMargin());
    }
    fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
    return fresh;
}

void ListEdit::showDocument(QTextDocument* document, int anchor, int position, bool byUndo)
{
    // Extra selections point into the document shown; they go with it, as
    // it may be deleted before the next paint.
    setExtraSelections({});
    if (QTextDocument* old = this->document())
        old->disconnect(this);
    setDocument(document);
    connect(document, &QTextDocument::contentsChange, this, &ListEdit::positionsChanged);
    connect(document, &QTextDocument::modificationChanged, this, &ListEdit::updateUnsaved);
    Q_EMIT documentReplaced(byUndo);
    QTextCursor caret(document);
    caret.setPosition(anchor);
    caret.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(caret);
    updateUnsaved();
}

void ListEdit::restoreReplaced(QTextDocument* replaced, int anchor, int position)
{
    if (replaced == nullptr || replaced != m_replaced)
        return;
    m_replaced = nullptr;
    // The shown document is in the middle of this undo step: it goes later.
    document()->deleteLater();
    showDocument(replaced, anchor, position, true);
}

void ListEdit::appendText(const QString& text)
{
    if (text.isEmpty())
        return;
    const QTextCursor user = textCursor();
    const int anchor = user.anchor();
    const int position = user.position();

    // Inserted at the very end: the document re-lays out only the last
    // paragraph and the new ones, and the spacer before an entry ends in a row
    // break. The edit block keeps it one undo step of its own, apart from
    // typing before, and is opened before the move: inside it the cursor does
    // not measure its x position, which would lay the old last paragraph out.
    QTextCursor end(document());
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    insertListText(end, normalizeLineEnds(text), trailingSpaces(*document()));
    end.endEditBlock();

    // A caret standing at the old end was carried along by the insertion.
    if (textCursor().anchor() != anchor || textCursor().position() != position) {
        QTextCursor kept(document());
        kept.setPosition(anchor);
        kept.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(kept);
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ListEdit::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor(document());
    cursor.setPosition(documentPosition(*document(), start));
    cursor.setPosition(documentPosition(*document(), start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool ListEdit::isEmpty() const
{
    return document()->isEmpty();
}

QString ListEdit::selectedText() const
{
    const QTextCursor cursor = textCursor();
    return listText(*document(), cursor.selectionStart(), cursor.selectionEnd());
}

void ListEdit::keyPressEvent(QKeyEvent* event)
{
    // Word moves, word deletion and delete-to-end-of-line act on the list's
    // line, across row breaks, as they would on one long paragraph.
    const struct {
        QKeySequence::StandardKey key;
        QTextCursor::MoveOperation move;
        QTextCursor::MoveMode mode;
        bool remove;
    } wordKeys[] = {
        {QKeySequence::MoveToNextWord, QTextCursor::NextWord, QTextCursor::MoveAnchor, false},
        {QKeySequence::MoveToPreviousWord, QTextCursor::PreviousWord, QTextCursor::MoveAnchor,
         false},
        {QKeySequence::SelectNextWord, QTextCursor::NextWord, QTextCursor::KeepAnchor, false},
        {QKeySequence::SelectPreviousWord, QTextCursor::PreviousWord, QTextCursor::KeepAnchor,
         false},
        {QKeySequence::DeleteEndOfWord, QTextCursor::NextWord, QTextCursor::KeepAnchor, true},
        {QKeySequence::DeleteStartOfWord, QTextCursor::PreviousWord, QTextCursor::KeepAnchor, true},
        {QKeySequence::DeleteEndOfLine, QTextCursor::EndOfBlock, QTextCursor::KeepAnchor, true},
    };
    for (const auto& word : wordKeys) {
        if (!event->matches(word.key) || (word.remove && isReadOnly()))
            continue;
        QTextCursor cursor = textCursor();
        if (!word.remove || !cursor.hasSelection()) {
            if (word.move == QTextCursor::EndOfBlock) {
                // To the end of the list line; at its end, the line end itself.
                const int from = cursor.position();
                while (true) {
                    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                    if (!rowBreakAt(*document(), cursor.position()))
                        break;
                    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
                }
                if (cursor.position() == from)
                    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            } else {
                moveOverWords(cursor, word.move, word.mode);
            }
        }
        if (word.remove)
            cursor.removeSelectedText();
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }

    // Enter starts a new line, and so does Shift+Enter: Qt would insert U+2028,
    // a line break that no list file can hold and that the user cannot see
    // apart from Enter. The break gets a plain format of its own rather than
    // one taken from beside the caret, which may be a row break's.
    if (!isReadOnly() && (event->matches(QKeySequence::InsertParagraphSeparator) ||
                          event->matches(QKeySequence::InsertLineSeparator))) {
        QTextCursor cursor = textCursor();
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ListEdit::mousePressEvent(QMouseEvent* event)
{
    // The right button belongs to the copy menu: it neither moves the caret
    // nor drops the selection the menu is about to copy.
    if (event->button() != Qt::RightButton)
        QPlainTextEdit::mousePressEvent(event);
    // Every press is the list's own: it is reported, not passed to the window.
    event->accept();
    Q_EMIT mousePressed(event->button());
}

void ListEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press too.
    if (event->button() == Qt::RightButton)
        event->accept();
    else
        QPlainTextEdit::mouseDoubleClickEvent(event);
    Q_EMIT mousePressed(event->button());
}

QMimeData* ListEdit::createMimeDataFromSelection() const
{
    // Qt's own export would turn no-break spaces into spaces.
    auto* data = new QMimeData;
    data->setText(selectedText());
    return data;
}

void ListEdit::insertFromMimeData(const QMimeData* source)
{
    if (source == nullptr || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Not Qt's own insertion: that gives the text the format beside the caret,
    // and after a row break that would make every pasted line end one.
    const QString text = pastedListText(source->text());
    if (text.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertListText(cursor, text, -1);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace scp
