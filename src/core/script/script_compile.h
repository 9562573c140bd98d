#pragma once

// mantle.scp: assembled from the fixed blocks and the lists, and remembered
// as last written here.

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

// Writes mantle.scp in `folder`, and remembers it as it last wrote it, so
// that a compile can tell a script the user made elsewhere.
class ScriptCompile {
public:
    explicit ScriptCompile(QDir folder = QDir::current());

    // Assembles the script, its head made with `patchInfo` (none keeps the
    // template's lines), writes mantle.scp, reports success or failure.
    bool compileScript(const EntryLists& lists, const std::optional<PatchInfo>& patchInfo,
                       Reporter& reporter);

    QString scriptPath() const;
    // Whether compiling may replace mantle.scp unasked: there is none (or
    // nothing a write could replace), it is as this object last wrote it,
    // or it is a script this program compiled, from whatever lists. A
    // script that cannot be read cannot be told from the user's own: false,
    // with the system's reason in `unreadable`.
    bool mayReplaceScript(QString* unreadable = nullptr) const;

private:
    // The thirteen pieces of the script, in order.
    std::array<const TextBox*, 13> pieces(const EntryLists& lists, const TextBox& head) const;

    QDir m_folder;
    MemoryTextBox m_gumpsHead, m_itemsHead, m_tail, m_gap;
    FileRecord m_scriptRecord; // mantle.scp as last written here
};

} // namespace scp
