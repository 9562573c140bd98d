#pragma once

#include "outcome.h"

#include <QByteArray>
#include <QString>

namespace scp {

struct FileBytes {
    QByteArray bytes;
    Outcome outcome;
};
// Reads a whole regular file (symbolic links followed) as it is, or fails
// with: Could not read "<path>": <reason>. Anything else that can be opened
// (a FIFO, a device, a folder) is refused without waiting for it; a read
// error or a file that ends before the size it had when opened is a failure,
// never a shorter file; so is a file too large to hold in memory.
FileBytes readFileBytes(const QString& path);

} // namespace scp
