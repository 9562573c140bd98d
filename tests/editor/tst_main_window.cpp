// The main window as the user drives it: its layout and keyboard order, the
// list buttons, Save and Load through real clicks, and the program's end.

#include "about_window.h"
#include "editor.h"
#include "fail_on_warnings.h"
#include "list_edit.h"
#include "main_window.h"
#include "test_files.h"
#include "ui_driver.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using scp::ListId;

// Each control's rectangle in twips, 15 to a pixel, and each button's caption.
static const struct {
    const char* name;
    int left, top, width, height;
    const char* caption = nullptr;
} kControls[] = {
    // clang-format off
    {"RichTextBox1", 0, 240, 2655, 3975},           {"RichTextBox2", 2760, 240, 3135, 3975},
    {"RichTextBox3", 6000, 240, 6135, 3975},        {"Label1", 0, 4440, 615, 375},
    {"Label2", 600, 4440, 975, 375},                {"Label3", 1680, 4440, 615, 375},
    {"Label4", 2160, 4440, 495, 255},               {"Label5", 5040, 4440, 495, 255},
    {"Label6", 4560, 4440, 615, 375},               {"Label7", 3480, 4440, 975, 375},
    {"Label8", 2880, 4440, 615, 375},               {"Label9", 6120, 4440, 5295, 375},
    {"Text1", 0, 4680, 2655, 375},                  {"Text3", 2880, 4680, 2655, 375},
    {"Text4", 6120, 4680, 5295, 375},               {"Command1", 4080, 5160, 1095, 615, "Load"},
    {"Command2", 120, 5160, 495, 375, "Add"},       {"Command3", 720, 5160, 495, 375, "Clear"},
    {"Command4", 3480, 5160, 495, 375, "Clear"},    {"Command5", 2880, 5160, 495, 375, "Add"},
    {"Command6", 9240, 5160, 495, 375, "Clear"},    {"Command7", 9840, 5160, 495, 375, "Add"},
    {"Command8", 5280, 5160, 1095, 615, "ABOUT"},   {"Command9", 6480, 5160, 1095, 615, "Save"},
    // clang-format on
};

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<scp::Editor> m_editor = std::make_unique<scp::Editor>(QDir(m_dir.path()));
    scp::MainWindow& form = m_editor->mainWindow();

    QString listText(ListId list) const { return form.lists().listText(list); }
    QString allLists() const
    {
        return listText(ListId::Gumps) + u'|' + listText(ListId::Tiles) + u'|' +
               listText(ListId::Items);
    }
    void click(const QString& name)
    {
        auto* button = form.findChild<QPushButton*>(name);
        QVERIFY2(button != nullptr, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Section files go to the current directory: make it a scratch one.
        QVERIFY(m_dir.isValid() && QDir::setCurrent(m_dir.path()));
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }

    void cleanupTestCase()
    {
        m_editor.reset();
        QDir::setCurrent(QDir::tempPath()); // lets the scratch directory go
    }

    void init()
    {
        failOnQtWarnings();
        QDir here;
        for (const QString& name : here.entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
            QVERIFY(here.remove(name) || QDir(name).removeRecursively());
    }

    void startsAsDrawnWithLoadFocused()
    {
        QCOMPARE(QRect(form.pos(), form.size()), QRect(88, 141, 811, 389));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(
            !(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(QApplication::focusWidget(), form.findChild<QWidget*>(u"Command1"_s));
        QVERIFY(QDir::current().isEmpty()); // nothing written at start
        for (const auto& [name, left, top, width, height, caption] : kControls) {
            const QWidget* widget = form.findChild<QWidget*>(QLatin1StringView(name));
            QVERIFY2(widget != nullptr && widget->isVisible(), name);
            QCOMPARE(widget->geometry(), QRect(left / 15, top / 15, width / 15, height / 15));
            if (caption)
                QCOMPARE(widget->property("text").toString(), QLatin1StringView(caption));
        }
        // Captions shrink only as far as they must to fit their rectangles.
        const QFont captions = form.findChild<QWidget*>(u"Command2"_s)->font();
        QVERIFY2(QFontInfo(captions).pixelSize() > 8, qPrintable(captions.toString()));
    }

    void tabWalksTheTableOrder()
    {
        form.findChild<QWidget*>(u"Command1"_s)->setFocus();
        const QStringList expected =
            u"RichTextBox1 Text1 Command2 Command3 RichTextBox2 RichTextBox3 "
            u"Command4 Command5 Text3 Command6 Command7 Text4 Command8 "
            u"Command9 Command1"_s.split(u' ');
        QStringList walked;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, expected);
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
            form.findChild<QLineEdit*>(field)->setText(entry);
            click(add);
            QCOMPARE(listText(list), before + QString(spacer, u' ') + entry);
            click(clear);
            QCOMPARE(listText(list), QString());
            click(add); // no spacer before the first entry
            QCOMPARE(listText(list), entry);
        }
    }

    void saveCompileAndLoadThroughTheButtons()
    {
        // A hand-edited list: a no-break space, accents, a line break of its own.
        const QString items = u"0x1\u00A0a\r\nb"_s + QString(86, u' ') + u"0x2 \u00E9p\u00E9e"_s;
        // In cp1252, \240 is the no-break space and \351 the e acute.
        const QByteArray itemBytes =
            QByteArray("0x1\240a\r\nb") + QByteArray(86, ' ') + "0x2 \351p\351e";
        form.lists().setListText(ListId::Items, items);
        const QString saved = allLists();
        UiDriver driver;
        driver.choose(u"SaveAllSections"_s);
        click(u"Command9"_s);
        driver.choose(u"CompileMantleScp"_s);
        click(u"Command9"_s);
        QCOMPARE(driver.boxes,
                 QStringList({u"Gumps,Tiles,Items Saved!"_s, u"Mantle.Scp has been created"_s}));
        QCOMPARE(read_bytes(u"items.scp"_s), itemBytes);
        QVERIFY(read_bytes(u"mantle.scp"_s).contains(itemBytes));

        click(u"Command3"_s);
        click(u"Command5"_s);
        click(u"Command7"_s);
        click(u"Command1"_s);
        QCOMPARE(allLists(), saved);
        QCOMPARE(driver.boxes.size(), 2); // Load succeeds silently
    }

    void failingSaveOrLoadWarnsOnceAndChangesNothing()
    {
        // A directory where items.scp belongs can be neither written nor read.
        QVERIFY(QDir::current().mkdir(u"items.scp"_s));
        for (const QString& name : {u"gumps.scp"_s, u"tiles.scp"_s}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        }
        const QString kept = allLists();
        UiDriver driver;
        driver.choose(u"SaveAllSections"_s);
        click(u"Command9"_s);
        click(u"Command1"_s);
        QCOMPARE(driver.boxes.size(), 2); // one each, and no success after the failure
        for (const QString& box : driver.boxes)
            QVERIFY2(box.startsWith(u"warning: "_s) && box.contains(u"items.scp"_s),
                     qPrintable(box));
        QCOMPARE(read_bytes(u"gumps.scp"_s) + read_bytes(u"tiles.scp"_s), QByteArray("oldold"));
        QCOMPARE(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList({u"gumps.scp"_s, u"items.scp"_s, u"tiles.scp"_s}));
        QCOMPARE(allLists(), kept);
    }

    void saveAskedDuringALoadWaitsForIt()
    {
        // The Save runs once the Load is done, on the whole loaded lists.
        const QByteArray items =
            QByteArray("0x2 0 0 0 0 3 20 970 0 Cape" + QByteArray(86, ' ')).repeated(6000) + "0x3";
        QVERIFY(write_bytes(u"gumps.scp"_s, "g") && write_bytes(u"tiles.scp"_s, "t") &&
                write_bytes(u"items.scp"_s, items));
        QObject scope;
        int reports = 0;
        connect(&form.listEdit(ListId::Items), &scp::ListEdit::filling, &scope, [&] {
            if (reports++ == 0)
                m_editor->saveSections();
        });
        UiDriver driver;
        click(u"Command1"_s);
        QVERIFY(reports > 1);
        QCOMPARE(driver.boxes, QStringList{u"Gumps,Tiles,Items Saved!"_s});
        QCOMPARE(read_bytes(u"items.scp"_s), items);
    }

    // Last: it ends the application's event loop.
    void closingEndsTheProgram()
    {
        // The About window, up as well, does not keep the program alive
        // (it turns a polite close request into Return).
        m_editor->showAbout();
        QTimer::singleShot(0, [this] { form.close(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // hung
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
