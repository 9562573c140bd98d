#pragma once

// Golden files: expected outputs kept byte for byte under tests/data (the
// repository stores them without any line-end conversion). A test compares
// its output's bytes with the file's and, on a mismatch, prints where the
// two first part, with tabs, CRs and other invisible bytes spelled out.
//
// The test target defines SCP_TEST_DATA as the absolute path of tests/data.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtDebug>

#include <algorithm>

#ifndef SCP_TEST_DATA
#error "SCP_TEST_DATA must name the tests/data directory"
#endif

namespace scp {

inline QString golden_path(const QString& relativePath)
{
    return QString::fromUtf8(SCP_TEST_DATA) + u'/' + relativePath;
}

// The bytes of tests/data/<relativePath>, unconverted. If the file cannot be
// read, a warning names it and the reason, and the result is a null array;
// a file that is merely empty gives an empty, non-null array.
inline QByteArray read_golden(const QString& relativePath)
{
    QFile file(golden_path(relativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "cannot open golden file" << file.fileName() << ":"
                             << file.errorString();
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qWarning().noquote() << "cannot read golden file" << file.fileName() << ":"
                             << file.errorString();
        return {};
    }
    if (bytes.isNull())
        bytes = QByteArray("", 0);
    return bytes;
}

namespace golden_detail {

// One byte as it should be read in a message: printable ASCII as itself,
// everything else as an escape, so "\t" and "    " or "\r\n" and "\n" differ.
inline QString escaped(char c)
{
    switch (c) {
    case '\t':
        return QStringLiteral("\\t");
    case '\r':
        return QStringLiteral("\\r");
    case '\n':
        return QStringLiteral("\\n");
    case '\\':
        return QStringLiteral("\\\\");
    default:
        break;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f)
        return QString(QLatin1Char(c));
    return QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

// The line of `bytes` that starts at `lineStart`, its LF included, shown
// escaped. Lines can be long (a whole list is one line), so only a window
// around `offset` is shown, with "..." where it is cut.
inline QString shown_line(const QByteArray& bytes, qsizetype lineStart, qsizetype offset)
{
    constexpr qsizetype kContext = 40;
    if (lineStart >= bytes.size())
        return QStringLiteral("<end of data>");
    qsizetype lineEnd = bytes.indexOf('\n', lineStart);
    lineEnd = lineEnd < 0 ? bytes.size() : lineEnd + 1;
    const qsizetype from = std::max(lineStart, offset - kContext);
    const qsizetype to = std::min(lineEnd, offset + kContext);
    QString shown;
    if (from > lineStart)
        shown += QStringLiteral("...");
    for (qsizetype i = from; i < to; ++i)
        shown += escaped(bytes.at(i));
    if (to < lineEnd)
        shown += QStringLiteral("...");
    if (offset >= lineEnd)
        shown += QStringLiteral("<end of data>");
    return shown;
}

} // namespace golden_detail

// Empty when the two are equal; otherwise where they first differ (line and
// column counted from 1, lines split at LF, columns in bytes), both lines
// escaped, and both sizes.
inline QString first_difference(const QByteArray& actual, const QByteArray& expected)
{
    if (actual == expected)
        return {};
    const qsizetype common = std::min(actual.size(), expected.size());
    qsizetype at = 0;
    while (at < common && actual.at(at) == expected.at(at))
        ++at;
    // Up to `at` both are the same bytes, so they share the line split.
    const qsizetype lastLf = at > 0 ? actual.lastIndexOf('\n', at - 1) : -1;
    const qsizetype lineStart = lastLf + 1;
    const qsizetype line = actual.left(at).count('\n') + 1;
    const qsizetype column = at - lineStart + 1;
    return QStringLiteral("first difference at line %1, column %2 (byte %3; actual %4 bytes, "
                          "expected %5)\n  actual:   %6\n  expected: %7")
        .arg(line)
        .arg(column)
        .arg(at)
        .arg(actual.size())
        .arg(expected.size())
        .arg(golden_detail::shown_line(actual, lineStart, at),
             golden_detail::shown_line(expected, lineStart, at));
}

} // namespace scp
