#pragma once

// Writing files all or none, so that a failure or a crash never leaves a
// file half-written.

#include "files/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace scp {

// Writes one or more files all or none. Each file's bytes first go to a
// temporary file beside it (".NAME.new-XXXXXX"), are synced to disk with the
// old file's mode, owner and group, and only when every file is complete do
// the temporaries replace their targets; the old contents stay reachable
// (".NAME.old-XXXXXX") until the last one is replaced. If any step fails,
// every target keeps its old content (or stays absent) and nothing is left
// behind. Files of this kind that a killed run left beside a target are
// removed by the next commit in that folder; a running one's files are
// locked and never touched.
class FileTransaction {
public:
    void add(const QString& path, const QByteArray& bytes);
    // The file's bytes in pieces, written one after the other: a large
    // script never has to be joined in memory first.
    void add(const QString& path, const QList<QByteArray>& pieces);
    // Failure messages read: Could not write "<path>": <reason>, the reason
    // being the operating system's for the call that failed.
    Outcome commit();

    // A file added: its path, as named, and its bytes.
    struct Entry {
        QString path;
        QList<QByteArray> pieces;
    };

private:
    std::vector<Entry> m_entries;
};

// Makes the names in `folder` durable (a file made or renamed there), where
// the system lets a folder be synced.
void syncFolder(const QString& folder);

// One file, all or nothing.
Outcome writeFileAtomically(const QString& path, const QByteArray& bytes);
Outcome writeFileAtomically(const QString& path, const QList<QByteArray>& pieces);

} // namespace scp
