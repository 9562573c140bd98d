#pragma once

// Golden files: expected bytes kept under tests/data (SCP_TEST_DATA), which
// the repository stores without line-end conversion.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <algorithm>

inline QByteArray read_golden(const QString& relativePath)
{
    QFile file(QStringLiteral(SCP_TEST_DATA "/") + relativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no golden file>");
}

// Empty when equal; otherwise where the two first part, with the bytes
// around that place and CR, LF and tab spelled out, so "\t" and "    " or
// "\r\n" and "\n" are told apart.
inline QString first_difference(const QByteArray& actual, const QByteArray& expected)
{
    if (actual == expected)
        return {};
    const qsizetype common = std::min(actual.size(), expected.size());
    qsizetype at = 0;
    while (at < common && actual[at] == expected[at])
        ++at;
    auto shown = [at](QByteArray bytes) {
        bytes = bytes.mid(std::max<qsizetype>(0, at - 30), 60);
        return QString::fromLatin1(
            bytes.replace('\r', "\\r").replace('\n', "\\n").replace('\t', "\\t"));
    };
    return QStringLiteral("first difference at byte %1, line %2 (sizes %3 and %4)\n"
                          "  actual:   %5\n  expected: %6")
        .arg(at)
        .arg(actual.left(at).count('\n') + 1)
        .arg(actual.size())
        .arg(expected.size())
        .arg(shown(actual), shown(expected));
}

#define COMPARE_BYTES(actual, expected)                                                            \
    do {                                                                                           \
        const QString difference_ = first_difference((actual), (expected));                        \
        QVERIFY2(difference_.isEmpty(), qPrintable(difference_));                                  \
    } while (false)
