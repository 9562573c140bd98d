// The entry field's hint, selected as the field takes the focus.

#include "lists/entry_field.h"

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
    // Back from the field's own menu, the selection is the user's.
    if (event->reason() != Qt::PopupFocusReason && holdsHint())
        selectAll();
}

// While the field holds its hint, a click, a drag or a double click selects
// the whole hint, never a place or a word inside it: what is typed next
// replaces it. Once it holds an entry, the mouse works as usual.
bool EntryField::keepsHintWhole(const QMouseEvent* event)
{
    if (!holdsHint() || !(event->button() == Qt::LeftButton || event->buttons() & Qt::LeftButton))
        return false;
    selectAll();
    return true;
}

void EntryField::mousePressEvent(QMouseEvent* event)
{
    if (!keepsHintWhole(event))
        QLineEdit::mousePressEvent(event);
}

void EntryField::mouseMoveEvent(QMouseEvent* event)
{
    if (!keepsHintWhole(event))
        QLineEdit::mouseMoveEvent(event);
}

void EntryField::mouseReleaseEvent(QMouseEvent* event)
{
    if (!keepsHintWhole(event))
        QLineEdit::mouseReleaseEvent(event);
}

void EntryField::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!keepsHintWhole(event))
        QLineEdit::mouseDoubleClickEvent(event);
}

} // namespace scp
