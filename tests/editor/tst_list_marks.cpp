// The lint's marks on the list boxes: what they underline, the reasons a
// pointer finds, and how they follow a list's edits and replaced documents.

#include "editor.h"
#include "editor_windows.h"
#include "fail_on_warnings.h"
#include "ui_driver.h"

#include <QHelpEvent>
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
        QTemporaryDir dir, journals;
        scp::Editor editor{QDir(dir.path()), journals.path()};
        editor.show();
        QWidget& form = mainWindow();
        scp::ListEdit& box = listBox(ListId::Gumps);
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        box.list().setText(u"GUMPS WILL LOAD HERE\r\n0x1 a.bmp 2 3"_s);
        editor.addEntry(ListId::Gumps, u"0X1 a.bmp 2 3"_s);
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
        QCOMPARE(driver.menus.size(), 1);
        QVERIFY(driver.menus[0].startsWith(u"gumpsCopyMenu: copyGumpsAction=Copy "_s));
    }

    void marksFollowAReplacedDocument()
    {
        // Clear and undo swap the box's document; the marks go with it.
        QTemporaryDir dir, journals;
        scp::Editor editor{QDir(dir.path()), journals.path()};
        editor.show();
        scp::ListEdit& box = listBox(ListId::Tiles);
        scp::ListDocument& list = box.list();
        auto marked = [&box] {
            box.viewport()->repaint();
            QStringList texts;
            for (const auto& mark : box.extraSelections())
                texts << mark.cursor.selectedText();
            return texts;
        };
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        QCOMPARE(marked(), QStringList{u"TILES WILL LOAD HERE"_s});
        editor.clearList(ListId::Tiles);
        QCOMPARE(marked(), QStringList());
        list.appendText(u"0xZ1 a.bmp 2 3"_s);
        QCOMPARE(marked(), QStringList({u"0xZ1"_s, u"a.bmp"_s}));
        box.undo();
        box.undo();
        QCOMPARE(marked(), QStringList{u"TILES WILL LOAD HERE"_s});
        // Loaded twice before a repaint: the marked document is gone.
        list.setText(u"0xZ1 a.bmp 2 3"_s);
        list.setText(u"0xZ1 a.bmp 2 3"_s);
        QCOMPARE(marked(), QStringList({u"0xZ1"_s, u"a.bmp"_s}));
        // A long list is read from its document in idle passes; an edit in
        // the part already read is read again.
        list.setText(u"1 a.bmp 2 3"_s + (QString(37, u' ') + u"0x2 a.bmp 2 3"_s).repeated(60'000));
        QCoreApplication::processEvents();
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_G);
        QTRY_COMPARE(marked().value(0), u"g1"_s);
    }
};

QTEST_MAIN(ListMarksTest)
#include "tst_list_marks.moc"
