#pragma once

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals; // u"..."_s, in every test

// Call from every init(): any Qt warning fails the test, but offscreen's "not supported" notes.
inline void failOnQtWarnings()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
}
