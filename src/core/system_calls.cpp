#include "system_calls.h"

#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace scp {

SystemCalls& systemCalls()
{
    static SystemCalls calls{
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        ::fstat,
        ::stat,
        ::access,
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
    return calls;
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

void Descriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

} // namespace scp
