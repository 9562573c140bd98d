#pragma once

// Where the recovery journals of one working folder are kept: in the user's
// data location, never in the working folder itself, named after the
// folder, beside the lock an editor open on the folder holds while it runs.

#include <QDir>
#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

namespace scp {

class RecoveryStore {
public:
    // Journals go to `storeFolder` (by default the user's data location).
    explicit RecoveryStore(const QDir& folder, const QString& storeFolder = defaultFolder());
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    static QString defaultFolder();

    // The working folder as journals name it.
    const QString& folderPath() const { return m_folderPath; }

    enum class Lock { Taken, HeldElsewhere, Failed, NotKept };
    // Takes the folder's lock for as long as this store lives: only the
    // editor holding it keeps a journal, and only it may take over what an
    // earlier run left. A lock whose editor has died is taken over. A store
    // given no folder keeps no journals, and takes no lock: NotKept.
    Lock lock();
    // Why the lock could not be taken, after Failed.
    const QString& problem() const { return m_problem; }

    // Journals that earlier runs left for this folder, newest first.
    QStringList leftJournals() const;
    // A path for a new journal that no journal has.
    QString newJournalPath() const;

private:
    QString m_folderPath;
    QString m_store;
    QString m_key; // the start of every file name of this folder's
    std::unique_ptr<QLockFile> m_lock;
    QString m_problem;
};

} // namespace scp
