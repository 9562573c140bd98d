#include "busy_work.h"
#include "editor.h"
#include "fail_on_warnings.h"
#include "list_edit.h"
#include "main_window.h"
#include "script_menus.h"
#include "test_files.h"
#include "ui_driver.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>

using namespace Qt::StringLiterals;
using scp::ListId;

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir, m_journals;
    std::unique_ptr<scp::Editor> m_editor;
    scp::MainWindow* form = nullptr;

    QString listText(ListId list) const { return form->lists().listText(list); }
    QString allLists() const
    {
        return listText(ListId::Gumps) + u'|' + listText(ListId::Tiles) + u'|' +
               listText(ListId::Items);
    }
    void click(const QString& name)
    {
        auto* button = form->findChild<QPushButton*>(name);
        QVERIFY2(button != nullptr, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Section files go to the current directory: make it a scratch one.
        QVERIFY(m_dir.isValid() && m_journals.isValid() && QDir::setCurrent(m_dir.path()));
    }

    void cleanupTestCase()
    {
        m_editor.reset();
        QDir::setCurrent(QDir::tempPath()); // lets the scratch directory go
    }

    // Each test starts an editor of its own in an empty folder.
    void init()
    {
        failOnQtWarnings();
        m_editor.reset();
        for (const QString& folder : {m_dir.path(), m_journals.path()}) {
            QDir here(folder);
            for (const QString& name : here.entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
                QVERIFY(here.remove(name) || QDir(here.filePath(name)).removeRecursively());
        }
        m_editor = std::make_unique<scp::Editor>(QDir(m_dir.path()), m_journals.path());
        form = &m_editor->mainWindow();
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

    void startsAsDrawnWithLoadFocused()
    {
        QCOMPARE(QRect(form->pos(), form->size()), QRect(88, 141, 811, 389));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(
            !(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(QApplication::focusWidget(), form->findChild<QWidget*>(u"Command1"_s));
        QVERIFY(QDir::current().isEmpty()); // nothing written at start
        for (ListId list : scp::kAllLists)  // an unedited field holds its hint
            QCOMPARE(form->lists().field(list).text(), scp::fieldHint(list));
        // Every field whole and every caption readable: no control is drawn
        // over a field, or over the part of a label its caption takes.
        auto whole = [this](const QWidget* widget, const QFont& font) {
            QRect shown = widget->geometry();
            if (const auto* label = qobject_cast<const QLabel*>(widget))
                shown = QFontMetrics(font).boundingRect(shown, Qt::AlignLeft | Qt::AlignTop,
                                                        label->text());
            return std::ranges::all_of(std::array{shown.topLeft(), shown.topRight(),
                                                  shown.bottomLeft(), shown.bottomRight()},
                                       [&](QPoint at) { return form->childAt(at) == widget; });
        };
        for (QWidget* widget : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if ((qobject_cast<QLabel*>(widget) || qobject_cast<QLineEdit*>(widget)) &&
                !widget->isHidden())
                QVERIFY2(whole(widget, widget->font()), qPrintable(widget->objectName()));
        // Captions shrink only where they must, to one size for a row: the
        // largest at which each of its captions reads whole.
        auto pixels = [this](const QString& name) {
            return QFontInfo(form->findChild<QWidget*>(name)->font()).pixelSize();
        };
        QCOMPARE(pixels(u"Command1"_s), pixels(u"Text1"_s)); // room enough
        for (const QString& row :
             {u"Command1 Command8 Command9"_s, u"Command2 Command3 Command4"_s,
              u"Label1 Label2 Label3 Label4"_s, u"Label5 Label6 Label7 Label8"_s})
            for (const QString& name : row.split(u' '))
                QCOMPARE(pixels(name), pixels(row.section(u' ', 0, 0)));
        for (const QString& row : {u"Label1 Label2 Label3 Label4"_s, u"Label9"_s}) {
            QFont larger = form->findChild<QWidget*>(row.section(u' ', 0, 0))->font();
            larger.setPixelSize(QFontInfo(larger).pixelSize() + 1);
            const QStringList names = row.split(u' ');
            QVERIFY2(!std::ranges::all_of(names,
                                          [&](const QString& name) {
                                              return whole(form->findChild<QWidget*>(name), larger);
                                          }),
                     qPrintable(row));
        }
    }

    void tabWalksTheTableOrder()
    {
        form->findChild<QWidget*>(u"Command1"_s)->setFocus();
        QStringList walked;
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked.join(u' '), u"RichTextBox1 Text1 Command2 Command3 RichTextBox2 "
                                    u"RichTextBox3 Command4 Command5 Text3 Command6 Command7 "
                                    u"Text4 Command8 Command9 Command1"_s);
    }

    void addAndClearEachList()
    {
        const struct {
            ListId list;
            QString add, clear, field;
            int spacer;
        } rows[] = {{ListId::Gumps, u"Command2"_s, u"Command3"_s, u"Text1"_s, 37},
                    {ListId::Tiles, u"Command5"_s, u"Command4"_s, u"Text3"_s, 37},
                    {ListId::Items, u"Command7"_s, u"Command6"_s, u"Text4"_s, 86}};
        const QString entry = u"0x1234 Filename.bmp 44 44"_s;
        for (const auto& [list, add, clear, field, spacer] : rows) {
            const QString before = listText(list);
            auto* edit = form->findChild<QLineEdit*>(field);
            edit->setText(entry);
            click(add);
            QTest::keyClick(edit, Qt::Key_Return); // Enter adds too, each time
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
            const QString spaced = QString(spacer, u' ') + entry;
            QCOMPARE(listText(list), before + spaced + spaced + spaced);
            click(clear);
            QCOMPARE(listText(list), QString());
            click(add); // no spacer before the first entry
            QCOMPARE(listText(list), entry);
        }
    }

    void saveCompileAndLoadThroughTheButtons()
    {
        // Save's menu opens at the pointer for a click, under the button when
        // pressed from the keyboard; Escape in it runs nothing.
        auto* save = form->findChild<QPushButton*>(u"Command9"_s);
        const QMenu& menu = m_editor->menus().saveMenu();
        const QPoint under = save->mapToGlobal(save->rect().bottomLeft());
        QCursor::setPos(300, 200);
        form->lists().setListText(ListId::Items, u"0x1 a\r\nb"_s);
        const QString saved = allLists();
        UiDriver driver;
        driver.choose(u"SaveAllSections"_s);
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(menu.pos(), QPoint(300, 200));
        save->setFocus();
        driver.choose(u"CompileMantleScp"_s);
        QTest::keyClick(save, Qt::Key_Space);
        QCOMPARE(menu.pos(), under);
        QTest::keyClick(save, Qt::Key_Enter); // Escape
        QCOMPARE(menu.pos(), under);
        QCOMPARE(readBytes(u"items.scp"_s), QByteArray("0x1 a\r\nb"));
        QVERIFY(readBytes(u"mantle.scp"_s).contains("0x1 a\r\nb"));
        for (const QString& button : {u"Command3"_s, u"Command5"_s, u"Command7"_s})
            click(button);
        driver.answer(u"Discard"_s); // the changes are unsaved
        click(u"Command1"_s);        // and Load succeeds silently
        QTRY_VERIFY(!m_editor->isLoading());
        QCOMPARE(allLists(), saved);

        // A folder where items.scp belongs can be neither written nor read:
        // one warning each, naming the file, and no success after it.
        QVERIFY(QFile::remove(u"items.scp"_s) && QDir::current().mkdir(u"items.scp"_s));
        driver.choose(u"SaveAllSections"_s);
        QTest::keyClick(save, Qt::Key_Return);
        QCOMPARE(menu.pos(), under);
        click(u"Command1"_s);
        const QString failed =
            u"warning: Could not %1 \"%2\": it is not a regular file (a folder)"_s;
        const QString items = QDir::toNativeSeparators(m_dir.filePath(u"items.scp"_s));
        QCOMPARE(driver.boxes,
                 QStringList({u"Gumps,Tiles,Items Saved!"_s, u"Mantle.Scp has been created"_s,
                              u"warning: The gumps, tiles and items lists have changes that "
                              u"gumps.scp, tiles.scp and items.scp do not have yet.\n\n"
                              u"Save them before loading?"_s,
                              failed.arg(u"write"_s, items), failed.arg(u"read"_s, items)}));
        QCOMPARE(driver.menus, QStringList(4, u"menu: CompileMantleScp=CompileMantleScp "
                                              u"SaveAllSections=SaveAllSections"_s));
        QCOMPARE(allLists(), saved);
    }

    void copyMenusCopyTheirOwnList()
    {
        const struct {
            ListId list;
            QString menu, item, text;
            int from, to; // the selection; none when from == to
            QString copied;
        } rows[] = {{ListId::Gumps, u"menu2"_s, u"Copy1"_s, u"0x10\u00A0g.bmp"_s, 0, 0,
                     u"0x10\u00A0g.bmp"_s},
                    {ListId::Tiles, u"menu3"_s, u"Copy2"_s, u"TILES\r\n"_s, 0, 0, u"TILES\r\n"_s},
                    {ListId::Items, u"menu4"_s, u"Copy3"_s, u"alpha beta\r\ngamma"_s, 8, 13,
                     u"ta\r\nga"_s}};
        for (const auto& row : rows)
            form->lists().setListText(row.list, row.text);
        QClipboard* clipboard = QGuiApplication::clipboard();
        QStringList seen; // emptied first, so nothing older outlives the copy
        QObject watch;
        connect(clipboard, &QClipboard::dataChanged, &watch, [&] { seen << clipboard->text(); });
        for (const auto& [list, menu, item, text, from, to, copied] : rows) {
            clipboard->setText(u"older"_s);
            seen.clear();
            UiDriver driver;
            scp::ListEdit& edit = form->listEdit(list);
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
                QTest::mouseClick(edit.viewport(), button, {}, QPoint(10, 10)); // Escape: no copy
            QTest::keyClick(&edit, Qt::Key_Menu); // from the keyboard too
            QCOMPARE(driver.menus, QStringList(2, menu + u": "_s + item + u"=Copy"_s));
            QVERIFY(seen.isEmpty());

            QTextCursor selection(edit.document());
            selection.setPosition(from);
            selection.setPosition(to, QTextCursor::KeepAnchor);
            edit.setTextCursor(selection);
            driver.choose(item);
            QTest::keyClick(&edit, Qt::Key_F10, Qt::ShiftModifier);
            QCOMPARE(seen, QStringList({QString(), copied}));
            // At the caret, which stays where it was.
            QCOMPARE(m_editor->menus().copyMenu(list).pos(),
                     edit.viewport()->mapToGlobal(edit.cursorRect().bottomLeft()));
            QCOMPARE(edit.textCursor().position(), to);
        }
    }

    void workAskedDuringALoadWaitsForIt()
    {
        // The window stays live while the lists fill, and they take no
        // typing; Adds, a Save and a Clear asked for meanwhile run once the
        // Load is done, in that order, each Add with the entry it was given.
        const QByteArray items =
            QByteArray("0x2 0 0 0 0 3 20 970 0 Cape" + QByteArray(86, ' ')).repeated(6000) + "0x3";
        QVERIFY(writeBytes(u"gumps.scp"_s, "g") && writeBytes(u"tiles.scp"_s, "t") &&
                writeBytes(u"items.scp"_s, items));
        auto* field = form->findChild<QLineEdit*>(u"Text1"_s);
        UiDriver driver;
        click(u"Command1"_s);
        QVERIFY(m_editor->isLoading());
        QVERIFY(form->listEdit(ListId::Gumps).isReadOnly());
        for (const QString& entry : {u"AAA"_s, u"BBB"_s}) {
            field->setText(entry);
            click(u"Command2"_s);
        }
        m_editor->saveSections();
        click(u"Command4"_s); // Clear tiles, after the Save
        QVERIFY(driver.boxes.isEmpty());
        QTRY_COMPARE(driver.boxes, QStringList{u"Gumps,Tiles,Items Saved!"_s});
        QVERIFY(!form->listEdit(ListId::Gumps).isReadOnly());
        QCOMPARE(readBytes(u"items.scp"_s), items);
        const QByteArray spacer(37, ' ');
        QCOMPARE(readBytes(u"gumps.scp"_s), "g" + spacer + "AAA" + spacer + "BBB");
        QCOMPARE(readBytes(u"tiles.scp"_s), "t");
        QVERIFY(form->listEdit(ListId::Tiles).isEmpty());
    }

    void busyFeedbackOutlivesItsWindow()
    {
        // A Load's progress bar is the window's child; the window may go
        // first when the program closes mid-Load.
        auto window = std::make_unique<QWidget>();
        scp::BusyWork busy(window.get());
        busy.setEventLoopRuns();
        QTest::qWait(scp::BusyWork::kProgressAfter);
        busy.step(0.5);
        QVERIFY(window->findChild<QProgressDialog*>() != nullptr);
        window.reset();
    }

    // Last: it ends the application's event loop.
    void closingEndsTheProgram()
    {
        // The About window, up as well, does not keep the program alive
        // (it turns a polite close request into Return).
        m_editor->showAbout();
        connect(m_editor.get(), &scp::Editor::finished, qApp, [] { QCoreApplication::exit(0); });
        QTimer::singleShot(0, [this] { form->close(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // hung
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!form->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
