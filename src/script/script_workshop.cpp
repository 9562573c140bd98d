#include "script/script_workshop.h"

#include "script/cp1252.h"
#include "script/file_transaction.h"
#include "script/text_file.h"

#include <array>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

QString described_list(ListId list)
{
    return QStringLiteral("the %1 list").arg(list_name(list));
}

} // namespace

ScriptWorkshop::ScriptWorkshop(QDir dir)
    : m_dir(std::move(dir)), m_parca1(template_text(Block::Parca1)),
      m_parca2(template_text(Block::Parca2)), m_parca3(template_text(Block::Parca3)),
      m_parca4(template_text(Block::Parca4)), m_bosluk(template_text(Block::Bosluk))
{
}

const TextBox& ScriptWorkshop::block(Block block) const
{
    switch (block) {
    case Block::Parca1:
        return m_parca1;
    case Block::Parca2:
        return m_parca2;
    case Block::Parca3:
        return m_parca3;
    case Block::Parca4:
        return m_parca4;
    case Block::Bosluk:
        break;
    }
    return m_bosluk;
}

QString ScriptWorkshop::path(const QString& fileName) const
{
    return QDir::toNativeSeparators(m_dir.absoluteFilePath(fileName));
}

std::array<const TextBox*, 13> ScriptWorkshop::pieces(const EntryLists& lists) const
{
    // parca1 opens SECTION TILES and parca2 opens SECTION GUMPS, hence tiles
    // before gumps.
    return {
        &m_parca1, &m_bosluk, &lists.box(ListId::Tiles), &m_bosluk,
        &m_parca2, &m_bosluk, &lists.box(ListId::Gumps), &m_bosluk,
        &m_parca3, &m_bosluk, &lists.box(ListId::Items), &m_bosluk,
        &m_parca4,
    };
}

QString ScriptWorkshop::assemble_script(const EntryLists& lists) const
{
    QString script;
    for (const TextBox* piece : pieces(lists))
        script += piece->text();
    return script;
}

bool ScriptWorkshop::compile_script(const EntryLists& lists, Reporter& reporter)
{
    const QString target = path(QString::fromLatin1(kScriptFileName));

    // The script is assembled as bytes, piece by piece: lists loaded from
    // files are already bytes and are neither widened nor copied on the way.
    QList<QByteArray> script;
    script.reserve(13);
    for (const TextBox* piece : pieces(lists)) {
        const Cp1252Encoding encoded = piece->encoded();
        if (!encoded.ok()) {
            // The blocks are ASCII, so the character is in a list: name that
            // list and the place in it. The text stays in the output buffer.
            m_save.setText(assemble_script(lists));
            for (ListId list : kAllLists) {
                if (&lists.box(list) == piece) {
                    reporter.failure(
                        encode_for_file(*piece, target, described_list(list)).outcome.error());
                    return false;
                }
            }
            reporter.failure(encode_for_file(*piece, target, u"the script"_s).outcome.error());
            return false;
        }
        script.append(encoded.bytes);
    }
    m_save.setEncoded(script);

    if (const Outcome written = write_file_atomically(target, script); !written) {
        reporter.failure(written.error());
        return false;
    }
    reporter.information(QString::fromLatin1(kCompiledMessage));
    return true;
}

bool ScriptWorkshop::save_all_sections(const EntryLists& lists, Reporter& reporter)
{
    // Encode all three first: a list that cannot be written stops the save
    // before any file is touched.
    FileTransaction transaction;
    for (ListId list : kAllLists) {
        const QString target = path(section_file_name(list));
        TextEncoding encoded = encode_for_file(lists.box(list), target, described_list(list));
        if (!encoded.outcome) {
            reporter.failure(encoded.outcome.error());
            return false;
        }
        transaction.add(target, encoded.bytes);
    }
    if (const Outcome written = transaction.commit(); !written) {
        reporter.failure(written.error());
        return false;
    }
    reporter.information(QString::fromLatin1(kSavedMessage));
    return true;
}

bool ScriptWorkshop::load_all_sections(EntryLists& lists, Reporter& reporter)
{
    // Read every file before replacing any list, so a missing or unreadable
    // file leaves all three lists as they were.
    std::array<QByteArray, 3> contents;
    for (ListId list : kAllLists) {
        FileBytes read = read_file_bytes(path(section_file_name(list)));
        if (!read.outcome) {
            reporter.failure(read.outcome.error());
            return false;
        }
        contents[static_cast<int>(list)] = std::move(read.bytes);
    }
    for (ListId list : kAllLists)
        lists.box(list).setFileContent(contents[static_cast<int>(list)]);
    return true;
}

} // namespace scp
