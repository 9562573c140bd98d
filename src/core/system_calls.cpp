#include "system_calls.h"

#include <QFile>

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <climits>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace scp {

namespace {

#ifdef _WIN32
// Paths reach the calls as UTF-8 and go on as the wide names Windows keeps.
std::wstring wide(const char* path)
{
    return QString::fromUtf8(path).toStdWString();
}

int failedWith(int error)
{
    errno = error;
    return -1;
}

int errnoOfLastError()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

SystemCalls realCalls()
{
    return {
        [](const char* path, int flags, mode_t mode) {
            return ::_wopen(wide(path).c_str(), flags | _O_BINARY,
                            int(mode) & (_S_IREAD | _S_IWRITE));
        },
        [](int fd, struct stat* status) { return ::fstat(fd, status); },
        // Through a descriptor: `struct stat` and the wide calls' structures
        // differ between runtimes. A folder cannot be opened so and reads as
        // "Permission denied", which Windows says of it too.
        [](const char* path, struct stat* status) {
            const int fd = ::_wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY);
            if (fd < 0)
                return -1;
            const int result = ::fstat(fd, status);
            ::_close(fd);
            return result;
        },
        [](int, int) { return 0; },
        [](int fd, void* buffer, size_t count) -> ssize_t {
            return ::_read(fd, buffer, unsigned(std::min<size_t>(count, INT_MAX)));
        },
        [](int fd, const void* buffer, size_t count) -> ssize_t {
            return ::_write(fd, buffer, unsigned(std::min<size_t>(count, INT_MAX)));
        },
        [](int fd) { return ::_commit(fd); },
        // Owners are not kept this way on Windows, and the mode is one
        // read-only bit that a replaced file never had (it is refused).
        [](int, uid_t, gid_t) { return 0; },
        [](int, mode_t) { return 0; },
        // A file open here cannot be removed by another process: that is
        // the lock already.
        [](int, int) { return 0; },
        [](const char* from, const char* to) {
            return CreateHardLinkW(wide(to).c_str(), wide(from).c_str(), nullptr)
                       ? 0
                       : failedWith(EPERM); // a copy instead
        },
        [](const char* from, const char* to) {
            return MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? 0
                       : failedWith(errnoOfLastError());
        },
        [](const char* path) { return ::_wunlink(wide(path).c_str()); },
    };
}
#else
SystemCalls realCalls()
{
    return {
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        ::fstat,
        ::stat,
        [](int fd, int flags) { return ::fcntl(fd, F_SETFL, flags); },
        ::read,
        ::write,
        ::fsync,
        ::fchown,
        ::fchmod,
        ::flock,
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

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

QString describedKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return u"a folder"_s;
    if (S_ISFIFO(mode))
        return u"a FIFO"_s;
    if (S_ISCHR(mode))
        return u"a character device"_s;
    if (S_ISBLK(mode))
        return u"a block device"_s;
    if (S_ISSOCK(mode))
        return u"a socket"_s;
    return u"a special file"_s;
}

bool namesOpenFile(const QByteArray& path, int fd)
{
    struct stat named {};
    struct stat open {};
    if (systemCalls().stat(path.constData(), &named) != 0 || systemCalls().fstat(fd, &open) != 0)
        return false;
    if (named.st_dev == open.st_dev && named.st_ino == open.st_ino)
        return true;
    errno = ENOENT;
    return false;
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
