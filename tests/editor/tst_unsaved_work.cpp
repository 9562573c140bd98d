// Nothing the user made is lost: the lists start as the folder's files hold
// them, closing and Load ask while lists are unsaved, a save asks before it
// replaces what another program changed, and unsaved typing comes back from
// the recovery journal after the editor ended without saving. Import makes
// a script the lists' unsaved work.

#include "editor.h"
#include "editor_windows.h"
#include "fail_on_warnings.h"
#include "recovery_store.h"
#include "system_calls.h"
#include "test_files.h"
#include "ui_driver.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCursor>

using namespace Qt::StringLiterals;
using scp::ListId;

class UnsavedWorkTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir, m_journals;
    std::unique_ptr<scp::Editor> m_editor;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList journals() const
    {
        return QDir(m_journals->path()).entryList({u"*.journal"_s}, QDir::Files);
    }
    void writeSections(const QByteArray& gumps, const QByteArray& tiles, const QByteArray& items)
    {
        QVERIFY(writeBytes(path(u"gumps.scp"_s), gumps) &&
                writeBytes(path(u"tiles.scp"_s), tiles) && writeBytes(path(u"items.scp"_s), items));
    }
    // An editor started in the folder, its files in and its start-up
    // questions answered.
    void startEditor()
    {
        m_editor = std::make_unique<scp::Editor>(QDir(m_dir->path()), m_journals->path());
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        QTRY_VERIFY(listsAreIn());
        QTest::qWait(20); // what the start offers once the window is up
    }
    // Key by key, as typed; beyond ASCII too, where QTest::keyClicks stops.
    void typeAtEnd(ListId id, const QString& text)
    {
        listBox(id).moveCursor(QTextCursor::End);
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, c);
            QCoreApplication::sendEvent(&listBox(id), &press);
        }
    }
    // The file name of the first journal an editor in the folder keeps.
    QString journalName() const
    {
        return QFileInfo(
                   scp::RecoveryStore(QDir(m_dir->path()), m_journals->path()).newJournalPath())
            .fileName();
    }
    void clearTheFolders()
    {
        m_editor.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_journals = std::make_unique<QTemporaryDir>();
    }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        clearTheFolders();
    }
    void cleanupTestCase() { m_editor.reset(); }

    void startsWithTheFolderLists_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("lists");
        QTest::addColumn<QStringList>("boxes");
        const QString placeholders = u"GUMPS WILL LOAD HERE\r\n|TILES WILL LOAD HERE\r\n|"
                                     u"ITEMS WILL LOAD HERE\r\n"_s;
        QTest::newRow("one") << QStringList{u"tiles.scp"_s}
                             << u"GUMPS WILL LOAD HERE\r\n|t1|"
                                u"ITEMS WILL LOAD HERE\r\n"_s
                             << QStringList();
        QTest::newRow("unreadable")
            << QStringList{u"gumps.scp"_s, u"tiles.scp/"_s} << placeholders
            << QStringList{
                   u"warning: Could not read \"%1\": it is not a regular file (a folder)"_s};
    }
    void startsWithTheFolderLists()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, lists);
        QFETCH(QStringList, boxes);
        const QMap<QString, QByteArray> bytes{
            {u"gumps.scp"_s, "g1 g2"}, {u"tiles.scp"_s, "t1"}, {u"items.scp"_s, "i1\r\n"}};
        for (const QString& file : files) {
            if (file.endsWith(u'/'))
                QVERIFY(QDir(m_dir->path()).mkdir(file));
            else
                QVERIFY(writeBytes(path(file), bytes[file]));
        }
        const auto before = snapshot(m_dir->path());
        UiDriver driver;
        startEditor();
        if (!boxes.isEmpty())
            boxes[0] = boxes[0].arg(QDir::toNativeSeparators(path(u"tiles.scp"_s)));
        QCOMPARE(driver.boxes, boxes);
        QCOMPARE(allListTexts(), lists);
        QCOMPARE(mainWindow().windowTitle(),
                 u"MoonrakesMantle.zozOzazez - %1[*]"_s.arg(QDir(m_dir->path()).dirName()));
        QVERIFY(!mainWindow().isWindowModified());
        QCOMPARE(snapshot(m_dir->path()), before); // reading writes nothing

        // A file the editor could not read is asked about before a save
        // replaces it.
        if (boxes.isEmpty())
            return;
        typeAtEnd(ListId::Gumps, u"1"_s);
        driver.answer(u"Cancel"_s);
        m_editor->saveSections();
        QCOMPARE(driver.boxes.last(),
                 u"warning: Saving would replace a file that another program made or "
                 u"changed:\n\n    gumps.scp (never read here)\n\nReplace it with the lists? "
                 u"Cancel writes none of the three files."_s);
        QCOMPARE(snapshot(m_dir->path()), before);
    }

    void closeAndLoadAskFirst_data()
    {
        QTest::addColumn<QString>("action"); // close or load
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QByteArray>("gumps"); // gumps.scp afterwards
        for (const QString& action : {u"close"_s, u"load"_s}) {
            const auto row = [&](const QString& answer) -> QTestData& {
                return QTest::addRow("%s, %s", qPrintable(action), qPrintable(answer))
                       << action << answer;
            };
            row(u"Save"_s) << true << QByteArray("g typed");
            row(u"Discard"_s) << true << QByteArray("g");
            row(u"Cancel"_s) << false << QByteArray("g");
            row(u"Escape"_s) << false << QByteArray("g");
            row(u"close"_s) << false << QByteArray("g");
            QTest::addRow("%s, typing undone", qPrintable(action))
                << action << QString() << true << QByteArray("g");
        }
    }
    void closeAndLoadAskFirst()
    {
        QFETCH(QString, action);
        QFETCH(QString, answer);
        QFETCH(bool, goesOn);
        QFETCH(QByteArray, gumps);
        writeSections("g", "t", "i");
        UiDriver driver;
        startEditor();
        // Typing marks the lists unsaved, and undoing it back to what was
        // loaded unmarks them; compiling saves no list.
        typeAtEnd(ListId::Gumps, u" typed"_s);
        if (answer.isEmpty())
            QTest::keyClick(&listBox(ListId::Gumps), Qt::Key_Z, Qt::ControlModifier);
        driver.answer(u"Compile anyway"_s); // one-field entries
        m_editor->compileScript();
        QCOMPARE(driver.boxes.size(), 2);
        QCOMPARE(driver.boxes.last(), u"Mantle.Scp has been created"_s);
        driver.boxes.clear();
        QCOMPARE(mainWindow().isWindowModified(), !answer.isEmpty());
        const QString before = listText(ListId::Gumps);
        if (!answer.isEmpty())
            driver.answer(answer);
        QSignalSpy finished(m_editor.get(), &scp::Editor::finished);
        if (action == u"close"_s)
            mainWindow().close();
        else
            clickButton(u"loadButton"_s);
        QTRY_VERIFY(listsAreIn());
        QCOMPARE(driver.boxes.size(), answer.isEmpty() ? 0 : answer == u"Save"_s ? 2 : 1);
        if (!answer.isEmpty())
            QVERIFY(driver.boxes.first().endsWith(u"have yet.\n\nSave them before %1?"_s.arg(
                action == u"close"_s ? u"closing"_s : u"loading"_s)));
        QCOMPARE(readBytes(path(u"gumps.scp"_s)), gumps);
        if (action == u"close"_s) {
            QCOMPARE(mainWindow().isVisible(), !goesOn);
            QCOMPARE(finished.size(), goesOn ? 1 : 0);
            m_editor.reset();                       // as the program ends
            QCOMPARE(journals().isEmpty(), goesOn); // given up or saved: none left
        } else {
            QCOMPARE(listText(ListId::Gumps), goesOn ? QString::fromLatin1(gumps) : before);
            QCOMPARE(mainWindow().isWindowModified(), !goesOn);
        }
    }

    void saveAsksBeforeReplacingChangedFiles_data()
    {
        QTest::addColumn<QString>("behind"); // what another program does meanwhile
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("asked");
        const QString changed = u"    tiles.scp (changed since it was read or saved here)"_s;
        // (Its Cancel button: startsWithTheFolderLists.)
        QTest::newRow("changed, Escape") << u"change"_s << u"Escape"_s << changed;
        QTest::newRow("changed, Replace") << u"change"_s << u"Replace"_s << changed;
        QTest::newRow("made, Replace")
            << u"make"_s << u"Replace"_s << u"    items.scp (made since this editor started)"_s;
        QTest::newRow("touched") << u"touch"_s << QString() << QString();
        QTest::newRow("saved here") << u"save"_s << QString() << QString();
    }
    void saveAsksBeforeReplacingChangedFiles()
    {
        QFETCH(QString, behind);
        QFETCH(QString, answer);
        QFETCH(QString, asked);
        QVERIFY(writeBytes(path(u"gumps.scp"_s), "g") && writeBytes(path(u"tiles.scp"_s), "t"));
        UiDriver driver;
        startEditor();
        typeAtEnd(ListId::Gumps, u"2"_s);
        const QDateTime later = QDateTime::currentDateTime().addSecs(10);
        QFile tiles(path(u"tiles.scp"_s));
        if (behind == u"change"_s || behind == u"touch"_s) {
            // The same size: only the time, and then the bytes, tell.
            QVERIFY(tiles.open(QIODevice::ReadWrite));
            if (behind == u"change"_s)
                QVERIFY(tiles.write("T") == 1);
            QVERIFY(tiles.setFileTime(later, QFile::FileModificationTime));
            tiles.close();
        } else if (behind == u"make"_s) {
            QVERIFY(writeBytes(path(u"items.scp"_s), "their items"));
        } else {
            m_editor->saveSections();
        }
        driver.boxes.clear();
        const auto before = snapshot(m_dir->path());
        if (!answer.isEmpty())
            driver.answer(answer);
        m_editor->saveSections();
        if (asked.isEmpty()) {
            QCOMPARE(driver.boxes, QStringList{u"Gumps,Tiles,Items Saved!"_s});
        } else {
            QCOMPARE(driver.boxes.first(),
                     u"warning: Saving would replace a file that another program made or "
                     u"changed:\n\n%1\n\nReplace it with the lists? Cancel writes none of the "
                     u"three files."_s.arg(asked));
        }
        if (answer == u"Cancel"_s || answer == u"Escape"_s) {
            QCOMPARE(driver.boxes.size(), 1);
            QCOMPARE(snapshot(m_dir->path()), before);
            QVERIFY(mainWindow().isWindowModified());
        } else {
            QCOMPARE(readBytes(path(u"gumps.scp"_s)), QByteArray("g2"));
            QCOMPARE(readBytes(path(u"tiles.scp"_s)), QByteArray("t"));
            QCOMPARE(readBytes(path(u"items.scp"_s)), QByteArray("ITEMS WILL LOAD HERE\r\n"));
            QVERIFY(!mainWindow().isWindowModified());
        }
    }

    void bringsBackWhatWasNotSaved_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("Restore") << u"Restore"_s;
        QTest::newRow("Discard") << u"Discard"_s;
        QTest::newRow("Escape: not now") << u"Escape"_s;
    }
    void bringsBackWhatWasNotSaved()
    {
        // (Typing, Adds, Clears, pastes and undo, and a real kill, are
        // tst_crash_recovery's.)
        QFETCH(QString, answer);
        writeSections("g1", "t1", "i1");
        UiDriver driver;
        startEditor();
        typeAtEnd(ListId::Gumps, u" typed\u00E9"_s);
        clickButton(u"clearItemsButton"_s);
        const QString expected = u"g1 typed\u00E9|t1|"_s;
        QCOMPARE(allListTexts(), expected);
        m_editor.reset(); // ended without saving: the journal stays
        const QStringList left = journals();
        QCOMPARE(left.size(), 1);

        driver.answer(answer);
        startEditor();
        QCOMPARE(driver.boxes.size(), 1);
        QVERIFY2(driver.boxes.first().startsWith(u"scpmaker ended on "_s) &&
                     driver.boxes.first().endsWith(
                         u" without saving the gumps and items lists in this folder. What they "
                         u"held then is in the recovery journal \"%1\".\n\nRestore them? Cancel "
                         u"leaves the journal for the next start."_s.arg(
                             QDir::toNativeSeparators(m_journals->filePath(left.first())))),
                 qPrintable(driver.boxes.first()));
        const bool restored = answer == u"Restore"_s;
        QCOMPARE(allListTexts(), restored ? expected : u"g1|t1|i1"_s);
        QCOMPARE(mainWindow().isWindowModified(), restored);
        if (restored) {
            m_editor->saveSections();
            QCOMPARE(readBytes(path(u"gumps.scp"_s)), QByteArray("g1 typed\xE9"));
        }
        m_editor.reset();
        // Saved or given up, nothing is kept; not now, it waits.
        QCOMPARE(journals(), answer == u"Escape"_s ? left : QStringList());
    }

    // Unsaved lists are asked about first; then the lists are the script's,
    // unsaved and written nowhere, each one undo step from what it replaced,
    // and what was left out is said in one message; a refused script changes
    // nothing. Import is reached from the keyboard.
    void importsAsUnsavedLists()
    {
        writeSections("g1", "t1", "i1");
        const QString script = path(u"other.scp"_s), bad = path(u"bad.scp"_s);
        QVERIFY(writeBytes(script,
                           "SECTION SCRIPTINFO\n{\nNAME Mine\n}\nSECTION TILES\n{\n"
                           "// mine\nt2\n}\nSECTION GUMPS\n{\ng2\n}\nSECTION ITEMS\n{\n}\n") &&
                writeBytes(bad, "SECTION TILES\n{\n"));
        startEditor();
        QStringList chosen{bad, script}; // what the chooser answers, in turn
        m_editor->setScriptChooser([&](QWidget*, const QString& folder) {
            return folder == m_dir->path() ? chosen.takeLast() : QString();
        });
        listBox(ListId::Gumps).list().appendText(u" typed"_s);
        const auto before = snapshot(m_dir->path());
        UiDriver driver;
        auto* save = mainWindow().findChild<QPushButton*>(u"saveButton"_s);
        const auto chooseImport = [&] {
            driver.choose(u"importScriptAction"_s);
            save->setFocus();
            QTest::keyClick(save, Qt::Key_Return);
        };
        driver.answer(u"Discard"_s);
        chooseImport();
        QTRY_COMPARE(driver.boxes.size(), 2);
        QCOMPARE(driver.boxes.last(),
                 u"warning: The lists now hold what \"%1\" holds, but for what is below. "
                 u"Nothing is written until you save.\n\nLine 7, column 1: left out of the "
                 u"tiles list: the comment \"// mine\""_s.arg(QDir::toNativeSeparators(script)));
        QCOMPARE(allListTexts(), u"g2|t2|"_s);
        QVERIFY(mainWindow().isWindowModified());
        QCOMPARE(snapshot(m_dir->path()), before);
        listBox(ListId::Tiles).undo();
        QCOMPARE(listText(ListId::Tiles), u"t1"_s);

        driver.answer(u"Discard"_s);
        chooseImport();
        QTRY_COMPARE(driver.boxes.size(), 4);
        QCOMPARE(driver.boxes.last(),
                 u"warning: Could not import \"%1\": line 2: SECTION TILES's "
                 u"\"{\" is never closed by a line \"}\""_s.arg(QDir::toNativeSeparators(bad)));
        QCOMPARE(allListTexts(), u"g2|t1|"_s);

        // The script's own name is the patch's now, for the next compile.
        driver.choose(u"compileScriptAction"_s);
        driver.answer(u"Compile anyway"_s); // one-field entries
        QTest::keyClick(save, Qt::Key_Return);
        QTRY_VERIFY(readBytes(path(u"mantle.scp"_s)).contains("\r\nNAME Mine\r\n"));

        // An import of what the lists hold, saved, leaves them saved.
        m_editor->saveSections();
        QVERIFY(!mainWindow().isWindowModified());
        chosen = {path(u"mantle.scp"_s)};
        chooseImport();
        QTRY_VERIFY(listsAreIn());
        QCOMPARE(allListTexts(), u"g2|t1|"_s);
        QVERIFY(!mainWindow().isWindowModified());
    }
    void saysWhatKeepsAJournalFromBeingUsed()
    {
        // A damaged journal is said and left where it is; a second editor in
        // the folder is told the first one is there and keeps no journal; a
        // journal that cannot be written is said, once.
        writeSections("g", "t", "i");
        const QString damaged = m_journals->filePath(journalName());
        QVERIFY(writeBytes(damaged, "GUMPS WILL LOAD HERE"));
        UiDriver driver;
        startEditor();
        typeAtEnd(ListId::Gumps, u"1"_s);
        {
            const QWidget& first = mainWindow();
            scp::Editor second(QDir(m_dir->path()), m_journals->path());
            second.show();
            QTRY_COMPARE(driver.boxes.size(), 2);
            // Its window says so, and stands off the first one's.
            const QWidget* window = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == u"mainWindow"_s && top != &first)
                    window = top;
            QVERIFY(window != nullptr);
            QCOMPARE(window->windowTitle(), first.windowTitle().chopped(3) +
                                                u" (second editor: no recovery journal)[*]"_s);
            QVERIFY(window->pos().x() > first.pos().x() && window->pos().y() > first.pos().y());
        }
        QCOMPARE(driver.boxes,
                 QStringList({u"warning: The recovery journal \"%1\" cannot be used: it is not "
                              u"a recovery journal. It is left where it is."_s.arg(
                                  QDir::toNativeSeparators(damaged)),
                              u"Another scpmaker is open in \"%1\". This one keeps no recovery "
                              u"journal: what it has not saved is lost if it ends unexpectedly. "
                              u"Both save to the same files."_s.arg(
                                  QDir::toNativeSeparators(QDir(m_dir->path()).canonicalPath()))}));
        QCOMPARE(journals().size(), 2); // the damaged one, and the first editor's only
        QCOMPARE(readBytes(damaged), QByteArray("GUMPS WILL LOAD HERE"));

        m_editor->saveSections(); // the journal goes, and the next edit starts one
        scp::SystemCalls& calls = scp::systemCalls();
        const scp::SystemCalls real = calls;
        calls.open = [](const char*, int, mode_t) {
            errno = EACCES;
            return -1;
        };
        typeAtEnd(ListId::Items, u"3"_s);
        typeAtEnd(ListId::Items, u"4"_s);
        QTRY_COMPARE(driver.boxes.size(), 4);
        calls = real;
        QCOMPARE(driver.boxes.last(),
                 u"warning: Could not write the recovery journal \"%1\": %2. Until the lists "
                 u"are saved, what is not saved is not kept against a crash."_s.arg(
                     QDir::toNativeSeparators(m_journals->filePath(
                         QFileInfo(damaged).completeBaseName() + u".1.journal"_s)),
                     scp::systemReason(EACCES)));
        typeAtEnd(ListId::Items, u"5"_s);
        QTest::qWait(100);
        QCOMPARE(driver.boxes.size(), 4);
    }
};

QTEST_MAIN(UnsavedWorkTest)
#include "tst_unsaved_work.moc"
