// Names Windows would not take as given: the reason the file layer gives
// there instead of touching another file than the one named. Pure text, so
// it runs everywhere.

#include "fail_on_warnings.h"
#include "windows_names.h"

#include <QTest>

using namespace Qt::StringLiterals;

class WindowsNamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void problems_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("problem"); // a part of the reason; empty: taken
        const auto row = [](const char* name, const QString& path, const QString& problem = {}) {
            QTest::newRow(name) << path << problem;
        };
        row("plain", u"C:\\Users\\ann\\patch\\gumps.scp"_s);
        row("forward slashes, relative", u"patch/./../tiles.scp"_s);
        row("share", u"\\\\server\\share\\patch\\items.scp"_s);
        row("names a device only by its prefix", u"C:/CONSOLE/COM10/LPT.scp/nul1"_s);
        row("dot inside", u"C:/patch.v2/gumps.scp"_s);
        row("trailing dot", u"C:/patch./gumps.scp"_s, u"\"patch.\" ends in a dot"_s);
        row("trailing space", u"patch /gumps.scp"_s, u"\"patch \" ends in a space"_s);
        row("device", u"C:\\work\\CON\\gumps.scp"_s, u"\"CON\" is a device's name"_s);
        row("device, any case, any extension", u"D:/x/nul.scp"_s, u"\"nul.scp\" is a device"_s);
        row("numbered device", u"lpt9/a"_s, u"\"lpt9\" is a device"_s);
        row("superscript device", u"COM\u00b9.txt"_s, u"is a device"_s);
        row("stream", u"C:/work/a:b/gumps.scp"_s, u"\"a:b\" holds ':'"_s);
        row("drive-relative", u"C:patch/gumps.scp"_s);
        row("wildcard", u"C:/what?/gumps.scp"_s, u"holds '?'"_s);
        row("control character", u"C:/a\tb/x"_s, u"holds the control character U+0009"_s);
        const QString longest = u"C:/"_s + QString(256, u'x');
        row("as long as it gets", longest);
        row("one too long", longest + u'y', u"is 260 characters long"_s);
        row("prefixed: taken as it is", u"\\\\?\\C:\\"_s + QString(300, u'x') + u"\\CON."_s);
    }
    void problems()
    {
        QFETCH(QString, path);
        QFETCH(QString, problem);
        const QString found = scp::windowsNameProblem(path);
        if (problem.isEmpty())
            QCOMPARE(found, QString());
        else
            QVERIFY2(found.contains(problem), qPrintable(found));
    }
};

QTEST_GUILESS_MAIN(WindowsNamesTest)
#include "tst_windows_names.moc"
