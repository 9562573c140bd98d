#include "lists/widget_text_box.h"

#include "lists/line_ends.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// The document keeps each paragraph break as U+2029; a list writes it as CR LF.
// Every other character is handed out exactly as it is held.
QString with_crlf_paragraphs(const QString& raw)
{
    const qsizetype breaks = raw.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return raw;
    QString out;
    out.reserve(raw.size() + breaks);
    const QChar* data = raw.constData();
    const qsizetype size = raw.size();
    qsizetype from = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == QChar::ParagraphSeparator) {
            out.append(data + from, i - from);
            out.append(u"\r\n");
            from = i + 1;
        }
    }
    out.append(data + from, size - from);
    return out;
}

// Pasted or dropped text: any line end, the Unicode line separator included,
// becomes a paragraph break, so nothing hidden enters the list.
QString pasted_list_text(QString text)
{
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    return normalize_line_ends(text);
}

MouseButton mouse_button(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Other;
    }
}

} // namespace

WidgetTextBox::WidgetTextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    // Wrapping stays on: it gives each spacer-separated entry a row, and an
    // unwrapped list of tens of thousands of entries passes the longest line
    // Qt will draw.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFont(listFont());
    // A right press opens the list's own copy menu (through the MouseDown
    // notification); Qt's editing menu must not pop up as well.
    setContextMenuPolicy(Qt::PreventContextMenu);
    // Tab walks the window's tab order; list entries are separated by spaces.
    setTabChangesFocus(true);
}

QFont WidgetTextBox::listFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.5);
    // A list is one paragraph that Qt lays out whole on every edit. Latin
    // text needs no shaping (only kerning and ligatures, cosmetic here), and
    // skipping it makes that layout several times cheaper.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QString WidgetTextBox::text() const
{
    // Not toPlainText(): that turns U+00A0 into a space and U+2028 into LF.
    return with_crlf_paragraphs(document()->toRawText());
}

void WidgetTextBox::setText(const QString& text)
{
    // Replaced through a cursor, as one undo step, so the user can take back
    // a Clear or a Load with Ctrl+Z.
    QTextCursor all(document());
    all.beginEditBlock();
    all.select(QTextCursor::Document);
    all.insertText(normalize_line_ends(text));
    all.endEditBlock();
    setTextCursor(QTextCursor(document()));
}

void WidgetTextBox::appendText(const QString& text)
{
    if (text.isEmpty())
        return;
    const QTextCursor user = textCursor();
    const int anchor = user.anchor();
    const int position = user.position();

    // One insertion at the very end: the document re-lays out only the last
    // paragraph, and no paragraph is added that the text does not hold. The
    // edit block keeps it one undo step of its own, apart from typing before,
    // and is opened before the move: inside it the cursor does not measure its
    // x position, which would lay the old last paragraph out first.
    QTextCursor end(document());
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    end.insertText(normalize_line_ends(text));
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

void WidgetTextBox::select(qsizetype start, qsizetype length)
{
    // Each CR LF of the text is one paragraph break in the document; an index
    // between its CR and its LF lands after the break.
    const QString text = this->text();
    auto position = [&text](qsizetype index) {
        index = qBound<qsizetype>(0, index, text.size());
        return int(index - QStringView(text).left(index).count(u'\n'));
    };
    QTextCursor cursor(document());
    cursor.setPosition(position(start));
    cursor.setPosition(position(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool WidgetTextBox::isEmpty() const
{
    return document()->isEmpty();
}

QString WidgetTextBox::selectedText() const
{
    // QTextCursor::selectedText gives paragraph breaks as U+2029 and keeps
    // every other character, U+00A0 included.
    return with_crlf_paragraphs(textCursor().selectedText());
}

void WidgetTextBox::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would insert U+2028, a line break that no list file can
    // hold and that the user cannot see apart from Enter: make it Enter.
    if (event->matches(QKeySequence::InsertLineSeparator)) {
        QKeyEvent enter(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        u"\r"_s, event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&enter);
        event->setAccepted(enter.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void WidgetTextBox::mousePressEvent(QMouseEvent* event)
{
    // The right button belongs to the copy menu: it neither moves the caret
    // nor drops the selection the menu is about to copy.
    if (event->button() == Qt::RightButton)
        event->accept();
    else
        QPlainTextEdit::mousePressEvent(event);
    notifyMouseDown(mouse_button(event->button()));
}

void WidgetTextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press too.
    if (event->button() == Qt::RightButton)
        event->accept();
    else
        QPlainTextEdit::mouseDoubleClickEvent(event);
    notifyMouseDown(mouse_button(event->button()));
}

QMimeData* WidgetTextBox::createMimeDataFromSelection() const
{
    // Qt's own export would turn no-break spaces into spaces.
    auto* data = new QMimeData;
    data->setText(selectedText());
    return data;
}

void WidgetTextBox::insertFromMimeData(const QMimeData* source)
{
    if (source == nullptr || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData plain;
    plain.setText(pasted_list_text(source->text()));
    QPlainTextEdit::insertFromMimeData(&plain);
}

} // namespace scp
