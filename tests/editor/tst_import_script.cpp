// The save menu's Import mantle.scp...: a script into the three lists as
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

    QTemporaryDir m_dir, m_journals;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    // Unsaved lists are asked about first; then the lists are the script's,
    // unsaved and written nowhere, each one undo step from what it replaced,
    // and what was left out is said in one message; a refused script changes
    // nothing. Import is reached from the keyboard.
    void importsAsUnsavedLists()
    {
        QVERIFY(writeBytes(path(u"gumps.scp"_s), "g1") && writeBytes(path(u"tiles.scp"_s), "t1") &&
                writeBytes(path(u"items.scp"_s), "i1"));
        const QString script = path(u"other.scp"_s), bad = path(u"bad.scp"_s);
        QVERIFY(writeBytes(script, "SECTION TILES\n{\n// mine\nt2\n}\nSECTION GUMPS\n{\ng2\n}\n"
                                   "SECTION ITEMS\n{\n}\n") &&
                writeBytes(bad, "SECTION TILES\n{\n"));
        scp::Editor editor(QDir(m_dir.path()), m_journals.path());
        QStringList chosen{bad, script}; // what the chooser answers, in turn
        editor.setScriptChooser([&](QWidget*, const QString& folder) {
            return folder == m_dir.path() ? chosen.takeLast() : QString();
        });
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        QTRY_VERIFY(listsAreIn());
        listBox(ListId::Gumps).list().appendText(u" typed"_s);
        const auto before = snapshot(m_dir.path());
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
                 u"Nothing is written until you save.\n\nLine 3, column 1: left out of the "
                 u"tiles list: the comment \"// mine\""_s.arg(QDir::toNativeSeparators(script)));
        QCOMPARE(allListTexts(), u"g2|t2|"_s);
        QVERIFY(mainWindow().isWindowModified());
        QCOMPARE(snapshot(m_dir.path()), before);
        listBox(ListId::Tiles).undo();
        QCOMPARE(listText(ListId::Tiles), u"t1"_s);

        driver.answer(u"Discard"_s);
        chooseImport();
        QTRY_COMPARE(driver.boxes.size(), 4);
        QCOMPARE(driver.boxes.last(),
                 u"warning: Could not import \"%1\": line 2: SECTION TILES's "
                 u"\"{\" is never closed by a line \"}\""_s.arg(QDir::toNativeSeparators(bad)));
        QCOMPARE(allListTexts(), u"g2|t1|"_s);
    }
};

QTEST_MAIN(ImportScriptTest)
#include "tst_import_script.moc"
