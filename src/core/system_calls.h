#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <basetsd.h>
// What the Windows C runtime lacks. Flags without a meaning there are 0;
// the calls behind them are Windows' own (windows_calls.cpp).
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0
#endif
#ifndef O_DIRECTORY
#define O_DIRECTORY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC _O_NOINHERIT
#endif
#define LOCK_SH 1
#define LOCK_EX 2
#define LOCK_NB 4
#ifndef S_ISREG
#define S_ISREG(m) (((m)&S_IFMT) == S_IFREG)
#define S_ISDIR(m) (((m)&S_IFMT) == S_IFDIR)
#endif
#ifndef S_ISCHR
#define S_ISCHR(m) (((m)&S_IFMT) == S_IFCHR)
#endif
#ifndef S_ISFIFO
#define S_ISFIFO(m) (((m)&S_IFMT) == _S_IFIFO)
#endif
#ifndef S_ISBLK
#define S_ISBLK(m) false
#endif
#ifndef S_ISSOCK
#define S_ISSOCK(m) false
#endif
#else
#include <sys/file.h>
#endif

namespace scp {

#ifdef _WIN32
using uid_t = int;
using gid_t = int;
#ifdef _MSC_VER
using ssize_t = SSIZE_T;
using mode_t = int;
#endif
#endif

// Every call the file layer makes to the operating system, in one table.
// The program uses the real calls; a test swaps entries to make the very
// code the program runs meet a failing disk, a refused chown or a read that
// breaks off, which no real file system produces on demand. Paths are as
// encodedPath() gives them. On failure a call returns -1 and sets errno.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*fstat)(int fd, struct stat* status);
    int (*stat)(const char* path, struct stat* status);
    int (*setFlags)(int fd, int flags); // fcntl(F_SETFL)
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*fsync)(int fd);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    int (*flock)(int fd, int operation);
    int (*link)(const char* from, const char* to);
    int (*rename)(const char* from, const char* to); // replaces `to`
    int (*unlink)(const char* path);
};

SystemCalls& systemCalls();

// A Windows error with no errno of its own travels in errno as
// kWindowsError + its code, so that a message can give Windows' own words
// for it. Elsewhere no call sets such a value; tests may.
inline constexpr int kWindowsError = 1 << 20;

// Whether a call failed only because another program holds the file open
// without sharing it (Windows' sharing and lock violations): an editor or a
// virus scanner looking at a file, which lets go within moments.
bool heldByAnotherProgram(int error);
// The same, or access denied, which is how Windows refuses to replace or
// remove a file held so.
bool replaceRefusedWhileHeld(int error);

QByteArray encodedPath(const QString& path);

// The operating system's text for an errno value ("Read-only file system"),
// or Windows' for a kWindowsError one ("Access is denied.").
QString systemReason(int error);

// What a file that is not a regular one is ("a FIFO", "a folder").
QString describedKind(mode_t mode);

// Whether `path` still names the file open as `fd`: a name can be removed
// and made again between two calls. False with errno; ENOENT when the name
// is gone or names another file. On Windows the file's volume and index
// stand for its device and inode.
bool namesOpenFile(const QByteArray& path, int fd);

// Closes a descriptor when it goes out of scope. A close cannot lose data
// here: what was written has been synced before.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// Runs a call again for as long as a signal interrupts it.
template <typename Call> auto retryOnInterrupt(Call call)
{
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

} // namespace scp
