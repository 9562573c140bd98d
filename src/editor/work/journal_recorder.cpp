// What the lists' edits become in the recovery journal.

#include "work/journal_recorder.h"

#include "lists/list_document.h"
#include "recovery/recovery_journal.h"
#include "script/section_files.h"

namespace scp {

JournalRecorder::JournalRecorder(const std::array<ListDocument*, 3>& lists,
                                 const SectionFiles& files, QObject* parent)
    : QObject(parent), m_lists(lists), m_sectionFiles(files)
{
    for (ListId list : kAllLists) {
        ListDocument* document = m_lists[size_t(list)];
        m_positions[size_t(list)] = document->positionCount();
        connect(document, &ListDocument::positionsChanged, this,
                [this, list](int position, int removed, int added) {
                    changed(list, position, removed, added);
                });
        connect(document, &ListDocument::documentReplaced, this,
                [this, list](bool byUndo) { replaced(list, byUndo); });
    }
}

void JournalRecorder::setJournal(RecoveryJournal* journal)
{
    if (m_journal != nullptr)
        m_journal->disconnect(this);
    m_journal = journal;
    m_recorded = {};
    m_fileRecorded = {};
    m_revertible = {};
    m_failed = false;
    if (m_journal == nullptr)
        return;
    connect(m_journal, &RecoveryJournal::baseLost, this, [this](ListId list) {
        // Its edits since are left out: the text has them all.
        if (m_recorded[size_t(list)])
            recordWholeText(list);
    });
    connect(m_journal, &RecoveryJournal::failed, this, &JournalRecorder::failed);
}

void JournalRecorder::reset()
{
    m_recorded = {};
    m_fileRecorded = {};
    m_revertible = {};
    m_failed = false;
    if (m_journal != nullptr)
        m_journal->discard();
}

void JournalRecorder::failed()
{
    // What was recorded up to here is no longer all there is; the journal
    // is started again once the lists are saved.
    m_failed = true;
    m_recorded = {};
}

void JournalRecorder::keep(ListId list)
{
    if (m_journal != nullptr && !m_paused && !m_failed)
        recordWholeText(list);
}

void JournalRecorder::recordFileOnce(ListId list)
{
    if (m_fileRecorded[size_t(list)])
        return;
    m_journal->recordFile(list, m_sectionFiles.sectionRecord(list));
    m_fileRecorded[size_t(list)] = true;
}

bool JournalRecorder::recordBase(ListId list)
{
    const FileRecord& record = m_sectionFiles.sectionRecord(list);
    const QString path = m_sectionFiles.sectionPath(list);
    if (!record.existed() || !record.looksUnchanged(path))
        return false;
    recordFileOnce(list);
    m_journal->recordBase(list, path, record);
    m_recorded[size_t(list)] = true;
    return true;
}

void JournalRecorder::recordWholeText(ListId list)
{
    const ListDocument& document = *m_lists[size_t(list)];
    QString text;
    ListDocument::positionText(*document.document(), 0, document.positionCount(), text);
    recordFileOnce(list);
    m_journal->recordText(list, text);
    m_recorded[size_t(list)] = true;
    m_revertible[size_t(list)] = false;
}

void JournalRecorder::changed(ListId list, int position, int removed, int added)
{
    const auto i = size_t(list);
    const ListDocument& document = *m_lists[i];
    const int before = m_positions[i];
    const int after = m_positions[i] = document.positionCount();
    if (m_journal == nullptr || m_paused || m_failed)
        return;
    // Until its first change a list is what it was saved as, which its file
    // holds unless someone changed that.
    if (!m_recorded[i] && !recordBase(list))
        return recordWholeText(list);
    // Qt may count the document's own end among the positions changed.
    removed = std::min(removed, before - position);
    added = std::min(added, after - position);
    if (position < 0 || removed < 0 || added < 0 || before - removed + added != after)
        return recordWholeText(list);
    QString inserted;
    ListDocument::positionText(*document.document(), position, position + added, inserted);
    m_journal->recordEdit(list, position, removed, inserted);
}

void JournalRecorder::replaced(ListId list, bool byUndo)
{
    const auto i = size_t(list);
    m_positions[i] = m_lists[i]->positionCount();
    if (m_journal == nullptr || m_paused || m_failed)
        return;
    if (byUndo) {
        // Undo brought back the list the last whole text replaced.
        if (m_recorded[i] && m_revertible[i]) {
            m_journal->recordRevert(list);
            m_revertible[i] = false;
        } else {
            recordWholeText(list);
        }
        return;
    }
    // A whole new text (a Clear): what it replaced is kept for its undo.
    const bool revertible = m_recorded[i] || recordBase(list);
    recordWholeText(list);
    m_revertible[i] = revertible;
}

} // namespace scp
