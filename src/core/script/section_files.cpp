// Reading and writing the section files.

#include "script/section_files.h"

#include "files/file_transaction.h"
#include "files/folder_path.h"
#include "script/list_encoding.h"

#include <algorithm>

namespace scp {

QString SectionFiles::sectionPath(ListId list) const
{
    return pathInFolder(m_folder, sectionFileName(list));
}

bool SectionFiles::saveSections(const EntryLists& lists, PatchInfoState& patchInfo,
                                Reporter& reporter)
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
    const bool withPatchInfo = patchInfo.patchInfoUnsaved();
    const QByteArray patchInfoFile = withPatchInfo ? patchInfo.unsavedBytes() : QByteArray();
    if (withPatchInfo)
        transaction.add(patchInfo.patchInfoPath(), patchInfoFile);
    reporter.progress(0.75);
    // A reporter that never ran the step wrote nothing.
    Outcome outcome = Outcome::failure(QStringLiteral("the files were not written"));
    std::array<qint64, 3> modified{};
    reporter.runAside([&] {
        outcome = transaction.commit();
        // Taken straight after the write: another program's change from now
        // on has another time.
        for (ListId list : kAllLists)
            modified[static_cast<size_t>(list)] =
                outcome ? fileStatus(sectionPath(list)).modified : 0;
    });
    if (!outcome) {
        reporter.failure(outcome.error());
        return false;
    }
    for (ListId list : kAllLists) {
        const auto i = static_cast<size_t>(list);
        m_records[i] = FileRecord::of(encoded[i].bytes, modified[i]);
    }
    if (withPatchInfo)
        patchInfo.rememberSaved(patchInfoFile);
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

FolderContents SectionFiles::readEach(const PatchInfoState& patchInfo) const
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
    folder.patchInfo = patchInfo.readPatchInfo(failures);
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

void SectionFiles::rememberFolderAsIs()
{
    // Only ever asked of a folder without section files; one that cannot be
    // looked at stays unknown.
    for (ListId list : kAllLists) {
        if (!fileStatus(sectionPath(list)).exists)
            m_records[static_cast<size_t>(list)] = FileRecord::absent();
    }
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
