#include "system_calls.h"

#include <QFile>

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include "windows_calls.h"

#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
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
#ifdef _WIN32
    return windows::sameFile(path, fd);
#endif
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
