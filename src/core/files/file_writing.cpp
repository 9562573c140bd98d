// One file's steps in a commit, each through the table of system calls.

#include "files/file_writing.h"

#include <QDeadlineTimer>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h> // umask
#endif
#ifdef __linux__
#include <fcntl.h> // sync_file_range
#endif

namespace scp {

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

namespace {

// Asks the system to start putting what was written to the file on the
// disk (pages already on their way are left be), so that the file's sync
// later mostly finds them there: the disk works while the rest is written.
// Only a hint, outside the table of calls: where it fails, or the descriptor
// is a test's, the sync does it all as before.
void startWriteback(int fd)
{
#ifdef __linux__
    const int error = errno;
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    errno = error;
#else
    Q_UNUSED(fd);
#endif
}

} // namespace

// A write that runs out of space part way returns the bytes it managed with no
// error; only the next write reports the reason. Keep going until one does.
// Writes go out at most 1 MiB at a time: one huge write into the page cache
// runs several times slower than the same bytes in chunks. False with errno.
bool writeAll(int fd, const QList<QByteArray>& pieces)
{
    constexpr qsizetype kChunk = qsizetype(1) << 20;
    for (const QByteArray& bytes : pieces) {
        for (qsizetype done = 0; done < bytes.size();) {
            const qsizetype count = retryOnInterrupt([&] {
                return systemCalls().write(fd, bytes.constData() + done,
                                           size_t(std::min(kChunk, bytes.size() - done)));
            });
            if (count < 0)
                return false;
            if (count == 0) { // a file that takes nothing has no room left
                errno = ENOSPC;
                return false;
            }
            startWriteback(fd);
            done += count;
        }
    }
    return true;
}

bool copyContent(int from, int to)
{
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    for (;;) {
        const qsizetype count = retryOnInterrupt(
            [&] { return systemCalls().read(from, buffer.data(), size_t(buffer.size())); });
        if (count <= 0)
            return count == 0;
        if (!writeAll(to, {QByteArray::fromRawData(buffer.constData(), count)}))
            return false;
    }
}

FileMode newFileMode()
{
#ifdef _WIN32
    return 0666;
#else
    // There is no call that reads the umask without setting it; it is set
    // back at once, and nothing else in the program creates files meanwhile.
    const FileMode mask = ::umask(0);
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
    FileMode mode = old.permissions;
    const auto refused = [] {
        return errno == EPERM || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS;
    };
    if (sys.fchown(fd, old.owner, old.group) != 0) {
        if (!refused() || (sys.fchown(fd, OwnerId(-1), old.group) != 0 && !refused()))
            return false;
        FileNode now;
        if (sys.fstat(fd, &now) != 0)
            return false;
        if (now.group != old.group)
            mode = (mode & ~FileMode(07070)) | ((mode & 07) << 3);
        if (now.owner != old.owner)
            mode &= ~FileMode(04000);
    }
    return sys.fchmod(fd, mode) == 0;
}

bool syncToDisk(int fd)
{
    // Only an interrupted sync is tried again: after an I/O error the kernel
    // may already have dropped the pages, and a second sync would say yes.
    return retryOnInterrupt([&] { return systemCalls().fsync(fd); }) == 0;
}

} // namespace scp
