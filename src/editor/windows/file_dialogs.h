#pragma once

// The system's file dialogs, as the editor asks for pictures and folders.

#include <QStringList>

class QWidget;

namespace scp {

// The BMP pictures chosen in `folder` to add to a list; none: cancelled.
QStringList choosePicturesWithDialog(QWidget* parent, const QString& folder);
// A folder to open, starting in `folder`; empty: cancelled.
QString chooseFolderWithDialog(QWidget* parent, const QString& folder);

} // namespace scp
