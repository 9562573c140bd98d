#pragma once

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals; // u"..."_s, in every test

// Call from every test class's init(): any Qt warning fails the test, but for
// the offscreen platform's own "not supported" notes.
inline void failOnQtWarnings()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
}
