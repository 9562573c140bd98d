#pragma once

// Scanning long text for the rare character a block at a time.

#include <QtGlobal>

#include <algorithm>

namespace scp {

// Lists run to many megabytes, nearly all of it plain ASCII between a few
// line ends. Scans that look for the rare character go through the common
// stretches a block at a time, in a loop the compiler vectorises: returns the
// first index from `from` on that starts a block of kBlock elements holding
// one for which `wanted` is true, or the start of the last, shorter block. The
// caller looks at the elements from there one by one.
template <qsizetype kBlock, typename Ch, typename Predicate>
qsizetype skipPlainBlocks(const Ch* data, qsizetype from, qsizetype size, Predicate wanted)
{
    while (size - from >= kBlock) {
        unsigned found = 0;
        for (qsizetype k = 0; k < kBlock; ++k)
            found |= unsigned(wanted(data[from + k]));
        if (found)
            break;
        from += kBlock;
    }
    return from;
}

} // namespace scp
