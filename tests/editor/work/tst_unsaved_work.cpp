#include "editor_fixture.h"
#include "fail_on_warnings.h"
#include "recording_reporter.h"
#include "recovery/journal_format.h"
#include "recovery/recovery_store.h"
#include "script/memory_entry_lists.h"
#include "script/script_compile.h"
#include "system_faults.h"
#include "test_files.h"
#include "ui_driver.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTimer>

class UnsavedWorkTest : public QObject, EditorFixture {
    Q_OBJECT

    QStringList journals() const
    {
        return QDir(m_journals->path()).entryList({u"*.journal"_s}, QDir::Files);
    }
    void writeSections(const QByteArray& gumps, const QByteArray& tiles, const QByteArray& items)
    {
        QVERIFY(writeBytes(path(u"gumps.scp"_s), gumps) &&
                writeBytes(path(u"tiles.scp"_s), tiles) && writeBytes(path(u"items.scp"_s), items));
    }
    // An editor started in the folder, its start-up questions answered.
    void startEditor()
    {
        EditorFixture::startEditor();
        QTest::qWait(20); // what the start offers once the window is up
    }
    // The file name of the first journal an editor in the folder keeps.
    QString journalName() const
    {
        return QFileInfo(
                   scp::RecoveryStore(QDir(m_dir->path()), m_journals->path()).newJournalPath())
            .fileName();
    }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        newFolders();
    }
    void cleanupTestCase() { m_editor.reset(); }

    // A file that cannot be read keeps only its own list from loading, is said, and
    // is asked about before a save replaces it; a bad patch.ini is not written over.
    void loadsWhatCanBeRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("atStart");
        for (const bool atStart : {true, false}) {
            for (const char* file : {"gumps.scp", "tiles.scp", "items.scp", "patch.ini"}) {
                for (const char* fault : {"I/O error", "folder", "no permission"})
                    QTest::addRow("%s, %s, %s", atStart ? "start" : "Load", file, fault)
                        << QString::fromLatin1(file) << QString::fromLatin1(fault) << atStart;
            }
            QTest::addRow("%s, patch.ini, godwalk = 2", atStart ? "start" : "Load")
                << u"patch.ini"_s << u"bad value"_s << atStart;
        }
    }
    void loadsWhatCanBeRead()
    {
        QFETCH(QString, file);
        QFETCH(QString, fault);
        QFETCH(bool, atStart);
        // Windows has no such mode: the I/O error stands in for it.
        if (fault == u"no permission"_s && (runsAsRoot() || QSysInfo::kernelType() == u"winnt"_s))
            QSKIP("every file is readable here (the I/O error covers the failure)");
        const QString failing = path(file);
        std::optional<ListId> failingList;
        for (ListId list : scp::kAllLists)
            if (scp::sectionFileName(list) == file)
                failingList = list;
        writeSections("g1", "t1", "i1");
        QVERIFY(writeBytes(path(u"patch.ini"_s), "[script]\nname = Mine\n"));
        UiDriver driver;
        // On Load, the list whose file fails has typing the Load gives up.
        const bool typed = !atStart && failingList;
        if (!atStart) {
            startEditor();
            writeSections("g2", "t2", "i2");
            if (typed) {
                typeAtEnd(*failingList, u"x"_s);
                driver.answer(u"Discard"_s);
            }
        }
        QVERIFY(fault != u"folder"_s || (QFile::remove(failing) && QDir().mkdir(failing)));
        QVERIFY(fault != u"no permission"_s || QFile::setPermissions(failing, {}));
        QVERIFY(fault != u"bad value"_s || writeBytes(failing, "[script]\ngodwalk = 2\n"));
        const auto before = snapshot(m_dir->path());
        {
            const InjectedFaults injected(
                fault == u"I/O error"_s ? u"open -1 %1"_s.arg(EIO) : QString(), file);
            if (atStart) {
                startEditor();
            } else {
                clickButton(u"loadButton"_s);
                QTRY_VERIFY(listsAreIn());
            }
        }
        QCOMPARE(driver.boxes.size(), typed ? 2 : 1);
        QVERIFY2(driver.boxes.last().startsWith(u"warning: "_s) &&
                     driver.boxes.last().contains(QDir::toNativeSeparators(failing)),
                 qPrintable(driver.boxes.last()));
        QStringList lists;
        for (ListId list : scp::kAllLists) {
            const QString name = scp::sectionFileName(list);
            lists.append(file != name ? name.first(1) + (atStart ? u"1"_s : u"2"_s)
                         : atStart    ? scp::listPlaceholder(list)
                                      : name.first(1) + u"1x"_s);
        }
        QCOMPARE(allListTexts(), lists.join(u'|'));
        QCOMPARE(mainWindow().isWindowModified(), typed);

        typeAtEnd(ListId::Gumps, u"+"_s);
        if (file == u"patch.ini"_s) {
            m_editor->saveSections();
            QCOMPARE(driver.boxes.last(), u"Gumps,Tiles,Items Saved!"_s);
            QCOMPARE(snapshot(m_dir->path())[file], before[file]);
            return;
        }
        driver.answer(u"Cancel"_s);
        m_editor->saveSections();
        QCOMPARE(driver.boxes.last(),
                 u"warning: Saving would replace a file that could not be read:\n\n"
                 u"    %1 (it could not be read, so what it holds on disk would be "
                 u"replaced by the %2 list shown)\n\nReplace it with the lists? Cancel writes "
                 u"none of the three files."_s.arg(file, file.chopped(4)));
        QCOMPARE(snapshot(m_dir->path()), before);
        if (!typed)
            return;
        // The typing kept, unsaved, is still kept against a crash.
        const QString shown = listText(*failingList);
        m_editor.reset();
        const scp::RecoveryStore store(QDir(m_dir->path()), m_journals->path());
        const scp::JournalReading journal =
            scp::readJournal(readBytes(store.leftJournals().value(0)), store.folderPath());
        QVERIFY2(journal.content, qPrintable(journal.problem));
        QCOMPARE(journal.content->lists[size_t(*failingList)], scp::journalTextOf(shown));
    }

    // Compile asks before it replaces a script this program did not make; a folder with
    // such a script and no section files notes once that it can be imported.
    void compileAsksBeforeReplacingAScriptMadeElsewhere_data()
    {
        QTest::addColumn<QString>("script"); // mantle.scp before the compile
        QTest::addColumn<QString>("answer");
        for (const char* answer : {"Cancel", "Escape", "Replace", "Import..."})
            QTest::addRow("made by hand, %s", answer)
                << u"by hand"_s << QString::fromLatin1(answer);
        QTest::newRow("unreadable, Cancel") << u"unreadable"_s << u"Cancel"_s;
        QTest::newRow("compiled from other lists") << u"compiled"_s << QString();
        QTest::newRow("compiled, then touched") << u"touched"_s << QString();
        QTest::newRow("the editor's own") << u"own"_s << QString();
    }
    void compileAsksBeforeReplacingAScriptMadeElsewhere()
    {
        QFETCH(QString, script);
        QFETCH(QString, answer);
        const QString mantle = path(u"mantle.scp"_s);
        const QByteArray byHand = "SECTION TILES\n{\nt9\n}\nSECTION GUMPS\n{\ng9\n}\n"
                                  "SECTION ITEMS\n{\n}\n";
        if (script == u"by hand"_s || script == u"unreadable"_s) {
            QVERIFY(writeBytes(mantle, byHand));
        } else if (script != u"own"_s) {
            // As the headless compiler makes it, from another folder's lists.
            scp::MemoryEntryLists other;
            other.box(ListId::Gumps).setText(u"other gumps"_s);
            RecordingReporter reporter;
            QVERIFY(
                scp::ScriptCompile(QDir(m_dir->path())).compileScript(other.lists(), {}, reporter));
            if (script == u"touched"_s) {
                QFile touched(mantle);
                QVERIFY(touched.open(QIODevice::ReadWrite) &&
                        touched.setFileTime(QDateTime::currentDateTime().addSecs(10),
                                            QFile::FileModificationTime));
            }
        }
        UiDriver driver;
        startEditor();
        if (auto* note = findWidget<QMessageBox>(u"importNote"_s); script != u"own"_s) {
            QVERIFY(note && note->isVisible() && !note->isModal());
            QVERIFY(note->text().contains(u"Import mantle.scp..."_s));
            note->close();
        } else {
            QVERIFY(!note);                     // no script to bring in
            driver.answer(u"Compile anyway"_s); // the placeholders are no entries
            m_editor->compileScript();
            driver.boxes.clear();
        }
        QCOMPARE(driver.boxes, QStringList());

        driver.answer(u"Compile anyway"_s);
        if (!answer.isEmpty())
            driver.answer(answer);
        {
            const InjectedFaults failing(
                script == u"unreadable"_s ? u"open -1 %1"_s.arg(EIO) : QString(), u"mantle.scp"_s);
            m_editor->compileScript();
        }
        QTRY_VERIFY(listsAreIn());
        const QByteArray compiled = readGolden(u"scripts/placeholders.scp"_s);
        QVERIFY(driver.boxes.value(0).contains(u"The script will carry problems"_s));
        if (answer.isEmpty()) {
            QCOMPARE(driver.boxes.mid(1), QStringList{u"Mantle.Scp has been created"_s});
            COMPARE_BYTES(readBytes(mantle), compiled);
            return;
        }
        // One that cannot be read may be the user's own: said, with why.
        const QString why =
            script == u"unreadable"_s
                ? u"which could not be read (%1), so it may be a script of your own"_s.arg(
                      scp::systemReason(EIO))
                : u"a script that scpmaker did not compile or that was changed since"_s;
        QCOMPARE(driver.boxes.value(1),
                 u"warning: Compiling would replace \"%1\", %2.\n\nReplace it with the script of "
                 u"the lists shown? Import... brings its lists in instead, unsaved. Cancel writes "
                 u"nothing."_s.arg(QDir::toNativeSeparators(mantle), why));
        COMPARE_BYTES(readBytes(mantle), answer == u"Replace"_s ? compiled : byHand);
        QCOMPARE(allListTexts(), answer == u"Import..."_s
                                     ? u"g9|t9|"_s
                                     : u"GUMPS WILL LOAD HERE\r\n|TILES WILL LOAD HERE\r\n|ITEMS "
                                       u"WILL LOAD HERE\r\n"_s);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"mantle.scp"_s});
    }

    void closeAndLoadAskFirst_data()
    {
        QTest::addColumn<QString>("action"); // close or load
        QTest::addColumn<QString>("answer"); // none: the typing undone, nothing asked
        for (const char* action : {"close", "load"})
            for (const char* answer :
                 {"Save", "Save, Cancel", "Discard", "Cancel", "Escape", "close", ""})
                QTest::addRow("%s, %s", action, *answer ? answer : "typing undone")
                    << QString::fromLatin1(action) << QString::fromLatin1(answer);
    }
    void closeAndLoadAskFirst()
    {
        QFETCH(QString, action);
        QFETCH(QString, answer);
        const bool goesOn = answer == u"Save"_s || answer == u"Discard"_s || answer.isEmpty();
        const QByteArray gumps = answer == u"Save"_s ? "g typed" : "g"; // gumps.scp afterwards
        writeSections("g", "t", "i");
        UiDriver driver;
        startEditor();
        // Typing marks the lists unsaved, undoing it unmarks them; a compile saves none.
        typeAtEnd(ListId::Gumps, u" typed"_s);
        if (answer.isEmpty())
            QTest::keyClick(&listBox(ListId::Gumps), Qt::Key_Z, Qt::ControlModifier);
        driver.answer(u"Compile anyway"_s); // one-field entries
        m_editor->compileScript();
        QCOMPARE(driver.boxes.mid(1), QStringList{u"Mantle.Scp has been created"_s});
        driver.boxes.clear();
        QCOMPARE(mainWindow().isWindowModified(), !answer.isEmpty());
        const QString before = listText(ListId::Gumps);
        for (const QString& each : answer.split(u", "_s, Qt::SkipEmptyParts))
            driver.answer(each);
        if (answer.contains(u", "_s))
            QVERIFY(writeBytes(path(u"tiles.scp"_s), "their t"));
        QSignalSpy finished(m_editor.get(), &scp::Editor::finished);
        if (action == u"close"_s)
            mainWindow().close();
        else
            clickButton(u"loadButton"_s);
        QTRY_VERIFY(listsAreIn());
        QCOMPARE(driver.boxes.size(), answer.isEmpty() ? 0 : answer.startsWith(u"Save"_s) ? 2 : 1);
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

    // Escape writes nothing, Replace saves (Cancel: closeAndLoadAskFirst).
    void saveAsksBeforeReplacingChangedFiles()
    {
        QVERIFY(writeBytes(path(u"gumps.scp"_s), "g") && writeBytes(path(u"tiles.scp"_s), "t"));
        UiDriver driver;
        startEditor();
        typeAtEnd(ListId::Gumps, u"2"_s);
        QVERIFY(writeBytes(path(u"items.scp"_s), "their items"));
        const auto before = snapshot(m_dir->path());
        const QString question =
            u"warning: Saving would replace a file that another program made or changed:\n\n    "
            u"items.scp (made since this editor started)\n\nReplace it with the lists? Cancel "
            u"writes none of the three files."_s;
        driver.answer(u"Escape"_s);
        m_editor->saveSections();
        QCOMPARE(driver.boxes, QStringList{question});
        QCOMPARE(snapshot(m_dir->path()), before);
        QVERIFY(mainWindow().isWindowModified());
        driver.answer(u"Replace"_s);
        m_editor->saveSections();
        QCOMPARE(driver.boxes, QStringList({question, question, u"Gumps,Tiles,Items Saved!"_s}));
        QCOMPARE(readBytes(path(u"gumps.scp"_s)), QByteArray("g2"));
        QCOMPARE(readBytes(path(u"items.scp"_s)), QByteArray("ITEMS WILL LOAD HERE\r\n"));
        QVERIFY(!mainWindow().isWindowModified());
        // An edit during the writing (a drop is no input the save holds back) is not in the files.
        QTimer::singleShot(0, form, [] { typeAtEnd(ListId::Gumps, u"3"_s); });
        m_editor->saveSections();
        QCOMPARE(readBytes(path(u"gumps.scp"_s)) + listText(ListId::Gumps).toLatin1(), "g2g23");
        QVERIFY(mainWindow().isWindowModified());
    }

    void bringsBackWhatWasNotSaved_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("changedBehind"); // gumps.scp removed, items.scp changed
        QTest::newRow("Restore") << u"Restore"_s << false;
        QTest::newRow("Restore, files changed since") << u"Restore"_s << true;
        QTest::newRow("Discard") << u"Discard"_s << false;
        QTest::newRow("Escape: not now") << u"Escape"_s << false;
    }
    void bringsBackWhatWasNotSaved()
    {
        // (Typing, Adds, Clears, pastes, undo and a real kill: tst_crash_recovery.)
        QFETCH(QString, answer);
        QFETCH(bool, changedBehind);
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
        if (changedBehind)
            QVERIFY(QFile::remove(path(u"gumps.scp"_s)) && writeBytes(path(u"items.scp"_s), "i2"));

        driver.answer(answer);
        startEditor();
        QCOMPARE(driver.boxes.size(), 1);
        QVERIFY2(driver.boxes.first().startsWith(u"scpmaker ended on "_s) &&
                     driver.boxes.first().endsWith(
                         u" without saving the gumps and items lists in this folder. What they "
                         u"held then is in the recovery journal \"%1\".%2\n\nRestore them? "
                         u"Cancel leaves the journal for the next start."_s.arg(
                             QDir::toNativeSeparators(m_journals->filePath(left.first())),
                             changedBehind
                                 ? u"\n\nSince scpmaker last read or saved them here, another "
                                   u"program has changed these files:\n\n    gumps.scp (removed)"
                                   u"\n    items.scp (changed)\n\nSaving the restored lists asks "
                                   u"before it replaces them."_s
                                 : QString())),
                 qPrintable(driver.boxes.first()));
        const bool restored = answer == u"Restore"_s;
        QCOMPARE(allListTexts(), restored ? expected : u"g1|t1|i1"_s);
        QCOMPARE(mainWindow().isWindowModified(), restored);
        if (restored) {
            // What was removed is written unasked; what was changed is not.
            if (changedBehind)
                driver.answer(u"Replace"_s);
            m_editor->saveSections();
            if (changedBehind)
                QVERIFY(driver.boxes[1].contains(
                    u"\n\n    items.scp (changed since it was read or saved here)\n\n"_s));
            QCOMPARE(readBytes(path(u"gumps.scp"_s)), QByteArray("g1 typed\xE9"));
        }
        m_editor.reset();
        // Saved or given up, nothing is kept; not now, it waits.
        QCOMPARE(journals(), answer == u"Escape"_s ? left : QStringList());
    }

    void theJournalKeepsEditsAsEdits()
    {
        // The journal replays a long typed list and one with no file, holding the file once.
        QByteArray gumps = "0x1 a.bmp 1 1\r\n\xE9";
        for (int i = 0; i < 4000; ++i)
            gumps += QByteArray(37, ' ') + "0x2 b.bmp 2 2";
        QVERIFY(writeBytes(path(u"gumps.scp"_s), gumps));
        const QString journal = m_journals->filePath(journalName());
        startEditor();
        const QString keys = u"abcdefghij"_s.repeated(5);
        typeAtEnd(ListId::Gumps, keys);
        typeAtEnd(ListId::Items, u"xyz"_s);
        const QString folder =
            scp::RecoveryStore(QDir(m_dir->path()), m_journals->path()).folderPath();
        const auto replayed = [&] {
            const scp::JournalReading reading = scp::readJournal(readBytes(journal), folder);
            QStringList lists;
            for (const ListId list : scp::kAllLists) {
                const auto& text = reading.content ? reading.content->lists[size_t(list)]
                                                   : std::optional<QString>();
                lists << (text ? scp::listTextOf(*text) : u"<none>"_s);
            }
            return lists.join(u'|');
        };
        QTRY_COMPARE(replayed(), listText(ListId::Gumps) + u"|<none>|"_s + listText(ListId::Items));
        const QByteArray written = readBytes(journal);
        QVERIFY(written.contains(gumps));
        QVERIFY2(written.size() < gumps.size() + 4096, qPrintable(QString::number(written.size())));
        QVERIFY(scp::readJournal(written, folder).content->records > keys.size());
    }

    // Import asks about unsaved lists, then makes the script the lists, unsaved, one
    // undo step each; what was left out is said at once; a refused script changes nothing.
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
        // A damaged journal is said and left; a second editor keeps none; a failed write is said.
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
        {
            const InjectedFaults refused(u"open -1 %1"_s.arg(EACCES));
            typeAtEnd(ListId::Items, u"3"_s);
            typeAtEnd(ListId::Items, u"4"_s);
            QTRY_COMPARE(driver.boxes.size(), 4);
        }
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
