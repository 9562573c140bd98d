#include "file_transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace scp {

namespace {

namespace fs = std::filesystem;

fs::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    const QByteArray encoded = QFile::encodeName(path);
    return fs::path(std::string(encoded.constData(), static_cast<size_t>(encoded.size())));
#endif
}

QString reasonOf(const std::error_code& error)
{
    return QString::fromLocal8Bit(error.message());
}

QString reasonOf(std::errc error)
{
    return reasonOf(std::make_error_code(error));
}

QString lastOsReason()
{
    return reasonOf(std::error_code(errno, std::generic_category()));
}

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

bool syncToDisk(QFileDevice& file, QString* reason)
{
#ifdef Q_OS_WIN
    if (_commit(file.handle()) == 0)
        return true;
#else
    int result;
    do
        result = ::fsync(file.handle());
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return true;
#endif
    *reason = lastOsReason();
    return false;
}

// A write that runs out of space part way returns the bytes it managed with no
// error; only the next write reports the reason. Keep going until one does.
// Writes go out at most 1 MiB at a time: one huge write into the page cache
// runs several times slower than the same bytes in chunks.
bool writeAll(QIODevice& device, const QList<QByteArray>& pieces)
{
    constexpr qsizetype kChunk = qsizetype(1) << 20;
    for (const QByteArray& bytes : pieces) {
        qsizetype written = 0;
        while (written < bytes.size()) {
            const qint64 count =
                device.write(bytes.constData() + written, std::min(kChunk, bytes.size() - written));
            if (count <= 0)
                return false;
            written += count;
        }
    }
    return true;
}

// What a freshly created file would get: read and write for all, less the
// umask. The temporary starts out private to its owner.
fs::perms newFilePermissions()
{
#ifdef Q_OS_WIN
    return fs::perms::owner_read | fs::perms::owner_write;
#else
    // There is no call that reads the umask without setting it; the process
    // has one thread, so setting it back at once is safe.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<fs::perms>(0666 & ~mask);
#endif
}

QString randomSuffix()
{
    static constexpr char16_t letters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix(6, Qt::Uninitialized);
    for (QChar& ch : suffix)
        ch = QChar(letters[QRandomGenerator::global()->bounded(36)]);
    return suffix;
}

void syncDirectory(const QString& directory)
{
#ifndef Q_OS_WIN
    // Makes the renames themselves durable. Best effort: the content is
    // already on disk, and not every file system lets a directory be synced.
    const int fd =
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(directory);
#endif
}

struct Staged {
    QString shownPath; // as the caller named it, for messages
    QString target;    // absolute, links followed
    QString temporary; // complete bytes, synced, waiting to replace the target
    QString backup;    // the old content while the transaction may still roll back
};

// Removes every temporary that did not become its target, whichever way
// commit() ends.
struct StagedFiles {
    std::vector<Staged> files;
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    ~StagedFiles()
    {
        for (const Staged& s : files) {
            if (!s.temporary.isEmpty())
                QFile::remove(s.temporary);
        }
    }
};

// Keeps the target's current content reachable under a second name beside it,
// so a later failure can put it back. A hard link costs nothing and needs no
// space; file systems without hard links get a copy.
bool keepOldContent(Staged& staged, QString* reason)
{
    const QFileInfo info(staged.target);
    const QString stem = info.absolutePath() + u"/."_s + info.fileName() + u".old-"_s;
    const fs::path target = fsPath(staged.target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = stem + randomSuffix();
        const fs::path backup = fsPath(candidate);
        std::error_code error;
        fs::create_hard_link(target, backup, error);
        if (error == std::errc::file_exists)
            continue;
        if (!error) {
            staged.backup = candidate;
            return true;
        }
        error.clear();
        fs::copy_file(target, backup, fs::copy_options::none, error);
        if (error == std::errc::file_exists)
            continue;
        if (!error) {
            std::error_code ignored;
            fs::permissions(backup, fs::status(target, ignored).permissions(), ignored);
            staged.backup = candidate;
            return true;
        }
        *reason = reasonOf(error);
        std::error_code ignored;
        fs::remove(backup, ignored); // a copy cut short
        return false;
    }
    *reason = u"no free name for a backup of the old content"_s;
    return false;
}

// Undoes the replacements of staged[0 .. count-1], newest first. Returns text
// to add to the failure message when an old content could only be left in its
// backup file.
QString rollBack(std::vector<Staged>& staged, size_t count)
{
    QString note;
    for (size_t i = count; i-- > 0;) {
        Staged& s = staged[i];
        std::error_code error;
        if (s.backup.isEmpty()) {
            fs::remove(fsPath(s.target), error); // it did not exist before
            continue;
        }
        fs::rename(fsPath(s.backup), fsPath(s.target), error);
        if (error) {
            note += u"; the old content of \"%1\" is kept in \"%2\""_s.arg(
                QDir::toNativeSeparators(s.shownPath), QDir::toNativeSeparators(s.backup));
        }
        s.backup.clear(); // restored or deliberately kept: never removed
    }
    return note;
}

void removeBackups(std::vector<Staged>& staged)
{
    for (Staged& s : staged) {
        if (s.backup.isEmpty())
            continue;
        std::error_code ignored;
        fs::remove(fsPath(s.backup), ignored);
        s.backup.clear();
    }
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

std::unique_ptr<QTemporaryFile> FileTransaction::createTemporary(const QString& targetPath)
{
    // Beside the target, so the final rename stays on one file system and is
    // atomic; hidden, so a half-written file does not look like a result.
    const QFileInfo info(targetPath);
    return std::make_unique<QTemporaryFile>(info.absolutePath() + u"/."_s + info.fileName() +
                                            u".XXXXXX"_s);
}

Outcome FileTransaction::commit()
{
    StagedFiles stagedFiles;
    std::vector<Staged>& staged = stagedFiles.files;
    staged.reserve(m_entries.size());

    // Nothing is written until every target is known to be replaceable.
    for (const Entry& entry : m_entries) {
        Staged s;
        s.shownPath = entry.path;
        s.target = resolvedTarget(entry.path);
        const QFileInfo info(s.target);
        if (info.isDir())
            return writeFailure(entry.path, reasonOf(std::errc::is_a_directory));
        // A read-only file is a request not to change it, even where the
        // folder would let us replace it.
        if (info.exists() && !info.isWritable())
            return writeFailure(entry.path, reasonOf(std::errc::permission_denied));
        staged.push_back(std::move(s));
    }

    // Stage: each file's complete bytes on disk under a temporary name.
    for (size_t i = 0; i < staged.size(); ++i) {
        Staged& s = staged[i];
        const QList<QByteArray>& pieces = m_entries[i].pieces;
        // Removes itself on an early return until handed to `stagedFiles`.
        const std::unique_ptr<QTemporaryFile> temporary = createTemporary(s.target);
        if (!temporary)
            return writeFailure(s.shownPath, u"no temporary file"_s);
        QTemporaryFile& file = *temporary;
        if (!file.isOpen() && !file.open())
            return writeFailure(s.shownPath, file.errorString());
        // A buffered write can report success for bytes that never reach the
        // disk; only the flush and the sync tell.
        if (!writeAll(file, pieces))
            return writeFailure(s.shownPath, file.errorString());
        if (!file.flush())
            return writeFailure(s.shownPath, file.errorString());
        QString reason;
        if (!syncToDisk(file, &reason))
            return writeFailure(s.shownPath, reason);
        std::error_code error;
        const fs::file_status old = fs::status(fsPath(s.target), error);
        const fs::perms permissions =
            fs::exists(old) ? old.permissions() & fs::perms::mask : newFilePermissions();
        fs::permissions(fsPath(file.fileName()), permissions, error);
        if (error)
            return writeFailure(s.shownPath, reasonOf(error));
        file.close();
        if (file.error() != QFileDevice::NoError)
            return writeFailure(s.shownPath, file.errorString());
        // QTemporaryFile keeps its handle after close(); letting the object
        // go releases it, so the file can be renamed on every platform.
        s.temporary = file.fileName();
        file.setAutoRemove(false);
    }

    // Replace, keeping each old content until the last rename is done. The
    // last target needs no backup: once it is renamed nothing can fail.
    for (size_t k = 0; k < staged.size(); ++k) {
        Staged& s = staged[k];
        const bool isLast = k + 1 == staged.size();
        QString reason;
        if (!isLast && QFileInfo::exists(s.target) && !keepOldContent(s, &reason)) {
            const QString note = rollBack(staged, k);
            removeBackups(staged);
            return writeFailure(s.shownPath, reason + note);
        }
        std::error_code error;
        fs::rename(fsPath(s.temporary), fsPath(s.target), error);
        if (error) {
            // Target k is untouched (a rename is all or nothing), so its own
            // backup, if any, goes with the others.
            const QString note = rollBack(staged, k);
            removeBackups(staged);
            return writeFailure(s.shownPath, reasonOf(error) + note);
        }
        s.temporary.clear();
    }
    removeBackups(staged);

    std::set<QString> directories;
    for (const Staged& s : staged)
        directories.insert(QFileInfo(s.target).absolutePath());
    for (const QString& directory : directories)
        syncDirectory(directory);
    return {};
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
