#pragma once

// Reading a file whole, with every read checked, and looking at a file's
// status.

#include "files/outcome.h"

#include <QByteArray>
#include <QString>

namespace scp {

struct FileBytes {
    QByteArray bytes;
    Outcome outcome;      // Could not read "<path>": <reason>
    QString reason;       // the reason alone
    bool missing = false; // the failure is that no file has that name
    qint64 modified = 0;  // its modification time when opened, in ns since the epoch
};
// Reads a whole regular file (symbolic links followed) as it is. Anything
// else that can be opened (a FIFO, a device, a folder) is refused without
// waiting for it; a read error or a file that ends before the size it had
// when opened is a failure, never a shorter file; so is a file too large to
// hold in memory.
FileBytes readFileBytes(const QString& path);
// The same for at most the first `count` bytes.
FileBytes readFileHead(const QString& path, qsizetype count);

struct FileStatus {
    bool exists = false;
    bool regular = false; // a file, not a folder, a FIFO or a device
    qint64 size = 0;
    qint64 modified = 0; // ns since the epoch, as fine as the system keeps it
};
// What the system says of `path` now; a name it cannot look up counts as
// absent.
FileStatus fileStatus(const QString& path);

} // namespace scp
