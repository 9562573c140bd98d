// Reading and writing files: whole or not at all, with the system's own
// reason, whatever fails on the way. Faults go into the program's real file
// calls through the table the file layer calls them by.

#include "fail_on_warnings.h"
#include "file_transaction.h"
#include "memory_entry_lists.h"
#include "recording_reporter.h"
#include "script_workshop.h"
#include "system_calls.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

// "call nth errno ...": the nth call (from 0; -1: every call) of that kind,
// or of any kind for "*", fails with errno. Each listed fault fails one call.
struct Fault {
    QByteArray call;
    int nth, error;
};
QList<Fault> g_faults;
QHash<QByteArray, int> g_seen;
bool g_hit = false;
int g_breakError = -1; // reads stop at 64 KiB with this errno (0: the file ends)

bool failNow(const char* call)
{
    const int any = g_seen[QByteArrayLiteral("*")]++, own = g_seen[call]++;
    for (const Fault& f : std::as_const(g_faults)) {
        if ((f.call == "*" && f.nth == any) || (f.call == call && (f.nth == own || f.nth < 0))) {
            errno = f.error;
            return g_hit = true;
        }
    }
    return false;
}

const scp::SystemCalls g_real = scp::systemCalls();

void injectFaults(const QString& spec)
{
    g_faults.clear();
    g_seen.clear();
    g_hit = false;
    const QStringList w = spec.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 2 < w.size(); i += 3)
        g_faults.append({w[i].toLatin1(), w[i + 1].toInt(), w[i + 2].toInt()});
    scp::SystemCalls& calls = scp::systemCalls();
#define SCP_FAULTY(fn)                                                                             \
    calls.fn = [](auto... a) -> decltype(g_real.fn(a...)) {                                        \
        return failNow(#fn) ? -1 : g_real.fn(a...);                                                \
    }
    SCP_FAULTY(open), SCP_FAULTY(fstat), SCP_FAULTY(stat), SCP_FAULTY(access);
    SCP_FAULTY(setFlags), SCP_FAULTY(read), SCP_FAULTY(write), SCP_FAULTY(fsync);
    SCP_FAULTY(fchown), SCP_FAULTY(fchmod), SCP_FAULTY(flock), SCP_FAULTY(link);
    SCP_FAULTY(rename), SCP_FAULTY(unlink);
#undef SCP_FAULTY
    if (g_breakError >= 0) {
        calls.read = [](int fd, void* buffer, size_t count) -> ssize_t {
            const off_t at = ::lseek(fd, 0, SEEK_CUR);
            if (at >= 65536)
                return (errno = g_breakError) ? -1 : 0;
            return g_real.read(fd, buffer, std::min<size_t>(count, size_t(65536 - at)));
        };
    }
}

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

} // namespace

class FileTransactionTest : public QObject {
    Q_OBJECT

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList listTexts(scp::MemoryEntryLists& set) const
    {
        QStringList texts;
        for (ListId list : scp::kAllLists)
            texts << set.lists().box(list).text();
        return texts;
    }
    void restore(const QMap<QString, QByteArray>& files) const
    {
        for (const QString& name : snapshot(m_dir->path()).keys())
            QFile::remove(path(name));
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            write_bytes(path(it.key()), it.value());
    }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
        g_breakError = -1;
        injectFaults({});
    }

    void writesExactlyKeepingModeAndOwner_data()
    {
        QTest::addColumn<QString>("faults");
        QTest::newRow("as is") << QString();
        QTest::newRow("chown refused: mode kept") << u"fchown -1 %1"_s.arg(EPERM);
        QTest::newRow("interrupted calls") << u"open 0 %1 write 1 %1 fsync 2 %1"_s.arg(EINTR);
        QTest::newRow("no hard links: copy") << u"link -1 %1"_s.arg(EPERM);
    }
    void writesExactlyKeepingModeAndOwner()
    {
        QFETCH(QString, faults);
        QVERIFY(write_bytes(path(u"plain"_s), "x"));
        QVERIFY(write_bytes(path(u"gumps.scp"_s), QByteArray(10000, 'o')));
        QVERIFY(::chmod(QFile::encodeName(path(u"gumps.scp"_s)).constData(), 0640) == 0);
        const bool root = ::geteuid() == 0; // gives the file away to see it kept
        QVERIFY(!root ||
                ::chown(QFile::encodeName(path(u"gumps.scp"_s)).constData(), 1234, 1234) == 0);
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));

        injectFaults(faults);
        scp::FileTransaction transaction;
        transaction.add(path(u"gumps.scp"_s), "new\r\n");
        transaction.add(path(u"tiles.scp"_s), QByteArray());
        transaction.add(path(u"items.scp"_s),
                        QList<QByteArray>{all, QByteArray((3 << 20) + 4097, 'i')});
        const scp::Outcome outcome = transaction.commit();
        QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
        QCOMPARE(g_hit, !faults.isEmpty());

        const QMap<QString, QByteArray> expected{
            {u"plain"_s, "x"},
            {u"gumps.scp"_s, "new\r\n"},
            {u"tiles.scp"_s, ""},
            {u"items.scp"_s, all + QByteArray((3 << 20) + 4097, 'i')}};
        QCOMPARE(snapshot(m_dir->path()), expected); // nothing temporary left over
        struct stat gumps {};
        QVERIFY(::stat(QFile::encodeName(path(u"gumps.scp"_s)).constData(), &gumps) == 0);
        QCOMPARE(gumps.st_mode & 07777, 0640u);
        if (root)
            QCOMPARE(gumps.st_uid, faults.startsWith(u"fchown"_s) ? 0u : 1234u);
        // A new file gets what a plain create gives, not a temporary's 0600.
        QCOMPARE(QFileInfo(path(u"tiles.scp"_s)).permissions(),
                 QFileInfo(path(u"plain"_s)).permissions());
    }

    void failuresChangeNothing_data()
    {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("error");
        QTest::newRow("old status unreadable") << u"stat 0 5"_s << u"gumps.scp"_s << EIO;
        QTest::newRow("sync fails once") << u"fsync 1 5"_s << u"tiles.scp"_s << EIO;
        QTest::newRow("backup link fails") << u"link 0 5"_s << u"gumps.scp"_s << EIO;
        QTest::newRow("backup link and copy fail")
            << u"link 0 %1 write 3 %2"_s.arg(EPERM).arg(ENOSPC) << u"gumps.scp"_s << ENOSPC;
        QTest::newRow("last rename fails, copy put back")
            << u"link -1 %1 rename 2 5"_s.arg(EPERM) << u"items.scp"_s << EIO;
        QTest::newRow("folder in the way") << u"folder"_s << u"tiles.scp"_s << EISDIR;
        QTest::newRow("missing folder") << u"missing"_s << u"gone/items.scp"_s << ENOENT;
    }
    void failuresChangeNothing()
    {
        QFETCH(QString, faults);
        QFETCH(QString, named);
        QFETCH(int, error);
        QVERIFY(write_bytes(path(u"gumps.scp"_s), "old gumps\r\n"));
        QVERIFY(write_bytes(path(u"items.scp"_s), "old items\r\n"));
        if (faults == u"folder"_s)
            QVERIFY(QDir(m_dir->path()).mkdir(u"tiles.scp"_s));
        // tiles.scp is otherwise new: a rollback must remove it again.
        const auto before = snapshot(m_dir->path());

        injectFaults(faults);
        scp::FileTransaction transaction;
        transaction.add(path(u"gumps.scp"_s), "new gumps");
        transaction.add(path(u"tiles.scp"_s), "new tiles");
        transaction.add(path(faults == u"missing"_s ? named : u"items.scp"_s), "new items");
        const scp::Outcome outcome = transaction.commit();

        QCOMPARE(outcome.error(), u"Could not write \"%1\": %2"_s.arg(
                                      QDir::toNativeSeparators(path(named)), reasonOf(error)));
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void mountedFaultsChangeNothing_data()
    {
        QTest::addColumn<int>("lastSize");
        QTest::addColumn<int>("error");
        // Not one byte free: a first write small enough to sit in a buffer
        // seems to succeed until flushed.
        QTest::newRow("full, small write") << 12 << ENOSPC;
        // Room for the first file only: the last fails after it was staged.
        QTest::newRow("only the last does not fit") << (1 << 20) << ENOSPC;
        QTest::newRow("read-only mount") << 12 << EROFS;
    }
    void mountedFaultsChangeNothing()
    {
        QFETCH(int, lastSize);
        QFETCH(int, error);
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
        while (error == ENOSPC && filler.write(QByteArray(4096, 'f')) > 0) {
        }
        while (error == ENOSPC && filler.write("f", 1) == 1) {
        }
        if (lastSize > 4096)
            QVERIFY(filler.resize(filler.size() - 64 * 1024));
        filler.close();
        if (error == EROFS)
            QCOMPARE(QProcess::execute(u"mount"_s, {u"-o"_s, u"remount,ro"_s, disk}), 0);
        const auto before = snapshot(disk);

        scp::FileTransaction transaction;
        transaction.add(gumps, "new gumps");
        transaction.add(items, QByteArray(lastSize, 'i'));
        const scp::Outcome outcome = transaction.commit();
        QVERIFY2(outcome.error().endsWith(reasonOf(error)), qPrintable(outcome.error()));
        QCOMPARE(snapshot(disk), before);
    }

    void readsOnlyWholeRegularFiles_data()
    {
        QTest::addColumn<QString>("tiles"); // what tiles.scp is
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("reason"); // none: it loads
        QTest::newRow("interrupted")
            << u"big"_s << u"open 0 %1 read 1 %1"_s.arg(EINTR) << QString();
        QTest::newRow("FIFO, no writer")
            << u"fifo"_s << QString() << u"it is not a regular file (a FIFO)"_s;
        QTest::newRow("link to /dev/zero")
            << u"zero"_s << QString() << u"it is not a regular file (a character device)"_s;
        QTest::newRow("folder") << u"folder"_s << QString()
                                << u"it is not a regular file (a directory)"_s;
        QTest::newRow("EIO after 64 KiB") << u"big"_s << u"break 5"_s << reasonOf(EIO);
        QTest::newRow("cut short at 64 KiB")
            << u"big"_s << u"break 0"_s
            << u"it ended after 65536 of the 200000 bytes it had when opened"_s;
        QTest::newRow("more than memory holds")
            << u"sparse"_s << QString() << u"too large to load: 1.5 GB"_s;
    }
    void readsOnlyWholeRegularFiles()
    {
        QFETCH(QString, tiles);
        QFETCH(QString, faults);
        QFETCH(QString, reason);
        for (const char* name : {"gumps.scp", "items.scp"})
            QVERIFY(write_bytes(path(QLatin1StringView(name)), name));
        const QString file = path(u"tiles.scp"_s);
        const QByteArray content(200000, 't');
        if (tiles == u"big"_s)
            QVERIFY(write_bytes(file, content));
        if (tiles == u"fifo"_s)
            QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        if (tiles == u"zero"_s)
            QVERIFY(QFile::link(u"/dev/zero"_s, file));
        if (tiles == u"folder"_s)
            QVERIFY(QDir().mkdir(file));
        rlimit unlimited{};
        ::getrlimit(RLIMIT_AS, &unlimited);
        const auto lift = qScopeGuard([&] { ::setrlimit(RLIMIT_AS, &unlimited); });
        if (tiles == u"sparse"_s) {
            QFile sparse(file);
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(1'500'000'000));
            QFile statm(u"/proc/self/statm"_s); // room for 512 MiB more than now
            QVERIFY(statm.open(QIODevice::ReadOnly));
            const rlim_t now = statm.readAll().split(' ').first().toULongLong() * 4096;
            const rlimit tight{now + (512u << 20), unlimited.rlim_max};
            QVERIFY(::setrlimit(RLIMIT_AS, &tight) == 0);
        }
        g_breakError = faults.startsWith(u"break"_s) ? faults.back().digitValue() : -1;
        scp::MemoryEntryLists set;
        const QStringList before = listTexts(set);

        injectFaults(faults);
        RecordingReporter reporter;
        const bool loaded =
            scp::ScriptWorkshop(QDir(m_dir->path())).loadSections(set.lists(), reporter);
        ::setrlimit(RLIMIT_AS, &unlimited);

        QCOMPARE(loaded, reason.isEmpty());
        if (loaded) {
            QCOMPARE(set.lists().box(ListId::Tiles).encoded().bytes, content);
            return;
        }
        QCOMPARE(reporter.messages, QStringList{u"failure: Could not read \"%1\": %2"_s.arg(
                                        QDir::toNativeSeparators(file), reason)});
        QCOMPARE(listTexts(set), before);
    }

    void everyFailingCallChangesNothing_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("compile") << false;
        QTest::newRow("save") << true;
    }
    void everyFailingCallChangesNothing()
    {
        // Save replaces two files and creates one; compile reads three and
        // replaces the script.
        QFETCH(bool, save);
        QMap<QString, QByteArray> before{{u"gumps.scp"_s, "0x1 g.bmp 1 1"},
                                         {u"items.scp"_s, "0x2 0 0 0 0 1 5 600 0 i"},
                                         {u"mantle.scp"_s, "old script"}};
        if (!save)
            before.insert(u"tiles.scp"_s, "0x3 t.bmp 2 2");
        const auto run = [&](RecordingReporter& reporter) {
            scp::MemoryEntryLists set;
            scp::ScriptWorkshop workshop{QDir(m_dir->path())};
            if (save)
                return workshop.saveSections(set.lists(), reporter);
            return workshop.loadSections(set.lists(), reporter) &&
                   workshop.compileScript(set.lists(), reporter);
        };
        RecordingReporter clean;
        restore(before);
        QVERIFY(run(clean));
        const auto after = snapshot(m_dir->path());
        const QRegularExpression failure(
            u"^failure: Could not (read|write) \"%1/(gumps|tiles|items|mantle)\\.scp\": %2$"_s.arg(
                QRegularExpression::escape(m_dir->path()), reasonOf(EIO)));

        int call = 0;
        for (;; ++call) {
            restore(before);
            injectFaults(u"* %1 %2"_s.arg(call).arg(EIO));
            RecordingReporter reporter;
            const bool done = run(reporter);
            if (!g_hit)
                break;
            QVERIFY2(done ? snapshot(m_dir->path()) == after
                          : reporter.messages.size() == 1 &&
                                failure.match(reporter.messages.first()).hasMatch() &&
                                snapshot(m_dir->path()) == before,
                     qPrintable(u"call %1: %2"_s.arg(call).arg(reporter.messages.join(u'|'))));
        }
        QVERIFY2(call > 20, "the faults never reached the file calls");
    }

    void leftoversOfDeadRunsGoWithTheNextWrite()
    {
        for (const char* name : {"gumps.scp", "tiles.scp", "items.scp"})
            QVERIFY(write_bytes(path(QLatin1StringView(name)), "old"));
        // A backup that would not go even at the second try stays for now.
        injectFaults(u"unlink 0 5 unlink 1 5"_s);
        RecordingReporter reporter;
        scp::MemoryEntryLists set;
        QVERIFY(scp::ScriptWorkshop(QDir(m_dir->path())).saveSections(set.lists(), reporter));
        const QStringList hidden = QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files);
        QCOMPARE(hidden.filter(QRegularExpression(u"^\\.gumps\\.scp\\.old-\\w{6}$"_s)).size(), 1);
        injectFaults({});

        // Beside it: what killed runs left, a running one's file, other files.
        for (const char* name : {".mantle.scp.new-abc123", ".items.scp.old-9z8y7x",
                                 ".tiles.scp.new-live01", ".notes.txt.old-abc123", ".a.scp.new-1"})
            QVERIFY(write_bytes(path(QLatin1StringView(name)), "x"));
        QFile live(path(u".tiles.scp.new-live01"_s));
        QVERIFY(live.open(QIODevice::ReadOnly) && ::flock(live.handle(), LOCK_SH) == 0);
        QVERIFY(scp::ScriptWorkshop(QDir(m_dir->path())).compileScript(set.lists(), reporter));

        QCOMPARE(
            QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files),
            (QStringList{u".a.scp.new-1"_s, u".notes.txt.old-abc123"_s, u".tiles.scp.new-live01"_s,
                         u"gumps.scp"_s, u"items.scp"_s, u"mantle.scp"_s, u"tiles.scp"_s}));
    }
};

QTEST_GUILESS_MAIN(FileTransactionTest)
#include "tst_file_transaction.moc"
