// Writing files all or none, and reading text files back.

#include "script/file_transaction.h"
#include "script/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QByteArray read_bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable: " + file.errorString().toUtf8() + '>';
    return file.readAll();
}

bool write_bytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Every entry of a folder, hidden ones included, with its bytes: the whole
// visible state a failed transaction must leave as it found it.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    const QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        entries.insert(info.fileName(),
                       info.isDir() ? QByteArray("<dir>") : read_bytes(info.filePath()));
    return entries;
}

bool running_as_root()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// A device whose writes fail, as a yanked USB stick or a network drive would.
class FailingTemporaryFile : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;

protected:
    qint64 writeData(const char*, qint64) override
    {
        setErrorString(u"Input/output error"_s);
        return -1;
    }
};

// A temporary that is gone by the time it should replace its target, so the
// rename itself fails after earlier targets were already replaced.
class VanishingTemporaryFile : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;
    void close() override
    {
        QTemporaryFile::close();
        QFile::remove(fileName());
    }
};

enum class Fault { None, Write, Replace };

class FaultyTransaction : public scp::FileTransaction {
public:
    FaultyTransaction(int faultyIndex, Fault fault) : m_faultyIndex(faultyIndex), m_fault(fault) {}

protected:
    std::unique_ptr<QTemporaryFile> createTemporary(const QString& targetPath) override
    {
        const int index = m_created++;
        if (index != m_faultyIndex || m_fault == Fault::None)
            return FileTransaction::createTemporary(targetPath);
        const QFileInfo info(targetPath);
        const QString pattern = info.absolutePath() + u"/."_s + info.fileName() + u".XXXXXX"_s;
        if (m_fault == Fault::Write)
            return std::make_unique<FailingTemporaryFile>(pattern);
        return std::make_unique<VanishingTemporaryFile>(pattern);
    }

private:
    int m_faultyIndex;
    Fault m_fault;
    int m_created = 0;
};

// A tiny file system of its own, so a full disk can be had on demand.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes) : m_kilobytes(kilobytes) {}
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(u"umount"_s, {m_dir.path()});
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Empty when mounted, else the reason it could not be.
    QString mount()
    {
        if (QStandardPaths::findExecutable(u"mount"_s).isEmpty())
            return u"no mount command"_s;
        if (!m_dir.isValid())
            return u"no temporary folder"_s;
        QProcess process;
        process.start(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=%1k"_s.arg(m_kilobytes),
                                   u"tmpfs"_s, m_dir.path()});
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return u"cannot mount a tmpfs here: "_s +
                   QString::fromLocal8Bit(process.readAllStandardError()).section(u'\n', 0, 0);
        m_mounted = true;
        return {};
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }

    // Fills the disk until not one more byte fits.
    bool fill()
    {
        QFile filler(path(u"filler"_s));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray chunk(4096, 'f');
        while (filler.write(chunk) == chunk.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
        return filler.size() > 0;
    }

private:
    int m_kilobytes;
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class TestFileTransaction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // Success
    void createsFilesWithExactBytes();
    void replacesFilesAndKeepsTheirPermissions();
    void newFileGetsOrdinaryPermissions();
    void writesThroughSymbolicLink();
    void sameFileTwiceLastBytesWin();

    // Failure: nothing changes, nothing is left behind
    void writeFailureChangesNoFile_data();
    void writeFailureChangesNoFile();
    void replaceFailureRollsBackEarlierFiles();
    void folderWhereTargetShouldBe();
    void missingFolder();
    void readOnlyFolder();
    void readOnlyTarget();

    // Full disk
    void fullDiskSmallWrite();
    void fullDiskLargeWrite();
    void fullDiskOnlyLastFileDoesNotFit();

    // Reading
    void readsBytesAsTheyAre();
    void readMissingFile();
    void readDirectory();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SmallDisk> m_disk;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Mounts a small disk for this test function, or says why not.
    QString mountSmallDisk(int kilobytes);
};

void TestFileTransaction::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFileTransaction::cleanup()
{
    m_disk.reset(); // unmounts
    m_dir.reset();
}

QString TestFileTransaction::mountSmallDisk(int kilobytes)
{
    m_disk = std::make_unique<SmallDisk>(kilobytes);
    return m_disk->mount();
}

void TestFileTransaction::createsFilesWithExactBytes()
{
    QByteArray allBytes(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        allBytes[b] = static_cast<char>(b);

    scp::FileTransaction transaction;
    transaction.add(path(u"gumps.scp"_s), "0x1 a.bmp 1 2\r\n");
    transaction.add(path(u"tiles.scp"_s), QByteArray());
    transaction.add(path(u"items.scp"_s), allBytes);
    const scp::Outcome outcome = transaction.commit();
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));

    QMap<QString, QByteArray> expected;
    expected.insert(u"gumps.scp"_s, "0x1 a.bmp 1 2\r\n");
    expected.insert(u"tiles.scp"_s, QByteArray());
    expected.insert(u"items.scp"_s, allBytes);
    QCOMPARE(snapshot(m_dir->path()), expected); // no temporaries or backups left
}

void TestFileTransaction::replacesFilesAndKeepsTheirPermissions()
{
    const QString first = path(u"gumps.scp"_s);
    const QString second = path(u"mantle.scp"_s);
    QVERIFY(write_bytes(first, QByteArray(10000, 'o')));
    QVERIFY(write_bytes(second, "old"));
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(first, permissions));

    scp::FileTransaction transaction;
    transaction.add(first, "new");
    transaction.add(second, QByteArray(20000, 'n'));
    const scp::Outcome outcome = transaction.commit();
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));

    QCOMPARE(read_bytes(first), QByteArray("new"));
    QCOMPARE(read_bytes(second), QByteArray(20000, 'n'));
    QCOMPARE(QFileInfo(first).permissions() & ~QFileDevice::Permissions(0x0F00), permissions);
    QCOMPARE(snapshot(m_dir->path()).keys(), QStringList({u"gumps.scp"_s, u"mantle.scp"_s}));
}

void TestFileTransaction::newFileGetsOrdinaryPermissions()
{
    // Whatever a plain create would give under the current umask, not the
    // owner-only mode a temporary file starts with.
    const QString plain = path(u"plain"_s);
    QVERIFY(write_bytes(plain, "x"));
    const QString target = path(u"items.scp"_s);
    QVERIFY(scp::write_file_atomically(target, "x").ok());
    QCOMPARE(QFileInfo(target).permissions(), QFileInfo(plain).permissions());
}

void TestFileTransaction::writesThroughSymbolicLink()
{
#ifdef Q_OS_UNIX
    const QString real = path(u"real.scp"_s);
    const QString link = path(u"mantle.scp"_s);
    QVERIFY(write_bytes(real, "old"));
    QVERIFY(QFile::link(real, link));
    QVERIFY(scp::write_file_atomically(link, "new").ok());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(read_bytes(real), QByteArray("new"));
    QCOMPARE(snapshot(m_dir->path()).size(), 2);
#else
    QSKIP("symbolic links need privileges here");
#endif
}

void TestFileTransaction::sameFileTwiceLastBytesWin()
{
    scp::FileTransaction transaction;
    transaction.add(path(u"gumps.scp"_s), "first");
    transaction.add(m_dir->path() + u"/./gumps.scp"_s, "second");
    QVERIFY(transaction.commit().ok());
    QCOMPARE(read_bytes(path(u"gumps.scp"_s)), QByteArray("second"));
}

void TestFileTransaction::writeFailureChangesNoFile_data()
{
    QTest::addColumn<int>("faultyIndex");
    QTest::newRow("first of three") << 0;
    QTest::newRow("second of three") << 1;
    QTest::newRow("third of three") << 2;
}

void TestFileTransaction::writeFailureChangesNoFile()
{
    QFETCH(int, faultyIndex);
    const QStringList names = {u"gumps.scp"_s, u"tiles.scp"_s, u"items.scp"_s};
    QVERIFY(write_bytes(path(names[0]), "old gumps\r\n"));
    QVERIFY(write_bytes(path(names[1]), "old tiles\r\n"));
    // items.scp does not exist yet and must not appear.
    const auto before = snapshot(m_dir->path());

    FaultyTransaction transaction(faultyIndex, Fault::Write);
    for (const QString& name : names)
        transaction.add(path(name), "new " + name.toLatin1());
    const scp::Outcome outcome = transaction.commit();

    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(), u"Could not write \"%1\": Input/output error"_s.arg(
                                  QDir::toNativeSeparators(path(names[faultyIndex]))));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestFileTransaction::replaceFailureRollsBackEarlierFiles()
{
    const QStringList names = {u"gumps.scp"_s, u"tiles.scp"_s, u"items.scp"_s};
    QVERIFY(write_bytes(path(names[0]), "old gumps\r\n"));
    // tiles.scp is new: rolling back must remove it again.
    QVERIFY(write_bytes(path(names[2]), "old items\r\n"));
    const auto before = snapshot(m_dir->path());

    FaultyTransaction transaction(2, Fault::Replace);
    for (const QString& name : names)
        transaction.add(path(name), "new " + name.toLatin1());
    const scp::Outcome outcome = transaction.commit();

    QVERIFY(!outcome.ok());
    QVERIFY2(outcome.error().startsWith(
                 u"Could not write \"%1\": "_s.arg(QDir::toNativeSeparators(path(names[2])))),
             qPrintable(outcome.error()));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestFileTransaction::folderWhereTargetShouldBe()
{
    QVERIFY(write_bytes(path(u"gumps.scp"_s), "old gumps"));
    QVERIFY(QDir(m_dir->path()).mkdir(u"tiles.scp"_s));
    const auto before = snapshot(m_dir->path());

    scp::FileTransaction transaction;
    transaction.add(path(u"gumps.scp"_s), "new gumps");
    transaction.add(path(u"tiles.scp"_s), "new tiles");
    transaction.add(path(u"items.scp"_s), "new items");
    const scp::Outcome outcome = transaction.commit();

    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(), u"Could not write \"%1\": Is a directory"_s.arg(
                                  QDir::toNativeSeparators(path(u"tiles.scp"_s))));
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestFileTransaction::missingFolder()
{
    const QString target = path(u"no such folder/mantle.scp"_s);
    const scp::Outcome outcome = scp::write_file_atomically(target, "x");
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(), u"Could not write \"%1\": No such file or directory"_s.arg(
                                  QDir::toNativeSeparators(target)));
}

void TestFileTransaction::readOnlyFolder()
{
    if (running_as_root())
        QSKIP("root writes into read-only folders");
    const QString folder = path(u"locked"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString target = folder + u"/mantle.scp"_s;
    QVERIFY(write_bytes(target, "old"));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const scp::Outcome outcome = scp::write_file_atomically(target, "new");
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(),
             u"Could not write \"%1\": Permission denied"_s.arg(QDir::toNativeSeparators(target)));
    QCOMPARE(read_bytes(target), QByteArray("old"));
    QCOMPARE(snapshot(folder).size(), 1);
}

void TestFileTransaction::readOnlyTarget()
{
    if (running_as_root())
        QSKIP("root writes read-only files");
    const QString target = path(u"mantle.scp"_s);
    QVERIFY(write_bytes(target, "old"));
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));

    const scp::Outcome outcome = scp::write_file_atomically(target, "new");
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(),
             u"Could not write \"%1\": Permission denied"_s.arg(QDir::toNativeSeparators(target)));
    QCOMPARE(read_bytes(target), QByteArray("old"));
}

void TestFileTransaction::fullDiskSmallWrite()
{
    if (const QString why = mountSmallDisk(256); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QString target = m_disk->path(u"mantle.scp"_s);
    QVERIFY(write_bytes(target, "old script\r\n"));
    QVERIFY(m_disk->fill());
    const auto before = snapshot(m_disk->folder());

    // Small enough to sit in a write buffer and "succeed" until flushed.
    const scp::Outcome outcome = scp::write_file_atomically(target, "new script\r\n");
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(), u"Could not write \"%1\": No space left on device"_s.arg(target));
    QCOMPARE(snapshot(m_disk->folder()), before);
}

void TestFileTransaction::fullDiskLargeWrite()
{
    if (const QString why = mountSmallDisk(256); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QString target = m_disk->path(u"mantle.scp"_s);
    QVERIFY(write_bytes(target, "old script\r\n"));
    QVERIFY(m_disk->fill());
    const auto before = snapshot(m_disk->folder());

    const scp::Outcome outcome = scp::write_file_atomically(target, QByteArray(1 << 20, 'n'));
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(), u"Could not write \"%1\": No space left on device"_s.arg(target));
    QCOMPARE(snapshot(m_disk->folder()), before);
}

void TestFileTransaction::fullDiskOnlyLastFileDoesNotFit()
{
    if (const QString why = mountSmallDisk(256); !why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY(write_bytes(m_disk->path(u"gumps.scp"_s), "old gumps"));
    QVERIFY(write_bytes(m_disk->path(u"tiles.scp"_s), "old tiles"));
    QVERIFY(write_bytes(m_disk->path(u"items.scp"_s), "old items"));
    const auto before = snapshot(m_disk->folder());

    scp::FileTransaction transaction;
    transaction.add(m_disk->path(u"gumps.scp"_s), QByteArray(8000, 'g'));
    transaction.add(m_disk->path(u"tiles.scp"_s), QByteArray(8000, 't'));
    transaction.add(m_disk->path(u"items.scp"_s), QByteArray(300 * 1024, 'i'));
    const scp::Outcome outcome = transaction.commit();
    QVERIFY(!outcome.ok());
    QCOMPARE(outcome.error(), u"Could not write \"%1\": No space left on device"_s.arg(
                                  m_disk->path(u"items.scp"_s)));
    QCOMPARE(snapshot(m_disk->folder()), before);
}

void TestFileTransaction::readsBytesAsTheyAre()
{
    const QString file = path(u"gumps.scp"_s);
    const QByteArray bytes("a\rb\nc\r\n\x80\x81\xA0\xFF\x00z", 15);
    QVERIFY(write_bytes(file, bytes));
    const scp::FileBytes read = scp::read_file_bytes(file);
    QVERIFY2(read.outcome.ok(), qPrintable(read.outcome.error()));
    QCOMPARE(read.bytes, bytes);

    QVERIFY(write_bytes(file, QByteArray()));
    const scp::FileBytes empty = scp::read_file_bytes(file);
    QVERIFY(empty.outcome.ok());
    QVERIFY(empty.bytes.isEmpty());
}

void TestFileTransaction::readMissingFile()
{
    const QString file = path(u"tiles.scp"_s);
    const scp::FileBytes read = scp::read_file_bytes(file);
    QVERIFY(!read.outcome.ok());
    QCOMPARE(read.outcome.error(), u"Could not read \"%1\": No such file or directory"_s.arg(
                                       QDir::toNativeSeparators(file)));
}

void TestFileTransaction::readDirectory()
{
    const QString folder = path(u"items.scp"_s);
    QVERIFY(QDir().mkdir(folder));
    const scp::FileBytes read = scp::read_file_bytes(folder);
    QVERIFY(!read.outcome.ok());
    QCOMPARE(read.outcome.error(),
             u"Could not read \"%1\": Is a directory"_s.arg(QDir::toNativeSeparators(folder)));
}

QTEST_GUILESS_MAIN(TestFileTransaction)
#include "tst_file_transaction.moc"
