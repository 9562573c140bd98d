#pragma once

// Whole files and folders as tests see them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

inline QByteArray read_bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool write_bytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every entry of a folder, hidden ones included, with its bytes: what a
// failed operation must leave exactly as it found it.
inline QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot))
        entries.insert(info.fileName(), info.isDir() ? "<dir>" : read_bytes(info.filePath()));
    return entries;
}
