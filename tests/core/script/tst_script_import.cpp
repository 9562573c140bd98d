#include "fail_on_warnings.h"
#include "program_runs.h"
#include "test_files.h"

#include "script/script_import.h"
#include "script/templates.h"
#include "text/line_ends.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

using scp::ListId;
using Lists = std::array<QByteArray, 3>; // gumps, tiles, items

namespace {

// A script as the compile writes it, with patch info's head lines when given.
QByteArray assembled(const Lists& lists, const std::optional<scp::PatchInfo>& info)
{
    const auto block = [](scp::Block b) { return scp::templateText(b).toLatin1(); };
    const auto bytes = [](const QString& text) { return scp::encodeCp1252(text).bytes; };
    QByteArray head = block(scp::Block::Head);
    if (info)
        head.replace("NAME The Mantle Patch v1.0", "NAME " + bytes(info->name))
            .replace("CREATOR The scpmaker developers", "CREATOR " + bytes(info->creator))
            .replace("EMAIL scripts@example.org , patches@example.org , tiles@example.org \r\n"
                     "& items@example.org",
                     "EMAIL " + bytes(info->email))
            .replace("\r\n1\r\n}", info->server ? "\r\n1\r\n}" : "\r\n0\r\n}");
    const QByteArray gap = block(scp::Block::Gap);
    return head + gap + lists[1] + gap + block(scp::Block::GumpsHead) + gap + lists[0] + gap +
           block(scp::Block::ItemsHead) + gap + lists[2] + gap + block(scp::Block::Tail);
}

QStringList warningsOf(const scp::ImportedScript& script)
{
    QStringList out;
    for (const scp::ImportWarning& warning : script.warnings)
        out.append(scp::describeImportWarning(u"s"_s, warning));
    return out;
}

// Pieces of a script's structure, so that mutations reach every branch.
const QList<QByteArray> kTokens =
    QByteArray("SECTION TILES|SECTION GUMPS|section items|SECTION SCRIPTINFO|SECTION GODWALK|{|}|"
               "\r\n|\n|\r|//| |\t|NAME |EMAIL |& |0|1")
        .split('|');

struct Fuzzer {
    QRandomGenerator random;
    int below(qsizetype n) { return int(random.bounded(int(n))); }
    QByteArray token() { return kTokens[below(kTokens.size())]; }
    // Any bytes a list holds: runs of spaces, line breaks, words, any byte.
    QByteArray list()
    {
        QByteArray bytes;
        for (int n = below(12); n-- > 0;)
            bytes += below(3) == 0 ? QByteArray(1 + below(90), ' ')
                     : below(2)    ? token()
                                   : QByteArray(1 + below(20), char(below(256)));
        return scp::normalizeLineEnds(bytes); // as a list's box holds it
    }
    QString value() { return scp::decodeCp1252(list().replace("\r\n", "  ")); }
    // A token put in, a stretch cut or doubled, a byte changed; 1 to 8 times.
    QByteArray mutated(QByteArray bytes)
    {
        for (int changes = 1 + below(8); changes-- > 0;) {
            const int at = below(bytes.size() + 1), kind = below(4);
            const int length = below(std::min<qsizetype>(200, bytes.size() - at) + 1);
            if (kind == 0)
                bytes.insert(at, token());
            else if (kind == 1)
                bytes.remove(at, length);
            else if (kind == 2)
                bytes.insert(at, bytes.mid(at, length));
            else if (at < bytes.size())
                bytes[at] = char(below(256));
        }
        return bytes;
    }
};

} // namespace

class ScriptImportTest : public QObject {
    Q_OBJECT

    Run compile(const QStringList& args) const
    {
        return runProgram(QStringLiteral(SCP_COMPILE_EXE), args, m_dir->path());
    }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;

    // Lists and patch info come back from a script (LF ends, a blank line after) and patch.ini.
    static void comesBack(const Lists& lists, const std::optional<scp::PatchInfo>& info)
    {
        QByteArray script = assembled(lists, info);
        for (int lf = 0; lf < 2; ++lf) {
            const scp::ScriptImport imported = scp::importScript(script);
            QVERIFY2(imported.script, qPrintable(imported.error));
            for (size_t i = 0; i < lists.size(); ++i)
                COMPARE_BYTES(imported.script->lists[i], lists[i]);
            QCOMPARE(imported.script->patchInfo, info);
            QCOMPARE(warningsOf(*imported.script), QStringList());
            script.replace("\r\n", "\n").append("\n");
        }
        if (info)
            QCOMPARE(scp::parsePatchInfo(scp::patchInfoBytes(*info)).info, *info);
    }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    // By hand: entries kept line by line, comments and a section's edge blank lines
    // left out and reported, as are lines outside the sections the compile would not write.
    void handMadeScript()
    {
        const scp::ScriptImport imported = scp::importScript(
            "// my own banner\n// second line\nSECTION SCRIPTINFO\n{\nNAME  Mine \nEMAIL a@b\n"
            "& c@d\n}\nSECTION GODWALK\n{\nSERVER\n}\n"                  // 3-12
            "section   tiles\t\n// tiles below\n{\n\n  // first tiles\n" // 13-17
            "0x1 a.bmp 1 1\n\n// between\n0x2\tb.bmp 2 2   \n\n}\n"      // 18-23
            "SECTION ITEMS\n{\nx   y\r}\nSECTION GUMPS\n{\n// only one\n}\n");
        QVERIFY2(imported.script, qPrintable(imported.error));
        QCOMPARE(imported.script->list(ListId::Tiles), "0x1 a.bmp 1 1\r\n\r\n0x2\tb.bmp 2 2   ");
        QCOMPARE(imported.script->list(ListId::Items), "x   y");
        QCOMPARE(imported.script->list(ListId::Gumps), "");
        QCOMPARE(
            imported.script->patchInfo,
            scp::PatchInfo({u" Mine "_s, scp::PatchInfo::defaults().creator, u"a@b& c@d"_s, true}));
        const QString notKept = u"warning: not kept: the compiled script has no line "_s;
        QCOMPARE(
            warningsOf(*imported.script),
            QStringList({
                u"s:1:1: "_s + notKept + u"\"// my own banner\" here, nor the line after it"_s,
                u"s:11:1: "_s + notKept + u"\"SERVER\" here"_s,
                u"s:14:1: "_s + notKept + u"\"// tiles below\" here"_s,
                u"s:17:3: warning: left out of the tiles list: the comment \"// first tiles\""_s,
                u"s:20:1: warning: left out of the tiles list: the comment \"// between\""_s,
                u"s:30:1: warning: left out of the gumps list: the comment \"// only one\""_s,
            }));
    }

    // "{" on the title's line, "}" on the last entry's; an entry's own trailing "}" is kept.
    void bracesOnTitleAndEntryLines()
    {
        const scp::ScriptImport imported =
            scp::importScript("SECTION SCRIPTINFO {\nNAME Mine\n}\nSECTION TILES {\n0x1 a.bmp 1 1\n"
                              "0x2 b.bmp 2 2 }\nSECTION GUMPS{\n}\nSECTION ITEMS\t{\nx {y}\n}\n");
        QVERIFY2(imported.script, qPrintable(imported.error));
        QCOMPARE(imported.script->list(ListId::Tiles), "0x1 a.bmp 1 1\r\n0x2 b.bmp 2 2");
        QCOMPARE(imported.script->list(ListId::Gumps), "");
        QCOMPARE(imported.script->list(ListId::Items), "x {y}");
        QCOMPARE(imported.script->patchInfo->name, u"Mine"_s);
        QCOMPARE(warningsOf(*imported.script), QStringList());
    }

    void refusedScripts()
    {
        const QByteArray gumps = "SECTION GUMPS\n{\n}\n", items = "SECTION ITEMS\n{\n}\n";
        const std::pair<QByteArray, QString> rows[] = {
            {"", u"0: no line SECTION TILES, SECTION GUMPS or SECTION ITEMS"_s},
            {gumps + items, u"0: no line SECTION TILES"_s},
            {gumps + "SECTION TILES\n{\n}\n" + gumps + items,
             u"7: SECTION GUMPS a second time (the first is at line 1)"_s},
            {"SECTION TILES\n{\nx\n" + gumps + items,
             u"4: SECTION TILES (line 1) is not closed by a line \"}\" before this section"_s},
            {gumps + items + "SECTION TILES\n{\nx\n",
             u"8: SECTION TILES's \"{\" is never closed by a line \"}\""_s},
            {"SECTION TILES\nx\n{\n}\n" + gumps + items,
             u"1: SECTION TILES is not opened by a line \"{\""_s},
        };
        for (const auto& [script, error] : rows) {
            const scp::ScriptImport imported = scp::importScript(script);
            QVERIFY(!imported.script);
            QCOMPARE(QString::number(imported.errorLine) + u": "_s + imported.error, error);
        }
    }

    // Random lists come back from their script; golden scripts compile back byte for
    // byte; mutated ones get an answer within their lines, their lists come back.
    void fuzzed()
    {
        // Values a random one seldom is: in quotes, padded, empty.
        comesBack({}, scp::PatchInfo{u" padded "_s, u"\"quoted\""_s, u""_s, true});
        Fuzzer fuzz{QRandomGenerator(20261207)};
        for (int run = 0; run < 400 && !QTest::currentTestFailed(); ++run)
            comesBack({fuzz.list(), fuzz.list(), fuzz.list()},
                      fuzz.below(3) == 0
                          ? std::nullopt
                          : std::optional<scp::PatchInfo>(
                                {fuzz.value(), fuzz.value(), fuzz.value(), fuzz.below(2) > 0}));
        QList<QByteArray> seeds{""};
        for (const QString& name :
             QDir(QStringLiteral(SCP_TEST_DATA "/scripts")).entryList(QDir::Files))
            seeds.append(readGolden(u"scripts/"_s + name));
        for (const QByteArray& golden : std::as_const(seeds).sliced(1)) {
            const scp::ScriptImport imported = scp::importScript(golden);
            QVERIFY(imported.script && imported.script->warnings.isEmpty());
            COMPARE_BYTES(assembled(imported.script->lists, imported.script->patchInfo), golden);
        }
        for (int run = 0; run < 1500 && !QTest::currentTestFailed(); ++run) {
            const QByteArray bytes = fuzz.mutated(seeds[fuzz.below(int(seeds.size()))]);
            const scp::ScriptImport imported = scp::importScript(bytes);
            const qsizetype lines = scp::normalizeLineEnds(bytes).count("\r\n") + 1;
            if (!imported.script) {
                QVERIFY(!imported.error.isEmpty() && imported.errorLine >= 0 &&
                        imported.errorLine <= lines);
                continue;
            }
            for (const scp::ImportWarning& warning : imported.script->warnings)
                QVERIFY(warning.line >= 1 && warning.line <= lines && warning.column >= 1);
            comesBack(imported.script->lists, imported.script->patchInfo);
        }
    }

    // --import writes once, then keeps the files unless --force; a failure leaves
    // each; usage errors write nothing; the folder compiles back to the script.
    void commandLine()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(u"patch"_s));
        const QString example =
            QFileInfo(QStringLiteral(SCP_TEST_DATA "/scripts/example.scp")).absoluteFilePath();
        const Run first = compile({u"--import"_s, example, u"patch"_s});
        QVERIFY2(first.exitCode == 0, first.err.constData());
        QCOMPARE(first.out.trimmed(),
                 "Imported 2 gumps, 2 tiles and 2 items from " + QFile::encodeName(example));
        QCOMPARE(compile({u"patch"_s}).exitCode, 0);
        COMPARE_BYTES(readBytes(path(u"patch/mantle.scp"_s)), readBytes(example));

        // A head of its own, but for a banner line the compile does not write.
        const QByteArray own =
            assembled({"0x1 g.bmp 1 1", "", "ITEMS WILL LOAD HERE\r\n"},
                      scp::PatchInfo{u" Mine "_s, u"\"Me\""_s, u"a@b.c & d@e.f"_s, false});
        QVERIFY(writeBytes(path(u"own.scp"_s), "// mine\r\n" + own));
        QVERIFY(QFile::remove(path(u"patch/items.scp"_s)) &&
                QDir(m_dir->path()).mkdir(u"patch/items.scp"_s));
        const auto before = snapshot(path(u"patch"_s));
        const QString script = u"own.scp"_s, patch = u"patch"_s, import = u"--import"_s;
        for (const QStringList& args : {QStringList{import, script, patch},
                                        QStringList{import, script, patch, u"--force"_s}}) {
            const Run refused = compile(args);
            QCOMPARE(refused.exitCode, 1);
            QVERIFY2(refused.err.contains("items.scp"), refused.err.constData());
        }
        for (const QStringList& args :
             {QStringList{import, script, u"--check"_s}, QStringList{u"--force"_s},
              QStringList{import}, QStringList{import, script, patch, u"x"_s}})
            QCOMPARE(compile(args).exitCode, 2);
        QCOMPARE(snapshot(path(u"patch"_s)), before);

        QVERIFY(QDir(path(u"patch/items.scp"_s)).removeRecursively());
        const Run forced = compile({u"--force"_s, import, script, patch});
        QCOMPARE(forced.out.trimmed(), "Imported 1 gump, 0 tiles and 0 items from own.scp");
        QCOMPARE(forced.err.trimmed(), "own.scp:1:1: warning: not kept: the compiled script has "
                                       "no line \"// mine\" here");
        QVERIFY(QFile::exists(path(u"patch/patch.ini"_s)));
        QCOMPARE(compile({patch}).exitCode, 0);
        const QByteArray compiled = readBytes(path(u"patch/mantle.scp"_s));
        // A script with no patch info of its own takes the folder's away.
        QCOMPARE(compile({u"--force"_s, import, example, patch}).exitCode, 0);
        QVERIFY(!QFile::exists(path(u"patch/patch.ini"_s)));
        COMPARE_BYTES(compiled, own);
    }
};

QTEST_GUILESS_MAIN(ScriptImportTest)
#include "tst_script_import.moc"
