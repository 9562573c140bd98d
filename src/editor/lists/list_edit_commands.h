#pragma once

// The edit commands a list's menu offers beside Copy, on a list box.

#include <QKeySequence>
#include <QString>

#include <array>

class QPlainTextEdit;

namespace scp {

enum class EditCommand { Undo, Redo, Cut, Paste, Delete, SelectAll };

struct EditCommandText {
    EditCommand command;
    const char16_t* caption; // Qt's own, as its text boxes' menus say it
    QKeySequence::StandardKey keys;
    const char16_t* verb; // names the menu item: "undo" makes "undoGumpsAction"
};
// In the menu's order.
extern const std::array<EditCommandText, 6> kEditCommands;

// Whether the command would change or select anything in `box` now: nothing
// to undo, no selection, no text on the clipboard, a box that takes no edits
// (a Load filling it) make it idle.
bool canRun(const QPlainTextEdit& box, EditCommand command);
void run(QPlainTextEdit& box, EditCommand command);

} // namespace scp
