// The recovery journals of earlier runs, offered back at the start.

#include "work/recovery_offer.h"

#include "files/file_reading.h"
#include "lists/list_document.h"
#include "recovery/journal_format.h"
#include "recovery/recovery_journal.h"
#include "script/section_files.h"
#include "windows/questions.h"
#include "work/work_queue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Of the files of `lists`, those not as the journal says the editor knew
// them, each with how: "gumps.scp (changed)".
QStringList changedSinceJournal(const JournalContent& content, const QList<ListId>& lists,
                                const SectionFiles& files)
{
    QStringList changed;
    for (ListId list : lists) {
        const std::optional<FileRecord>& file = content.files[size_t(list)];
        const QString path = files.sectionPath(list);
        // Files it knew nothing of, or could not read, are asked about at
        // the save.
        if (!file || !(file->existed() || file->state() == FileRecord::State::Absent) ||
            file->matches(path))
            continue;
        const bool there = fileStatus(path).exists;
        changed.append(sectionFileName(list) + (!file->existed() ? u" (made since)"_s
                                                : there          ? u" (changed)"_s
                                                                 : u" (removed)"_s));
    }
    return changed;
}

} // namespace

void RecoveryOffer::afterStart(RecoveryStore::Lock lock) const
{
    switch (lock) {
    case RecoveryStore::Lock::Taken:
        return offerLeftJournals();
    case RecoveryStore::Lock::HeldElsewhere:
        return queue.tell(
            u"Another scpmaker is open in \"%1\". This one keeps no recovery "
            u"journal: what it has not saved is lost if it ends unexpectedly. "
            u"Both save to the same files."_s.arg(QDir::toNativeSeparators(store.folderPath())),
            false);
    case RecoveryStore::Lock::Failed:
        return queue.tell(store.problem() + u": no recovery journal is kept, so what is "
                                            u"not saved is lost if scpmaker ends "
                                            u"unexpectedly."_s,
                          true);
    case RecoveryStore::Lock::NotKept: // the program said why at its start
        return;
    }
}

void RecoveryOffer::offerLeftJournals() const
{
    for (const QString& path : store.leftJournals()) {
        if (journal && path == journal->path())
            continue;
        const FileBytes read = readFileBytes(path);
        const JournalReading reading =
            read.outcome ? readJournal(read.bytes, store.folderPath()) : JournalReading{};
        if (!reading.content) {
            queue.tell(
                u"The recovery journal \"%1\" cannot be used: %2. It is left where it is."_s.arg(
                    QDir::toNativeSeparators(path), read.outcome ? reading.problem : read.reason),
                true);
            continue;
        }
        const JournalContent& content = *reading.content;
        QList<ListId> missing;
        for (ListId list : kAllLists) {
            const std::optional<QString>& text = content.lists[size_t(list)];
            if (text && listTextOf(*text) != lists[size_t(list)]->text())
                missing.append(list);
        }
        if (missing.isEmpty()) { // nothing it holds is missing
            QFile::remove(path);
            continue;
        }
        const QStringList changed = changedSinceJournal(content, missing, files);
        switch (queue.asking([&] {
            return askToRestore(window, path, QFileInfo(path).lastModified(), missing, changed);
        })) {
        case RecoveryAnswer::Restore:
            for (ListId list : missing) {
                // The files as the editor knew them then: a save asks before
                // it replaces what changed since (or what it refused to).
                // A journal of the first version has no base.
                files.setSectionRecord(list, content.files[size_t(list)].value_or(FileRecord()));
                lists[size_t(list)]->setText(listTextOf(*content.lists[size_t(list)]));
            }
            // Ours has them now: the old one can go once they are on disk.
            if (journal->flush())
                QFile::remove(path);
            return;
        case RecoveryAnswer::Discard:
            QFile::remove(path);
            continue;
        case RecoveryAnswer::Later:
            return;
        }
    }
}

} // namespace scp
