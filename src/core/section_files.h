#pragma once

// The working folder's files: the three section files as last read or
// written, and the script assembled from the lists.

#include "entry_lists.h"
#include "file_record.h"
#include "memory_text_box.h"
#include "reporter.h"

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
};
using SectionContents = std::array<SectionContent, 3>;

// What a read makes of a section file that is not there.
enum class AbsentSection {
    Fails,         // an error, like any file that cannot be read
    IsPlaceholder, // a list not saved yet: it gets its placeholder
};

// Turns the lists into files and back: assembles the script from the fixed
// blocks and the lists and writes mantle.scp, writes and reads the three
// section files. Files live in `folder` (the current
// directory unless the editor is given another).
//
// It remembers each section file as it last read or wrote it, so that a
// save can tell the files another program changed since.
class SectionFiles {
public:
    explicit SectionFiles(QDir folder = QDir::current());

    // Assembles the script, writes mantle.scp, reports success or failure.
    bool compileScript(const EntryLists& lists, Reporter& reporter);
    // Writes gumps.scp, tiles.scp and items.scp, all three or none, and
    // remembers them as written.
    bool saveSections(const EntryLists& lists, Reporter& reporter);
    // Reads all three section files, then replaces all three lists; if any
    // file cannot be read, no list changes.
    bool loadSections(EntryLists& lists, Reporter& reporter);
    // The three section files, in list order, all read or none: on a
    // failure it is reported and nothing is returned.
    std::optional<SectionContents> readSections(Reporter& reporter,
                                                AbsentSection absent = AbsentSection::Fails) const;
    // The contents read are now the lists': they are remembered for a later
    // save to compare the files with.
    void rememberSections(const SectionContents& contents);
    // Remembers how the folder is while nothing of it has been read.
    void rememberFolderAsIs();

    // Whether any section file is in the folder.
    bool hasSectionFiles() const;
    // What a section file was when last read or written here.
    const FileRecord& sectionRecord(ListId list) const
    {
        return m_records[static_cast<size_t>(list)];
    }
    QString sectionPath(ListId list) const { return path(sectionFileName(list)); }

private:
    QString path(const QString& fileName) const;
    // The thirteen pieces of the script, in order.
    std::array<const TextBox*, 13> pieces(const EntryLists& lists) const;

    QDir m_folder;
    MemoryTextBox m_head, m_gumpsHead, m_itemsHead, m_tail, m_gap;
    std::array<FileRecord, 3> m_records; // nothing known until read or written
};

} // namespace scp
