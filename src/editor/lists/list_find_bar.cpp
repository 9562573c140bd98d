// A list's find bar and its keys.

#include "lists/list_find_bar.h"

#include "lists/list_edit.h"
#include "lists/list_search.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

bool isFindKey(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Find);
}

// F3, or Enter in the field: 1 forward, -1 backward (with Shift), 0 neither.
int stepKey(const QKeyEvent& key, bool enterToo)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (key.key() != Qt::Key_F3 && !(enterToo && enter))
        return 0;
    if (modifiers == Qt::NoModifier)
        return 1;
    return modifiers == Qt::ShiftModifier ? -1 : 0;
}

// What of the field stays in sight, in characters, however narrow the list.
constexpr int kShownCharacters = 12;

} // namespace

ListFindBar::ListFindBar(ListEdit& list, const QString& name)
    : QWidget(&list), m_list(list), m_field(new QLineEdit(this)), m_note(new QLabel(this))
{
    setObjectName(name + u"FindBar"_s);
    setAutoFillBackground(true);
    m_field->setObjectName(name + u"FindField"_s);
    m_field->setAccessibleName(u"Find in the %1 list"_s.arg(name));
    m_field->setPlaceholderText(u"Find"_s);
    m_field->setClearButtonEnabled(false);
    m_note->setObjectName(name + u"FindNote"_s);
    m_note->hide();
    auto* closeButton = new QToolButton(this);
    closeButton->setObjectName(name + u"FindClose"_s);
    closeButton->setText(u"\u00D7"_s);
    closeButton->setAutoRaise(true);
    closeButton->setFocusPolicy(Qt::NoFocus);
    closeButton->setAccessibleName(u"Close find"_s);
    closeButton->setToolTip(u"Close (Escape)"_s);
    // The note takes a line of its own under the field: beside it, in the
    // narrow gumps list, it left the field a few characters and was cut
    // itself.
    auto* lines = new QVBoxLayout(this);
    lines->setContentsMargins(2, 1, 1, 1);
    lines->setSpacing(1);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(m_field, 1);
    row->addWidget(closeButton);
    lines->addLayout(row);
    lines->addWidget(m_note);
    m_field->setMinimumWidth(m_field->fontMetrics().averageCharWidth() * kShownCharacters +
                             m_field->minimumSizeHint().width());
    hide();

    connect(closeButton, &QToolButton::clicked, this, &ListFindBar::close);
    connect(m_field, &QLineEdit::textEdited, this, [this] { findFrom(m_anchor, false); });
    m_field->installEventFilter(this);
    list.installEventFilter(this);
    list.viewport()->installEventFilter(this);
}

bool ListFindBar::opensOn(const QKeyEvent& key)
{
    return isFindKey(key) || stepKey(key, false) != 0;
}

void ListFindBar::open()
{
    const QTextCursor cursor = m_list.textCursor();
    m_anchor = cursor.selectionStart();
    // A short selection on one line is what the user means to look for.
    const QString selected = cursor.selectedText();
    if (!selected.isEmpty() && selected.size() <= 100 &&
        !selected.contains(QChar::ParagraphSeparator))
        m_field->setText(selected);
    if (isHidden()) {
        setNote(QString());
        show();
        placeOverBottom();
    }
    m_field->selectAll();
    m_field->setFocus(Qt::ShortcutFocusReason);
}

void ListFindBar::step(bool backward)
{
    const QTextCursor cursor = m_list.textCursor();
    // From past the match shown (or before it): the next one, not itself.
    findFrom(backward ? cursor.selectionStart() : cursor.selectionEnd(), backward);
    if (isHidden()) {
        show();
        placeOverBottom();
    }
}

void ListFindBar::findFrom(int from, bool backward)
{
    const QString needle = m_field->text();
    QTextCursor cursor = m_list.textCursor();
    if (needle.isEmpty()) {
        setNote(QString());
        return;
    }
    const TextMatch match = findInList(*m_list.document(), needle, from, backward);
    if (!match.found()) {
        setNote(u"not found"_s);
        cursor.setPosition(m_anchor);
        m_list.setTextCursor(cursor);
        return;
    }
    m_anchor = match.start;
    setNote(!match.wrapped ? QString()
            : backward     ? u"wrapped to the bottom"_s
                           : u"wrapped to the top"_s);
    cursor.setPosition(match.start);
    cursor.setPosition(match.end, QTextCursor::KeepAnchor);
    m_list.setTextCursor(cursor);
    m_list.ensureCursorVisible();
}

void ListFindBar::setNote(const QString& note)
{
    if (note == m_field->accessibleDescription())
        return;
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
    if (!isHidden())
        placeOverBottom(); // a line more, or less
    // Said by a screen reader reading the field, and announced as it changes.
    m_field->setAccessibleDescription(note);
    QAccessibleEvent described(m_field, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void ListFindBar::close()
{
    hide();
    m_list.setBottomMargin(0);
    m_list.setFocus(Qt::OtherFocusReason);
}

void ListFindBar::placeOverBottom()
{
    const int height = sizeHint().height();
    m_list.setBottomMargin(height);
    const QRect viewport = m_list.viewport()->geometry();
    setGeometry(viewport.left(), viewport.bottom() + 1, viewport.width(), height);
}

bool ListFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == m_list.viewport() && !isHidden()) {
        const QRect viewport = m_list.viewport()->geometry();
        setGeometry(viewport.left(), viewport.bottom() + 1, viewport.width(), height());
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (watched == &m_list) {
        if (isFindKey(key)) {
            open();
            return true;
        }
        if (const int direction = stepKey(key, false)) {
            if (m_field->text().isEmpty())
                open();
            else
                step(direction < 0);
            return true;
        }
        return false;
    }
    if (watched == m_field) {
        if (key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
        if (const int direction = stepKey(key, true)) {
            step(direction < 0);
            return true;
        }
        if (isFindKey(key)) {
            m_field->selectAll();
            return true;
        }
    }
    return false;
}

} // namespace scp
