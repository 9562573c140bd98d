// A commit of several files, all or none: examined, staged beside the
// targets, then renamed over them with the old contents kept until the last.

#include "files/file_transaction.h"

#include "files/leftovers.h"
#include "files/system_calls.h"
#include "files/windows_names.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <chrono>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h> // umask
#endif

using namespace Qt::StringLiterals;

namespace scp {

namespace {

Outcome writeFailure(const QString& path, const QString& reason)
{
    return Outcome::failure(
        u"Could not write \"%1\": %2"_s.arg(QDir::toNativeSeparators(path), reason));
}

// The file that receives the bytes. A symbolic link stays a link and the file
// it points to gets the new content, as when the file is written in place.
QString resolvedTarget(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

// Windows will not replace or remove a file that another program holds
// open without sharing that: an editor, or a virus scanner looking at a new
// file, which lets go within moments. A hold that ends within half a second
// is waited out; after about a second in all, the system's reason stands.
// Elsewhere a rename that fails has failed for good. False with errno.
bool renameWaitingOutHolds(const QString& from, const QString& to)
{
    const QDeadlineTimer deadline(std::chrono::seconds(1));
    for (;;) {
        if (systemCalls().rename(encodedPath(from).constData(), encodedPath(to).constData()) == 0)
            return true;
        const int error = errno;
        if (!replaceRefusedWhileHeld(error) || deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        errno = error;
    }
}

// A write that runs out of space part way returns the bytes it managed with no
// error; only the next write reports the reason. Keep going until one does.
// Writes go out at most 1 MiB at a time: one huge write into the page cache
// runs several times slower than the same bytes in chunks. False with errno.
bool writeAll(int fd, const QList<QByteArray>& pieces)
{
    constexpr qsizetype kChunk = qsizetype(1) << 20;
    for (const QByteArray& bytes : pieces) {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t count = retryOnInterrupt([&] {
                return systemCalls().write(fd, bytes.constData() + done,
                                           size_t(std::min(kChunk, bytes.size() - done)));
            });
            if (count < 0)
                return false;
            if (count == 0) { // a file that takes nothing has no room left
                errno = ENOSPC;
                return false;
            }
            done += count;
        }
    }
    return true;
}

bool copyContent(int from, int to)
{
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = retryOnInterrupt(
            [&] { return systemCalls().read(from, buffer.data(), size_t(buffer.size())); });
        if (count <= 0)
            return count == 0;
        if (!writeAll(to, {QByteArray::fromRawData(buffer.constData(), count)}))
            return false;
    }
}

// What a freshly created file would get: read and write for all, less the
// umask.
mode_t newFileMode()
{
#ifdef _WIN32
    return 0666;
#else
    // There is no call that reads the umask without setting it; it is set
    // back at once, and nothing else in the program creates files meanwhile.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
#endif
}

// The replaced file's owner, group and mode go to the file replacing it. Only
// the superuser may give a file away, but an owner may hand it to a group of
// theirs; where the system refuses (or cannot map the owner, or has no
// owners), the mode is kept, as editors do, but never opened wider: a group
// that could not be kept gets no more than others had. False with errno.
bool takeOverAttributes(int fd, const FileNode& old)
{
    const SystemCalls& sys = systemCalls();
    mode_t mode = old.permissions;
    const auto refused = [] {
        return errno == EPERM || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS;
    };
    if (sys.fchown(fd, old.owner, old.group) != 0) {
        if (!refused() || (sys.fchown(fd, uid_t(-1), old.group) != 0 && !refused()))
            return false;
        FileNode now;
        if (sys.fstat(fd, &now) != 0)
            return false;
        if (now.group != old.group)
            mode = (mode & ~mode_t(07070)) | ((mode & 07) << 3);
        if (now.owner != old.owner)
            mode &= ~mode_t(04000);
    }
    return sys.fchmod(fd, mode) == 0;
}

bool syncToDisk(int fd)
{
    // Only an interrupted sync is tried again: after an I/O error the kernel
    // may already have dropped the pages, and a second sync would say yes.
    return retryOnInterrupt([&] { return systemCalls().fsync(fd); }) == 0;
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
