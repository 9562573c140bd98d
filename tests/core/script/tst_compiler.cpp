#include "fail_on_warnings.h"
#include "files/windows_names.h"
#include "program_runs.h"
#include "script/patch_info.h"
#include "test_files.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>

namespace {

// A console program's text output ends lines as its system does.
#ifdef Q_OS_WIN
const QByteArray kLineEnd = "\r\n";
#else
const QByteArray kLineEnd = "\n";
#endif

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

class CompilerTest : public QObject {
    Q_OBJECT

    Run compile(const QStringList& args, const QString& output = {}) const
    {
        return runProgram(QStringLiteral(SCP_COMPILE_EXE), args, m_dir->path(), output);
    }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
        for (const char* name : {"gumps.scp", "tiles.scp", "items.scp"})
            QVERIFY(QFile::copy(QStringLiteral(SCP_EXAMPLE_DIR "/") + QLatin1StringView(name),
                                m_dir->filePath(QLatin1StringView(name))));
    }

    // A folder a finished child used may stay busy a moment (Wine): removal is retried.
    void cleanup()
    {
        m_dir->setAutoRemove(false);
        const QDeadlineTimer deadline(5000);
        while (!QDir(m_dir->path()).removeRecursively() && !deadline.hasExpired())
            QTest::qWait(50);
        QVERIFY2(!QFileInfo::exists(m_dir->path()), qPrintable(m_dir->path()));
    }

    void compilesTheExample()
    {
        for (const QStringList& args : {QStringList{m_dir->path()}, QStringList{}}) {
            // A folder given, then the current one.
            QCOMPARE(compile(args), (Run{0, "Mantle.Scp has been created" + kLineEnd, {}}));
            COMPARE_BYTES(readBytes(m_dir->filePath(u"mantle.scp"_s)),
                          readGolden(u"scripts/example.scp"_s));
        }
        // The example's pictures fit: no problem; with its drive on Windows, run from elsewhere.
        QCOMPARE(
            compile({u"--check"_s, QFileInfo(QStringLiteral(SCP_EXAMPLE_DIR)).absoluteFilePath()}),
            (Run{0, {}, {}}));
#ifndef Q_OS_WIN // Windows has no device that refuses every write
        // Written, but its confirmation never reached anyone: a failure.
        QVERIFY(QFile::remove(m_dir->filePath(u"mantle.scp"_s)));
        QCOMPARE(compile({}, u"/dev/full"_s), (Run{1, {}, "scpmaker-compile: write error\n"}));
        COMPARE_BYTES(readBytes(m_dir->filePath(u"mantle.scp"_s)),
                      readGolden(u"scripts/example.scp"_s));
#endif
    }

    // patch.ini sets NAME, CREATOR, EMAIL and GODWALK only; a bad value writes nothing.
    void compilesPatchInfo()
    {
        const QString ini = m_dir->filePath(u"patch.ini"_s);
        const QString script = m_dir->filePath(u"mantle.scp"_s);
        QVERIFY(writeBytes(ini, "[script]\nname = Caf\xC3\xA9 \xE2\x82\xAC\ncreator = Me\n"
                                "email = me@example.org\ngodwalk = 0\n"));
        QCOMPARE(compile({}).exitCode, 0);
        const QByteArray godwalk = "1 *** //\r\n////////////////////////////////////\r\n";
        COMPARE_BYTES(readBytes(script),
                      readGolden(u"scripts/example.scp"_s)
                          .replace("NAME The Mantle Patch v1.0\r\nCREATOR The scpmaker "
                                   "developers\r\nEMAIL scripts@example.org , patches@example.org "
                                   ", tiles@example.org \r\n& items@example.org\r\n",
                                   "NAME Caf\xE9 \x80\r\nCREATOR Me\r\nEMAIL me@example.org\r\n")
                          .replace(godwalk + "1\r\n", godwalk + "0\r\n"));

        // One problem stands for all (tst_patch_info), beyond ASCII, as the console gets it.
        const QString problem = u"name: \"\u03A9\" (U+03A9) at line 1, column 1"_s;
        QFile::remove(script);
        QVERIFY(writeBytes(ini, "[script]\nname = \xCE\xA9\n"));
        const Run run = compile({});
        const QByteArray start =
            u"scpmaker-compile: %1:2: %2"_s.arg(native(ini), problem).toLocal8Bit();
        QVERIFY2(run.exitCode == 1 && run.err.startsWith(start) && run.err.count('\n') == 1,
                 run.err.constData());
        QVERIFY(!QFile::exists(script));
        const Run check = compile({u"--check"_s});
        const QByteArray line = u"patch.ini:2:1: error: %1"_s.arg(problem).toLocal8Bit();
        QVERIFY2(check.exitCode == 1 && check.out.startsWith(line) &&
                     check.out.count("patch.ini") == 1,
                 check.out.constData());
    }

    void handWrittenFilesAreRead()
    {
        // A byte-order mark, CR LF, comments, spaces round '=', a missing key.
        const scp::PatchInfoRead read = scp::parsePatchInfo(
            "\xEF\xBB\xBF; made by hand\r\n[script]\r\n  name=My patch  \r\n# note\r\n"
            "godwalk = 0\r\n");
        QVERIFY(read.problems.isEmpty());
        scp::PatchInfo expected = scp::PatchInfo::defaults();
        expected.name = u"My patch"_s, expected.server = false;
        QCOMPARE(read.info, expected);
    }

    void everyProblemNamesItsLineAndKey_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // after "/f/patch.ini"
        const auto row = [](const char* name, const QByteArray& bytes, const QString& message) {
            QTest::newRow(name) << bytes << message;
        };
        row("no Windows-1252 byte", "[script]\nname = \xC5\x9F\n",
            u":2: name: \"ş\" (U+015F) at line 1, column 1 cannot be written in Windows-1252"_s);
        row("line break", "[script]\r\ncreator = a\rb\n",
            u":2: creator: the value has a line break; the script needs it on one line"_s);
        row("unknown key", "[script]\nversion = 2\n", u":2: version: unknown key"_s);
        row("godwalk 2", "[script]\ngodwalk = 2\n", u":2: godwalk: must be 0 or 1, not \"2\""_s);
        row("key twice", "[script]\nname = a\nname = b\n", u":3: name: given a second time"_s);
        row("outside [script]", "name = a\n", u":1: name: outside the [script] section"_s);
        row("other section", "[script]\n[extra]\nx = 1\n",
            u":2: unknown section [extra]; the only one is [script]"_s);
        row("not UTF-8", "[script]\nname = \xE9\n", u": not UTF-8 text"_s);
    }
    void everyProblemNamesItsLineAndKey()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const scp::PatchInfoRead read = scp::parsePatchInfo(bytes);
        QCOMPARE(read.problems.size(), 1);
        QCOMPARE(scp::describePatchInfoProblem(u"/f/patch.ini"_s, read.problems.front()),
                 u"/f/patch.ini"_s + message);
    }
    void commandLine()
    {
        // --help and --version: the packaging test. Usage errors exit 2, write nothing.
        for (const QStringList& args : {QStringList{u"--bogus"_s}, QStringList{u"a"_s, u"b"_s}}) {
            const Run run = compile(args);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.err.contains(args.size() == 1 ? "'bogus'" : "at most one folder") &&
                         run.err.contains("--help"),
                     run.err.constData());
        }
        // "--" ends the options; a failure is one line naming the file, exit 1.
        const QString unread = native(m_dir->path() + u"/--bogus/gumps.scp"_s);
        QCOMPARE(compile({u"--"_s, u"--bogus"_s}),
                 (Run{1,
                      {},
                      "scpmaker-compile: Could not read \"" + unread.toLocal8Bit() +
                          "\": No such file or directory" + kLineEnd}));
        QVERIFY(!QFile::exists(m_dir->filePath(u"mantle.scp"_s)));

        // The help names the program as started, on its usage line alone, compiles nothing.
        const Run help = compile({u"--help"_s});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.startsWith("Usage: scpmaker-compile [options] [DIR]" + kLineEnd) &&
                     help.err.isEmpty(),
                 help.out.constData());
#ifndef Q_OS_WIN // a program's name of its own choosing, through bash's exec -a
        QCOMPARE(
            runProgram(u"/bin/bash"_s,
                       {u"-c"_s, u"exec -a s \"$0\" --help"_s, QStringLiteral(SCP_COMPILE_EXE)},
                       m_dir->path())
                .out,
            help.out);
#endif
        QVERIFY(!QFile::exists(m_dir->filePath(u"mantle.scp"_s)));
    }

    // --check prints one line a finding, writes nothing, exits 1 on any (words: the lint's).
    void checkPrintsFindings()
    {
        QByteArray picture(54, '\0'); // a BMP header: 2 x 3 pixels
        picture[0] = 'B', picture[1] = 'M', picture[14] = 40, picture[18] = 2, picture[22] = 3;
        QVERIFY(writeBytes(m_dir->filePath(u"a.bmp"_s), picture) &&
                writeBytes(m_dir->filePath(u"tiles.scp"_s), {}));
        // Where the folder ignores case, "A.bmp" is "a.bmp" and right.
        const bool ignoresCase = QFileInfo::exists(m_dir->filePath(u"A.bmp"_s));
        QStringList findings{
            u"%1/gumps.scp:2:13: warning: \"a.bmp\" is 2 x 3 pixels, the entry says 2 x 4 "
            u"[entry 1]"_s,
            u"%1/gumps.scp:2:55: warning: picture \"A.bmp\" is not in %1, only \"a.bmp\", "
            u"which differs in case: the patching tool's system may not mind, Linux does "
            u"[entry 2]"_s,
            u"%1/items.scp:2:15: warning: layer 9 is unused (layers run 1 to 29, 9 and 15 "
            u"unused) [entry 1]"_s};
        if (ignoresCase)
            findings.removeAt(1);
        const QByteArray expected = native(findings.join(u'\n') + u'\n')
                                        .replace(u"%1"_s, native(m_dir->path()))
                                        .toUtf8()
                                        .replace("\n", kLineEnd);
        for (const bool clean : {true, false}) {
            QVERIFY(writeBytes(m_dir->filePath(u"gumps.scp"_s),
                               clean
                                   ? "0x1 a.bmp 2 3"
                                   : "\r\n0x1 a.bmp 2 4" + QByteArray(37, ' ') + "0x2 A.bmp 2 3"));
            QVERIFY(writeBytes(m_dir->filePath(u"items.scp"_s),
                               clean ? "0x1 0 0 0 0 0 1 5 0 Mantle of Night"
                                     : "\r\n0x2 0 0 0 0 0 9 5 0 n"));
            const auto before = snapshot(m_dir->path());
            QCOMPARE(compile({u"--check"_s, m_dir->path()}),
                     (Run{clean ? 0 : 1, clean ? QByteArray() : expected, {}}));
            QCOMPARE(snapshot(m_dir->path()), before);
        }
        // Controls as \xNN, a NUL ends nothing, unreadable entries are errors, "." is here.
        QVERIFY(writeBytes(m_dir->filePath(u"tiles.scp"_s),
                           QByteArray("0x\x7f\x1b\x9d a") + '\0' + ".bmp 1 1\r\nzz"));
        const Run controls = compile({u"--check"_s, u"."_s});
        QCOMPARE(controls.err, QByteArray());
        const QByteArray tiles =
            native(
                u"./tiles.scp:1:1: error: hex id \"0x\\x7F\\x1B\\x9D\" is not a hexadecimal "
                u"number [entry 1]\n./tiles.scp:1:7: warning: picture \"a\\x00.bmp\" is not in the "
                u"working folder [entry 1]\n./tiles.scp:2:1: error: the entry has 1 field, a "
                u"tile needs 4: hexid filename.bmp width height [entry 2]\n"_s)
                .toUtf8()
                .replace("\n", kLineEnd);
        QVERIFY2(controls.out.contains(tiles) && controls.out.endsWith("[entry 1]" + kLineEnd),
                 controls.out.constData());
        QVERIFY(QFile::remove(m_dir->filePath(u"tiles.scp"_s))); // an unreadable folder
        const Run failed = compile({u"--check"_s});
        QVERIFY2(failed.exitCode == 1 && failed.out.isEmpty() && failed.err.contains("tiles.scp"),
                 failed.err.constData());
    }

#ifdef Q_OS_WIN
    // A name Windows would not take is refused as given: "DIR." is not DIR.
    void refusesNamesWindowsWouldChange()
    {
        const auto before = snapshot(m_dir->path());
        for (const QString& folder :
             {m_dir->path() + u"."_s, m_dir->path() + u" "_s, m_dir->path() + u"/CON"_s,
              m_dir->path() + u"/nul.txt"_s, m_dir->path() + u"/a:b"_s,
              m_dir->path() + u'/' + QString(260, u'x')}) {
            const QString gumps = native(folder + u"/gumps.scp"_s);
            const Run run = compile({folder});
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(QString::fromLocal8Bit(run.err),
                     u"scpmaker-compile: Could not read \"%1\": %2\r\n"_s.arg(
                         gumps, scp::windowsNameProblem(gumps)));
            QVERIFY(run.err.contains("Windows"));
        }
        QCOMPARE(snapshot(m_dir->path()), before);
    }
#endif
};

QTEST_GUILESS_MAIN(CompilerTest)
#include "tst_compiler.moc"
