// The save menu's Import mantle.scp...: a script into the three lists, as
// unsaved work, asked about first when lists are unsaved.

#include "editor.h"
#include "editor_windows.h"
#include "fail_on_warnings.h"
#include "test_files.h"
#include "ui_driver.h"

#include <QPushButton>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using scp::ListId;

class ImportScriptTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir, m_journals;
    std::unique_ptr<scp::Editor> m_editor;
    QStringList m_chosen; // the folders the chooser was opened in
    QString m_script;     // what the chooser answers

    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Import chosen from the Save button's menu, by keyboard.
    void chooseImport(UiDriver& driver)
    {
        driver.choose(u"importScriptAction"_s);
        auto* save = mainWindow().findChild<QPushButton*>(u"saveButton"_s);
        save->setFocus();
        QTest::keyClick(save, Qt::Key_Return);
        QTRY_VERIFY(listsAreIn());
    }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_editor.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_journals = std::make_unique<QTemporaryDir>();
        QVERIFY(writeBytes(path(u"gumps.scp"_s), "g1") && writeBytes(path(u"tiles.scp"_s), "t1") &&
                writeBytes(path(u"items.scp"_s), "i1"));
        m_editor = std::make_unique<scp::Editor>(QDir(m_dir->path()), m_journals->path());
        m_chosen.clear();
        m_editor->setScriptChooser([this](QWidget*, const QString& folder) {
            m_chosen << folder;
            return m_script;
        });
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        QTRY_VERIFY(listsAreIn());
    }
    void cleanupTestCase() { m_editor.reset(); }

    // Unsaved lists are asked about first; the imported lists are unsaved,
    // written nowhere, each one undo step from what it replaced; what the
    // script held beyond the lists is said in one message.
    void importsAsUnsavedLists()
    {
        m_script = path(u"other.scp"_s);
        QVERIFY(writeBytes(m_script, "SECTION TILES\n{\n// mine\nt2\n}\nSECTION GUMPS\n{\ng2\n}\n"
                                     "SECTION ITEMS\n{\n}\n"));
        listBox(ListId::Gumps).list().appendText(u" typed"_s);
        const auto before = snapshot(m_dir->path());
        UiDriver driver;
        driver.answer(u"Cancel"_s);
        chooseImport(driver);
        QCOMPARE(allListTexts(), u"g1 typed|t1|i1"_s);
        QVERIFY(m_chosen.isEmpty());

        driver.answer(u"Discard"_s);
        chooseImport(driver);
        QCOMPARE(m_chosen, QStringList(m_dir->path()));
        QTRY_COMPARE(driver.boxes.size(), 3);
        QCOMPARE(driver.boxes.last(),
                 u"warning: The lists now hold what \"%1\" holds, but for what is below. "
                 u"Nothing is written until you save.\n\nLine 3, column 1: left out of the "
                 u"tiles list: the comment \"// mine\""_s.arg(QDir::toNativeSeparators(m_script)));
        QCOMPARE(allListTexts(), u"g2|t2|"_s);
        QVERIFY(mainWindow().isWindowModified());
        QCOMPARE(snapshot(m_dir->path()), before);
        listBox(ListId::Tiles).undo();
        QCOMPARE(listText(ListId::Tiles), u"t1"_s);

        m_editor->saveSections();
        QCOMPARE(readBytes(path(u"gumps.scp"_s)), "g2");
        QVERIFY(!mainWindow().isWindowModified());
    }

    // A script that cannot be read or is refused changes nothing; the
    // message names it and the reason.
    void refusedScriptChangesNothing()
    {
        m_script = path(u"bad.scp"_s);
        QVERIFY(writeBytes(m_script, "SECTION TILES\n{\n"));
        UiDriver driver;
        chooseImport(driver);
        QTRY_COMPARE(driver.boxes,
                     QStringList(u"warning: Could not import \"%1\": line 2: SECTION TILES's "
                                 u"\"{\" is never closed by a line \"}\""_s.arg(
                                     QDir::toNativeSeparators(m_script))));
        QCOMPARE(allListTexts(), u"g1|t1|i1"_s);
        QVERIFY(!mainWindow().isWindowModified());
    }
};

QTEST_MAIN(ImportScriptTest)
#include "tst_import_script.moc"
