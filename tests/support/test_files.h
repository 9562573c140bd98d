#pragma once

// Whole files and folders as tests see them; golden files under tests/data, bytes as stored.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTest>

#include <algorithm>

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readGolden(const QString& relativePath)
{
    return readBytes(QStringLiteral(SCP_TEST_DATA "/") + relativePath);
}

// Every entry of a folder with its bytes: what a failure must leave as it was.
inline QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot))
        entries.insert(info.fileName(), info.isDir() ? "<dir>" : readBytes(info.filePath()));
    return entries;
}

// Where two byte strings first part, CR, LF and tab spelled out.
inline QByteArray firstDifference(const QByteArray& actual, const QByteArray& expected)
{
    const auto at =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
        actual.begin();
    const auto shown = [at](QByteArray bytes) {
        return bytes.mid(std::max<qsizetype>(0, at - 30), 60)
            .replace('\r', "\\r")
            .replace('\n', "\\n")
            .replace('\t', "\\t");
    };
    return "byte " + QByteArray::number(at) + "\n  actual:   " + shown(actual) +
           "\n  expected: " + shown(expected);
}

// Each side read once, and the difference worked out only when there is one.
#define COMPARE_BYTES(actual, expected)                                                            \
    do {                                                                                           \
        const QByteArray actual_ = (actual), expected_ = (expected);                               \
        if (actual_ != expected_)                                                                  \
            QFAIL(firstDifference(actual_, expected_).constData());                                \
    } while (false)
