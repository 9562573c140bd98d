#include "golden.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run compile(const QStringList& args, const QString& workingDir = QString())
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(SCP_COMPILE_EXE), args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class CompilerTest : public QObject {
    Q_OBJECT

private:
    void copyExample()
    {
        for (const char* name : {"gumps.scp", "tiles.scp", "items.scp"}) {
            const QString from = QStringLiteral(SCP_EXAMPLE_DIR "/") + QLatin1StringView(name);
            QVERIFY(QFile::copy(from, m_dir->filePath(QLatin1StringView(name))));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void help()
    {
        const Run run = compile({u"--help"_s});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("Usage: scpmaker-compile [DIR]"));
        QVERIFY(run.err.isEmpty());
    }

    void compilesTheExamplePatch()
    {
        copyExample();
        const Run run = compile({m_dir->path()});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, QByteArray("Mantle.Scp has been created\n"));
        QCOMPARE(run.exitCode, 0);
        const QString diff = scp::first_difference(readBytes(m_dir->filePath(u"mantle.scp"_s)),
                                                   scp::read_golden(u"scripts/example.scp"_s));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // The section files are read, never rewritten.
        QCOMPARE(readBytes(m_dir->filePath(u"items.scp"_s)),
                 readBytes(QStringLiteral(SCP_EXAMPLE_DIR "/items.scp")));
    }

    void defaultsToTheCurrentFolder()
    {
        copyExample();
        const Run run = compile({}, m_dir->path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readBytes(m_dir->filePath(u"mantle.scp"_s)),
                 scp::read_golden(u"scripts/example.scp"_s));
    }

    void failuresExitOneAndChangeNothing_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("named");
        QTest::newRow("missing section file") << u"no tiles"_s << u"tiles.scp"_s;
        QTest::newRow("folder as section file") << u"items folder"_s << u"items.scp"_s;
        QTest::newRow("folder as script") << u"script folder"_s << u"mantle.scp"_s;
        QTest::newRow("missing folder") << u"no folder"_s << u"gumps.scp"_s;
        QTest::newRow("two folders") << u"two args"_s << u"--help"_s;
    }
    void failuresExitOneAndChangeNothing()
    {
        QFETCH(QString, problem);
        QFETCH(QString, named);
        copyExample();
        QString target = m_dir->path();
        QStringList args{target};
        if (problem == u"no tiles"_s) {
            QVERIFY(QFile::remove(m_dir->filePath(u"tiles.scp"_s)));
            QFile old(m_dir->filePath(u"mantle.scp"_s));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old script");
        } else if (problem == u"items folder"_s) {
            QVERIFY(QFile::remove(m_dir->filePath(u"items.scp"_s)));
            QVERIFY(QDir(target).mkdir(u"items.scp"_s));
        } else if (problem == u"script folder"_s) {
            QVERIFY(QDir(target).mkdir(u"mantle.scp"_s));
        } else if (problem == u"no folder"_s) {
            args = QStringList{m_dir->filePath(u"absent"_s)};
        } else {
            args << target;
        }
        const QStringList before = entries(target);
        const QByteArray oldScript = readBytes(m_dir->filePath(u"mantle.scp"_s));

        const Run run = compile(args);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith("scpmaker-compile: "), run.err.constData());
        QVERIFY2(run.err.endsWith('\n') && run.err.count('\n') == 1, run.err.constData());
        QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
        QCOMPARE(entries(target), before);
        QCOMPARE(readBytes(m_dir->filePath(u"mantle.scp"_s)), oldScript);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(CompilerTest)
#include "tst_compiler.moc"
