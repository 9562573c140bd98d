// The entry field's hint, selected as the field takes the focus.

#include "entry_field.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace scp {

EntryField::EntryField(const QString& hint, QWidget* parent) : QLineEdit(hint, parent), m_hint(hint)
{
    setCursorPosition(0);
}

void EntryField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    m_focusedByMouse = false;
    // Back from the field's own menu, the selection is the user's.
    if (event->reason() == Qt::PopupFocusReason || !holdsHint())
        return;
    selectAll();
    m_focusedByMouse = event->reason() == Qt::MouseFocusReason;
}

void EntryField::mousePressEvent(QMouseEvent* event)
{
    // The click that gave the focus keeps the hint selected rather than
    // putting the caret inside it; a later one places the caret as usual.
    if (m_focusedByMouse && event->button() == Qt::LeftButton && holdsHint()) {
        event->accept();
        return;
    }
    m_focusedByMouse = false;
    QLineEdit::mousePressEvent(event);
}

void EntryField::mouseMoveEvent(QMouseEvent* event)
{
    if (m_focusedByMouse)
        return event->accept(); // no drag from the press passed over
    QLineEdit::mouseMoveEvent(event);
}

void EntryField::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_focusedByMouse) {
        m_focusedByMouse = false;
        return event->accept();
    }
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace scp
