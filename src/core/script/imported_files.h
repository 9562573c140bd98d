#pragma once

// Writing an imported script into a folder: its three section files, and
// patch.ini when it has patch info of its own.

#include "files/outcome.h"
#include "script/script_import.h"

#include <QDir>
#include <QStringList>

namespace scp {

// The files of `folder` an import would replace: the three section files
// and patch.ini, those that exist, named by path.
QStringList existingImportTargets(const QDir& folder);

// Writes the section files, and patch.ini where `script` has patch info,
// all or none, as Save writes. A patch.ini the script has no patch info for
// is removed once the rest is written, so that the folder compiles back to
// the script.
Outcome writeImportedScript(const QDir& folder, const ImportedScript& script);

} // namespace scp
