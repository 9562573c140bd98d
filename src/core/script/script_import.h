#pragma once

// Reading a script back: its three sections become the three lists, its
// SCRIPTINFO and GODWALK lines the patch info, and whatever the compile would
// not write back is reported.

#include "files/outcome.h"
#include "script/entry_lists.h"
#include "script/patch_info.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace scp {

// Something of the script that an import leaves out, where it stands
// (line and column counted from 1, in the script's characters).
struct ImportWarning {
    qsizetype line = 1;
    qsizetype column = 1;
    QString message;
};

// A script read back. A script this program made gives its lists back
// exactly, so that compiling them reproduces it byte for byte; any other
// gives each section's entries, its comment lines and the blank lines at
// its start and end left out.
struct ImportedScript {
    // The lists as their section files hold them: Windows-1252 bytes,
    // CR LF line ends; in ListId order.
    std::array<QByteArray, 3> lists;
    // Present when the script's NAME, CREATOR, EMAIL or GODWALK lines are
    // not the template's: what patch.ini must hold for the compile to write
    // them back.
    std::optional<PatchInfo> patchInfo;
    // In the script's order.
    QList<ImportWarning> warnings;

    const QByteArray& list(ListId id) const { return lists[static_cast<size_t>(id)]; }
};

// An import, or why the script is refused: it lacks one of the three list
// sections, has one twice, or one is not opened or closed.
struct ScriptImport {
    std::optional<ImportedScript> script;
    qsizetype errorLine = 0; // where the fault is; 0 when it is the whole file
    QString error;
};

// Reads a script's bytes (Windows-1252, any line ends).
ScriptImport importScript(const QByteArray& bytes);
// Whether the bytes are a script this program compiled: its fixed blocks
// stand around the lists, whatever the lists and the patch info hold.
bool isCompiledScript(const QByteArray& bytes);

struct ScriptFileImport {
    ImportedScript script;
    // Could not read "<path>": <reason>, or
    // Could not import "<path>": line <n>: <what is wrong>
    Outcome outcome;
};
ScriptFileImport importScriptFile(const QString& path);

// "SCRIPT:LINE:COLUMN: warning: MESSAGE", naming the script as `script`.
QString describeImportWarning(const QString& script, const ImportWarning& warning);

// How many entries a list has, counted as the lint splits them, a
// placeholder line left at its start not counted.
qsizetype importedEntryCount(ListId list, const QByteArray& bytes);

} // namespace scp
