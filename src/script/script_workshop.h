#pragma once

#include "lists/entry_lists.h"
#include "lists/memory_text_box.h"
#include "script/reporter.h"
#include "script/templates.h"

#include <QDir>

#include <array>

namespace scp {

inline constexpr char kScriptFileName[] = "mantle.scp";
inline constexpr char kCompiledMessage[] = "Mantle.Scp has been created";
inline constexpr char kSavedMessage[] = "Gumps,Tiles,Items Saved!";

// The hidden workshop: the template blocks (parca1..parca4, bosluk) as the
// content of hidden boxes, the output buffer `save`, and the operations that
// turn the lists into files. Files live in `dir` (the current directory in
// the editor).
class ScriptWorkshop {
public:
    explicit ScriptWorkshop(QDir dir = QDir::current());

    const TextBox& block(Block block) const;
    const MemoryTextBox& save() const { return m_save; }
    const QDir& dir() const { return m_dir; }

    // Joins the thirteen pieces in the script's order.
    QString assemble_script(const EntryLists& lists) const;

    // Assembles into `save`, writes mantle.scp, reports success or failure.
    bool compile_script(const EntryLists& lists, Reporter& reporter);
    // Writes gumps.scp, tiles.scp and items.scp, all three or none.
    bool save_all_sections(const EntryLists& lists, Reporter& reporter);
    // Reads all three section files, then replaces all three lists; if any
    // file cannot be read, no list changes.
    bool load_all_sections(EntryLists& lists, Reporter& reporter);

private:
    QString path(const QString& fileName) const;
    // The thirteen pieces of the script, in order.
    std::array<const TextBox*, 13> pieces(const EntryLists& lists) const;

    QDir m_dir;
    MemoryTextBox m_parca1, m_parca2, m_parca3, m_parca4, m_bosluk;
    MemoryTextBox m_save;
};

} // namespace scp
