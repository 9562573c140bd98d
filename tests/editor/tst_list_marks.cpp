#include "editor.h"
#include "fail_on_warnings.h"
#include "list_edit.h"
#include "main_window.h"
#include "ui_driver.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolTip>

using namespace Qt::StringLiterals;
using scp::ListId;

class ListMarksTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void marksFollowTypingWithTooltipAndCopyMenu()
    {
        QTemporaryDir dir;
        scp::Editor editor{QDir(dir.path())};
        scp::MainWindow& form = editor.mainWindow();
        scp::ListEdit& box = form.listEdit(ListId::Gumps);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        form.lists().setListText(ListId::Gumps, u"GUMPS WILL LOAD HERE\r\n0x1 a.bmp 2 3"_s);
        form.findChild<QLineEdit*>(u"Text1"_s)->setText(u"0X1 a.bmp 2 3"_s);
        form.addEntry(ListId::Gumps);
        box.moveCursor(QTextCursor::End);
        QTest::keyClick(&box, Qt::Key_Space);
        box.viewport()->repaint();
        QStringList marked;
        for (const auto& mark : box.extraSelections())
            marked << mark.cursor.selectedText();
        QCOMPARE(marked, QStringList({u"GUMPS WILL LOAD HERE"_s, u"a.bmp"_s, u"0X1 a.bmp 2 3 "_s}));
        QCOMPARE(box.extraSelections().constFirst().format.underlineStyle(),
                 QTextCharFormat::SpellCheckUnderline);

        // Over the "p" of the first "a.bmp".
        const QPoint at =
            box.cursorRect(box.extraSelections().at(1).cursor).center() - QPoint(2, 0);
        QHelpEvent hover(QEvent::ToolTip, at, box.viewport()->mapToGlobal(at));
        QApplication::sendEvent(box.viewport(), &hover);
        QCOMPARE(QToolTip::text(), u"<p>picture \"a.bmp\" is not in %1</p>"_s.arg(
                                       QDir::toNativeSeparators(dir.path())));

        UiDriver driver;
        QTest::mouseClick(box.viewport(), Qt::RightButton, {}, at);
        QCOMPARE(driver.menus, QStringList{u"menu2: Copy1=Copy"_s});
    }

    void marksFollowAReplacedDocument()
    {
        // Clear and undo swap the box's document; the marks go with it.
        QTemporaryDir dir;
        scp::Editor editor{QDir(dir.path())};
        scp::ListEdit& box = editor.mainWindow().listEdit(ListId::Tiles);
        auto marked = [&box] {
            box.viewport()->repaint();
            QStringList texts;
            for (const auto& mark : box.extraSelections())
                texts << mark.cursor.selectedText();
            return texts;
        };
        editor.mainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor.mainWindow()));
        QCOMPARE(marked(), QStringList{u"TILES WILL LOAD HERE"_s});
        editor.mainWindow().clearList(ListId::Tiles);
        QCOMPARE(marked(), QStringList());
        box.appendText(u"0xZ1 a.bmp 2 3"_s);
        QCOMPARE(marked(), QStringList({u"0xZ1"_s, u"a.bmp"_s}));
        box.undo();
        box.undo();
        QCOMPARE(marked(), QStringList{u"TILES WILL LOAD HERE"_s});
        // Loaded twice before a repaint: the marked document is gone.
        box.setText(u"0xZ1 a.bmp 2 3"_s);
        box.setText(u"0xZ1 a.bmp 2 3"_s);
        QCOMPARE(marked(), QStringList({u"0xZ1"_s, u"a.bmp"_s}));
        // A long list is read from its document in idle passes; an edit in
        // the part already read is read again.
        box.setText(u"1 a.bmp 2 3"_s + (QString(37, u' ') + u"0x2 a.bmp 2 3"_s).repeated(60'000));
        QCoreApplication::processEvents();
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_G);
        QTRY_COMPARE(marked().value(0), u"g1"_s);
    }
};

QTEST_MAIN(ListMarksTest)
#include "tst_list_marks.moc"
