#pragma once

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals; // u"..."_s, in every test

// Call from every test class's init(): any Qt warning fails the test. The
// offscreen platform cannot raise windows, grab the keyboard and the like,
// and says so each time; those are about the test's platform, not the
// program.
inline void failOnQtWarnings()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support )")));
}
