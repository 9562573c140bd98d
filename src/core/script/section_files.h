#pragma once

// The working folder's files: the three section files as last read or
// written, and the script assembled from the lists.

#include "files/file_reading.h"
#include "files/file_record.h"
#include "script/entry_lists.h"
#include "script/patch_info.h"
#include "script/reporter.h"
#include "text/memory_text_box.h"

#include <QDir>

#include <array>
#include <optional>

namespace scp {

inline constexpr char kScriptFileName[] = "mantle.scp";
inline constexpr char kCompiledMessage[] = "Mantle.Scp has been created";
inline constexpr char kSavedMessage[] = "Gumps,Tiles,Items Saved!";

// A section file as read: its bytes (a placeholder where there was no file)
// and its modification time.
struct SectionContent {
    QByteArray bytes;
    bool existed = true;
    qint64 modified = 0;
    bool read = true; // false: the file could not be read, and this holds nothing
};
using SectionContents = std::array<SectionContent, 3>;

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

// The folder read file by file: what could be read of it, and for each file
// that could not, one line saying which and why.
struct FolderContents {
    SectionContents sections;
    std::optional<PatchInfoContent> patchInfo; // none: patch.ini could not be used
    QStringList failures;
};

// Turns the lists into files and back: assembles the script from the fixed
// blocks and the lists and writes mantle.scp, writes and reads the three
// section files. Files live in `folder` (the current
// directory unless the editor is given another).
//
// It remembers each section file as it last read or wrote it (or that it
// could not read it), so that a save can tell the files another program
// changed since, and mantle.scp as it last wrote it, so that a compile can
// tell a script the user made elsewhere.
//
// It also holds the patch info the script's head is made with, as patch.ini
// gave it or the editor set it; a save writes patch.ini with the section
// files only while that differs from what the file was last read or
// written with, so a folder whose patch info was never set gets none.
class SectionFiles {
public:
    explicit SectionFiles(QDir folder = QDir::current());

    // Assembles the script, writes mantle.scp, reports success or failure.
    bool compileScript(const EntryLists& lists, Reporter& reporter);
    // Writes gumps.scp, tiles.scp and items.scp, and patch.ini where the
    // patch info is unsaved, all or none, and remembers them as written.
    bool saveSections(const EntryLists& lists, Reporter& reporter);
    // Reads all three section files, then replaces all three lists; if any
    // file cannot be read, no list changes.
    bool loadSections(EntryLists& lists, Reporter& reporter);
    // The three section files, in list order, all read or none: on a
    // failure it is reported and nothing is returned.
    std::optional<SectionContents> readSections(Reporter& reporter) const;
    // Each section file and patch.ini on its own, a section file not there
    // being a list not saved yet: one that cannot be read leaves only its
    // own part unread.
    FolderContents readEach() const;
    // The contents read are now the lists': they are remembered for a later
    // save to compare the files with. A file not read is remembered as
    // such: a save asks before replacing what no one saw.
    void rememberSections(const SectionContents& contents);
    // What the editor believes the section file is, in place of what it
    // last read or wrote (a restore's, from the journal).
    void setSectionRecord(ListId list, const FileRecord& record)
    {
        m_records[static_cast<size_t>(list)] = record;
    }
    // Remembers how the folder is while nothing of it has been read.
    void rememberFolderAsIs();

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
    void rememberPatchInfoUnread() { m_patchInfoRecord = FileRecord::unreadable(); }
    // readPatchInfo() then rememberPatchInfo(): false when it was reported.
    bool loadPatchInfo(Reporter& reporter);

    // The patch info the script is made with; none keeps the template's
    // lines.
    const std::optional<PatchInfo>& patchInfo() const { return m_patchInfo; }
    // Its values must have passed patchInfoValueProblem.
    void setPatchInfo(const std::optional<PatchInfo>& info);
    // Whether the next save writes patch.ini: the patch info is set and is
    // not what patch.ini was last read or written with.
    bool patchInfoUnsaved() const { return m_patchInfo && m_patchInfo != m_savedPatchInfo; }
    const FileRecord& patchInfoRecord() const { return m_patchInfoRecord; }
    QString patchInfoPath() const { return path(QString::fromLatin1(kPatchInfoFileName)); }

    // Whether any section file is in the folder.
    bool hasSectionFiles() const;
    bool hasPatchInfoFile() const { return fileStatus(patchInfoPath()).exists; }
    // What a section file was when last read or written here.
    const FileRecord& sectionRecord(ListId list) const
    {
        return m_records[static_cast<size_t>(list)];
    }
    QString sectionPath(ListId list) const { return path(sectionFileName(list)); }

    QString scriptPath() const { return path(QString::fromLatin1(kScriptFileName)); }
    // Whether compiling may replace mantle.scp unasked: there is none (or
    // nothing a write could replace), it is as this object last wrote it,
    // or it is a script this program compiled, from whatever lists. A
    // script that cannot be read cannot be told from the user's own: false,
    // with the system's reason in `unreadable`.
    bool mayReplaceScript(QString* unreadable = nullptr) const;

private:
    QString path(const QString& fileName) const;
    // The thirteen pieces of the script, in order.
    std::array<const TextBox*, 13> pieces(const EntryLists& lists) const;

    QDir m_folder;
    MemoryTextBox m_head, m_gumpsHead, m_itemsHead, m_tail, m_gap;
    std::array<FileRecord, 3> m_records; // nothing known until read or written
    FileRecord m_scriptRecord;           // mantle.scp as last written here
    std::optional<PatchInfo> m_patchInfo;
    std::optional<PatchInfo> m_savedPatchInfo; // as patch.ini was last read or written
    FileRecord m_patchInfoRecord;
};

} // namespace scp
