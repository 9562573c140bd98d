// Reading and writing the section files, and assembling the script.

#include "script/section_files.h"

#include "files/file_reading.h"
#include "files/file_transaction.h"
#include "script/script_import.h"
#include "script/templates.h"
#include "text/cp1252.h"

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>

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

SectionFiles::SectionFiles(QDir folder)
    : m_folder(std::move(folder)), m_head(templateText(Block::Head)),
      m_gumpsHead(templateText(Block::GumpsHead)), m_itemsHead(templateText(Block::ItemsHead)),
      m_tail(templateText(Block::Tail)), m_gap(templateText(Block::Gap))
{
}

QString SectionFiles::path(const QString& fileName) const
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

std::array<const TextBox*, 13> SectionFiles::pieces(const EntryLists& lists) const
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

namespace {

// The three lists' bytes, encoded side by side on the application's pool of
// threads, this one taking the gumps; each list is read, never changed, and
// stays as it is until all are done.
std::array<Cp1252Encoding, 3> encodeLists(const EntryLists& lists)
{
    std::array<Cp1252Encoding, 3> encoded;
    QSemaphore done;
    for (ListId list : {ListId::Tiles, ListId::Items}) {
        const auto encode = [&encoded, &lists, &done, list] {
            encoded[static_cast<size_t>(list)] = lists.box(list).encoded();
            done.release();
        };
        // With no thread free, here.
        if (!QThreadPool::globalInstance()->tryStart(encode))
            encode();
    }
    encoded[static_cast<size_t>(ListId::Gumps)] = lists.box(ListId::Gumps).encoded();
    done.acquire(2);
    return encoded;
}

} // namespace

bool SectionFiles::compileScript(const EntryLists& lists, Reporter& reporter)
{
    const QString target = path(QString::fromLatin1(kScriptFileName));

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
    if (const Cp1252Encoding head = m_head.encoded(); !head.ok()) {
        reporter.failure(unencodable(target, u"the patch info"_s, m_head, head.badIndex).error());
        return false;
    }
    reporter.progress(0.5);
    QList<QByteArray> script;
    const auto all = pieces(lists);
    script.reserve(all.size());
    for (const TextBox* piece : all) {
        const auto list = std::find_if(kAllLists.begin(), kAllLists.end(),
                                       [&](ListId id) { return &lists.box(id) == piece; });
        script.append(list != kAllLists.end() ? encoded[static_cast<size_t>(*list)].bytes
                                              : piece->encoded().bytes);
    }
    if (const Outcome written = writeFileAtomically(target, script); !written) {
        reporter.failure(written.error());
        return false;
    }
    qint64 size = 0;
    for (const QByteArray& piece : script)
        size += piece.size();
    m_scriptRecord = FileRecord::written(size, fileStatus(target).modified);
    reporter.information(QString::fromLatin1(kCompiledMessage));
    return true;
}

bool SectionFiles::saveSections(const EntryLists& lists, Reporter& reporter)
{
    // Encode all three first: a list that cannot be written stops the save
    // before any file is touched.
    const std::array<Cp1252Encoding, 3> encoded = encodeLists(lists);
    FileTransaction transaction;
    for (ListId list : kAllLists) {
        const QString target = sectionPath(list);
        const Cp1252Encoding& bytes = encoded[static_cast<size_t>(list)];
        if (!bytes.ok()) {
            reporter.failure(
                unencodable(target, describedList(list), lists.box(list), bytes.badIndex).error());
            return false;
        }
        transaction.add(target, bytes.bytes);
    }
    const bool withPatchInfo = patchInfoUnsaved();
    const QByteArray patchInfoFile = withPatchInfo ? patchInfoBytes(*m_patchInfo) : QByteArray();
    if (withPatchInfo)
        transaction.add(patchInfoPath(), patchInfoFile);
    reporter.progress(0.75);
    if (const Outcome outcome = transaction.commit(); !outcome) {
        reporter.failure(outcome.error());
        return false;
    }
    for (ListId list : kAllLists) {
        // Taken straight after the write: another program's change from now
        // on has another time.
        const auto i = static_cast<size_t>(list);
        m_records[i] = FileRecord::of(encoded[i].bytes, fileStatus(sectionPath(list)).modified);
    }
    if (withPatchInfo) {
        m_savedPatchInfo = m_patchInfo;
        m_patchInfoRecord = FileRecord::of(patchInfoFile, fileStatus(patchInfoPath()).modified);
    }
    reporter.information(QString::fromLatin1(kSavedMessage));
    return true;
}

std::optional<SectionContents> SectionFiles::readSections(Reporter& reporter) const
{
    // Every file is read before any list is replaced, so a missing or
    // unreadable file leaves all three lists as they were.
    SectionContents contents;
    for (ListId list : kAllLists) {
        SectionContent& content = contents[static_cast<size_t>(list)];
        FileBytes read = readFileBytes(sectionPath(list));
        if (!read.outcome) {
            reporter.failure(read.outcome.error());
            return std::nullopt;
        }
        content = {std::move(read.bytes), true, read.modified};
    }
    return contents;
}

namespace {

// Keeps the failures it is told of; nothing else.
class FailureList final : public Reporter {
public:
    QStringList failures;
    void information(const QString&) override {}
    void failure(const QString& text) override { failures.append(text); }
    void progress(double) override {}
};

} // namespace

FolderContents SectionFiles::readEach() const
{
    FolderContents folder;
    FailureList failures;
    for (ListId list : kAllLists) {
        SectionContent& content = folder.sections[static_cast<size_t>(list)];
        FileBytes read = readFileBytes(sectionPath(list));
        if (read.missing) {
            content = {listPlaceholder(list).toLatin1(), false, 0};
        } else if (!read.outcome) {
            content.read = false;
            failures.failure(read.outcome.error());
        } else {
            content = {std::move(read.bytes), true, read.modified};
        }
    }
    folder.patchInfo = readPatchInfo(failures);
    folder.failures = std::move(failures.failures);
    return folder;
}

void SectionFiles::rememberSections(const SectionContents& contents)
{
    for (size_t i = 0; i < contents.size(); ++i) {
        const SectionContent& content = contents[i];
        m_records[i] = !content.read     ? FileRecord::unreadable()
                       : content.existed ? FileRecord::of(content.bytes, content.modified)
                                         : FileRecord::absent();
    }
}

bool SectionFiles::mayReplaceScript(QString* unreadable) const
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

void SectionFiles::rememberFolderAsIs()
{
    // Only ever asked of a folder without section files or patch.ini; one
    // that cannot be looked at stays unknown.
    for (ListId list : kAllLists) {
        if (!fileStatus(sectionPath(list)).exists)
            m_records[static_cast<size_t>(list)] = FileRecord::absent();
    }
    if (!hasPatchInfoFile())
        m_patchInfoRecord = FileRecord::absent();
}

PatchInfoFile SectionFiles::readPatchInfoFile() const
{
    PatchInfoFile read{readFileBytes(patchInfoPath()), {}};
    if (read.file.outcome)
        read.read = parsePatchInfo(read.file.bytes);
    return read;
}

std::optional<PatchInfoContent> SectionFiles::readPatchInfo(Reporter& reporter) const
{
    const PatchInfoFile read = readPatchInfoFile();
    if (read.file.missing)
        return PatchInfoContent{std::nullopt, FileRecord::absent()};
    if (!read.file.outcome) {
        reporter.failure(read.file.outcome.error());
        return std::nullopt;
    }
    if (!read.read.problems.isEmpty()) {
        QStringList lines;
        for (const PatchInfoProblem& problem : read.read.problems)
            lines.append(describePatchInfoProblem(patchInfoPath(), problem));
        reporter.failure(lines.join(u'\n'));
        return std::nullopt;
    }
    return PatchInfoContent{read.read.info, FileRecord::of(read.file.bytes, read.file.modified)};
}

void SectionFiles::rememberPatchInfo(const PatchInfoContent& content)
{
    setPatchInfo(content.info);
    m_savedPatchInfo = content.info;
    m_patchInfoRecord = content.record;
}

bool SectionFiles::loadPatchInfo(Reporter& reporter)
{
    const std::optional<PatchInfoContent> content = readPatchInfo(reporter);
    if (content)
        rememberPatchInfo(*content);
    return content.has_value();
}

void SectionFiles::setPatchInfo(const std::optional<PatchInfo>& info)
{
    m_patchInfo = info;
    m_head.setText(headText(info));
}

bool SectionFiles::hasSectionFiles() const
{
    return std::ranges::any_of(
        kAllLists, [this](ListId list) { return fileStatus(sectionPath(list)).exists; });
}

bool SectionFiles::loadSections(EntryLists& lists, Reporter& reporter)
{
    const auto contents = readSections(reporter);
    if (!contents)
        return false;
    for (ListId list : kAllLists)
        lists.box(list).setFileContent((*contents)[static_cast<size_t>(list)].bytes);
    return true;
}

} // namespace scp
