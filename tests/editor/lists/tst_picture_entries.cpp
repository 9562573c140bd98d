#include "bmp_bytes.h"
#include "editor_fixture.h"
#include "fail_on_warnings.h"
#include "test_files.h"
#include "ui_driver.h"

#include <QHelpEvent>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>

namespace {

void drop(ListId list, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    QMimeData data;
    data.setUrls(urls);
    // Qt delivers a drop to the widget that took the drag's entering.
    QWidget* viewport = listBox(list).viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &event);
    QVERIFY(event.isAccepted());
}

// The tooltip over the first character of `text` in the box.
QString hover(scp::ListEdit& box, const QString& text)
{
    QTextCursor cursor(box.document());
    cursor.setPosition(int(box.list().text().indexOf(text)) + 1);
    const QPoint at = box.cursorRect(cursor).center() - QPoint(1, 0);
    QHelpEvent event(QEvent::ToolTip, at, box.viewport()->mapToGlobal(at));
    QApplication::sendEvent(box.viewport(), &event);
    return QToolTip::text();
}

} // namespace

class PictureEntriesTest : public QObject, EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        newFolders();
    }
    void cleanup() { m_editor.reset(); }

    void dropsAddPicturesInNameOrderAfterTheLargestId()
    {
        QTemporaryDir elsewhere;
        // The last three in the working folder; "Pic10.bmp" is another file on Windows.
        for (const auto& [name, bytes] : {std::pair{u"pic2.bmp"_s, bmpBytes(3, 2)},
                                          {u"clash.bmp"_s, bmpBytes(9, 9)},
                                          {u"same.bmp"_s, bmpBytes(2, 2)},
                                          {u"Pic10.bmp"_s, bmpBytes(1, 1)},
                                          {u"fake.bmp"_s, QByteArray("GIF89a")},
                                          {u"note.txt"_s, bmpBytes(1, 1)},
                                          {u"/pic10.bmp"_s, bmpBytes(5, 4)},
                                          {u"/clash.bmp"_s, bmpBytes(1, 1)},
                                          {u"/same.bmp"_s, bmpBytes(2, 2)}})
            QVERIFY(writeBytes(
                name.startsWith(u'/') ? m_dir->path() + name : elsewhere.filePath(name), bytes));
        startEditor();
        scp::ListEdit& gumps = listBox(ListId::Gumps);
        // Hex ids with and without 0x, gaps, the largest in mixed case carried into a letter.
        const QString before =
            u"0x0f9F a.bmp 1 1"_s + kGumpSpacer + u"300 b.bmp 1 1\r\n0x2 c.bmp 1 1"_s;
        gumps.list().setText(before);

        UiDriver driver;
        drop(ListId::Gumps, {elsewhere.filePath(u"same.bmp"_s), elsewhere.filePath(u"pic2.bmp"_s),
                             path(u"pic10.bmp"_s), elsewhere.filePath(u"clash.bmp"_s),
                             elsewhere.filePath(u"Pic10.bmp"_s), elsewhere.filePath(u"fake.bmp"_s),
                             elsewhere.filePath(u"note.txt"_s), elsewhere.filePath(u"gone.bmp"_s)});
        QCOMPARE(listText(ListId::Gumps), before + kGumpSpacer + u"0x0FA0 pic2.bmp 3 2"_s +
                                              kGumpSpacer + u"0x0FA1 pic10.bmp 5 4"_s +
                                              kGumpSpacer + u"0x0FA2 same.bmp 2 2"_s);
        QTRY_COMPARE(driver.boxes.size(), 1);
        const QString message = driver.boxes.first();
        QVERIFY2(message.startsWith(u"warning: 3 pictures were added; these files were not:\n"_s),
                 qPrintable(message));
        for (const QString& name :
             {u"clash.bmp\": the working folder already holds a different \"clash.bmp\""_s,
              u"fake.bmp\": it is not a BMP picture: "_s, u"gone.bmp\": "_s,
              u"note.txt\": it is not a BMP picture: its name does not end in .bmp"_s,
              u"Pic10.bmp\": the working folder holds \"pic10.bmp\", which differs only in case"_s})
            QVERIFY2(message.contains(name), qPrintable(name));
        // Copied byte for byte; nothing replaced.
        QCOMPARE(readBytes(path(u"pic2.bmp"_s)), bmpBytes(3, 2));
        QCOMPARE(readBytes(path(u"clash.bmp"_s)), bmpBytes(1, 1));
        QCOMPARE(readBytes(path(u"pic10.bmp"_s)), bmpBytes(5, 4));
        gumps.undo(); // the whole drop is one step
        QCOMPARE(listText(ListId::Gumps), before);
    }

    void dialogFillsAnEmptyListAndItemsTakeNone()
    {
        QVERIFY(writeBytes(path(u"t.bmp"_s), bmpBytes(44, 44)));
        startEditor();
        QString askedIn;
        m_editor->setPictureChooser([&](QWidget*, const QString& folder) {
            askedIn = folder;
            return QStringList{path(u"t.bmp"_s)};
        });
        m_editor->clearList(ListId::Tiles);
        UiDriver driver;
        driver.choose(u"addPicturesTilesAction"_s);
        QTest::mouseClick(listBox(ListId::Tiles).viewport(), Qt::RightButton);
        QCOMPARE(askedIn, m_dir->path());
        QCOMPARE(listText(ListId::Tiles), u"0x0001 t.bmp 44 44"_s);

        const QString items = listText(ListId::Items);
        drop(ListId::Items, {path(u"t.bmp"_s)});
        QTRY_COMPARE(driver.boxes,
                     QStringList{u"Pictures go in the gumps or tiles list; the items list names "
                                 u"none, so nothing was added."_s});
        QCOMPARE(listText(ListId::Items), items);
    }

    void previewAndSizeFix()
    {
        QVERIFY(writeBytes(path(u"big.bmp"_s), bmpBytes(600, 300)));
        QVERIFY(writeBytes(path(u"dot.bmp"_s), bmpBytes(3, 2)));
        startEditor();
        scp::ListEdit& box = listBox(ListId::Gumps);
        const QString text = u"0x1 dot.bmp 3 2"_s + kGumpSpacer + u"0x2 big.bmp 60 30"_s +
                             kGumpSpacer + u"0x2 x.bmp 1 1"_s;
        box.list().setText(text);

        // Scaled down to 256 on the longer side, true size and marks; decoded aside.
        hover(box, u"big.bmp"_s);
        QTRY_VERIFY(QToolTip::text().contains(u"width=\"256\" height=\"128\""_s));
        QString tip = QToolTip::text();
        QVERIFY(tip.contains(u"<img src=\"data:image/png;base64,"_s));
        // The label draws it: the picture's height is in the tooltip's.
        QVERIFY(findWidget(u"qtooltip_label"_s)->sizeHint().height() > 128);
        QVERIFY(tip.contains(u"<b>big.bmp</b>, 600 x 300 pixels"_s));
        QVERIFY(tip.contains(u"&quot;big.bmp&quot; is 600 x 300 pixels, the entry says 60 x 30"_s));
        // Never scaled up; from the keyboard, the entry at the caret.
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_I, Qt::ControlModifier);
        QTRY_VERIFY(QToolTip::text().contains(u"width=\"3\" height=\"2\""_s));
        // Over an entry whose picture is missing, the marks' tooltip as before.
        QCOMPARE(hover(box, u"x.bmp"_s).count(u"<p>"_s), 1);

        // The fix where the size mark is: one undo step, the rest untouched.
        QTextCursor fixAt(box.document());
        fixAt.setPosition(int(text.indexOf(u"60 30"_s)));
        UiDriver driver;
        driver.choose(u"usePictureSizeGumpsAction"_s);
        QTest::mouseClick(box.viewport(), Qt::RightButton, {}, box.cursorRect(fixAt).center());
        QVERIFY2(driver.menus.value(0).contains(
                     u"usePictureSizeGumpsAction=Use the picture's size, 600 x 300"_s),
                 qPrintable(driver.menus.value(0)));
        QCOMPARE(listText(ListId::Gumps), QString(text).replace(u"60 30"_s, u"600 300"_s));
        box.undo();
        QCOMPARE(listText(ListId::Gumps), text);
        // No size mark, no fix.
        QTest::mouseClick(box.viewport(), Qt::RightButton, {}, QPoint(3, 3));
        QTRY_COMPARE(driver.menus.size(), 2);
        QVERIFY(!findWidget<QMenu>(u"gumpsCopyMenu"_s)
                     ->findChild<QAction*>(u"usePictureSizeGumpsAction"_s)
                     ->isVisible());
    }

    void marksFollowThePicturesOnDisk()
    {
        startEditor();
        scp::ListEdit& box = listBox(ListId::Tiles);
        box.list().setText(u"0x1 late.bmp 4 4"_s);
        QCOMPARE(markedTexts(box), QStringList{u"late.bmp"_s});
        QVERIFY(writeBytes(path(u"late.bmp"_s), bmpBytes(4, 4)));
        QTRY_COMPARE(box.extraSelections().size(), 0);
        // Rewritten in place, resized: no folder entry changes.
        QVERIFY(writeBytes(path(u"late.bmp"_s), bmpBytes(5, 5)));
        QTRY_COMPARE(box.extraSelections().size(), 1);
        QCOMPARE(box.extraSelections().first().cursor.selectedText(), u"4 4"_s);
    }
};

QTEST_MAIN(PictureEntriesTest)
#include "tst_picture_entries.moc"
