#pragma once

#include "entry_lists.h"
#include "memory_text_box.h"
#include "reporter.h"

#include <QDir>

#include <array>
#include <optional>

namespace scp {

inline constexpr char kScriptFileName[] = "mantle.scp";
inline constexpr char kCompiledMessage[] = "Mantle.Scp has been created";
inline constexpr char kSavedMessage[] = "Gumps,Tiles,Items Saved!";

// Turns the lists into files and back: assembles the script from the fixed
// blocks and the lists into the output buffer and writes mantle.scp, writes
// and reads the three section files. Files live in `folder` (the current
// directory unless the editor is given another).
class ScriptWorkshop {
public:
    explicit ScriptWorkshop(QDir folder = QDir::current());

    // The last script assembled, kept until the next assembly.
    const MemoryTextBox& outputBuffer() const { return m_outputBuffer; }

    // Joins the thirteen pieces in the script's order.
    QString assembleScript(const EntryLists& lists) const;

    // Assembles into the output buffer, writes mantle.scp, reports success
    // or failure.
    bool compileScript(const EntryLists& lists, Reporter& reporter);
    // Writes gumps.scp, tiles.scp and items.scp, all three or none.
    bool saveSections(const EntryLists& lists, Reporter& reporter);
    // Reads all three section files, then replaces all three lists; if any
    // file cannot be read, no list changes.
    bool loadSections(EntryLists& lists, Reporter& reporter);
    // The three section files' bytes, in list order, all read or none: on a
    // failure it is reported and nothing is returned.
    std::optional<std::array<QByteArray, 3>> readSections(Reporter& reporter) const;

private:
    QString path(const QString& fileName) const;
    // The thirteen pieces of the script, in order.
    std::array<const TextBox*, 13> pieces(const EntryLists& lists) const;

    QDir m_folder;
    MemoryTextBox m_head, m_gumpsHead, m_itemsHead, m_tail, m_gap;
    MemoryTextBox m_outputBuffer;
};

} // namespace scp
