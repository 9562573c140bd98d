#include "large_blocks.h"

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

} // namespace scp
