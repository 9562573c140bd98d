#pragma once

// The working folder's files as the editor keeps them.

#include "script/patch_info_state.h"
#include "script/script_compile.h"
#include "script/section_files.h"

#include <QDir>

namespace scp {

// The three section files, patch.ini and mantle.scp of one folder, each with
// what was last read or written, so that a save or a compile can tell what
// another program changed since.
struct FolderFiles {
    explicit FolderFiles(const QDir& folder) : sections(folder), patchInfo(folder), script(folder)
    {
    }
    // Remembers the files as they are while nothing of them has been read
    // (a folder that starts with none of them).
    void rememberFolderAsIs()
    {
        sections.rememberFolderAsIs();
        patchInfo.rememberFolderAsIs();
    }

    SectionFiles sections;
    PatchInfoState patchInfo;
    ScriptCompile script;
};

} // namespace scp
