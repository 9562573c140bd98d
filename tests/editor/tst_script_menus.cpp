// The workshop's popup menus as the main window opens them, and the copy
// menus with the clipboard.

#include "editor.h"
#include "fail_on_warnings.h"
#include "list_edit.h"
#include "main_window.h"
#include "script_menus.h"
#include "ui_driver.h"

#include <QMenu>

#include <QClipboard>
#include <QPushButton>
#include <QTextCursor>

using namespace Qt::StringLiterals;
using scp::ListId;

class ScriptMenusTest : public QObject {
    Q_OBJECT

    std::unique_ptr<scp::Editor> m_editor = std::make_unique<scp::Editor>();
    scp::MainWindow& form = m_editor->mainWindow();

    void press(ListId list, Qt::MouseButton button)
    {
        QTest::mouseClick(form.listEdit(list).viewport(), button, {}, QPoint(10, 10));
    }

private Q_SLOTS:
    void init() { failOnQtWarnings(); }
    void initTestCase()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }

    void cleanupTestCase() { m_editor.reset(); }

    void saveMenuOpensAtThePointerAndEscapeRunsNothing()
    {
        QCursor::setPos(300, 200);
        UiDriver driver; // answers with Escape
        QTest::mouseClick(form.findChild<QPushButton*>(u"Command9"_s), Qt::LeftButton);
        QCOMPARE(driver.menus,
                 QStringList{
                     u"menu: CompileMantleScp=CompileMantleScp SaveAllSections=SaveAllSections"_s});
        QCOMPARE(m_editor->menus().saveMenu().pos(), QPoint(300, 200)); // at the pointer
        QVERIFY(driver.boxes.isEmpty()); // either command would have shown one
    }

    void copyMenusCopyTheirOwnList_data()
    {
        QTest::addColumn<ListId>("list");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("from"); // the selection; none when from == to
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("copied");
        QTest::newRow("gumps") << ListId::Gumps << u"menu2"_s << u"Copy1"_s << 0 << 0
                               << u"0x10\u00A0g.bmp"_s;
        QTest::newRow("tiles") << ListId::Tiles << u"menu3"_s << u"Copy2"_s << 0 << 0
                               << u"TILES WILL LOAD HERE\r\n"_s;
        QTest::newRow("items selection") << ListId::Items << u"menu4"_s << u"Copy3"_s << 8 << 13
                                         << u"ta\r\nga"_s; // of "alpha beta\r\ngamma"
    }
    void copyMenusCopyTheirOwnList()
    {
        QFETCH(ListId, list);
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, copied);
        form.lists().setListText(ListId::Gumps, u"0x10\u00A0g.bmp"_s);
        form.lists().setListText(ListId::Tiles, u"TILES WILL LOAD HERE\r\n"_s);
        form.lists().setListText(ListId::Items, u"alpha beta\r\ngamma"_s);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(u"older"_s);
        QStringList seen; // emptied first, so nothing older outlives the copy
        QObject watch;
        connect(clipboard, &QClipboard::dataChanged, &watch, [&] { seen << clipboard->text(); });

        UiDriver driver;
        press(list, Qt::LeftButton);
        press(list, Qt::MiddleButton);
        press(list, Qt::RightButton); // Escape: nothing copied
        QCOMPARE(driver.menus, QStringList{menu + u": "_s + item + u"=Copy"_s});
        QVERIFY(seen.isEmpty());

        QTextCursor selection(form.listEdit(list).document());
        selection.setPosition(from);
        selection.setPosition(to, QTextCursor::KeepAnchor);
        form.listEdit(list).setTextCursor(selection);
        driver.choose(item);
        press(list, Qt::RightButton);
        QCOMPARE(seen, QStringList({QString(), copied}));
    }
};

QTEST_MAIN(ScriptMenusTest)
#include "tst_script_menus.moc"
