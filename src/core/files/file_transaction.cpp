// A commit of several files, all or none: examined, staged beside the
// targets, then renamed over them with the old contents kept until the last.

#include "files/file_transaction.h"

#include "files/file_writing.h"
#include "files/leftovers.h"
#include "files/system_calls.h"
#include "files/windows_names.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

Outcome writeFailure(const QString& path, const QString& reason)
{
    return Outcome::failure(
        u"Could not write \"%1\": %2"_s.arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void syncFolder(const QString& folder)
{
    // Makes the renames themselves durable. Best effort: the contents are on
    // disk and in place, and not every file system lets a folder be synced.
    const Descriptor directory = openForReading(folder, OpenFolder);
    if (directory.get() >= 0)
        syncToDisk(directory.get());
}

namespace {

struct Staged {
    QString shownPath; // as the caller named it, for messages
    QString target;    // absolute, links followed
    bool existed = false;
    FileNode old;
    QString temporary; // complete bytes, synced, waiting to replace the target
    Descriptor temporaryFile;
    QString backup; // the old content while the commit may still roll back
    Descriptor backupFile;
    bool replaced = false;
};

// Removes every temporary that did not become its target and every backup
// still held, whichever way commit() ends. Each is closed first, and its
// lock goes with it: a file open without its removal shared (as another
// program or a runtime may open it) cannot be removed on Windows, and a
// file nobody uses any more needs no lock.
struct StagedFiles {
    std::vector<Staged> files;
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    ~StagedFiles()
    {
        const SystemCalls& sys = systemCalls();
        for (Staged& s : files) {
            s.temporaryFile.reset();
            s.backupFile.reset();
            if (!s.temporary.isEmpty())
                sys.unlink(encodedPath(s.temporary).constData());
            // A backup that will not go even at the second try is no longer
            // locked, so the next commit here removes it.
            if (!s.backup.isEmpty() && sys.unlink(encodedPath(s.backup).constData()) != 0)
                sys.unlink(encodedPath(s.backup).constData());
        }
    }
};

// Keeps the target's current content reachable under a second name beside it,
// so a later failure can put it back. A hard link costs nothing and needs no
// space; where the file system or its rules refuse links (Windows always), a
// copy. 0 or errno.
int keepOldContent(Staged& s)
{
    const SystemCalls& sys = systemCalls();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = besideName(s.target, kOldMark);
        if (sys.link(encodedPath(s.target).constData(), encodedPath(candidate).constData()) == 0) {
            s.backup = candidate;
            s.backupFile = openForReading(candidate, OpenNoFollow);
            const int held =
                s.backupFile.get() < 0 ? errno : holdShared(s.backupFile.get(), candidate);
            if (held != ENOENT) // held or failed; a failed one goes with the commit
                return held;
            // Taken by another run's clean-up before it was locked: link again.
            s.backup.clear();
            continue;
        }
        if (errno != EEXIST)
            break;
    }
    if (errno != EPERM && errno != EMLINK && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    s.backupFile = createBeside(s.target, kOldMark, &s.backup);
    if (s.backupFile.get() < 0)
        return errno;
    const Descriptor from = openForReading(s.target);
    if (from.get() < 0 || !copyContent(from.get(), s.backupFile.get()) ||
        !takeOverAttributes(s.backupFile.get(), s.old) || !syncToDisk(s.backupFile.get()))
        return errno;
    return 0;
}

// Undoes the replacements done so far, newest first. Returns text to add to
// the failure message when an old content could only be left in its backup.
QString rollBack(std::vector<Staged>& staged)
{
    const SystemCalls& sys = systemCalls();
    QString note;
    for (auto it = staged.rbegin(); it != staged.rend(); ++it) {
        Staged& s = *it;
        if (!s.replaced)
            continue;
        // The target is what the temporary became: closed first, as Windows
        // neither removes nor replaces a file that is open.
        s.temporaryFile.reset();
        if (!s.existed) {
            sys.unlink(encodedPath(s.target).constData());
            continue;
        }
        // The backup stays open and locked while it is renamed (every file
        // here is opened with its renaming shared): closed first, another
        // run's clean-up could take it for a leftover.
        if (!renameWaitingOutHolds(s.backup, s.target)) {
            // Out of the clean-up's way, under a name the user can see; the
            // backup's own name would be taken by the next write here.
            const QString kept = s.target + u".kept-"_s +
                                 QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
            const bool moved =
                sys.rename(encodedPath(s.backup).constData(), encodedPath(kept).constData()) == 0;
            note += u"; the old content of \"%1\" is kept in \"%2\""_s.arg(
                QDir::toNativeSeparators(s.shownPath),
                QDir::toNativeSeparators(moved ? kept : s.backup));
        }
        s.backup.clear(); // restored or deliberately kept: never removed
    }
    return note;
}

} // namespace

void FileTransaction::add(const QString& path, const QByteArray& bytes)
{
    add(path, QList<QByteArray>{bytes});
}

void FileTransaction::add(const QString& path, const QList<QByteArray>& pieces)
{
    // The same file named twice: the last bytes win.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (Entry& entry : m_entries) {
        if (QFileInfo(entry.path).absoluteFilePath() == absolute) {
            entry.pieces = pieces;
            return;
        }
    }
    m_entries.push_back({path, pieces});
}

namespace {

// A commit of more files than this makes its temporaries durable with one
// sync of the file system they are on (where the system reports a failed
// write through it) rather than a sync of each, which costs a wait for the
// disk every time. A save writes no more than four files: a few such waits
// cost less than a sync of the whole file system can, as that also waits
// for whatever other programs have written there.
constexpr size_t kSyncedOneByOne = 4;

// One commit, phase by phase. Each phase that fails returns the failure;
// whatever the commit leaves staged goes with it (StagedFiles).
class Commit {
public:
    explicit Commit(const std::vector<FileTransaction::Entry>& entries) : m_entries(entries) {}

    Outcome run()
    {
        Outcome outcome = examineTargets();
        if (!outcome)
            return outcome;
        for (auto it = m_folders.cbegin(); it != m_folders.cend(); ++it)
            removeLeftovers(it.key(), it.value());
        if (!(outcome = stageNewContents()))
            return outcome;
        if (!(outcome = replaceTargets()))
            return outcome;
        for (auto it = m_folders.cbegin(); it != m_folders.cend(); ++it)
            syncFolder(it.key());
        return {};
    }

private:
    // Nothing is written until every target's status is known: the new file
    // takes over its mode and owner, and a guessed mode could widen it.
    Outcome examineTargets()
    {
        const SystemCalls& sys = systemCalls();
        m_staged.files.reserve(m_entries.size());
        for (const FileTransaction::Entry& entry : m_entries) {
            if (const QString problem = refusedName(entry.path); !problem.isEmpty())
                return writeFailure(entry.path, problem);
            Staged s;
            s.shownPath = entry.path;
            s.target = resolvedTarget(entry.path);
            const QByteArray target = encodedPath(s.target);
            s.existed = sys.stat(target.constData(), &s.old) == 0;
            if (!s.existed && errno != ENOENT)
                return writeFailure(entry.path, systemReason(errno));
            // Replacing a device or a FIFO by a plain file is never what was
            // meant; a folder cannot be replaced.
            if (s.existed && s.old.kind != FileNode::Kind::Regular) {
                return writeFailure(
                    entry.path, u"it is not a regular file (%1)"_s.arg(describedKind(s.old.kind)));
            }
            // A read-only file is a request not to change it, even where the
            // folder would let us replace it. Opening it for writing asks the
            // system itself, whose answer is the reason given; nothing is
            // written. A program holding it open for a moment says nothing
            // about that: the replace waits it out.
            if (s.existed && Descriptor(retryOnInterrupt([&] {
                                 return sys.open(target.constData(),
                                                 OpenWrite | OpenNonBlocking | OpenNoTerminal, 0);
                             })).get() < 0 &&
                !heldByAnotherProgram(errno))
                return writeFailure(entry.path, systemReason(errno));
            QStringList& kinds = m_folders[QFileInfo(s.target).absolutePath()];
            if (const QString kind = leftoverKind(s.target); !kinds.contains(kind))
                kinds.append(kind);
            m_staged.files.push_back(std::move(s));
        }
        return {};
    }

    // Each file's complete bytes on disk under a temporary name.
    Outcome stageNewContents()
    {
        const SystemCalls& sys = systemCalls();
        const bool together = m_staged.files.size() > kSyncedOneByOne;
        for (size_t i = 0; i < m_staged.files.size(); ++i) {
            Staged& s = m_staged.files[i];
            s.temporaryFile = createBeside(s.target, kNewMark, &s.temporary);
            const int fd = s.temporaryFile.get();
            // A write can seem to succeed for bytes that never reach the
            // disk; only the sync tells.
            if (fd < 0 || !writeAll(fd, m_entries[i].pieces) ||
                !(s.existed ? takeOverAttributes(fd, s.old) : sys.fchmod(fd, newFileMode()) == 0) ||
                (!together && !syncToDisk(fd)))
                return writeFailure(s.shownPath, systemReason(errno));
        }
        return together ? syncTogether() : Outcome();
    }

    // One sync of each folder's file system, through the folder's first
    // temporary: opened before any other there was written, it is told of
    // a write to any of them that failed, which fails the commit as a failed
    // sync of that file would. Where the system has no such sync, each file
    // is synced after all.
    Outcome syncTogether()
    {
        QStringList synced;
        for (const Staged& first : m_staged.files) {
            const QString folder = QFileInfo(first.target).absolutePath();
            if (synced.contains(folder))
                continue;
            synced.append(folder);
            if (retryOnInterrupt(
                    [&] { return systemCalls().syncFileSystem(first.temporaryFile.get()); }) == 0)
                continue;
            if (errno != ENOSYS)
                return writeFailure(first.shownPath, systemReason(errno));
            for (const Staged& s : m_staged.files) {
                if (!syncToDisk(s.temporaryFile.get()))
                    return writeFailure(s.shownPath, systemReason(errno));
            }
            break;
        }
        return {};
    }

    // The temporaries take the targets' names, each old content kept until
    // the last rename is done. The last target needs no backup: once it is
    // renamed nothing can fail.
    Outcome replaceTargets()
    {
        std::vector<Staged>& staged = m_staged.files;
        for (size_t k = 0; k < staged.size(); ++k) {
            Staged& s = staged[k];
            int error = 0;
            if (k + 1 < staged.size() && s.existed)
                error = keepOldContent(s);
            // Renamed while still open and locked, as the backup.
            if (!error && !renameWaitingOutHolds(s.temporary, s.target))
                error = errno;
            if (error) // target k is untouched: a rename is all or nothing
                return writeFailure(s.shownPath, systemReason(error) + rollBack(staged));
            s.temporary.clear();
            s.replaced = true;
        }
        return {};
    }

    const std::vector<FileTransaction::Entry>& m_entries;
    StagedFiles m_staged;
    QMap<QString, QStringList> m_folders; // of the targets, with their leftovers' kinds
};

} // namespace

Outcome FileTransaction::commit()
{
    return Commit(m_entries).run();
}

Outcome writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    return writeFileAtomically(path, QList<QByteArray>{bytes});
}

Outcome writeFileAtomically(const QString& path, const QList<QByteArray>& pieces)
{
    FileTransaction transaction;
    transaction.add(path, pieces);
    return transaction.commit();
}

} // namespace scp
