#pragma once

#include "outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryFile>

#include <memory>
#include <vector>

namespace scp {

// Writes one or more files all or none. Each file's bytes first go to a
// temporary file beside it, are flushed and synced to disk, and only when
// every file is complete do the temporaries replace their targets. If any
// step fails, every target keeps its old content (or stays absent) and no
// temporary is left behind.
class FileTransaction {
public:
    FileTransaction() = default;
    virtual ~FileTransaction() = default;
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;

    void add(const QString& path, const QByteArray& bytes);
    // The file's bytes in pieces, written one after the other: a large
    // script never has to be joined in memory first.
    void add(const QString& path, const QList<QByteArray>& pieces);
    // Failure messages read: Could not write "<path>": <reason>
    Outcome commit();

protected:
    // Test seam: the temporary file a target's bytes are written to.
    virtual std::unique_ptr<QTemporaryFile> createTemporary(const QString& targetPath);

private:
    struct Entry {
        QString path;
        QList<QByteArray> pieces;
    };
    std::vector<Entry> m_entries;
};

// One file, all or nothing.
Outcome writeFileAtomically(const QString& path, const QByteArray& bytes);
Outcome writeFileAtomically(const QString& path, const QList<QByteArray>& pieces);

} // namespace scp
