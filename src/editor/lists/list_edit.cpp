// The list box: keys, pastes and presses on a list's document.

#include "lists/list_edit.h"

#include "lists/list_document.h"
#include "text/line_ends.h"

#include <QDropEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Moves by words as over the list's one long line: Qt stops at every
// paragraph end, and a row break is a space in the middle of a run, a chunk
// break a character in the middle of a word, not the end of a line. Past
// one, the move goes on.
void moveOverWords(QTextCursor& cursor, QTextCursor::MoveOperation move, QTextCursor::MoveMode mode)
{
    const QTextDocument& document = *cursor.document();
    while (cursor.movePosition(move, mode)) {
        const int at = cursor.position();
        if (!ListDocument::isRowBreakAt(document, at) &&
            !ListDocument::isChunkBreakAt(document, at) &&
            !(at > 0 && ListDocument::isChunkBreakAt(document, at - 1)))
            break;
    }
}

// To the end of the list line, across row breaks; at its end, the line end
// itself.
void selectToListLineEnd(QTextCursor& cursor)
{
    const int from = cursor.position();
    while (true) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        if (!ListDocument::isRowBreakAt(*cursor.document(), cursor.position()))
            break;
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    }
    if (cursor.position() == from)
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
}

// Typed text that holds a line or paragraph separator: Qt would keep the
// first, which the list's document holds only as a break standing for a
// space, and give the second the format beside the caret.
bool typesALineBreak(const QKeyEvent& event)
{
    return event.text().contains(QChar::LineSeparator) ||
           event.text().contains(QChar::ParagraphSeparator);
}

// Pasted or dropped text: any line end, the Unicode line and paragraph
// separators included, becomes CR LF, so nothing hidden enters the list.
QString pastedListText(QString text)
{
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    return normalizeLineEnds(text);
}

// The local files a drag brings, or none when it brings anything else: a
// file manager's drag is files, whatever text it carries besides.
QStringList draggedFiles(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

ListEdit::ListEdit(ListDocument& list, QWidget* parent) : QPlainTextEdit(parent), m_list(list)
{
    setDocument(list.document());
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
    connect(&list, &ListDocument::documentReplaced, this, &ListEdit::showListDocument);
    connect(&list, &ListDocument::beingReplacedChanged, this, &ListEdit::setReadOnly);
    connect(&list, &ListDocument::appending, this, [this] {
        m_kept = {textCursor().anchor(), textCursor().position()};
    });
    connect(&list, &ListDocument::appended, this, [this] {
        // A caret standing at the old end was carried along by the insertion.
        restoreCaret(m_kept.first, m_kept.second);
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->maximum());
    });
}

ListEdit::~ListEdit() = default;

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

QString ListEdit::selectedText() const
{
    const QTextCursor cursor = textCursor();
    return m_list.text(cursor.selectionStart(), cursor.selectionEnd());
}

void ListEdit::showListDocument(bool byUndo)
{
    // The caret of the document shown until now, should undo bring it back.
    const std::pair<int, int> caret{textCursor().anchor(), textCursor().position()};
    const QPointer<QTextDocument> shown = document();
    // Extra selections point into the document shown; they go with it, as
    // it may be deleted before the next paint.
    setExtraSelections({});
    setDocument(m_list.document());
    if (byUndo && m_replacedCaret.first == document())
        restoreCaret(m_replacedCaret.second.first, m_replacedCaret.second.second);
    m_replacedCaret = {shown, caret};
}

void ListEdit::restoreCaret(int anchor, int position)
{
    if (textCursor().anchor() == anchor && textCursor().position() == position)
        return;
    QTextCursor caret(document());
    caret.setPosition(anchor);
    caret.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(caret);
}

void ListEdit::keyPressEvent(QKeyEvent* event)
{
    QTextCursor cursor = textCursor();
    if (moveOrDeleteByWords(*event, cursor) || startLine(*event, cursor) ||
        editMovingBreaks(*event, cursor)) {
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool ListEdit::moveOrDeleteByWords(const QKeyEvent& event, QTextCursor& cursor) const
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
        if (!event.matches(word.key) || (word.remove && isReadOnly()))
            continue;
        if (!word.remove || !cursor.hasSelection()) {
            if (word.move == QTextCursor::EndOfBlock)
                selectToListLineEnd(cursor);
            else
                moveOverWords(cursor, word.move, word.mode);
        }
        if (word.remove)
            cursor.removeSelectedText();
        return true;
    }
    return false;
}

bool ListEdit::startLine(const QKeyEvent& event, QTextCursor& cursor) const
{
    // Enter starts a new line, and so does Shift+Enter: Qt would insert U+2028,
    // a line break that no list file can hold and that the user cannot see
    // apart from Enter. The break gets a plain format of its own rather than
    // one taken from beside the caret, which may be a row break's.
    if (isReadOnly() ||
        !(event.matches(QKeySequence::InsertParagraphSeparator) ||
          event.matches(QKeySequence::InsertLineSeparator) || typesALineBreak(event)))
        return false;
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    return true;
}

bool ListEdit::editMovingBreaks(const QKeyEvent& event, QTextCursor& caret)
{
    // A character typed or deleted without a selection is an undo step of
    // its own in Qt, merged with the typing next to it: where it moves a
    // break, it goes in an edit block with that move, so one undo takes back
    // both. Elsewhere typing merges as it always has.
    if (isReadOnly() || caret.hasSelection())
        return false;
    const QString typed = event.text();
    int at = -1;
    QChar character;
    if (event.matches(QKeySequence::Delete)) {
        at = caret.position();
    } else if (event.key() == Qt::Key_Backspace && event.modifiers() == Qt::NoModifier) {
        at = caret.position() - 1;
    } else if (typed.size() == 1 && typed.at(0).isPrint() &&
               !(event.modifiers() & Qt::ControlModifier)) {
        at = caret.position();
        character = typed.at(0);
    }
    if (at < 0 || at >= document()->characterCount() - 1 + int(!character.isNull()) ||
        !m_list.keyMovesBreaks(at, character))
        return false;
    // Done here rather than by Qt's key handling, which must not run inside
    // an edit block: it asks for a layout the block holds back.
    caret.beginEditBlock();
    if (!character.isNull())
        caret.insertText(typed);
    else if (at < caret.position())
        caret.deletePreviousChar();
    else
        caret.deleteChar();
    m_list.settleNear(caret.position());
    caret.endEditBlock();
    return true;
}

bool ListEdit::event(QEvent* event)
{
    const bool handled = QPlainTextEdit::event(event);
    // What the event typed, deleted or pasted moves breaks in its own undo
    // step, before the next event can edit or undo.
    m_list.settleBreaks();
    return handled;
}

bool ListEdit::viewportEvent(QEvent* event)
{
    const bool handled = QPlainTextEdit::viewportEvent(event);
    m_list.settleBreaks(); // a drop
    return handled;
}

void ListEdit::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    // A chunk break stands for a character of the word it cuts: that
    // character is drawn after the end of the chunk's last row, where the
    // caret before the break stands.
    QPainter painter(viewport());
    painter.setFont(font());
    const QTextCursor caret = textCursor();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid() && block.next().isValid();
         block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > event->rect().bottom())
            break;
        const QChar standsFor = ListDocument::standInBefore(block.next());
        const QTextLayout* layout = block.layout();
        if (standsFor.isNull() || standsFor == u' ' || layout == nullptr ||
            layout->lineCount() == 0)
            continue;
        const QTextLine row = layout->lineAt(layout->lineCount() - 1);
        const QRectF at(box.left() + row.x() + row.naturalTextWidth(), box.top() + row.y(),
                        painter.fontMetrics().horizontalAdvance(standsFor), row.height());
        const int position = block.position() + block.length() - 1;
        const bool selected = position >= caret.selectionStart() && position < caret.selectionEnd();
        if (selected)
            painter.fillRect(at, palette().brush(QPalette::Highlight));
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QPointF(at.left(), at.top() + row.ascent()), QString(standsFor));
    }
}

void ListEdit::mousePressEvent(QMouseEvent* event)
{
    m_pressedPosition = cursorForPosition(event->position().toPoint()).position();
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
    m_pressedPosition = cursorForPosition(event->position().toPoint()).position();
    if (event->button() == Qt::RightButton)
        event->accept();
    else
        QPlainTextEdit::mouseDoubleClickEvent(event);
    Q_EMIT mousePressed(event->button());
}

void ListEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (draggedFiles(event->mimeData()).isEmpty())
        return QPlainTextEdit::dragEnterEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ListEdit::dragMoveEvent(QDragMoveEvent* event)
{
    // Files go to the list's end whatever the pointer is over: no caret
    // follows them.
    if (draggedFiles(event->mimeData()).isEmpty())
        return QPlainTextEdit::dragMoveEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ListEdit::dropEvent(QDropEvent* event)
{
    const QStringList paths = draggedFiles(event->mimeData());
    if (paths.isEmpty())
        return QPlainTextEdit::dropEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT filesDropped(paths);
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
    ListDocument::insertText(cursor, text);
    cursor.endEditBlock();
    m_list.settleBreaks(); // in the paste's undo step, whatever calls it
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace scp
