// The real calls behind the file layer's table, and their helpers.

#include "files/system_calls.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include "files/windows_calls.h"

#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/utsname.h>
#endif

using namespace Qt::StringLiterals;

namespace scp {

namespace {

#ifdef _WIN32
SystemCalls realCalls()
{
    return windows::realCalls();
}
#else
int systemFlags(int flags)
{
    const int access = flags & OpenReadWrite ? O_RDWR : flags & OpenWrite ? O_WRONLY : O_RDONLY;
    const std::pair<OpenFlag, int> more[] = {
        {OpenCreate, O_CREAT},      {OpenExclusive, O_EXCL},       {OpenTruncate, O_TRUNC},
        {OpenAppend, O_APPEND},     {OpenNonBlocking, O_NONBLOCK}, {OpenNoTerminal, O_NOCTTY},
        {OpenNoFollow, O_NOFOLLOW}, {OpenFolder, O_DIRECTORY},
    };
    int result = access | O_CLOEXEC;
    for (const auto& [ours, system] : more) {
        if (flags & ours)
            result |= system;
    }
    return result;
}

int node(int result, const struct stat& status, FileNode* out)
{
    if (result != 0)
        return result;
    const mode_t mode = status.st_mode;
    using Kind = FileNode::Kind;
    out->kind = S_ISREG(mode)    ? Kind::Regular
                : S_ISDIR(mode)  ? Kind::Folder
                : S_ISFIFO(mode) ? Kind::Fifo
                : S_ISCHR(mode)  ? Kind::CharacterDevice
                : S_ISBLK(mode)  ? Kind::BlockDevice
                : S_ISSOCK(mode) ? Kind::Socket
                                 : Kind::Other;
    out->size = status.st_size;
    out->permissions = mode & 07777;
    out->owner = status.st_uid;
    out->group = status.st_gid;
    out->device = status.st_dev;
    out->inode = status.st_ino;
#if defined(__APPLE__)
    out->modified = qint64(status.st_mtimespec.tv_sec) * 1000000000 + status.st_mtimespec.tv_nsec;
#else
    out->modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
#endif
    return 0;
}

// Linux's syncfs() reports a write that failed since the descriptor was
// opened only from 5.8 on; before, it succeeds whatever became of the data,
// and is not used.
int syncFileSystem([[maybe_unused]] int fd)
{
#ifdef __linux__
    static const bool reportsFailures = [] {
        utsname system{};
        int major = 0, minor = 0;
        return ::uname(&system) == 0 && std::sscanf(system.release, "%d.%d", &major, &minor) == 2 &&
               (major > 5 || (major == 5 && minor >= 8));
    }();
    if (reportsFailures)
        return ::syncfs(fd);
#endif
    errno = ENOSYS;
    return -1;
}

SystemCalls realCalls()
{
    return {
        [](const char* path, int flags, FileMode mode) {
            return ::open(path, systemFlags(flags), mode_t(mode));
        },
        [](int fd, FileNode* out) {
            struct stat status {};
            return node(::fstat(fd, &status), status, out);
        },
        [](const char* path, FileNode* out) {
            struct stat status {};
            return node(::stat(path, &status), status, out);
        },
        [](int fd, int flags) { return ::fcntl(fd, F_SETFL, systemFlags(flags) & ~O_CLOEXEC); },
        [](int fd, void* buffer, size_t count) { return qsizetype(::read(fd, buffer, count)); },
        [](int fd, const void* buffer, size_t count) {
            return qsizetype(::write(fd, buffer, count));
        },
        ::fsync,
        syncFileSystem,
        [](int fd, OwnerId owner, OwnerId group) {
            return ::fchown(fd, uid_t(owner), gid_t(group));
        },
        [](int fd, FileMode mode) { return ::fchmod(fd, mode_t(mode)); },
        [](int fd, int operation) {
            return ::flock(fd, (operation & LockExclusive ? LOCK_EX : LOCK_SH) |
                                   (operation & LockNoWait ? LOCK_NB : 0));
        },
        ::link,
        ::rename,
        ::unlink,
    };
}
#endif

} // namespace

SystemCalls& systemCalls()
{
    static SystemCalls calls = realCalls();
    return calls;
}

QByteArray encodedPath(const QString& path)
{
#ifdef _WIN32
    return path.toUtf8();
#else
    return QFile::encodeName(path);
#endif
}

// Windows' codes, spelt out so that tests elsewhere can make them too.
constexpr int kAccessDenied = 5, kSharingViolation = 32, kLockViolation = 33;
#ifdef _WIN32
static_assert(kAccessDenied == ERROR_ACCESS_DENIED &&
              kSharingViolation == ERROR_SHARING_VIOLATION &&
              kLockViolation == ERROR_LOCK_VIOLATION);
#endif

bool heldByAnotherProgram(int error)
{
    return error == kWindowsError + kSharingViolation || error == kWindowsError + kLockViolation;
}

bool replaceRefusedWhileHeld(int error)
{
    return heldByAnotherProgram(error) || error == kWindowsError + kAccessDenied;
}

QString systemReason(int error)
{
#ifdef _WIN32
    if (error >= kWindowsError)
        return windows::reason(error);
#endif
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

QString describedKind(FileNode::Kind kind)
{
    switch (kind) {
    case FileNode::Kind::Folder:
        return u"a folder"_s;
    case FileNode::Kind::Fifo:
        return u"a FIFO"_s;
    case FileNode::Kind::CharacterDevice:
        return u"a character device"_s;
    case FileNode::Kind::BlockDevice:
        return u"a block device"_s;
    case FileNode::Kind::Socket:
        return u"a socket"_s;
    default:
        return u"a special file"_s;
    }
}

bool namesOpenFile(const QByteArray& path, int fd)
{
    FileNode named;
    FileNode open;
    if (systemCalls().stat(path.constData(), &named) != 0 || systemCalls().fstat(fd, &open) != 0)
        return false;
    if (named.device == open.device && named.inode == open.inode)
        return true;
    errno = ENOENT;
    return false;
}

Descriptor openForReading(const QString& path, int extraFlags)
{
    return Descriptor(retryOnInterrupt([&] {
        return systemCalls().open(encodedPath(path).constData(),
                                  OpenRead | OpenNonBlocking | extraFlags, 0);
    }));
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

void Descriptor::reset(int fd)
{
    if (m_fd >= 0) {
#ifdef _WIN32
        ::_close(m_fd);
#else
        ::close(m_fd);
#endif
    }
    m_fd = fd;
}

} // namespace scp
