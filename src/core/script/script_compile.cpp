// Assembling the script from the fixed blocks and the lists, and writing it.

#include "script/script_compile.h"

#include "files/file_reading.h"
#include "files/file_transaction.h"
#include "files/folder_path.h"
#include "script/list_encoding.h"
#include "script/script_import.h"
#include "script/templates.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

ScriptCompile::ScriptCompile(QDir folder)
    : m_folder(std::move(folder)), m_gumpsHead(templateText(Block::GumpsHead)),
      m_itemsHead(templateText(Block::ItemsHead)), m_tail(templateText(Block::Tail)),
      m_gap(templateText(Block::Gap))
{
}

QString ScriptCompile::scriptPath() const
{
    return pathInFolder(m_folder, QString::fromLatin1(kScriptFileName));
}

std::array<const TextBox*, 13> ScriptCompile::pieces(const EntryLists& lists,
                                                     const TextBox& head) const
{
    // The head opens SECTION TILES and the next block SECTION GUMPS, hence
    // tiles before gumps.
    return {
        &head,        &m_gap, &lists.box(ListId::Tiles), &m_gap,
        &m_gumpsHead, &m_gap, &lists.box(ListId::Gumps), &m_gap,
        &m_itemsHead, &m_gap, &lists.box(ListId::Items), &m_gap,
        &m_tail,
    };
}

bool ScriptCompile::compileScript(const EntryLists& lists,
                                  const std::optional<PatchInfo>& patchInfo, Reporter& reporter)
{
    const QString target = scriptPath();
    const MemoryTextBox head(headText(patchInfo));

    // The script is assembled as bytes, piece by piece: lists loaded from
    // files are already bytes and are neither widened nor copied on the way.
    // The blocks are ASCII, so a character with no byte is in a list: the
    // message names that list and the place in it.
    const std::array<Cp1252Encoding, 3> encoded = encodeLists(lists);
    for (ListId list : {ListId::Tiles, ListId::Gumps, ListId::Items}) {
        const Cp1252Encoding& bytes = encoded[static_cast<size_t>(list)];
        if (!bytes.ok()) {
            reporter.failure(
                unencodable(target, describedList(list), lists.box(list), bytes.badIndex).error());
            return false;
        }
    }
    // The head is ASCII but for the patch info, whose values were checked
    // when they were set; a slip there still writes nothing.
    if (const Cp1252Encoding headBytes = head.encoded(); !headBytes.ok()) {
        reporter.failure(
            unencodable(target, u"the patch info"_s, head, headBytes.badIndex).error());
        return false;
    }
    reporter.progress(0.5);
    QList<QByteArray> script;
    const auto all = pieces(lists, head);
    script.reserve(all.size());
    for (const TextBox* piece : all) {
        const auto list = std::find_if(kAllLists.begin(), kAllLists.end(),
                                       [&](ListId id) { return &lists.box(id) == piece; });
        script.append(list != kAllLists.end() ? encoded[static_cast<size_t>(*list)].bytes
                                              : piece->encoded().bytes);
    }
    Outcome written = Outcome::failure(u"the script was not written"_s);
    qint64 modified = 0;
    reporter.runAside([&] {
        written = writeFileAtomically(target, script);
        if (written)
            modified = fileStatus(target).modified;
    });
    if (!written) {
        reporter.failure(written.error());
        return false;
    }
    qint64 size = 0;
    for (const QByteArray& piece : script)
        size += piece.size();
    m_scriptRecord = FileRecord::written(size, modified);
    reporter.information(QString::fromLatin1(kCompiledMessage));
    return true;
}

bool ScriptCompile::mayReplaceScript(QString* unreadable) const
{
    const QString target = scriptPath();
    const FileStatus now = fileStatus(target);
    if (!now.exists || !now.regular || m_scriptRecord.matches(target))
        return true;
    const FileBytes read = readFileBytes(target);
    if (!read.outcome && unreadable != nullptr)
        *unreadable = read.reason;
    return read.outcome && isCompiledScript(read.bytes);
}

} // namespace scp
