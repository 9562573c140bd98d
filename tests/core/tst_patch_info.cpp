#include "fail_on_warnings.h"
#include "patch_info.h"

#include <QTest>

using namespace Qt::StringLiterals;
using scp::PatchInfo;

class PatchInfoTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void writtenInfoReadsBackTheSame_data()
    {
        QTest::addColumn<PatchInfo>("info");
        QTest::newRow("defaults") << PatchInfo::defaults();
        QTest::newRow("client, Windows-1252 letters, '=' and ';' in values")
            << PatchInfo{u"Kürk = Ümit's patch; v2"_s, u"Œuvre €"_s, u"a@b.c ; d@e.f"_s, false};
        QTest::newRow("spaces at the ends, quotes, empty")
            << PatchInfo{u"  padded "_s, u"\"quoted\""_s, u""_s, true};
    }
    void writtenInfoReadsBackTheSame()
    {
        QFETCH(PatchInfo, info);
        const scp::PatchInfoRead read = scp::parsePatchInfo(scp::patchInfoBytes(info));
        QVERIFY(read.problems.isEmpty());
        QVERIFY(read.info == info);
    }

    void handWrittenFilesAreRead()
    {
        // A byte-order mark, CR LF, comments, spaces round '=', a missing key.
        const scp::PatchInfoRead read = scp::parsePatchInfo(
            "\xEF\xBB\xBF; made by hand\r\n[script]\r\n  name=My patch  \r\n# note\r\n"
            "godwalk = 0\r\n");
        QVERIFY(read.problems.isEmpty());
        QCOMPARE(read.info.name, u"My patch"_s);
        QCOMPARE(read.info.creator, PatchInfo::defaults().creator);
        QVERIFY(!read.info.server);
    }

    void everyProblemNamesItsLineAndKey_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("no Windows-1252 byte")
            << "[script]\nname = \xC5\x9F\n"_ba
            << u"/f/patch.ini:2: name: \"ş\" (U+015F) at line 1, column 1 cannot be written in "
               "Windows-1252"_s;
        QTest::newRow("line break") << "[script]\r\ncreator = a\rb\n"_ba
                                    << u"/f/patch.ini:2: creator: the value has a line break; "
                                       "the script needs it on one line"_s;
        QTest::newRow("unknown key")
            << "[script]\nversion = 2\n"_ba << u"/f/patch.ini:2: version: unknown key"_s;
        QTest::newRow("godwalk 2") << "[script]\ngodwalk = 2\n"_ba
                                   << u"/f/patch.ini:2: godwalk: must be 0 or 1, not \"2\""_s;
        QTest::newRow("key twice") << "[script]\nname = a\nname = b\n"_ba
                                   << u"/f/patch.ini:3: name: given a second time"_s;
        QTest::newRow("outside [script]")
            << "name = a\n"_ba << u"/f/patch.ini:1: name: outside the [script] section"_s;
        QTest::newRow("other section")
            << "[script]\n[extra]\nx = 1\n"_ba
            << u"/f/patch.ini:2: unknown section [extra]; the only one is [script]"_s;
        QTest::newRow("not UTF-8")
            << "[script]\nname = \xE9\n"_ba << u"/f/patch.ini: not UTF-8 text"_s;
    }
    void everyProblemNamesItsLineAndKey()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const scp::PatchInfoRead read = scp::parsePatchInfo(bytes);
        QCOMPARE(read.problems.size(), 1);
        QCOMPARE(scp::describePatchInfoProblem(u"/f/patch.ini"_s, read.problems.front()), message);
    }
};

QTEST_GUILESS_MAIN(PatchInfoTest)
#include "tst_patch_info.moc"
