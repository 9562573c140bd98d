#pragma once

// The working folder's three section files as last read or written.

#include "files/file_reading.h"
#include "files/file_record.h"
#include "script/entry_lists.h"
#include "script/patch_info_state.h"
#include "script/reporter.h"

#include <QDir>

#include <array>
#include <optional>

namespace scp {

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

// The folder read file by file: what could be read of it, and for each file
// that could not, one line saying which and why.
struct FolderContents {
    SectionContents sections;
    std::optional<PatchInfoContent> patchInfo; // none: patch.ini could not be used
    QStringList failures;
};

// Writes and reads the three section files in `folder` (the current
// directory unless the editor is given another), and remembers each as it
// last read or wrote it (or that it could not read it), so that a save can
// tell the files another program changed since.
class SectionFiles {
public:
    explicit SectionFiles(QDir folder = QDir::current()) : m_folder(std::move(folder)) {}

    // Writes gumps.scp, tiles.scp and items.scp, and patch.ini where the
    // patch info is unsaved, all or none, and remembers them as written.
    bool saveSections(const EntryLists& lists, PatchInfoState& patchInfo, Reporter& reporter);
    // Reads all three section files, then replaces all three lists; if any
    // file cannot be read, no list changes.
    bool loadSections(EntryLists& lists, Reporter& reporter);
    // The three section files, in list order, all read or none: on a
    // failure it is reported and nothing is returned.
    std::optional<SectionContents> readSections(Reporter& reporter) const;
    // Each section file and patch.ini on its own, a section file not there
    // being a list not saved yet: one that cannot be read leaves only its
    // own part unread.
    FolderContents readEach(const PatchInfoState& patchInfo) const;
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
    // Remembers how the section files are while nothing of them has been
    // read.
    void rememberFolderAsIs();

    // Whether any section file is in the folder.
    bool hasSectionFiles() const;
    // What a section file was when last read or written here.
    const FileRecord& sectionRecord(ListId list) const
    {
        return m_records[static_cast<size_t>(list)];
    }
    QString sectionPath(ListId list) const;

private:
    QDir m_folder;
    std::array<FileRecord, 3> m_records; // nothing known until read or written
};

} // namespace scp
