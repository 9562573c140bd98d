#include "fail_on_warnings.h"
#include "recording_reporter.h"
#include "script_assembly.h"
#include "test_files.h"

#include "memory_entry_lists.h"
#include "script_import.h"
#include "section_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using scp::ListId;
using Lists = std::array<QByteArray, 3>; // gumps, tiles, items

namespace {

QStringList warningsOf(const scp::ImportedScript& script)
{
    QStringList out;
    for (const scp::ImportWarning& warning : script.warnings)
        out.append(scp::describeImportWarning(u"s"_s, warning));
    return out;
}

} // namespace

class ScriptImportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    // Each golden script goes back into lists that the real compile turns
    // into the same bytes again.
    void goldenScriptsCompileBack_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name :
             QDir(QStringLiteral(SCP_TEST_DATA "/scripts")).entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << name;
    }
    void goldenScriptsCompileBack()
    {
        QFETCH(QString, name);
        const QByteArray golden = readGolden(u"scripts/"_s + name);
        const scp::ScriptImport imported = scp::importScript(golden);
        QVERIFY2(imported.script, qPrintable(imported.error));
        QCOMPARE(warningsOf(*imported.script), QStringList());
        QVERIFY(!imported.script->patchInfo);

        QTemporaryDir dir;
        scp::MemoryEntryLists lists;
        for (ListId list : scp::kAllLists)
            lists.box(list).setFileContent(imported.script->list(list));
        RecordingReporter reporter;
        QVERIFY(scp::SectionFiles(QDir(dir.path())).compileScript(lists.lists(), reporter));
        COMPARE_BYTES(readBytes(dir.filePath(u"mantle.scp"_s)), golden);
    }

    // Whatever the lists hold comes back exactly, with the patch info the
    // head was written with; so does the script with LF line ends and a blank
    // line after its end.
    void generatedListsComeBack_data()
    {
        QTest::addColumn<Lists>("lists");
        QTest::addColumn<std::optional<scp::PatchInfo>>("info");
        QByteArray everyByte;
        for (int c = 0; c < 256; ++c) {
            if (c != '\r' && c != '\n')
                everyByte += char(c);
        }
        everyByte += "\r\n" + everyByte;
        const QByteArray spacer(37, ' ');
        const Lists placeholders{"GUMPS WILL LOAD HERE\r\n", "TILES WILL LOAD HERE\r\n",
                                 "ITEMS WILL LOAD HERE\r\n"};
        QTest::newRow("every byte")
            << Lists{everyByte, "", everyByte} << std::optional<scp::PatchInfo>();
        QTest::newRow("placeholders, spacers")
            << Lists{placeholders[0] + spacer + "0x1 a.bmp 1 1", placeholders[1],
                     "\r\n\r\n" + spacer + "\r\n"}
            << std::optional<scp::PatchInfo>();
        // Lines that close and open sections, and the blocks' own lines.
        QTest::newRow("braces and sections")
            << Lists{"}\r\n\r\nSECTION ITEMS\r\n{\r\n", "\r\n}\r\n\r\n", "SECTION GUMPS\r\n{"}
            << std::optional<scp::PatchInfo>(scp::PatchInfo::defaults());
        QTest::newRow("own patch info")
            << placeholders
            << std::optional<scp::PatchInfo>(
                   {u"  \"My patch\"  "_s, u"Me\u00E9\u20AC"_s, u"a@b.c & d@e.f "_s, false});
        QTest::newRow("empty values")
            << Lists{"", "", ""} << std::optional<scp::PatchInfo>({u""_s, u""_s, u""_s, true});
    }
    void generatedListsComeBack()
    {
        QFETCH(Lists, lists);
        QFETCH(std::optional<scp::PatchInfo>, info);
        QByteArray script = assembledScript(lists, info);
        for (int lf = 0; lf < 2; ++lf) {
            const scp::ScriptImport imported = scp::importScript(script);
            QVERIFY2(imported.script, qPrintable(imported.error));
            for (ListId list : scp::kAllLists)
                COMPARE_BYTES(imported.script->list(list), lists[size_t(list)]);
            QCOMPARE(imported.script->patchInfo, info);
            QCOMPARE(warningsOf(*imported.script), QStringList());
            script.replace("\r\n", "\n").append("\n"); // as an editor might save it
        }
    }

    // Scripts written by hand or by other tools: entries kept line by line,
    // comments and the blank lines around them left out with a warning for
    // each comment, lines outside the sections the compile would not write
    // reported as not kept.
    void handMadeScripts()
    {
        const QByteArray script = "// my own banner\n"                        // 1
                                  "// second line\n"                          // 2
                                  "section   tiles\t\n"                       // 3
                                  "// tiles below\n"                          // 4
                                  "{\n"                                       // 5
                                  "\n"                                        // 6
                                  "  // first tiles\n"                        // 7
                                  "0x1 a.bmp 1 1\n"                           // 8
                                  "\n"                                        // 9
                                  "// between\n"                              // 10
                                  "0x2\tb.bmp 2 2   \n"                       // 11
                                  "\n"                                        // 12
                                  "}\n"                                       // 13
                                  "SECTION ITEMS\n{\nx   y\r}\n"              // 14-17
                                  "SECTION GUMPS\n{\n// only a comment\n}\n"; // 18-21
        const scp::ScriptImport imported = scp::importScript(script);
        QVERIFY2(imported.script, qPrintable(imported.error));
        QCOMPARE(imported.script->list(ListId::Tiles), "0x1 a.bmp 1 1\r\n\r\n0x2\tb.bmp 2 2   ");
        QCOMPARE(imported.script->list(ListId::Items), "x   y");
        QCOMPARE(imported.script->list(ListId::Gumps), "");
        QVERIFY(!imported.script->patchInfo);
        QCOMPARE(warningsOf(*imported.script),
                 QStringList({
                     u"s:1:1: warning: not kept: the compiled script has no line \"// my own "
                     u"banner\" here, nor the line after it"_s,
                     u"s:4:1: warning: not kept: the compiled script has no line \"// tiles "
                     u"below\" here"_s,
                     u"s:7:3: warning: left out of the tiles list: the comment \"// first "
                     u"tiles\""_s,
                     u"s:10:1: warning: left out of the tiles list: the comment \"// "
                     u"between\""_s,
                     u"s:20:1: warning: left out of the gumps list: the comment \"// only a "
                     u"comment\""_s,
                 }));
    }

    // The patch info as the lines say it, whatever else the script holds;
    // a GODWALK that is neither 0 nor 1 is not kept.
    void patchInfoFromLines()
    {
        const QByteArray sections =
            "SECTION TILES\n{\n}\nSECTION GUMPS\n{\n}\nSECTION ITEMS\n{\n}\n";
        const scp::ScriptImport own = scp::importScript(
            "SECTION SCRIPTINFO\n{\nNAME  Mine \nEMAIL a@b\n& c@d\n}\nSECTION GODWALK\n{\n"
            "// *** CLIENT = 0; SERVER = 1 *** //\n0\n}\n" +
            sections);
        QVERIFY2(own.script, qPrintable(own.error));
        scp::PatchInfo expected = scp::PatchInfo::defaults();
        expected.name = u" Mine "_s;
        expected.email = u"a@b& c@d"_s;
        expected.server = false;
        QCOMPARE(own.script->patchInfo, expected);
        QCOMPARE(warningsOf(*own.script), QStringList());

        const scp::ScriptImport odd =
            scp::importScript("SECTION GODWALK\n{\nSERVER\n}\n" + sections);
        QVERIFY2(odd.script, qPrintable(odd.error));
        QVERIFY(!odd.script->patchInfo);
        QCOMPARE(warningsOf(*odd.script),
                 QStringList(u"s:3:1: warning: not kept: the compiled script has no line "
                             u"\"SERVER\" here"_s));
    }

    void refusedScripts_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("error"); // "line: problem"
        const QByteArray gumps = "SECTION GUMPS\n{\n}\n", items = "SECTION ITEMS\n{\n}\n";
        QTest::newRow("empty") << QByteArray()
                               << u"0: no line SECTION TILES, SECTION GUMPS or SECTION ITEMS"_s;
        QTest::newRow("missing") << gumps + items << u"0: no line SECTION TILES"_s;
        QTest::newRow("twice") << gumps + "SECTION TILES\n{\n}\n" + gumps + items
                               << u"7: SECTION GUMPS a second time (the first is at line 1)"_s;
        QTest::newRow("unclosed before another")
            << "SECTION TILES\n{\nx\n" + gumps + items
            << u"4: SECTION TILES (line 1) is not closed by a line \"}\" before this section"_s;
        QTest::newRow("unclosed") << gumps + items + "SECTION TILES\n{\nx\n"
                                  << u"8: SECTION TILES's \"{\" is never closed by a line \"}\""_s;
        QTest::newRow("not opened") << "SECTION TILES\nx\n{\n}\n" + gumps + items
                                    << u"1: SECTION TILES is not opened by a line \"{\""_s;
    }
    void refusedScripts()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, error);
        const scp::ScriptImport imported = scp::importScript(script);
        QVERIFY(!imported.script);
        QCOMPARE(QString::number(imported.errorLine) + u": "_s + imported.error, error);
    }

    // A file that cannot be read or is refused is named with the reason.
    void fileMessages()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"mantle.scp"_s);
        const QString shown = QDir::toNativeSeparators(path);
        QVERIFY(scp::importScriptFile(path).outcome.error().startsWith(
            u"Could not read \"%1\": "_s.arg(shown)));
        QVERIFY(writeBytes(path, "SECTION TILES\n{\n"));
        QCOMPARE(scp::importScriptFile(path).outcome.error(),
                 u"Could not import \"%1\": line 2: SECTION TILES's \"{\" is never closed by a "
                 u"line \"}\""_s.arg(shown));
    }
};

QTEST_GUILESS_MAIN(ScriptImportTest)
#include "tst_script_import.moc"
