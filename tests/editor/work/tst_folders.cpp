#include "bmp_bytes.h"
#include "editor_fixture.h"
#include "fail_on_warnings.h"
#include "recovery/recovery_store.h"
#include "test_files.h"
#include "ui_driver.h"
#include "work/editor_settings.h"
#include "work/program.h"

class FoldersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root, m_journals;
    std::unique_ptr<scp::Program> m_program;
    QString m_chosen; // what the folder dialog answers

    // A folder under the test's own, with a gumps list when `gumps` is not null.
    QString folder(const QString& name, const char* gumps = nullptr)
    {
        const QString path = m_root->filePath(name);
        if (!QDir().mkpath(path) || (gumps && !writeBytes(path + u"/gumps.scp"_s, gumps)))
            qFatal("cannot make %s", qPrintable(path));
        return QDir(path).canonicalPath();
    }
    void startProgram()
    {
        m_program = std::make_unique<scp::Program>(m_journals->path());
        m_program->setEditorReady([this](scp::Editor& editor) {
            editor.setFolderChooser([this](QWidget*, const QString&) { return m_chosen; });
        });
    }
    void openIn(const QString& path)
    {
        startProgram();
        m_program->open(QDir(path));
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        QTRY_VERIFY(listsAreIn());
    }
    static QString title(const QString& path)
    {
        return u"MoonrakesMantle.zozOzazez - %1[*]"_s.arg(QFileInfo(path).fileName());
    }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_program.reset();
        m_root = std::make_unique<QTemporaryDir>();
        m_journals = std::make_unique<QTemporaryDir>();
        scp::setRecentFolders({});
    }
    void cleanupTestCase() { m_program.reset(); }

    void openFolderAsksFirstThenStartsThere_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("saved"); // the first folder's gumps.scp afterwards
        QTest::newRow("Save") << u"Save"_s << QByteArray("ax");
        QTest::newRow("Discard") << u"Discard"_s << QByteArray("a");
        QTest::newRow("Cancel") << u"Cancel"_s << QByteArray("a");
    }
    void openFolderAsksFirstThenStartsThere()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArray, saved);
        const QString first = folder(u"first"_s, "a"), second = folder(u"second"_s, "b");
        openIn(first);
        typeAtEnd(ListId::Gumps, u"x"_s);
        UiDriver driver;
        driver.answer(answer);
        m_chosen = second;
        if (answer == u"Discard"_s) {
            // From the Save menu: the editor goes once its menu's loop is over.
            driver.choose(u"openFolderAction"_s);
            clickButton(u"saveButton"_s);
        } else {
            QTest::keyClick(&listBox(ListId::Items), Qt::Key_O, Qt::ControlModifier); // anywhere
        }
        QCOMPARE(readBytes(first + u"/gumps.scp"_s), saved);
        QVERIFY(driver.boxes.value(0).endsWith(u"Save them before opening another folder?"_s));
        if (answer == u"Cancel"_s) {
            QCOMPARE(listText(ListId::Gumps), u"ax"_s);
            QCOMPARE(mainWindow().windowTitle(), title(first));
            QVERIFY(mainWindow().isWindowModified());
            return;
        }
        QTRY_COMPARE(mainWindow().windowTitle(), title(second));
        QTRY_VERIFY(listsAreIn());
        QCOMPARE(allListTexts(), u"b|TILES WILL LOAD HERE\r\n|ITEMS WILL LOAD HERE\r\n"_s);
        QCOMPARE(scp::recentFolders(), QStringList({second, first}));
        // The first folder's journal lock went with its editor.
        scp::RecoveryStore store(QDir(first), m_journals->path());
        QCOMPARE(store.lock(), scp::RecoveryStore::Lock::Taken);
    }

    void whatCannotBeOpenedOrIsGoneStaysBehind()
    {
        // An unenterable folder is said; a removed recent one shows disabled and can be taken away.
        const QString first = folder(u"first"_s, "a"), gone = folder(u"gone"_s);
        scp::setRecentFolders({gone});
        QVERIFY(QDir(gone).removeRecursively());
        openIn(first);
        const auto before = snapshot(first);
        UiDriver driver;
        m_chosen = first + u"/gumps.scp"_s;
        QTest::keyClick(&mainWindow(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(driver.boxes.size(), 1);
        QVERIFY2(driver.boxes[0].startsWith(u"warning: Cannot open the folder \"%1\": "_s.arg(
                     QDir::toNativeSeparators(m_chosen))),
                 qPrintable(driver.boxes[0]));
        QCOMPARE(mainWindow().windowTitle(), title(first));
        QCOMPARE(snapshot(first), before);

        clickButton(u"saveButton"_s); // Escape: the menu is filled as it opens
        const QList<QAction*> items = findWidget<QMenu>(u"recentFoldersMenu"_s)->actions();
        QCOMPARE(items.size(), 5); // first, gone, a separator, remove, clear
        QCOMPARE(items[0]->text(), QDir::toNativeSeparators(first));
        QVERIFY(items[0]->isEnabled() && !items[1]->isEnabled() && items[3]->isEnabled());
        for (const QString& item :
             {u"removeMissingFoldersAction"_s, u"clearRecentFoldersAction"_s}) {
            driver.choose(u"recentFoldersAction"_s);
            driver.choose(item);
            clickButton(u"saveButton"_s);
            QCOMPARE(scp::recentFolders(),
                     item.startsWith(u"remove"_s) ? QStringList{first} : QStringList());
        }
    }

    void aJournalLeftThereIsOffered()
    {
        const QString first = folder(u"first"_s, "a"), second = folder(u"second"_s, "b");
        openIn(second);
        typeAtEnd(ListId::Gumps, u"y"_s);
        m_program.reset(); // ended without saving
        openIn(first);
        UiDriver driver;
        driver.answer(u"Restore"_s);
        m_program->editor().openFolderAt(second);
        QTRY_COMPARE(mainWindow().windowTitle(), title(second));
        QTRY_COMPARE(listText(ListId::Gumps), u"by"_s);
        QVERIFY(driver.boxes.value(0).startsWith(u"scpmaker ended on "_s));
    }

    void aMenuLaunchLandsInTheLatestFolderOrAsks()
    {
        // The latest folder still there; with none, the one chosen.
        const QString first = folder(u"first"_s, "a"), gone = folder(u"gone"_s);
        scp::setRecentFolders({gone, first});
        QVERIFY(QDir(gone).removeRecursively());
        for (const QString& chosen : {u"never asked"_s, first}) {
            startProgram();
            m_program->openRecent([chosen] { return chosen; });
            QTRY_COMPARE(mainWindow().windowTitle(), title(first));
            scp::setRecentFolders({});
        }

        // Cancelled: lists of no folder, whose first save asks one (one with a patch is refused).
        startProgram();
        m_program->openRecent([] { return QString(); });
        QTRY_COMPARE(mainWindow().windowTitle(),
                     u"MoonrakesMantle.zozOzazez - no folder yet (no recovery journal)[*]"_s);
        clickButton(u"clearGumpsButton"_s);
        typeAtEnd(ListId::Gumps, u"0x1 g.bmp 1 1"_s);
        const QString pictures = folder(u"pictures"_s), empty = folder(u"empty"_s);
        QVERIFY(writeBytes(pictures + u"/t.bmp"_s, bmpBytes(2, 3)));
        m_program->editor().addPictures(ListId::Tiles, {pictures + u"/t.bmp"_s});
        UiDriver driver;
        for (const QString& answer : {u"Cancel"_s, u"Choose Folder..."_s, u"Choose Folder..."_s})
            driver.answer(answer);
        for (const QString& chosen : {first, first, pictures}) {
            m_chosen = chosen;
            m_program->editor().saveSections();
        }
        QCOMPARE(driver.boxes.size(), 5);
        for (const auto& [box, folder, file] :
             {std::tuple{2, first, u"gumps.scp"_s}, std::tuple{4, pictures, u"t.bmp"_s}})
            QVERIFY2(driver.boxes[box].startsWith(
                         u"warning: The folder \"%1\" already holds a file \"%2\""_s.arg(
                             QDir::toNativeSeparators(folder), file)),
                     qPrintable(driver.boxes[box]));
        QCOMPARE(readBytes(first + u"/gumps.scp"_s), QByteArray("a"));
        m_chosen = empty;
        driver.answer(u"Choose Folder..."_s);
        m_program->editor().saveSections();
        QTRY_COMPARE(mainWindow().windowTitle(), title(empty));
        QTRY_COMPARE(readBytes(empty + u"/gumps.scp"_s), QByteArray("0x1 g.bmp 1 1"));
        QCOMPARE(readBytes(empty + u"/tiles.scp"_s), QByteArray("0x0001 t.bmp 2 3"));
        QCOMPARE(readBytes(empty + u"/t.bmp"_s), bmpBytes(2, 3));
        QTRY_VERIFY(!mainWindow().isWindowModified());
        QCOMPARE(driver.boxes.last(), u"Gumps,Tiles,Items Saved!"_s);
    }
};

QTEST_MAIN(FoldersTest)
#include "tst_folders.moc"
