#include "app/instances.h"
#include "lists/widget_text_box.h"
#include "script/save_form.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui_driver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

scp::Form1& form()
{
    return scp::form1();
}

template <typename T = QWidget> T* child(const QString& name)
{
    return form().findChild<T*>(name);
}

void click(const QString& buttonName)
{
    auto* button = child<QPushButton>(buttonName);
    QVERIFY2(button != nullptr, qPrintable(buttonName));
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString spaces(int n)
{
    return QString(n, u' ');
}

QString listText(ListId list)
{
    return form().lists().list_text(list);
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_oldDir;

    void setLists(const QString& gumps, const QString& tiles, const QString& items)
    {
        form().lists().set_list_text(ListId::Gumps, gumps);
        form().lists().set_list_text(ListId::Tiles, tiles);
        form().lists().set_list_text(ListId::Items, items);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Section files go to the current directory: make it a scratch one
        // before the workshop first looks at it.
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QCoreApplication::setApplicationName(u"scpmaker"_s);
        form().show();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
    }

    void cleanupTestCase()
    {
        scp::destroy_instances();
        QDir::setCurrent(m_oldDir);
    }

    void init()
    {
        for (const QString& name :
             QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
            QVERIFY(QDir::current().remove(name) || QDir(name).removeRecursively());
        if (!form().isVisible()) {
            form().show();
            QVERIFY(QTest::qWaitForWindowActive(&form()));
        }
    }

    void startsOnLoadWithPlaceholders()
    {
        QCOMPARE(QApplication::focusWidget(), child(u"Command1"_s));
        QCOMPARE(listText(ListId::Gumps), u"GUMPS WILL LOAD HERE\r\n"_s);
        QCOMPARE(listText(ListId::Tiles), u"TILES WILL LOAD HERE\r\n"_s);
        QCOMPARE(listText(ListId::Items), u"ITEMS WILL LOAD HERE\r\n"_s);
        // Nothing was read or written at start.
        QVERIFY(QDir::current().isEmpty());
    }

    void windowIsFixedAndPlaced()
    {
        QCOMPARE(form().windowTitle(), u"MoonrakesMantle.zozOzazez"_s);
        QCOMPARE(form().size(), QSize(811, 389)); // 12165 x 5835 twips
        QCOMPARE(form().minimumSize(), form().size());
        QCOMPARE(form().maximumSize(), form().size());
        QCOMPARE(form().pos(), QPoint(88, 141));
        const Qt::WindowFlags flags = form().windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowTitleHint);
    }

    void controlsFollowTheTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        const QString hint = u"HexID Filename.bmp Width Height"_s;
        const QString itemHint =
            u"ItemHex Flag1 Flag2 Flag3 Flag4 weight layer animation height itemName"_s;
        auto row = [](const char* name, const QString& caption, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << caption << QRect(l, t, w, h);
        };
        row("Command1", u"Load"_s, 4080, 5160, 1095, 615);
        row("RichTextBox1", u"GUMPS WILL LOAD HERE\r\n"_s, 0, 240, 2655, 3975);
        row("Text1", hint, 0, 4680, 2655, 375);
        row("Command2", u"Add"_s, 120, 5160, 495, 375);
        row("Command3", u"Clear"_s, 720, 5160, 495, 375);
        row("RichTextBox2", u"TILES WILL LOAD HERE\r\n"_s, 2760, 240, 3135, 3975);
        row("RichTextBox3", u"ITEMS WILL LOAD HERE\r\n"_s, 6000, 240, 6135, 3975);
        row("Label1", u"HexID"_s, 0, 4440, 615, 375);
        row("Label2", u"Filename.bmp"_s, 600, 4440, 975, 375);
        row("Label3", u"Width"_s, 1680, 4440, 615, 375);
        row("Label4", u"Height"_s, 2160, 4440, 495, 255);
        row("Command4", u"Clear"_s, 3480, 5160, 495, 375);
        row("Command5", u"Add"_s, 2880, 5160, 495, 375);
        row("Text3", hint, 2880, 4680, 2655, 375);
        row("Label5", u"Height"_s, 5040, 4440, 495, 255);
        row("Label6", u"Width"_s, 4560, 4440, 615, 375);
        row("Label7", u"Filename.bmp"_s, 3480, 4440, 975, 375);
        row("Label8", u"HexID"_s, 2880, 4440, 615, 375);
        row("Command6", u"Clear"_s, 9240, 5160, 495, 375);
        row("Command7", u"Add"_s, 9840, 5160, 495, 375);
        row("Text4", itemHint, 6120, 4680, 5295, 375);
        row("Label9", itemHint, 6120, 4440, 5295, 375);
        row("Command8", u"ABOUT"_s, 5280, 5160, 1095, 615);
        row("Command9", u"Save"_s, 6480, 5160, 1095, 615);
    }
    void controlsFollowTheTable()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QWidget* widget = child(name);
        QVERIFY(widget != nullptr);
        QVERIFY(widget->isVisible());
        QCOMPARE(widget->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QString shown;
        if (auto* button = qobject_cast<QPushButton*>(widget))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget)) {
            shown = label->text();
            // Labels carry the desktop's window colours on a filled background.
            QVERIFY(label->autoFillBackground());
            QCOMPARE(label->backgroundRole(), QPalette::Base);
            QCOMPARE(label->foregroundRole(), QPalette::Text);
        } else if (auto* field = qobject_cast<QLineEdit*>(widget))
            shown = field->text();
        else if (auto* box = qobject_cast<scp::WidgetTextBox*>(widget)) {
            shown = box->text();
            QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        }
        QCOMPARE(shown, caption);
    }

    void spacerBoxesAreHidden()
    {
        for (const auto& [name, width] : {std::pair{u"Text2"_s, 37}, std::pair{u"Text5"_s, 86}}) {
            auto* box = child<QLineEdit>(name);
            QVERIFY(box != nullptr);
            QVERIFY(!box->isVisible());
            QCOMPARE(box->focusPolicy(), Qt::NoFocus);
            QCOMPARE(box->text(), spaces(width));
        }
    }

    void tabWalksTheTableOrder()
    {
        child(u"Command1"_s)->setFocus();
        const QStringList expected{
            u"RichTextBox1"_s, u"Text1"_s,    u"Command2"_s, u"Command3"_s, u"RichTextBox2"_s,
            u"RichTextBox3"_s, u"Command4"_s, u"Command5"_s, u"Text3"_s,    u"Command6"_s,
            u"Command7"_s,     u"Text4"_s,    u"Command8"_s, u"Command9"_s, u"Command1"_s,
        };
        QStringList walked;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, expected);
    }

    void addAndClearEachList_data()
    {
        QTest::addColumn<ListId>("list");
        QTest::addColumn<QString>("add");
        QTest::addColumn<QString>("clear");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("spacer");
        QTest::newRow("gumps") << ListId::Gumps << u"Command2"_s << u"Command3"_s << u"Text1"_s
                               << 37;
        QTest::newRow("tiles") << ListId::Tiles << u"Command5"_s << u"Command4"_s << u"Text3"_s
                               << 37;
        QTest::newRow("items") << ListId::Items << u"Command7"_s << u"Command6"_s << u"Text4"_s
                               << 86;
    }
    void addAndClearEachList()
    {
        QFETCH(ListId, list);
        QFETCH(QString, add);
        QFETCH(QString, clear);
        QFETCH(QString, field);
        QFETCH(int, spacer);
        setLists(scp::list_placeholder(ListId::Gumps), scp::list_placeholder(ListId::Tiles),
                 scp::list_placeholder(ListId::Items));
        const QString placeholder = scp::list_placeholder(list);
        const QString entry = u"0x1234 Filename.bmp 44 44"_s;
        child<QLineEdit>(field)->setText(entry);

        click(add);
        QCOMPARE(listText(list), placeholder + spaces(spacer) + entry);
        click(add);
        QCOMPARE(listText(list), placeholder + spaces(spacer) + entry + spaces(spacer) + entry);
        click(clear);
        QCOMPARE(listText(list), QString());
        click(add);
        QCOMPARE(listText(list), entry);
        QCOMPARE(child<QLineEdit>(field)->text(), entry);

        for (ListId other : scp::kAllLists)
            if (other != list)
                QCOMPARE(listText(other), scp::list_placeholder(other));
    }

    void saveThenLoadThroughTheButtons()
    {
        // A hand-edited list with a no-break space and a line break of its
        // own, an empty list and an untouched placeholder.
        const QString items =
            u"0x1\u00A0a\r\nb"_s + spaces(86) + u"0x2 0 0 0 0 1 2 3 4 \u00E9p\u00E9e"_s;
        setLists(scp::list_placeholder(ListId::Gumps), QString(), items);

        UiDriver driver;
        driver.choose(u"SaveAllSections"_s);
        click(u"Command9"_s);
        QCOMPARE(driver.menus.size(), std::size_t(1));
        QCOMPARE(driver.menus[0].name, u"menu"_s);
        QCOMPARE(driver.boxes.size(), std::size_t(1));
        QCOMPARE(driver.boxes[0].text, u"Gumps,Tiles,Items Saved!"_s);
        QCOMPARE(driver.boxes[0].title, u"scpmaker"_s);

        QCOMPARE(readBytes(u"gumps.scp"_s), QByteArray("GUMPS WILL LOAD HERE\r\n"));
        QCOMPARE(readBytes(u"tiles.scp"_s), QByteArray());
        QCOMPARE(readBytes(u"items.scp"_s), QByteArray("0x1\xA0"
                                                       "a\r\nb") +
                                                QByteArray(86, ' ') +
                                                QByteArray("0x2 0 0 0 0 1 2 3 4 \xE9p\xE9"
                                                           "e"));

        click(u"Command3"_s);
        click(u"Command5"_s);
        click(u"Command7"_s);
        click(u"Command1"_s);
        QCOMPARE(listText(ListId::Gumps), scp::list_placeholder(ListId::Gumps));
        QCOMPARE(listText(ListId::Tiles), QString());
        QCOMPARE(listText(ListId::Items), items);
        QCOMPARE(driver.boxes.size(), std::size_t(1)); // Load shows nothing
    }

    void failingSaveWarnsAndWritesNothing()
    {
        QVERIFY(QDir::current().mkdir(u"items.scp"_s));
        writeBytes(u"gumps.scp"_s, "old gumps");
        setLists(u"new gumps"_s, u"new tiles"_s, u"new items"_s);

        UiDriver driver;
        driver.choose(u"SaveAllSections"_s);
        click(u"Command9"_s);
        QCOMPARE(driver.boxes.size(), std::size_t(1)); // no success after the failure
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(driver.boxes[0].title, u"scpmaker"_s);
        QVERIFY2(driver.boxes[0].text.contains(u"items.scp"_s), qPrintable(driver.boxes[0].text));

        QCOMPARE(readBytes(u"gumps.scp"_s), QByteArray("old gumps"));
        QVERIFY(!QFile::exists(u"tiles.scp"_s));
        QVERIFY(QFileInfo(u"items.scp"_s).isDir());
        QCOMPARE(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList({u"gumps.scp"_s, u"items.scp"_s}));
        QCOMPARE(listText(ListId::Gumps), u"new gumps"_s);
        QCOMPARE(listText(ListId::Items), u"new items"_s);
    }

    void failingLoadWarnsAndChangesNoList()
    {
        writeBytes(u"gumps.scp"_s, "file gumps");
        writeBytes(u"tiles.scp"_s, "file tiles");
        setLists(u"kept gumps"_s, u"kept tiles"_s, u"kept items"_s);

        UiDriver driver;
        click(u"Command1"_s);
        QCOMPARE(driver.boxes.size(), std::size_t(1));
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Warning);
        QVERIFY2(driver.boxes[0].text.contains(u"items.scp"_s), qPrintable(driver.boxes[0].text));
        QCOMPARE(listText(ListId::Gumps), u"kept gumps"_s);
        QCOMPARE(listText(ListId::Tiles), u"kept tiles"_s);
        QCOMPARE(listText(ListId::Items), u"kept items"_s);
    }

    void onlyTheRightButtonOpensACopyMenu_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("menu");
        QTest::newRow("gumps") << u"RichTextBox1"_s << u"menu2"_s;
        QTest::newRow("tiles") << u"RichTextBox2"_s << u"menu3"_s;
        QTest::newRow("items") << u"RichTextBox3"_s << u"menu4"_s;
    }
    void onlyTheRightButtonOpensACopyMenu()
    {
        QFETCH(QString, box);
        QFETCH(QString, menu);
        QWidget* viewport = child<scp::WidgetTextBox>(box)->viewport();
        UiDriver driver; // closes any popup with Escape
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseClick(viewport, Qt::MiddleButton, {}, QPoint(10, 10));
        QTest::qWait(50);
        QCOMPARE(driver.menus.size(), std::size_t(0));

        QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(driver.menus.size(), std::size_t(1));
        QCOMPARE(driver.menus[0].name, menu);
    }

    void aboutSwapsTheWindows()
    {
        click(u"Command8"_s);
        QVERIFY(!form().isVisible());
        QVERIFY(scp::form2().isVisible());
        auto* back = scp::form2().findChild<QPushButton*>(u"Command1"_s);
        QVERIFY(back != nullptr);
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(form().isVisible());
        QVERIFY(!scp::form2().isVisible());
    }

    // Last: it ends the application's event loop.
    void closingEndsTheProgram()
    {
        // The workshop exists and the About window is up as well; neither
        // keeps the program alive (the About window would turn a polite
        // close request into Return).
        scp::savefrm();
        scp::form2().showAbout();
        QVERIFY(scp::form2().isVisible());

        QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
        bool timedOut = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        watchdog.start(5000);
        QTimer::singleShot(0, this, [] { form().close(); });
        const int status = QApplication::exec();
        QVERIFY(!timedOut);
        QCOMPARE(status, 0);
        QCOMPARE(aboutToQuit.count(), 1);
        QVERIFY(!form().isVisible());
    }
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
