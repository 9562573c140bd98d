#include "editor_fixture.h"
#include "fail_on_warnings.h"
#include "lists/section_load.h"
#include "test_files.h"
#include "ui_driver.h"
#include "windows/application_icon.h"
#include "windows/busy_work.h"
#include "windows/link_launcher.h"
#include "windows/patch_info_dialog.h"
#include "work/list_loading.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QScreen>
#include <QSemaphore>
#include <QThreadPool>

#include <utility>

// Holds every thread the lists fill on, so a Load started meanwhile waits to fill.
class FillsHeld {
public:
    FillsHeld()
    {
        for (int i = 0; i < m_threads; ++i)
            scp::SectionLoad::threads().start([this] { m_held.acquire(); });
    }
    ~FillsHeld() { release(); }
    FillsHeld(const FillsHeld&) = delete;
    FillsHeld& operator=(const FillsHeld&) = delete;
    void release() { m_held.release(std::exchange(m_threads, 0)); }

private:
    QSemaphore m_held;
    int m_threads = scp::SectionLoad::threads().maxThreadCount();
};

class MainWindowTest : public QObject, EditorFixture {
    Q_OBJECT

    QStringList m_launched;
    QWidget* m_aboutWindow = nullptr; // made on first use

    void pressAbout()
    {
        clickButton(u"aboutButton"_s);
        m_aboutWindow = findWidget(u"aboutWindow"_s);
        QVERIFY(QTest::qWaitForWindowActive(m_aboutWindow));
        QVERIFY(!form->isVisible());
        QCOMPARE(QApplication::focusWidget(),
                 m_aboutWindow->findChild<QWidget*>(u"returnButton"_s));
    }
    void backToMain()
    {
        QVERIFY(!m_aboutWindow->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

public Q_SLOTS:
    // Stands in for the desktop's browser and mail program.
    void openUrl(const QUrl& url) { m_launched << u"opened "_s + url.toString(); }

private Q_SLOTS:
    void cleanupTestCase()
    {
        m_editor.reset();
        QDir::setCurrent(QDir::tempPath()); // lets the scratch directory go
    }

    void init()
    {
        failOnQtWarnings();
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        newFolders();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        startEditor();
        QVERIFY(QTest::qWaitForWindowActive(form));
    }

    void startsAsDrawnWithLoadFocused()
    {
        QCOMPARE(QRect(form->pos(), form->size()), QRect(88, 141, 811, 389));
        QCOMPARE(form->minimumSize(), form->size()); // it grows, from there
        QCOMPARE(form->windowFlags() &
                     (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
                 Qt::WindowMaximizeButtonHint);
        QCOMPARE(QApplication::focusWidget(), form->findChild<QWidget*>(u"loadButton"_s));
        QVERIFY(QDir::current().isEmpty());               // nothing written at start
        QCOMPARE(scp::applicationIcon().availableSizes(), // every picture in the resources
                 (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
        for (const QString& field : {u"newGumpEntry"_s, u"newTileEntry"_s, u"newItemEntry"_s})
            QCOMPARE(form->findChild<QLineEdit*>(field)->text(), // an unedited field holds its hint
                     scp::fieldHint(field == u"newItemEntry"_s ? ListId::Items : ListId::Gumps));
        // No control drawn over a field, or over the part of a label its caption takes.
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
        // A row's captions share the largest size at which each reads whole.
        auto pixels = [this](const QString& name) {
            return QFontInfo(form->findChild<QWidget*>(name)->font()).pixelSize();
        };
        QCOMPARE(form->findChild<QWidget*>(u"loadButton"_s)->font(), form->font()); // untouched
        for (const QString& row : {u"loadButton aboutButton saveButton"_s,
                                   u"addGumpButton clearGumpsButton clearTilesButton"_s,
                                   u"gumpIdLabel gumpFileLabel gumpWidthLabel gumpHeightLabel"_s,
                                   u"tileHeightLabel tileWidthLabel tileFileLabel tileIdLabel"_s})
            for (const QString& name : row.split(u' '))
                QCOMPARE(pixels(name), pixels(row.section(u' ', 0, 0)));
        for (const QString& row : {u"gumpIdLabel gumpFileLabel gumpWidthLabel gumpHeightLabel"_s,
                                   u"itemFieldsLabel"_s}) {
            QFont larger = form->findChild<QWidget*>(row.section(u' ', 0, 0))->font();
            larger.setPixelSize(QFontInfo(larger).pixelSize() + 1);
            QVERIFY2(!std::ranges::all_of(row.split(u' '),
                                          [&](const QString& name) {
                                              return whole(form->findChild<QWidget*>(name), larger);
                                          }),
                     qPrintable(row));
        }
    }

    void addAndClearEachList()
    {
        const QString entry = u"0x1234 Filename.bmp 44 44"_s;
        for (const ListId list : scp::kAllLists) {
            const QString noun = listTitle(list).chopped(1); // "Gump"
            const QString add = u"add%1Button"_s.arg(noun), field = u"new%1Entry"_s.arg(noun);
            const int spacer = list == ListId::Items ? 86 : 37;
            QCOMPARE(listText(list), scp::listPlaceholder(list));
            auto* edit = form->findChild<QLineEdit*>(field);
            edit->setText(entry);
            clickButton(add); // the entry stays, selected, where the next one is typed
            QVERIFY(edit->hasFocus() && edit->selectedText() == entry);
            QCOMPARE(listText(list), entry);       // in the placeholder's place
            QTest::keyClick(edit, Qt::Key_Return); // Enter adds too, each time
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
            const QString spaced = QString(spacer, u' ') + entry;
            QCOMPARE(listText(list), entry + spaced + spaced);
            for (int add = 0; add < 3; ++add) // one undo step an Add
                listBox(list).undo();
            QCOMPARE(listText(list), scp::listPlaceholder(list));
            clickButton(u"clear%1Button"_s.arg(listTitle(list)));
            QCOMPARE(listText(list), QString());
            clickButton(add); // no spacer before the first entry
            QCOMPARE(listText(list), entry);
        }
    }

    void saveCompileAndLoadThroughTheButtons()
    {
        // Save's menu at the pointer for a click, under the button from the keyboard.
        auto* save = form->findChild<QPushButton*>(u"saveButton"_s);
        const QPoint under = save->mapToGlobal(save->rect().bottomLeft());
        QCursor::setPos(300, 200);
        listBox(ListId::Items).list().setText(u"0x1 a\r\nb"_s);
        const QString saved = allListTexts();
        UiDriver driver;
        driver.choose(u"saveSectionsAction"_s);
        QTest::mouseClick(save, Qt::LeftButton);
        const QMenu& menu = *findWidget<QMenu>(u"saveMenu"_s); // made on first use
        QCOMPARE(menu.pos(), QPoint(300, 200));
        save->setFocus();
        driver.choose(u"compileScriptAction"_s);
        driver.answer(u"Compile anyway"_s);
        QTest::keyClick(save, Qt::Key_Space);
        QCOMPARE(menu.pos(), under);
        QTest::keyClick(save, Qt::Key_Enter); // Escape
        QCOMPARE(menu.pos(), under);
        QCOMPARE(readBytes(u"items.scp"_s), QByteArray("0x1 a\r\nb"));
        QVERIFY(readBytes(u"mantle.scp"_s).contains("0x1 a\r\nb"));
        for (const QString& button :
             {u"clearGumpsButton"_s, u"addTileButton"_s, u"addItemButton"_s})
            clickButton(button);
        driver.answer(u"Discard"_s);  // the changes are unsaved
        clickButton(u"loadButton"_s); // and Load succeeds silently
        QTRY_VERIFY(listsAreIn());
        QCOMPARE(allListTexts(), saved);
        QCOMPARE(driver.boxes,
                 QStringList({u"Gumps,Tiles,Items Saved!"_s,
                              u"warning: The script will carry problems the patching tool cannot "
                              u"read as entries: 1 problem in the gumps list, 1 problem in the "
                              u"tiles list and 2 problems in the items list.\n\nThe first, in the "
                              u"gumps list: the placeholder \"GUMPS WILL LOAD HERE\" is still in "
                              u"the list; remove it.\n\nCompile anyway?"_s,
                              u"Mantle.Scp has been created"_s,
                              u"warning: The gumps, tiles and items lists have changes that "
                              u"gumps.scp, tiles.scp and items.scp do not have yet.\n\n"
                              u"Save them before loading?"_s}));
        QCOMPARE(driver.menus, QStringList(3, u"saveMenu: compileScriptAction=CompileMantleScp "
                                              u"saveSectionsAction=SaveAllSections "
                                              u"patchInfoAction=Patch info... "
                                              u"importScriptAction=Import mantle.scp... = "
                                              u"openFolderAction=Open Folder... "
                                              u"recentFoldersAction=Recent Folders"_s));
    }

    void copyMenusCopyTheirOwnList()
    {
        const struct {
            ListId list;
            QString text;
            int from, to; // the selection; none when from == to
            QString copied;
        } rows[] = {{ListId::Gumps, u"0x10\u00A0g.bmp"_s, 0, 0, u"0x10\u00A0g.bmp"_s},
                    {ListId::Tiles, u"TILES\r\n"_s, 0, 0, u"TILES\r\n"_s},
                    {ListId::Items, u"alpha beta\r\ngamma"_s, 8, 13, u"ta\r\nga"_s}};
        for (const auto& row : rows)
            listBox(row.list).list().setText(row.text);
        QClipboard* clipboard = QGuiApplication::clipboard();
        QStringList seen; // emptied first, so nothing older outlives the copy
        QObject watch;
        connect(clipboard, &QClipboard::dataChanged, &watch, [&] { seen << clipboard->text(); });
        for (const auto& [list, text, from, to, copied] : rows) {
            const QString name = listTitle(list), menu = scp::listName(list) + u"CopyMenu"_s,
                          item = u"copy%1Action"_s.arg(name);
            clipboard->setText(u"older"_s);
            seen.clear();
            UiDriver driver;
            scp::ListEdit& edit = listBox(list);
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
                QTest::mouseClick(edit.viewport(), button, {}, QPoint(10, 10)); // Escape: no copy
            QTest::keyClick(&edit, Qt::Key_Menu);           // from the keyboard too
            QTest::keyClick(&edit, 'A', Qt::ShiftModifier); // typed, as any letter
            const QString pictures =
                list == ListId::Items
                    ? QString()
                    : u" = addPictures%1Action=Add pictures... showPicture%1Action=Show picture "
                      u"usePictureSize%1Action="_s.arg(name);
            QCOMPARE(driver.menus.size(), 2);
            for (const QString& shown : driver.menus) { // the find and problem keys between
                QVERIFY2(shown.startsWith(
                             u"%1: %2=Copy undo%3Action=&Undo redo%3Action=&Redo cut%3Action=Cu&t "
                             u"paste%3Action=&Paste delete%3Action=Delete "
                             u"selectAll%3Action=Select All = "_s.arg(menu, item, name)),
                         qPrintable(shown));
                QVERIFY2(shown.endsWith(u"ProblemAction=Previous Problem"_s + pictures),
                         qPrintable(shown));
            }
            QVERIFY(seen.isEmpty());
            QCOMPARE(edit.list().text().remove(u'A'), text);
            QCOMPARE(edit.list().text().size(), text.size() + 1);
            edit.undo();

            selectRange(edit, from, to);
            driver.choose(item);
            QTest::keyClick(&edit, Qt::Key_F10, Qt::ShiftModifier);
            QCOMPARE(seen, QStringList({QString(), copied}));
            // At the caret, which stays where it was.
            QCOMPARE(findWidget<QMenu>(menu)->pos(),
                     edit.viewport()->mapToGlobal(edit.cursorRect().bottomLeft()));
            QCOMPARE(edit.textCursor().position(), to);
        }
    }

    void hintGivesWayToTyping()
    {
        // A click or Tab into the hint selects it; a click in an entry places the caret.
        const QString entry = u"0x0F00 cloak.bmp 120 200"_s;
        for (const auto& [field, before] : {std::pair{u"newGumpEntry"_s, u"gumpsList"_s},
                                            std::pair{u"newItemEntry"_s, u"addItemButton"_s}}) {
            auto* edit = form->findChild<QLineEdit*>(field);
            const QString hint = edit->text();
            const QPoint middle = edit->rect().center();
            QTest::mouseClick(edit, Qt::LeftButton, {}, middle);
            QTest::mouseDClick(edit, Qt::LeftButton, {}, middle); // no word of it alone
            QTest::keyClicks(edit, entry);
            QCOMPARE(edit->text(), entry);
            QTest::mouseClick(edit, Qt::LeftButton, {},
                              QPoint(edit->rect().right() - 2, middle.y()));
            QTest::keyClicks(edit, u"!"_s);
            QCOMPARE(edit->text(), entry + u'!');
            edit->setText(hint);
            form->findChild<QWidget*>(before)->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), edit);
            QTest::keyClicks(edit, entry);
            QCOMPARE(edit->text(), entry);
        }
    }

    void compileAsksAboutErrors()
    {
        // The gumps' missing picture is only a warning: the first error is the tiles'.
        const QString wrongCount = u"0x1 t.bmp 1 1     0x2 t.bmp 44"_s;
        listBox(ListId::Gumps).list().setText(u"0x1 g.bmp 1 1"_s);
        listBox(ListId::Tiles).list().setText(wrongCount);
        UiDriver driver;
        for (const QString& answer : {u"Escape"_s, u"Cancel"_s, u"Show the first problem"_s}) {
            driver.answer(answer);
            m_editor->compileScript();
        }
        QVERIFY(!QFile::exists(u"mantle.scp"_s));
        QCOMPARE(form->focusWidget(), &listBox(ListId::Tiles));
        QCOMPARE(listBox(ListId::Tiles).textCursor().selectedText(), u"0x2 t.bmp 44"_s);
        driver.answer(u"Compile anyway"_s);
        m_editor->compileScript();
        QVERIFY(readBytes(u"mantle.scp"_s).contains(wrongCount.toLatin1()));
        const QString question =
            u"warning: The script will carry problems the patching tool cannot read as entries: "
            u"1 problem in the tiles list and 1 problem in the items list.\n\nThe first, in the "
            u"tiles list: the entry has 3 fields, a tile needs 4: hexid filename.bmp width "
            u"height.\n\nCompile anyway?"_s;
        QCOMPARE(driver.boxes, QStringList(4, question) << u"Mantle.Scp has been created"_s);
        // Warnings alone ask nothing.
        const QString warnings = u"0x1 t.bmp 1 1     0x1 t.bmp 1 1"_s;
        listBox(ListId::Tiles).list().setText(warnings);
        listBox(ListId::Items).list().setText(u"0x1 0 0 0 0 1 5 600 0 sword"_s);
        m_editor->compileScript();
        QVERIFY(readBytes(u"mantle.scp"_s).contains(warnings.toLatin1()));
        QCOMPARE(driver.boxes.mid(5), QStringList{u"Mantle.Scp has been created"_s});
    }

    void listMenuEditCommands()
    {
        // Each command enabled only when it can act; only Select All while replaced.
        const auto chosen = [&](ListId list, const QString& verb, bool run = true) {
            const QString name = listTitle(list);
            UiDriver driver;
            if (run)
                driver.choose(verb + name + u"Action"_s);
            QTest::keyClick(&listBox(list), Qt::Key_Menu);
            QStringList enabled;
            for (const QAction* action :
                 findWidget<QMenu>(scp::listName(list) + u"CopyMenu"_s)->actions()) {
                for (const char* command : {"undo", "redo", "cut", "paste", "delete", "selectAll"})
                    if (action->isEnabled() &&
                        action->objectName() == QString::fromLatin1(command) + name + u"Action"_s)
                        enabled << QString::fromLatin1(command);
            }
            return enabled.join(u' ');
        };
        QClipboard* clipboard = QGuiApplication::clipboard();
        for (ListId list : scp::kAllLists) {
            scp::ListEdit& edit = listBox(list);
            clipboard->clear();
            QCOMPARE(chosen(list, {}, false), u"selectAll"_s); // as started: nothing to undo
            QCOMPARE(chosen(list, u"selectAll"_s), u"selectAll"_s);
            QCOMPARE(edit.textCursor().selectedText().size(),
                     scp::listPlaceholder(list).size() - 1);
            for (const auto& [verb, enabled, emptied] :
                 {std::tuple{u"cut"_s, u"cut delete selectAll"_s, true},
                  {u"undo"_s, u"undo paste"_s, false},
                  {u"redo"_s, u"redo paste selectAll"_s, true},
                  {u"paste"_s, u"undo paste"_s, false}}) {
                QCOMPARE(chosen(list, verb), enabled);
                QCOMPARE(listText(list), emptied ? QString() : scp::listPlaceholder(list));
                QCOMPARE(clipboard->text(), scp::listPlaceholder(list));
            }
            selectRange(edit, 0, 6);
            QCOMPARE(chosen(list, u"delete"_s), u"undo cut paste delete selectAll"_s);
            QCOMPARE(listText(list), scp::listPlaceholder(list).mid(6));
            edit.list().setBeingReplaced(true);
            QCOMPARE(chosen(list, u"undo"_s), u"selectAll"_s);
            QCOMPARE(listText(list), scp::listPlaceholder(list).mid(6));
            edit.list().setBeingReplaced(false);
        }
    }

    void workAskedDuringALoadWaitsForIt()
    {
        // Work asked for while the lists fill runs after, in order (more: tst_work_queue).
        const QByteArray items = "0x2 0 0 0 0 3 20 970 0 Cape" + QByteArray(86, ' ') + "0x3";
        QVERIFY(writeBytes(u"gumps.scp"_s, "g") && writeBytes(u"tiles.scp"_s, "t") &&
                writeBytes(u"items.scp"_s, items));
        auto* field = form->findChild<QLineEdit*>(u"newGumpEntry"_s);
        UiDriver driver;
        FillsHeld fills;
        clickButton(u"loadButton"_s);
        QVERIFY(!listsAreIn());
        for (const QString& entry : {u"AAA"_s, u"BBB"_s}) {
            field->setText(entry);
            clickButton(u"addGumpButton"_s);
        }
        m_editor->saveSections();
        clickButton(u"clearTilesButton"_s); // Clear tiles, after the Save
        driver.answer(u"Cancel"_s);
        clickButton(u"loadButton"_s);
        QVERIFY(driver.boxes.isEmpty() && !listsAreIn());
        fills.release();
        QTRY_COMPARE(driver.boxes.size(), 2);
        QCOMPARE(driver.boxes.first(), u"Gumps,Tiles,Items Saved!"_s);
        QVERIFY(driver.boxes.last().startsWith(u"warning: The tiles list has changes"_s));
        QVERIFY(listsAreIn());
        const QByteArray spacer(37, ' ');
        QCOMPARE(readBytes(u"gumps.scp"_s) + '|' + readBytes(u"tiles.scp"_s) + '|' +
                     readBytes(u"items.scp"_s),
                 "g" + spacer + "AAA" + spacer + "BBB|t|" + items);
        QVERIFY(listBox(ListId::Tiles).list().isEmpty());
    }

    // patch.ini: its unsaved marker and question, saved all or none with the lists.
    void patchInfoThroughTheSaveMenu()
    {
        UiDriver driver;
        const auto fromSaveMenu = [&](const QString& action) {
            driver.choose(action);
            clickButton(u"saveButton"_s);
        };
        // The patch info dialog, `act` done on it and its name field, then OK.
        const auto edit = [&](const std::function<void(QDialog&, QLineEdit & name)>& act) {
            QTimer timer;
            connect(&timer, &QTimer::timeout, this, [&] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    return;
                act(*dialog, *dialog->findChild<QLineEdit*>(u"patchNameField"_s));
                QTest::mouseClick(
                    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                    Qt::LeftButton);
                if (dialog->isVisible()) // a check failed
                    dialog->reject();
            });
            timer.start(10);
            fromSaveMenu(u"patchInfoAction"_s);
        };
        // What the script cannot hold is refused; OK on the same text changes nothing.
        edit([&](QDialog& dialog, QLineEdit& name) {
            QCOMPARE(name.text(), u"The Mantle Patch v1.0"_s);
            name.setText(u"\u03A9"_s);
            const QString told = dialog.findChild<QLabel*>(u"patchInfoProblems"_s)->text();
            QVERIFY2(
                !dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled() &&
                    told.startsWith(u"Name: \"\u03A9\""_s),
                qPrintable(told));
            name.setText(u"The Mantle Patch v1.0"_s);
        });
        QVERIFY(!form->isWindowModified());
        edit([&](QDialog& dialog, QLineEdit& name) {
            name.setText(u"Bob\u2019s"_s);
            dialog.findChild<QLineEdit*>(u"patchMailField"_s)->setText(u"b@c"_s);
            dialog.findChild<QRadioButton*>(u"clientPatchButton"_s)->click();
        });
        QVERIFY(form->isWindowModified());

        QVERIFY(QDir::current().mkdir(u"patch.ini"_s));
        const auto before = snapshot(m_dir->path());
        fromSaveMenu(u"saveSectionsAction"_s);
        QCOMPARE(snapshot(m_dir->path()), before);
        QVERIFY(QDir::current().rmdir(u"patch.ini"_s));
        fromSaveMenu(u"saveSectionsAction"_s);
        QCOMPARE(
            readBytes(u"patch.ini"_s),
            scp::patchInfoBytes({u"Bob\u2019s"_s, u"The scpmaker developers"_s, u"b@c"_s, false}));
        QVERIFY(!form->isWindowModified() && QFile::exists(u"gumps.scp"_s));

        // A bad patch.ini keeps the patch info; a good one is read.
        QVERIFY(writeBytes(u"gumps.scp"_s, "0x1 a.bmp 1 1") &&
                writeBytes(u"patch.ini"_s, "[script]\ngodwalk = 2\n"));
        clickButton(u"loadButton"_s);
        QTRY_VERIFY(listsAreIn());
        QCOMPARE(listText(ListId::Gumps), u"0x1 a.bmp 1 1"_s);
        edit([&](QDialog&, QLineEdit& name) { QCOMPARE(name.text(), u"Bob\u2019s"_s); });
        QVERIFY(writeBytes(u"patch.ini"_s, "[script]\nname = Al\n"));
        clickButton(u"loadButton"_s);
        QTRY_VERIFY(listsAreIn());
        edit([&](QDialog&, QLineEdit& name) {
            QCOMPARE(name.text(), u"Al"_s);
            name.setText(u"Al's"_s);
        });
        driver.answer(u"Cancel"_s);
        m_editor->close();
        const QString ini = QDir::toNativeSeparators(m_dir->filePath(u"patch.ini"_s));
        QCOMPARE(driver.boxes,
                 QStringList({u"warning: Could not write \"%1\": it is not a regular file (a "
                              u"folder)"_s.arg(ini),
                              u"Gumps,Tiles,Items Saved!"_s,
                              u"warning: %1:2: godwalk: must be 0 or 1, not \"2\""_s.arg(ini),
                              u"warning: The patch info has changes that patch.ini does not "
                              u"have yet.\n\nSave them before closing?"_s}));

        // The start reads patch.ini without section files; the script carries it.
        m_editor.reset();
        for (const char* name : {"gumps.scp", "tiles.scp", "items.scp"})
            QVERIFY(QFile::remove(QString::fromLatin1(name)));
        startEditor();
        driver.answer(u"Compile anyway"_s); // the placeholders
        fromSaveMenu(u"compileScriptAction"_s);
        QVERIFY(readBytes(u"mantle.scp"_s)
                    .contains("\r\nNAME Al\r\nCREATOR The scpmaker developers\r\nEMAIL "
                              "scripts@example.org , patches@example.org , tiles@example.org & "
                              "items@example.org\r\n}"));
    }

    void aboutPlaceAndTheWaysBack()
    {
        pressAbout();
        QWidget& about = *m_aboutWindow;
        auto* image = about.findChild<QLabel*>(u"picture"_s);
        const QImage picture(u":/about.jpg"_s);
        QCOMPARE(image->grab().toImage().pixel(150, 90), picture.pixel(150, 90));
        const QPoint centre = about.screen()->availableGeometry().center();
        QVERIFY2((about.geometry().center() - centre).manhattanLength() <= 1,
                 qPrintable(u"%1,%2"_s.arg(about.x()).arg(about.y())));
        about.move(about.pos() + QPoint(7, 9));
        const QPoint moved = about.pos();
        QTest::keyClick(about.windowHandle(), Qt::Key_Return); // reaches the focused Return
        backToMain();
        pressAbout();
        QCOMPARE(about.pos(), moved);
        QVERIFY(!about.close()); // a window manager's close request
        backToMain();
        QVERIFY(about.close()); // hidden, it closes: quitting is never held up
    }

    void aboutLinks()
    {
        // A link runs once a click, never when dragged off before the release.
        m_editor->setLinkLauncher([this](const QString& text) { m_launched << text; });
        QDesktopServices::setUrlHandler(u"http"_s, this, "openUrl");
        QDesktopServices::setUrlHandler(u"mailto"_s, this, "openUrl");
        pressAbout();
        const std::pair<const char*, QString> links[] = {
            {"webLink", u"start http://scpmaker.example.org/"_s},
            {"mailLink", u"start mailto:scpmaker@example.org"_s},
            {"directoryLink",
             u"start http://directory.example.org/scripts/Search.dll?to=100200300"_s}};
        for (const auto& [name, command] : links) {
            auto* link = m_aboutWindow->findChild<QLabel*>(QLatin1StringView(name));
            m_launched.clear();
            QTest::mousePress(link, Qt::LeftButton);
            QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
            QVERIFY(m_launched.isEmpty());
            QTest::mouseClick(link, Qt::LeftButton);
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(m_launched, QStringList({command, command}));
            QVERIFY(m_aboutWindow->isVisible() && !form->isVisible());

            m_launched.clear();
            scp::openWithDesktop(command);
            QCOMPARE(m_launched, QStringList{u"opened "_s + command.sliced(6)});
        }
        QDesktopServices::unsetUrlHandler(u"http"_s);
        QDesktopServices::unsetUrlHandler(u"mailto"_s);
        QTest::mouseClick(m_aboutWindow->findChild<QPushButton*>(u"returnButton"_s),
                          Qt::LeftButton);
        backToMain();
    }
    void busyFeedbackOfALongLoad()
    {
        // A long Load has the busy pointer before its lists fill; closing takes it away.
        QVERIFY(writeBytes(u"items.scp"_s, QByteArray(scp::ListLoading::kLongBytes, ' ')));
        FillsHeld fills;
        clickButton(u"loadButton"_s);
        const QCursor* pointer = QGuiApplication::overrideCursor();
        const Qt::CursorShape shape = pointer ? pointer->shape() : Qt::ArrowCursor;
        fills.release();
        QCOMPARE(shape, Qt::BusyCursor);
        m_editor.reset();
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // The progress bar is the window's child; the window may go first.
        auto window = std::make_unique<QWidget>();
        QElapsedTimer begun;
        begun.start();
        scp::BusyWork busy(window.get(), false, begun);
        QTest::qWait(scp::BusyWork::kProgressAfter);
        busy.step(0.5);
        QVERIFY(window->findChild<QProgressDialog*>() != nullptr);
        window.reset();
    }

    // Last: it ends the application's event loop.
    void closingEndsTheProgram()
    {
        // The About window up does not keep the program alive.
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
