// Undo, Redo, Cut, Paste, Delete and Select All on a list box.

#include "lists/list_edit_commands.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace scp {

const std::array<EditCommandText, 6> kEditCommands{{
    {EditCommand::Undo, u"&Undo", QKeySequence::Undo, u"undo"},
    {EditCommand::Redo, u"&Redo", QKeySequence::Redo, u"redo"},
    {EditCommand::Cut, u"Cu&t", QKeySequence::Cut, u"cut"},
    {EditCommand::Paste, u"&Paste", QKeySequence::Paste, u"paste"},
    {EditCommand::Delete, u"Delete", QKeySequence::Delete, u"delete"},
    {EditCommand::SelectAll, u"Select All", QKeySequence::SelectAll, u"selectAll"},
}};

bool canRun(const QPlainTextEdit& box, EditCommand command)
{
    const bool editable = !box.isReadOnly();
    const QTextDocument& document = *box.document();
    switch (command) {
    case EditCommand::Undo:
        return editable && document.isUndoAvailable();
    case EditCommand::Redo:
        return editable && document.isRedoAvailable();
    case EditCommand::Cut:
    case EditCommand::Delete:
        return editable && box.textCursor().hasSelection();
    case EditCommand::Paste:
        return editable && box.canPaste();
    case EditCommand::SelectAll:
        return !document.isEmpty();
    }
    return false;
}

void run(QPlainTextEdit& box, EditCommand command)
{
    if (!canRun(box, command))
        return;
    switch (command) {
    case EditCommand::Undo:
        return box.undo();
    case EditCommand::Redo:
        return box.redo();
    case EditCommand::Cut:
        return box.cut();
    case EditCommand::Paste:
        return box.paste();
    case EditCommand::Delete: {
        QTextCursor cursor = box.textCursor();
        cursor.removeSelectedText();
        box.setTextCursor(cursor);
        return;
    }
    case EditCommand::SelectAll:
        return box.selectAll();
    }
}

} // namespace scp
