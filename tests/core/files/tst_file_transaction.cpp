#include "fail_on_warnings.h"
#include "files/file_transaction.h"
#include "files/windows_names.h"
#include "recording_reporter.h"
#include "script/memory_entry_lists.h"
#include "script/script_compile.h"
#include "script/section_files.h"
#include "system_faults.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <chrono>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using scp::ListId;
using scp::systemReason;

namespace {

// Owners and modes as the file layer keeps them; Windows keeps neither so.
#ifdef Q_OS_WIN
void setModeAndOwner(const QByteArray&, uint, bool) {}
#else
// Root gives the file away, to see the owner kept.
void setModeAndOwner(const QByteArray& path, uint mode, bool giveAway)
{
    QVERIFY(::chmod(path.constData(), mode) == 0);
    QVERIFY(!giveAway || !runsAsRoot() || ::chown(path.constData(), 1234, 1234) == 0);
}
#endif

// What a Windows program holding a file open unshared makes a replace fail with.
const int kHeld = scp::kWindowsError + 32; // ERROR_SHARING_VIOLATION

} // namespace

class FileTransactionTest : public QObject {
    Q_OBJECT

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QByteArray native(const QString& name) const { return scp::encodedPath(path(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
        injectFaults({});
    }

    void commitsAllOrNothing_data()
    {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<uint>("mode");      // of the replaced gumps.scp, once 0640
        QTest::addColumn<QString>("failed"); // the file named, none when it works
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* name, const QString& faults, uint mode,
                            const QString& failed = {}, const QString& reason = {}) {
            QTest::newRow(name) << faults << mode << failed << reason;
        };
        // A single failing call of each kind: everyFailingCallChangesNothing.
        const QString gumps = u"gumps.scp"_s, items = u"items.scp"_s;
        row("as is", {}, 0640);
        // Root keeps the user's group unless refused; the group then gets no more than others.
        row("chown refused", u"fchown -1 %1"_s.arg(EPERM), runsAsRoot() ? 0600 : 0640);
        row("owner refused, group kept", u"fchown 0 %1"_s.arg(EPERM), 0640);
        row("interrupted calls", u"open 0 %1 write 1 %1 fsync 2 %1"_s.arg(EINTR), 0640);
        row("no hard links: copy", u"link -1 %1"_s.arg(EPERM), 0640);
        row("write takes nothing", u"write 1 0"_s, 0, items, systemReason(ENOSPC));
        // The sixth open makes the backup: its own reason, not a later call's.
        row("backup cannot be made", u"link 0 %1 open 5 %2"_s.arg(EPERM).arg(EMFILE), 0, gumps,
            systemReason(EMFILE));
        row("backup copy cut short", u"link 0 %1 write 5 %2"_s.arg(EPERM).arg(ENOSPC), 0, gumps,
            systemReason(ENOSPC));
        row("last rename fails, copy put back", u"link -1 %1 rename 2 %2"_s.arg(EPERM).arg(EIO), 0,
            items, systemReason(EIO));
        // Seven files, synced together (each file's own sync where there is none).
        row("sync of all fails", u"syncFileSystem 0 %1"_s.arg(EIO), 0, gumps, systemReason(EIO));
        row("no sync of all, a file's fails",
            u"syncFileSystem 0 %1 fsync 2 %2"_s.arg(ENOSYS).arg(EIO), 0, items, systemReason(EIO));
        row("folder in the way", u"folder"_s, 0, u"tiles.scp"_s,
            u"it is not a regular file (a folder)"_s);
        row("missing folder", u"missing"_s, 0, u"gone/items.scp"_s, systemReason(ENOENT));
        // A Windows hold that ends is waited out; one that does not fails after a second.
        row("held a moment", u"rename 0 %1 rename 1 %1 rename 2 %1"_s.arg(kHeld), 0640);
        row("held throughout", u"rename -1 %1"_s.arg(kHeld), 0, gumps, systemReason(kHeld));
    }
    void commitsAllOrNothing()
    {
        QFETCH(QString, faults);
        QFETCH(uint, mode);
        QFETCH(QString, failed);
        QFETCH(QString, reason);
        QVERIFY(writeBytes(path(u"plain"_s), "x") && writeBytes(path(u"items.scp"_s), "old"));
        QVERIFY(writeBytes(path(u"gumps.scp"_s), QByteArray(100000, 'o')));
        setModeAndOwner(native(u"gumps.scp"_s), 0640, true);
        QVERIFY(faults != u"folder"_s || QDir(m_dir->path()).mkdir(u"tiles.scp"_s));
        const auto before = snapshot(m_dir->path()); // tiles.scp new: a rollback removes it
        QByteArray all(3 << 20, 'i');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);

        injectFaults(faults);
        scp::FileTransaction transaction;
        transaction.add(path(u"gumps.scp"_s), "new\r\n");
        transaction.add(path(u"tiles.scp"_s), QByteArray());
        transaction.add(path(faults == u"missing"_s ? failed : u"items.scp"_s),
                        QList<QByteArray>{all.first(256), all.sliced(256)});
        for (int i = 0; faults.startsWith(u"syncFileSystem"_s) && i < 4; ++i)
            transaction.add(path(u"p%1.bmp"_s.arg(i)), "p");
        const scp::Outcome outcome = transaction.commit();
        if (!failed.isEmpty()) {
            QCOMPARE(outcome.error(), u"Could not write \"%1\": %2"_s.arg(
                                          QDir::toNativeSeparators(path(failed)), reason));
            QCOMPARE(snapshot(m_dir->path()), before);
            return;
        }
        QVERIFY2(outcome.ok() && system_faults::hit == !faults.isEmpty(),
                 qPrintable(outcome.error()));
        const QMap<QString, QByteArray> expected{{u"plain"_s, "x"},
                                                 {u"gumps.scp"_s, "new\r\n"},
                                                 {u"tiles.scp"_s, ""},
                                                 {u"items.scp"_s, all}};
        QCOMPARE(snapshot(m_dir->path()), expected); // nothing temporary left over
#ifndef Q_OS_WIN
        struct stat status {};
        QVERIFY(::stat(native(u"gumps.scp"_s), &status) == 0);
        QCOMPARE(status.st_mode & 07777, mode);
        QCOMPARE(status.st_uid,
                 runsAsRoot() && !faults.startsWith(u"fchown"_s) ? 1234u : ::geteuid());
#else
        Q_UNUSED(mode);
#endif
        // A new file gets what a plain create gives, not a temporary's 0600.
        QCOMPARE(QFileInfo(path(u"tiles.scp"_s)).permissions(),
                 QFileInfo(path(u"plain"_s)).permissions());
    }

    void readsOnlyWholeRegularFiles_data()
    {
        QTest::addColumn<QString>("kind"); // of gumps.scp, the first file read
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("reason"); // none: it loads
        const auto row = [](const char* name, const QString& kind, const QString& faults,
                            const QString& reason) {
            QTest::newRow(name) << kind << faults << reason;
        };
        const QString big = u"big"_s, notRegular = u"it is not a regular file (%1)"_s;
        row("interrupted, read in parts", big, u"open 0 %1 read 1 %1"_s.arg(EINTR), {});
        row("cut short at 64 KiB", big, u"read 1 0"_s,
            u"it ended after 65536 of the 200000 bytes it had when opened"_s);
#ifndef Q_OS_WIN // no FIFOs or devices in Windows' folders, no address-space limit
        row("FIFO, no writer", u"fifo"_s, {}, notRegular.arg(u"a FIFO"));
        row("link to /dev/zero", u"zero"_s, {}, notRegular.arg(u"a character device"));
        row("more than memory holds", u"sparse"_s, {}, u"too large to load: 1.5 GB"_s);
#endif
    }
    void readsOnlyWholeRegularFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, faults);
        QFETCH(QString, reason);
        QVERIFY(writeBytes(path(u"tiles.scp"_s), "t") && writeBytes(path(u"items.scp"_s), "i"));
        const QString file = path(u"gumps.scp"_s);
        const QByteArray content(200000, 'g');
        QVERIFY(kind != u"big"_s || writeBytes(file, content));
#ifndef Q_OS_WIN
        QVERIFY(kind != u"fifo"_s || ::mkfifo(native(u"gumps.scp"_s), 0600) == 0);
        QVERIFY(kind != u"zero"_s || QFile::link(u"/dev/zero"_s, file));
        QVERIFY(kind != u"sparse"_s || (writeBytes(file, {}) && QFile(file).resize(1'500'000'000)));
        rlimit unlimited{};
        ::getrlimit(RLIMIT_AS, &unlimited);
        const auto lift = qScopeGuard([&] { ::setrlimit(RLIMIT_AS, &unlimited); });
        const QByteArray pages = readBytes(u"/proc/self/statm"_s).split(' ').first();
        const rlimit tight{pages.toULongLong() * 4096 + (512u << 20),
                           unlimited.rlim_max}; // 512 MiB free
        QVERIFY(kind != u"sparse"_s || ::setrlimit(RLIMIT_AS, &tight) == 0);
#endif
        scp::MemoryEntryLists set;
        set.box(ListId::Items).setText(u"unsaved work"_s);
        const QByteArray untouched = set.lists().box(ListId::Gumps).encoded().bytes;

        injectFaults(faults);
        RecordingReporter reporter;
        const bool loaded =
            scp::SectionFiles(QDir(m_dir->path())).loadSections(set.lists(), reporter);
        QCOMPARE(reporter.messages, reason.isEmpty()
                                        ? QStringList()
                                        : QStringList{u"failure: Could not read \"%1\": %2"_s.arg(
                                              QDir::toNativeSeparators(file), reason)});
        QCOMPARE(set.lists().box(ListId::Gumps).encoded().bytes, loaded ? content : untouched);
        QCOMPARE(set.lists().listText(ListId::Items), loaded ? u"i"_s : u"unsaved work"_s);
    }

    void everyFailingCallChangesNothing_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("compile") << false;
        QTest::newRow("save") << true;
    }
    void everyFailingCallChangesNothing()
    {
        // Save replaces two files and creates one; compile reads three, replaces one.
        QFETCH(bool, save);
        QMap<QString, QByteArray> before{{u"gumps.scp"_s, "0x1 g.bmp 1 1"},
                                         {u"items.scp"_s, "0x2 0 0 0 0 1 5 600 0 i"},
                                         {u"mantle.scp"_s, "old script"}};
        if (!save)
            before.insert(u"tiles.scp"_s, "0x3 t.bmp 2 2");
        const auto run = [&](RecordingReporter& reporter) {
            QDir(m_dir->path()).removeRecursively();
            QDir().mkpath(m_dir->path());
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                writeBytes(path(it.key()), it.value());
                setModeAndOwner(native(it.key()), 0600, true);
            }
            scp::MemoryEntryLists set;
            const QDir folder(m_dir->path());
            scp::PatchInfoState patchInfo(folder);
            if (save)
                return scp::SectionFiles(folder).saveSections(set.lists(), patchInfo, reporter);
            return scp::SectionFiles(folder).loadSections(set.lists(), reporter) &&
                   scp::ScriptCompile(folder).compileScript(set.lists(), {}, reporter);
        };
        const auto attributes = [&] { // what the bytes do not show
            QStringList all;
            for (const QFileInfo& file :
                 QDir(m_dir->path()).entryInfoList(QDir::Files | QDir::Hidden))
                all << u"%1 %2 %3"_s.arg(file.fileName())
                           .arg(file.permissions().toInt())
                           .arg(file.ownerId());
            return all;
        };
        RecordingReporter clean;
        QVERIFY(run(clean));
        const auto after = snapshot(m_dir->path());
        const QStringList kept = attributes();
        const QRegularExpression failure(
            u"^failure: Could not (read|write) \"%1(gumps|tiles|items|mantle)\\.scp\": %2$"_s.arg(
                QRegularExpression::escape(QDir::toNativeSeparators(m_dir->path() + u'/')),
                systemReason(EIO)));

        int call = 0;
        for (;; ++call) {
            injectFaults(u"* %1 %2"_s.arg(call).arg(EIO));
            RecordingReporter reporter;
            const bool done = run(reporter);
            if (!system_faults::hit)
                break;
            // Only a lock, a clean-up or the folder's sync may fail without failing the run.
            QVERIFY2(done ? snapshot(m_dir->path()) == after && attributes() == kept
                          : reporter.messages.size() == 1 &&
                                failure.match(reporter.messages.first()).hasMatch() &&
                                snapshot(m_dir->path()) == before,
                     qPrintable(u"call %1: %2"_s.arg(call).arg(reporter.messages.join(u'|'))));
        }
        QVERIFY2(call > 20, "the faults never reached the file calls");
    }

#ifdef Q_OS_WIN
    // An unshared hold let go within 0.5 s lets the write through; kept, it fails, nothing changed.
    void aTargetHeldOpenIsWaitedOutOrReported()
    {
        using namespace std::chrono_literals;
        const QString target = path(u"mantle.scp"_s);
        for (const bool letGo : {true, false}) {
            QVERIFY(writeBytes(target, "old"));
            const auto before = snapshot(m_dir->path());
            const HANDLE held = CreateFileW(
                reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(target).utf16()),
                GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            QVERIFY(held != INVALID_HANDLE_VALUE);
            std::thread holder([&] {
                if (letGo) {
                    std::this_thread::sleep_for(300ms);
                    CloseHandle(held);
                }
            });
            const scp::Outcome outcome = scp::writeFileAtomically(target, "new");
            holder.join();
            if (letGo) {
                QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
                QCOMPARE(readBytes(target), QByteArray("new"));
                continue;
            }
            CloseHandle(held);
            const auto failure = [&](int code) {
                return u"Could not write \"%1\": %2"_s.arg(QDir::toNativeSeparators(target),
                                                           systemReason(scp::kWindowsError + code));
            };
            QVERIFY2(outcome.error() == failure(ERROR_SHARING_VIOLATION) ||
                         outcome.error() == failure(ERROR_ACCESS_DENIED),
                     qPrintable(outcome.error()));
            QCOMPARE(snapshot(m_dir->path()), before);
        }
    }
#endif

    void leftoversOfDeadRunsGoWithTheNextWrite()
    {
        for (const char* name : {"gumps.scp", "tiles.scp", "items.scp"})
            QVERIFY(writeBytes(path(QLatin1StringView(name)), "old"));
        // A backup that would not go even at the second try stays for now.
        injectFaults(u"unlink 0 5 unlink 1 5"_s);
        RecordingReporter reporter;
        scp::MemoryEntryLists set;
        scp::PatchInfoState patchInfo{QDir(m_dir->path())};
        QVERIFY(
            scp::SectionFiles(QDir(m_dir->path())).saveSections(set.lists(), patchInfo, reporter));
        const QStringList hidden = QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files);
        QCOMPARE(hidden.filter(QRegularExpression(u"^\\.gumps\\.scp\\.old-\\w{6}$"_s)).size(), 1);
        injectFaults({});

        // Beside it: what killed runs left, a running one's file, other files.
        for (const char* name :
             {".mantle.scp.new-abc123", ".items.scp.old-9z8y7x", ".tiles.scp.new-live01",
              ".notes.txt.old-abc123", ".a.scp.new-1", ".b.scp.old-ABC123"})
            QVERIFY(writeBytes(path(QLatin1StringView(name)), "x"));
        // Held as a running commit holds its files (on Windows only the lock keeps it).
        const scp::Descriptor live(scp::systemCalls().open(
            native(u".tiles.scp.new-live01"_s).constData(), scp::OpenRead, 0));
        QVERIFY(live.get() >= 0 &&
                scp::systemCalls().flock(live.get(), scp::LockShared | scp::LockNoWait) == 0);
        QVERIFY(scp::ScriptCompile(QDir(m_dir->path())).compileScript(set.lists(), {}, reporter));

        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::Files),
                 (QStringList{u".a.scp.new-1"_s, u".b.scp.old-ABC123"_s, u".notes.txt.old-abc123"_s,
                              u".tiles.scp.new-live01"_s, u"gumps.scp"_s, u"items.scp"_s,
                              u"mantle.scp"_s, u"tiles.scp"_s}));
    }

    // Names Windows would not take as given are refused with its reason (pure text: runs anywhere).
    void windowsNameProblems_data()
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
    void windowsNameProblems()
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

QTEST_GUILESS_MAIN(FileTransactionTest)
#include "tst_file_transaction.moc"
