// Writing files all or none, whatever fails on the way.

#include "fail_on_warnings.h"
#include "file_transaction.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A device whose writes fail, as a pulled USB stick's would.
class FailingFile : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;

protected:
    qint64 writeData(const char*, qint64) override
    {
        setErrorString(u"Input/output error"_s);
        return -1;
    }
};

// Gone by the time it should replace its target: the rename fails after
// earlier targets were already replaced.
class VanishingFile : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;
    void close() override
    {
        QTemporaryFile::close();
        QFile::remove(fileName());
    }
};

class FaultyTransaction : public scp::FileTransaction {
public:
    FaultyTransaction(int faulty, bool failWrite) : m_faulty(faulty), m_failWrite(failWrite) {}

protected:
    std::unique_ptr<QTemporaryFile> createTemporary(const QString& target) override
    {
        if (m_created++ != m_faulty)
            return FileTransaction::createTemporary(target);
        const QString pattern = target + u".XXXXXX"_s;
        if (m_failWrite)
            return std::make_unique<FailingFile>(pattern);
        return std::make_unique<VanishingFile>(pattern);
    }

private:
    int m_faulty;
    bool m_failWrite;
    int m_created = 0;
};

} // namespace

class FileTransactionTest : public QObject {
    Q_OBJECT

    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void writesExactlyAndKeepsPermissions()
    {
        QVERIFY(write_bytes(path(u"plain"_s), "x"));
        QVERIFY(write_bytes(path(u"gumps.scp"_s), QByteArray(10000, 'o')));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(path(u"gumps.scp"_s), mode));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));

        scp::FileTransaction transaction;
        transaction.add(path(u"gumps.scp"_s), "new\r\n");
        transaction.add(path(u"tiles.scp"_s), QByteArray());
        transaction.add(path(u"items.scp"_s),
                        QList<QByteArray>{all, QByteArray((3 << 20) + 4097, 'i')});
        QVERIFY(transaction.commit().ok());

        const QMap<QString, QByteArray> expected{
            {u"plain"_s, "x"},
            {u"gumps.scp"_s, "new\r\n"},
            {u"tiles.scp"_s, ""},
            {u"items.scp"_s, all + QByteArray((3 << 20) + 4097, 'i')}};
        QCOMPARE(snapshot(m_dir->path()), expected);            // nothing temporary left over
        const auto userBits = QFileDevice::Permissions(0x0F00); // the same as the owner bits here
        QCOMPARE(QFileInfo(path(u"gumps.scp"_s)).permissions() & ~userBits, mode);
        // A new file gets what a plain create gives, not a temporary's 0600.
        QCOMPARE(QFileInfo(path(u"tiles.scp"_s)).permissions(),
                 QFileInfo(path(u"plain"_s)).permissions());
    }

    void failuresChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("reason");
        QTest::newRow("write fails, first file")
            << u"write 0"_s << u"gumps.scp"_s << u"Input/output error"_s;
        QTest::newRow("write fails, last file")
            << u"write 2"_s << u"items.scp"_s << u"Input/output error"_s;
        QTest::newRow("rename fails, rolled back")
            << u"rename 2"_s << u"items.scp"_s << u"No such file or directory"_s;
        QTest::newRow("folder in the way") << u"folder"_s << u"tiles.scp"_s << u"Is a directory"_s;
        QTest::newRow("missing folder")
            << u"missing"_s << u"gone/items.scp"_s << u"No such file or directory"_s;
    }
    void failuresChangeNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        QVERIFY(write_bytes(path(u"gumps.scp"_s), "old gumps\r\n"));
        QVERIFY(write_bytes(path(u"items.scp"_s), "old items\r\n"));
        if (fault == u"folder"_s)
            QVERIFY(QDir(m_dir->path()).mkdir(u"tiles.scp"_s));
        // tiles.scp is otherwise new: a rollback must remove it again.
        const auto before = snapshot(m_dir->path());

        const int faulty = fault.startsWith(u"write"_s) || fault.startsWith(u"rename"_s)
                               ? fault.back().digitValue()
                               : -1;
        FaultyTransaction transaction(faulty, fault.startsWith(u"write"_s));
        transaction.add(path(u"gumps.scp"_s), "new gumps");
        transaction.add(path(u"tiles.scp"_s), "new tiles");
        transaction.add(path(fault == u"missing"_s ? named : u"items.scp"_s), "new items");
        const scp::Outcome outcome = transaction.commit();

        QVERIFY(!outcome.ok());
        QCOMPARE(outcome.error(), u"Could not write \"%1\": %2"_s.arg(
                                      QDir::toNativeSeparators(path(named)), reason));
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void fullDiskChangesNothing_data()
    {
        QTest::addColumn<int>("lastSize");
        // Not one byte free: a first write small enough to sit in a buffer
        // seems to succeed until flushed.
        QTest::newRow("full, small write") << 12;
        // Room for the first file only: the last fails after it was staged.
        QTest::newRow("only the last does not fit") << (1 << 20);
    }
    void fullDiskChangesNothing()
    {
        QFETCH(int, lastSize);
        const QString disk = path(u"disk"_s);
        QVERIFY(QDir().mkdir(disk));
        if (QProcess::execute(
                u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=256k"_s, u"tmpfs"_s, disk}) != 0)
            QSKIP("cannot mount a small tmpfs here (needs root)");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {disk}); });
        const QString gumps = disk + u"/gumps.scp"_s, items = disk + u"/items.scp"_s;
        QVERIFY(write_bytes(gumps, "old gumps"));
        QVERIFY(write_bytes(items, "old items"));
        QFile filler(disk + u"/filler"_s); // to the last byte
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) > 0) {
        }
        while (filler.write("f", 1) == 1) {
        }
        if (lastSize > 4096)
            QVERIFY(filler.resize(filler.size() - 64 * 1024));
        filler.close();
        const auto before = snapshot(disk);

        scp::FileTransaction transaction;
        transaction.add(gumps, "new gumps");
        transaction.add(items, QByteArray(lastSize, 'i'));
        const scp::Outcome outcome = transaction.commit();
        QVERIFY(!outcome.ok());
        QVERIFY2(outcome.error().endsWith(u"No space left on device"_s),
                 qPrintable(outcome.error()));
        QCOMPARE(snapshot(disk), before);
    }
};

QTEST_GUILESS_MAIN(FileTransactionTest)
#include "tst_file_transaction.moc"
