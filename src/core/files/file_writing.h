#pragma once

// The steps of writing one file safely, each through the table of system
// calls: its bytes, its copy, its mode and owner, its sync, its rename.
// Private to the file layer. Each returns false with errno on failure.

#include "files/system_calls.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace scp {

// The file that receives the bytes, symbolic links followed.
QString resolvedTarget(const QString& path);
// A rename that waits out another program's short hold on Windows.
bool renameWaitingOutHolds(const QString& from, const QString& to);
bool writeAll(int fd, const QList<QByteArray>& pieces);
bool copyContent(int from, int to);
// What a freshly created file would get: read and write for all, less the
// umask.
FileMode newFileMode();
// The replaced file's owner, group and mode, as far as the system lets them
// go to the file replacing it.
bool takeOverAttributes(int fd, const FileNode& old);
bool syncToDisk(int fd);

} // namespace scp
