#pragma once

// The patch info the script's head is made with, and patch.ini as last read
// or written.

#include "files/file_reading.h"
#include "files/file_record.h"
#include "script/patch_info.h"
#include "script/reporter.h"

#include <QDir>

#include <optional>

namespace scp {

// patch.ini as read: what happened to the file (`file.missing` where there
// is none) and what its bytes say.
struct PatchInfoFile {
    FileBytes file;
    PatchInfoRead read; // no problems where the file is missing
};

// patch.ini as taken in: what it says (none where there is no file) and what
// the file was.
struct PatchInfoContent {
    std::optional<PatchInfo> info;
    FileRecord record;
};

// The patch info as patch.ini gave it or the editor set it; a save writes
// patch.ini only while that differs from what the file was last read or
// written with, so a folder whose patch info was never set gets none.
// patch.ini lives in `folder`.
class PatchInfoState {
public:
    explicit PatchInfoState(QDir folder = QDir::current()) : m_folder(std::move(folder)) {}

    // Reads patch.ini, as it is.
    PatchInfoFile readPatchInfoFile() const;
    // Reads patch.ini for taking in: none there is no patch info. A file
    // that cannot be read, or with anything wrong in it, is reported (the
    // file, the line, the key and the problem) and nothing is returned.
    std::optional<PatchInfoContent> readPatchInfo(Reporter& reporter) const;
    // What was read is now the patch info, as saved.
    void rememberPatchInfo(const PatchInfoContent& content);
    // patch.ini could not be used: the patch info stays as it was, and the
    // file is remembered as not read.
    void rememberPatchInfoUnread() { m_record = FileRecord::unreadable(); }
    // readPatchInfo() then rememberPatchInfo(): false when it was reported.
    bool loadPatchInfo(Reporter& reporter);
    // Remembers patch.ini as absent when it is, while nothing of the folder
    // has been read.
    void rememberFolderAsIs();

    // The patch info the script is made with; none keeps the template's
    // lines.
    const std::optional<PatchInfo>& patchInfo() const { return m_patchInfo; }
    // Its values must have passed patchInfoValueProblem.
    void setPatchInfo(const std::optional<PatchInfo>& info) { m_patchInfo = info; }
    // Whether the next save writes patch.ini: the patch info is set and is
    // not what patch.ini was last read or written with.
    bool patchInfoUnsaved() const { return m_patchInfo && m_patchInfo != m_saved; }
    // patch.ini's bytes as a save writes them; only while unsaved.
    QByteArray unsavedBytes() const { return patchInfoBytes(*m_patchInfo); }
    // A save wrote `bytes` to patch.ini.
    void rememberSaved(const QByteArray& bytes);

    const FileRecord& patchInfoRecord() const { return m_record; }
    QString patchInfoPath() const;
    bool hasPatchInfoFile() const { return fileStatus(patchInfoPath()).exists; }

private:
    QDir m_folder;
    std::optional<PatchInfo> m_patchInfo;
    std::optional<PatchInfo> m_saved; // as patch.ini was last read or written
    FileRecord m_record;
};

} // namespace scp
