#include "editor_windows.h"
#include "fail_on_warnings.h"
#include "recovery/journal_format.h"
#include "recovery/recovery_store.h"
#include "test_files.h"
#include "text/cp1252.h"
#include "ui_driver.h"
#include "work/editor.h"

#include <QClipboard>
#include <QLineEdit>
#include <QProcess>
#include <QTextCursor>

#include <cstdio>

namespace {

constexpr int kEntries = 100'000;

QByteArray entries(const QByteArray& entry, int spacer)
{
    return (entry + QByteArray(spacer, ' ')).repeated(kEntries).chopped(spacer);
}

// Whether the journal on disk brings back `lists` (each list's bytes; empty: none).
bool journalHolds(const QString& folder, const QString& journals, const QList<QByteArray>& lists)
{
    const scp::RecoveryStore store{QDir(folder), journals};
    const QStringList left = store.leftJournals();
    const scp::JournalReading read =
        scp::readJournal(left.isEmpty() ? QByteArray() : readBytes(left[0]), store.folderPath());
    return read.content && std::ranges::all_of(scp::kAllLists, [&](ListId list) {
               const auto& held = read.content->lists[size_t(list)];
               return lists[int(list)].isEmpty()
                          ? !held
                          : held == scp::journalTextOf(scp::decodeCp1252(lists[int(list)]));
           });
}

// Another program's change to a file: new bytes, and a time of its own.
bool changeBehind(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return writeBytes(path, bytes) && file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(30), QFile::FileModificationTime);
}

// Types into gumps after gumps.scp changed elsewhere; answers the save's Replace Cancel.
bool typeAfterTheirChange(scp::Editor& editor, const QString& folder)
{
    if (!changeBehind(QDir(folder).filePath(u"gumps.scp"_s), "g1 theirs"))
        return false;
    listBox(ListId::Gumps).moveCursor(QTextCursor::End);
    QTest::keyClicks(&listBox(ListId::Gumps), u" typed"_s);
    UiDriver driver;
    driver.answer(u"Cancel"_s);
    editor.saveSections();
    return driver.boxes.size() == 1;
}

// Edits every list, and writes what the lists then hold to `expected`.
bool editEveryList(const QString& expected)
{
    QWidget& form = mainWindow();
    const auto press = [&](const QString& button) {
        QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
    };
    listBox(ListId::Gumps).moveCursor(QTextCursor::Start);
    QTest::keyClicks(&listBox(ListId::Gumps), u"FIRST "_s);
    listBox(ListId::Gumps).moveCursor(QTextCursor::End);
    QTest::keyClicks(&listBox(ListId::Gumps), u" last"_s);
    form.findChild<QLineEdit*>(u"newGumpEntry"_s)->setText(u"0x7777 added.bmp 1 2"_s);
    press(u"addGumpButton"_s);
    press(u"clearTilesButton"_s);
    QTest::keyClicks(&listBox(ListId::Tiles), u"gone"_s);
    QTest::keyClick(&listBox(ListId::Tiles), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&listBox(ListId::Tiles), Qt::Key_Z, Qt::ControlModifier);
    listBox(ListId::Tiles).moveCursor(QTextCursor::End);
    QTest::keyClicks(&listBox(ListId::Tiles), u"T"_s);
    const int middle = listBox(ListId::Items).document()->characterCount() / 2;
    selectRange(listBox(ListId::Items), middle, middle);
    QGuiApplication::clipboard()->setText(u"pasted one\r\npasted two\n"_s);
    QTest::keyClick(&listBox(ListId::Items), Qt::Key_V, Qt::ControlModifier);

    QByteArray lists;
    for (ListId list : scp::kAllLists)
        lists += scp::encodeCp1252(listText(list)).bytes + '\0';
    return writeBytes(expected, lists);
}

// `MODE FOLDER JOURNALS [EXPECTED]`: the edits made, says "ready", waits to be killed.
int runEditor(char** argv)
{
    const QString mode = QString::fromLocal8Bit(argv[1]), folder = QString::fromLocal8Bit(argv[2]);
    scp::Editor editor(QDir(folder), QString::fromLocal8Bit(argv[3]));
    editor.show();
    while (!listsAreIn())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!(mode == u"--typing"_s ? typeAfterTheirChange(editor, folder)
                                : editEveryList(QString::fromLocal8Bit(argv[4]))))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return QApplication::exec();
}

// This program as an editor with `args`, killed once its journal on disk holds `lists()`.
void killOnceJournalled(const QStringList& args, const std::function<QList<QByteArray>()>& lists)
{
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editor.start(QCoreApplication::applicationFilePath(), args);
    QVERIFY(editor.waitForStarted());
    QVERIFY2(editor.waitForReadyRead(120'000), "the editor never got ready");
    QCOMPARE(editor.readLine().trimmed(), QByteArray("ready"));
    QTRY_VERIFY_WITH_TIMEOUT(journalHolds(args[1], args[2], lists()), 60'000);
    editor.kill(); // nothing of the editor's runs any more
    QVERIFY(editor.waitForFinished());
    QCOMPARE(editor.exitStatus(), QProcess::CrashExit);
}

} // namespace

class CrashRecoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void killedEditorsListsComeBack()
    {
        QTemporaryDir folder, journals, scratch;
        QVERIFY(
            writeBytes(folder.filePath(u"gumps.scp"_s), entries("0x0F00 cloak.bmp 120 200", 37)) &&
            writeBytes(folder.filePath(u"tiles.scp"_s), entries("0x4000 marble.bmp 44 44", 37)) &&
            writeBytes(folder.filePath(u"items.scp"_s),
                       entries("0x2000 0 0 0 0 3 20 970 0 Mantle of Night", 86)));
        const QString expectedPath = scratch.filePath(u"expected"_s);
        QList<QByteArray> expected;
        killOnceJournalled({u"--editor"_s, folder.path(), journals.path(), expectedPath},
                           [&] { return expected = readBytes(expectedPath).split('\0'); });
        QCOMPARE(expected.size(), 4);

        UiDriver driver;
        driver.answer(u"Restore"_s);
        scp::Editor restarted(QDir(folder.path()), journals.path());
        restarted.show();
        QTRY_COMPARE_WITH_TIMEOUT(driver.boxes.size(), 1, 60'000);
        QVERIFY(mainWindow().isWindowModified());
        restarted.saveSections();
        QCOMPARE(driver.boxes.size(), 2);
        for (const ListId list : scp::kAllLists)
            COMPARE_BYTES(readBytes(folder.filePath(scp::sectionFileName(list))),
                          expected[int(list)]);
    }

    // A file changed before the crash is named by Restore and asked about (Cancel, then Replace).
    void restoreKnowsWhatTheFilesWere()
    {
        QTemporaryDir folder, journals;
        const QString gumps = folder.filePath(u"gumps.scp"_s);
        QVERIFY(writeBytes(gumps, "g1") && writeBytes(folder.filePath(u"tiles.scp"_s), "t1") &&
                writeBytes(folder.filePath(u"items.scp"_s), "i1"));
        killOnceJournalled({u"--typing"_s, folder.path(), journals.path()}, [] {
            return QList<QByteArray>{"g1 typed", {}, {}};
        });
        if (QTest::currentTestFailed())
            return;

        UiDriver driver;
        driver.answer(u"Restore"_s);
        scp::Editor restarted(QDir(folder.path()), journals.path());
        restarted.show();
        QTRY_COMPARE_WITH_TIMEOUT(driver.boxes.size(), 1, 30'000);
        QVERIFY2(driver.boxes[0].contains(
                     u"\n\nSince scpmaker last read or saved it here, another program has "
                     u"changed this file:\n\n    gumps.scp (changed)\n\nSaving the restored "
                     u"lists asks before it replaces it.\n\nRestore it?"_s),
                 qPrintable(driver.boxes[0]));
        QCOMPARE(listText(ListId::Gumps), u"g1 typed"_s);
        const auto before = snapshot(folder.path());
        const QString asked = u"\n\n    gumps.scp (changed since it was read or saved here)\n\n"_s;
        driver.answer(u"Cancel"_s);
        restarted.saveSections();
        QVERIFY(driver.boxes.size() == 2 && driver.boxes[1].contains(asked));
        QCOMPARE(snapshot(folder.path()), before);
        driver.answer(u"Replace"_s);
        restarted.saveSections();
        QCOMPARE(driver.boxes.mid(2),
                 QStringList({driver.boxes[1], u"Gumps,Tiles,Items Saved!"_s}));
        QCOMPARE(readBytes(gumps), QByteArray("g1 typed"));
        QCOMPARE(readBytes(folder.filePath(u"tiles.scp"_s)), QByteArray("t1"));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if ((argc == 4 && qstrcmp(argv[1], "--typing") == 0) ||
        (argc == 5 && qstrcmp(argv[1], "--editor") == 0))
        return runEditor(argv);
    CrashRecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash_recovery.moc"
