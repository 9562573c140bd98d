#pragma once

// Whether a folder can be worked in, asked before the editor moves there.

#include <QString>

namespace scp {

// Why the folder `path` cannot be opened (it is not there, is no folder,
// cannot be entered or listed, or is a name Windows would take for another),
// in the system's words, or empty when it can.
QString whyFolderCannotBeOpened(const QString& path);
// The same said whole, as every place that opens a folder says it: "Cannot
// open the folder "PATH": REASON"; empty when it can be opened.
QString folderOpenProblem(const QString& path);

// Whether the two paths name one folder as the system compares names: on
// Windows, whose folders ignore case, whatever their case.
bool sameFolder(const QString& a, const QString& b);

// Why no file can be made in the folder `path`, or empty when one can. Asked
// by making one, since a folder's permission bits say little on Windows.
QString whyFolderCannotBeWritten(const QString& path);

} // namespace scp
