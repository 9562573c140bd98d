#include "script_workshop.h"

#include "cp1252.h"
#include "file_reading.h"
#include "file_transaction.h"
#include "templates.h"

using namespace Qt::StringLiterals;

namespace scp {

namespace {

QString describedList(ListId list)
{
    return u"the %1 list"_s.arg(listName(list));
}

// A character with no Windows-1252 byte stops a write; the message names the
// file, what holds the character (`what`), the character and where it is.
Outcome unencodable(const QString& path, const QString& what, const TextBox& box,
                    qsizetype badIndex)
{
    // The text is only built to describe the character that has no byte.
    return Outcome::failure(
        u"Could not write \"%1\": %2 has %3, which has no Windows-1252 byte"_s.arg(
            QDir::toNativeSeparators(path), what, describeCharacterAt(box.text(), badIndex)));
}

} // namespace

ScriptWorkshop::ScriptWorkshop(QDir folder)
    : m_folder(std::move(folder)), m_head(templateText(Block::Head)),
      m_gumpsHead(templateText(Block::GumpsHead)), m_itemsHead(templateText(Block::ItemsHead)),
      m_tail(templateText(Block::Tail)), m_gap(templateText(Block::Gap))
{
}

QString ScriptWorkshop::path(const QString& fileName) const
{
    // Joined by hand: asked for an absolute path, Qt asks Windows, which
    // drops what it would not take ("patch." becomes "patch"), and the file
    // layer could no longer refuse the name the user gave.
    QString folder = m_folder.path();
    if (QDir::isRelativePath(folder))
        folder = QDir::currentPath() + u'/' + folder;
#ifdef Q_OS_WIN
    else if (folder.startsWith(u'/') && !folder.startsWith(u"//"))
        folder = QDir::currentPath().first(2) + folder; // rooted on the current drive
#endif
    return QDir::toNativeSeparators(QDir::cleanPath(folder + u'/' + fileName));
}

std::array<const TextBox*, 13> ScriptWorkshop::pieces(const EntryLists& lists) const
{
    // The head opens SECTION TILES and the next block SECTION GUMPS, hence
    // tiles before gumps.
    return {
        &m_head,      &m_gap, &lists.box(ListId::Tiles), &m_gap,
        &m_gumpsHead, &m_gap, &lists.box(ListId::Gumps), &m_gap,
        &m_itemsHead, &m_gap, &lists.box(ListId::Items), &m_gap,
        &m_tail,
    };
}

QString ScriptWorkshop::assembleScript(const EntryLists& lists) const
{
    QString script;
    for (const TextBox* piece : pieces(lists))
        script += piece->text();
    return script;
}

bool ScriptWorkshop::compileScript(const EntryLists& lists, Reporter& reporter)
{
    const QString target = path(QString::fromLatin1(kScriptFileName));

    // The script is assembled as bytes, piece by piece: lists loaded from
    // files are already bytes and are neither widened nor copied on the way.
    QList<QByteArray> script;
    const auto all = pieces(lists);
    script.reserve(all.size());
    for (const TextBox* piece : all) {
        const Cp1252Encoding encoded = piece->encoded();
        if (!encoded.ok()) {
            // The blocks are ASCII, so the character is in a list: name that
            // list and the place in it. The text stays in the output buffer.
            m_outputBuffer.setText(assembleScript(lists));
            QString what = u"the script"_s;
            for (ListId list : kAllLists) {
                if (&lists.box(list) == piece)
                    what = describedList(list);
            }
            reporter.failure(unencodable(target, what, *piece, encoded.badIndex).error());
            return false;
        }
        script.append(encoded.bytes);
        reporter.progress(0.8 * double(script.size()) / double(all.size()));
    }
    m_outputBuffer.setEncoded(script);

    if (const Outcome written = writeFileAtomically(target, script); !written) {
        reporter.failure(written.error());
        return false;
    }
    reporter.information(QString::fromLatin1(kCompiledMessage));
    return true;
}

bool ScriptWorkshop::saveSections(const EntryLists& lists, Reporter& reporter)
{
    // Encode all three first: a list that cannot be written stops the save
    // before any file is touched.
    FileTransaction transaction;
    for (ListId list : kAllLists) {
        const QString target = path(sectionFileName(list));
        const TextBox& box = lists.box(list);
        Cp1252Encoding encoded = box.encoded();
        if (!encoded.ok()) {
            reporter.failure(
                unencodable(target, describedList(list), box, encoded.badIndex).error());
            return false;
        }
        transaction.add(target, encoded.bytes);
        reporter.progress(0.25 * (int(list) + 1));
    }
    if (const Outcome written = transaction.commit(); !written) {
        reporter.failure(written.error());
        return false;
    }
    reporter.information(QString::fromLatin1(kSavedMessage));
    return true;
}

std::optional<std::array<QByteArray, 3>> ScriptWorkshop::readSections(Reporter& reporter) const
{
    // Every file is read before any list is replaced, so a missing or
    // unreadable file leaves all three lists as they were.
    std::array<QByteArray, 3> contents;
    for (ListId list : kAllLists) {
        FileBytes read = readFileBytes(path(sectionFileName(list)));
        if (!read.outcome) {
            reporter.failure(read.outcome.error());
            return std::nullopt;
        }
        contents[static_cast<size_t>(list)] = std::move(read.bytes);
    }
    return contents;
}

bool ScriptWorkshop::loadSections(EntryLists& lists, Reporter& reporter)
{
    const auto contents = readSections(reporter);
    if (!contents)
        return false;
    for (ListId list : kAllLists)
        lists.box(list).startFileContent((*contents)[static_cast<size_t>(list)]);
    for (ListId list : kAllLists)
        lists.box(list).finishFileContent();
    return true;
}

} // namespace scp
