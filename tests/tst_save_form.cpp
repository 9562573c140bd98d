#include "app/instances.h"
#include "lists/widget_text_box.h"
#include "script/cp1252.h"
#include "script/save_form.h"
#include "ui/form1.h"
#include "ui_driver.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

scp::Form1& form()
{
    return scp::form1();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

QWidget* viewport(ListId list)
{
    return form().listBox(list).viewport();
}

void rightPress(ListId list)
{
    QTest::mouseClick(viewport(list), Qt::RightButton, {}, QPoint(10, 10));
}

// Puts an image and a private format on the clipboard, which no copy may
// leave behind.
void fillClipboard()
{
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    data->setData(u"application/x-scp-test"_s, "old");
    data->setText(u"old text"_s);
    QGuiApplication::clipboard()->setMimeData(data);
}

const QString kGumps = u"GUMPS WILL LOAD HERE\r\n"_s + QString(37, u' ') + u"0x10 g.bmp 1 2"_s;
const QString kTiles = u"0x20 t.bmp 3 4"_s + QString(37, u' ') + u"0x21 t\u00A0b.bmp 5 6"_s;
const QString kItems = u"alpha beta\r\ngamma"_s;

} // namespace

class SaveFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_oldDir;

private Q_SLOTS:
    void initTestCase()
    {
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
        form().lists().set_list_text(ListId::Gumps, kGumps);
        form().lists().set_list_text(ListId::Tiles, kTiles);
        form().lists().set_list_text(ListId::Items, kItems);
    }

    void menusOpenAtThePointerWithTheirItems_data()
    {
        QTest::addColumn<int>("opener"); // -1: the Save button, else a list
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("save") << -1 << u"menu"_s
                              << QStringList{u"CompileMantleScp=CompileMantleScp"_s,
                                             u"SaveAllSections=SaveAllSections"_s};
        QTest::newRow("gumps") << int(ListId::Gumps) << u"menu2"_s << QStringList{u"Copy1=Copy"_s};
        QTest::newRow("tiles") << int(ListId::Tiles) << u"menu3"_s << QStringList{u"Copy2=Copy"_s};
        QTest::newRow("items") << int(ListId::Items) << u"menu4"_s << QStringList{u"Copy3=Copy"_s};
    }
    void menusOpenAtThePointerWithTheirItems()
    {
        // Nothing chosen: Escape closes the menu and nothing runs.
        QFETCH(int, opener);
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        QGuiApplication::clipboard()->setText(u"before"_s);
        const QPoint pointer(300, 200);
        QCursor::setPos(pointer);

        UiDriver driver;
        if (opener < 0)
            QTest::mouseClick(form().findChild<QPushButton*>(u"Command9"_s), Qt::LeftButton);
        else
            rightPress(ListId(opener));

        QCOMPARE(driver.menus.size(), std::size_t(1));
        QCOMPARE(driver.menus[0].name, menu);
        QCOMPARE(driver.menus[0].items, items);
        QCOMPARE(driver.menus[0].at, pointer);
        QCOMPARE(driver.boxes.size(), std::size_t(0));
        QVERIFY(QDir::current().isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
        QCOMPARE(form().lists().list_text(ListId::Items), kItems);
    }

    void compileWritesTheAssembledScript()
    {
        UiDriver driver;
        driver.choose(u"CompileMantleScp"_s);
        QTest::mouseClick(form().findChild<QPushButton*>(u"Command9"_s), Qt::LeftButton);

        QCOMPARE(driver.boxes.size(), std::size_t(1));
        QCOMPARE(driver.boxes[0].text, u"Mantle.Scp has been created"_s);
        QCOMPARE(driver.boxes[0].title, u"scpmaker"_s);
        const QString script = scp::savefrm().workshop().assemble_script(form().lists());
        QVERIFY(script.contains(kTiles + u"\r\n\r\n}"_s));
        QCOMPARE(scp::savefrm().workshop().save().text(), script);
        QCOMPARE(readBytes(u"mantle.scp"_s), scp::encode_cp1252(script).bytes);
        QCOMPARE(QDir::current().entryList(QDir::Files), QStringList{u"mantle.scp"_s});
    }

    void compileFailureIsOneWarning()
    {
        QVERIFY(QDir::current().mkdir(u"mantle.scp"_s));
        UiDriver driver;
        driver.choose(u"CompileMantleScp"_s);
        QTest::mouseClick(form().findChild<QPushButton*>(u"Command9"_s), Qt::LeftButton);
        QCOMPARE(driver.boxes.size(), std::size_t(1));
        QCOMPARE(driver.boxes[0].icon, QMessageBox::Warning);
        QVERIFY2(driver.boxes[0].text.contains(u"mantle.scp"_s), qPrintable(driver.boxes[0].text));
    }

    void eachCopyMenuCopiesItsOwnList_data()
    {
        QTest::addColumn<ListId>("list");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::newRow("gumps") << ListId::Gumps << u"Copy1"_s << kGumps;
        QTest::newRow("tiles") << ListId::Tiles << u"Copy2"_s << kTiles;
        QTest::newRow("items") << ListId::Items << u"Copy3"_s << kItems;
    }
    void eachCopyMenuCopiesItsOwnList()
    {
        QFETCH(ListId, list);
        QFETCH(QString, item);
        QFETCH(QString, text);
        QClipboard* clipboard = QGuiApplication::clipboard();
        fillClipboard();
        QSignalSpy changes(clipboard, &QClipboard::dataChanged);

        UiDriver driver;
        driver.choose(item);
        rightPress(list);
        QCOMPARE(driver.menus.size(), std::size_t(1));
        QCOMPARE(changes.count(), 2); // emptied, then given the text
        QCOMPARE(clipboard->text(), text);
        const QMimeData* data = clipboard->mimeData();
        QVERIFY(!data->hasImage());
        QVERIFY(!data->hasFormat(u"application/x-scp-test"_s));
        QVERIFY(!data->hasHtml());
    }

    void copyTakesTheSelectionWhenThereIsOne()
    {
        // "ta", the line end and "ga" of "alpha beta\r\ngamma".
        scp::WidgetTextBox& box = form().listBox(ListId::Items);
        QTextCursor selection(box.document());
        selection.setPosition(8);
        selection.setPosition(13, QTextCursor::KeepAnchor);
        box.setTextCursor(selection);

        UiDriver driver;
        driver.choose(u"Copy3"_s);
        rightPress(ListId::Items);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"ta\r\nga"_s);

        // The no-break space is copied as itself.
        scp::WidgetTextBox& tiles = form().listBox(ListId::Tiles);
        tiles.selectAll();
        driver.choose(u"Copy2"_s);
        rightPress(ListId::Tiles);
        QCOMPARE(QGuiApplication::clipboard()->text(), kTiles);
    }
};

QTEST_MAIN(SaveFormTest)
#include "tst_save_form.moc"
