#pragma once

// Keeps what the lists hold and their section files do not in a journal
// outside the working folder, so that a crash, a kill or a power cut loses
// at most the last moment of typing. The journal records edits, not whole
// lists: a list's first record is its section file (copied by the writing
// thread, not read from the list) or its text, and every change after that
// is an edit. Records are written on a thread of their own as they come and
// synced to disk kSyncAfter after the first one not yet synced; the editor's
// thread only queues them. Once the
// edits written since the journal was last rewritten outgrow the lists it
// holds, it is rewritten as those lists alone.

#include "files/file_record.h"
#include "script/entry_lists.h"

#include <QObject>

#include <array>
#include <memory>

namespace scp {

class RecoveryJournal final : public QObject {
    Q_OBJECT

public:
    static constexpr int kSyncAfter = 250; // ms

    // Writes to `path` (made by the first record), for the working folder
    // `folder`.
    RecoveryJournal(const QString& path, const QString& folder, QObject* parent = nullptr);
    // Writes and syncs what is still pending.
    ~RecoveryJournal() override;

    const QString& path() const { return m_path; }

    // The list's text is now that of its section file `sectionPath`, which
    // the writer copies; should the file no longer be as `record` says,
    // baseLost() asks for the text instead.
    void recordBase(ListId list, const QString& sectionPath, const FileRecord& record);
    // What the editor knows of the list's section file (see journal_format.h);
    // recorded before the list's first base or text.
    void recordFile(ListId list, const FileRecord& record);
    // The list's text is now `journalText` (see journal_format.h).
    void recordText(ListId list, const QString& journalText);
    void recordEdit(ListId list, qint64 position, qint64 removed, const QString& inserted);
    // The list's text is again what it was before its last text or base.
    void recordRevert(ListId list);
    // Nothing is unsaved: the journal file goes, and the next record starts
    // a new one.
    void discard();
    // Returns once everything recorded so far is on disk: true, unless the
    // journal could not be written.
    bool flush();

Q_SIGNALS:
    // A base could not be taken from its file: the list's edits are left
    // out until a text record for it comes.
    void baseLost(scp::ListId list);
    // The journal could not be written. Nothing more is written until
    // discard(), after which it starts anew.
    void failed(const QString& message);

private:
    qint64 heldCharacters() const;

    class Queue;

    QString m_path;
    std::unique_ptr<Queue> m_queue;
    // How long each list's journal text is, and what a revert would bring
    // back, as far as the records tell (-1: none): what the journal holds.
    std::array<qint64, 3> m_length{-1, -1, -1};
    std::array<qint64, 3> m_replaced{-1, -1, -1};
};

} // namespace scp
