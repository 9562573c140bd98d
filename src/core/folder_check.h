#pragma once

// Whether a folder can be worked in, asked before the editor moves there.

#include <QString>

namespace scp {

// Why the folder `path` cannot be opened (it is not there, is no folder,
// cannot be entered or listed, or is a name Windows would take for another),
// in the system's words, or empty when it can.
QString whyFolderCannotBeOpened(const QString& path);

} // namespace scp
