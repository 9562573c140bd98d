#pragma once

// What the editor's Import shows: the dialog that chooses a script, and the
// one message that says what of it the lists do not keep.

#include "script/script_import.h"

#include <QString>

#include <functional>

class QWidget;

namespace scp {

// Asks for the script to import, starting in `folder`; empty when the user
// cancels.
using ScriptChooser = std::function<QString(QWidget* parent, const QString& folder)>;
QString chooseScriptWithDialog(QWidget* parent, const QString& folder);

// One message for all of an import's warnings, the first few of them in
// full: "line 3, column 1: ...".
QString describeImportWarnings(const QString& path, const QList<ImportWarning>& warnings);

} // namespace scp
