#pragma once

#include <cerrno>

#include <sys/stat.h>
#include <sys/types.h>

namespace scp {

// Every call the file layer makes to the operating system, in one table.
// The program uses the real calls; a test swaps entries to make the very
// code the program runs meet a failing disk, a refused chown or a read that
// breaks off, which no real file system produces on demand.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*fstat)(int fd, struct stat* status);
    int (*stat)(const char* path, struct stat* status);
    int (*access)(const char* path, int mode);
    int (*setFlags)(int fd, int flags); // fcntl(F_SETFL)
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*fsync)(int fd);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    int (*flock)(int fd, int operation);
    int (*link)(const char* from, const char* to);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

SystemCalls& systemCalls();

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
