// The C library's memory handling, set for long lists.

#include "memory_policy.h"

#include <QTimer>

#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace scp {

void mapLargeBlocksApart()
{
#if defined(__GLIBC__)
    // A fixed threshold: left to itself, the library raises it to the size
    // of the largest block freed, and later lists come from the heap.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void returnFreedMemoryWhenIdle()
{
    static bool asked = false; // the GUI thread's alone
    if (std::exchange(asked, true))
        return;
    QTimer::singleShot(0, [] {
        asked = false;
        returnFreedMemory();
    });
}

} // namespace scp
