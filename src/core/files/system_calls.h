#pragma once

// The file layer's calls to the operating system, in one table that tests
// can fill with failing ones, and the small helpers around them. Only the
// file layer's own sources (and the tests that inject faults) include this;
// it brings no system header with it: the table takes flags and types of its
// own, which the real calls make the system's.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstddef>

namespace scp {

// A file's permission bits, as the system's mode_t holds them.
using FileMode = unsigned int;
// A user's or a group's id, as the system's uid_t and gid_t hold them.
using OwnerId = unsigned int;

// How the table's open() opens a file. Every file is opened so that a
// program it starts does not inherit it.
enum OpenFlag : int {
    OpenRead = 0,
    OpenWrite = 1,
    OpenReadWrite = 2,
    OpenCreate = 4,
    OpenExclusive = 8, // with OpenCreate: fails where the name is taken
    OpenTruncate = 16,
    OpenAppend = 32,
    OpenNonBlocking = 64, // a FIFO with no writer does not hold the open up
    OpenNoTerminal = 128, // a terminal opened does not become ours
    OpenNoFollow = 256,   // a symbolic link is not followed
    OpenFolder = 512,     // for a folder, to sync it
};
// How the table's flock() locks a file.
enum LockFlag : int { LockShared = 1, LockExclusive = 2, LockNoWait = 4 };

// What the table's stat() and fstat() tell of a file.
struct FileNode {
    enum class Kind { Regular, Folder, Fifo, CharacterDevice, BlockDevice, Socket, Other };
    Kind kind = Kind::Other;
    qint64 size = 0;
    FileMode permissions = 0; // the mode's low twelve bits
    OwnerId owner = 0;
    OwnerId group = 0;
    quint64 device = 0; // with the inode, which file it is
    quint64 inode = 0;
    qint64 modified = 0; // nanoseconds since the epoch, as fine as the system keeps it
};

// Every call the file layer makes to the operating system, in one table.
// The program uses the real calls; a test swaps entries to make the very
// code the program runs meet a failing disk, a refused chown or a read that
// breaks off, which no real file system produces on demand. Paths are as
// encodedPath() gives them. On failure a call returns -1 and sets errno.
struct SystemCalls {
    int (*open)(const char* path, int flags, FileMode mode); // flags: OpenFlag
    int (*fstat)(int fd, FileNode* status);
    int (*stat)(const char* path, FileNode* status);
    int (*setFlags)(int fd, int flags); // fcntl(F_SETFL), flags: OpenFlag
    qsizetype (*read)(int fd, void* buffer, size_t count);
    qsizetype (*write)(int fd, const void* buffer, size_t count);
    int (*fsync)(int fd);
    // Makes everything written to the file system that holds `fd` durable,
    // and fails with the reason of any write to it that failed since `fd`
    // was opened. ENOSYS where the system has no such call, or one that
    // does not report failed writes: the caller syncs each file instead.
    int (*syncFileSystem)(int fd);
    int (*fchown)(int fd, OwnerId owner, OwnerId group);
    int (*fchmod)(int fd, FileMode mode);
    int (*flock)(int fd, int operation); // operation: LockFlag
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
QString describedKind(FileNode::Kind kind);

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

// Opens a file for reading without waiting: a FIFO with no writer would
// hold the open up forever. Invalid with errno on failure.
Descriptor openForReading(const QString& path, int extraFlags = 0);

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
