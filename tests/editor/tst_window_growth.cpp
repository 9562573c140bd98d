// The main window as it grows, maximises and comes back as it was left, and
// the lists' zoom: every control's rectangle, what is remembered, and one
// entry a row in the lists at every size and zoom.

#include "editor.h"
#include "editor_windows.h"
#include "fail_on_warnings.h"
#include "list_document.h"
#include "list_edit.h"
#include "list_zoom.h"
#include "main_window.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QWheelEvent>

using namespace Qt::StringLiterals;
using scp::ListId;

class WindowGrowthTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir, m_journals;
    std::unique_ptr<scp::Editor> m_editor;
    QWidget* form = nullptr;

    void start()
    {
        m_editor = std::make_unique<scp::Editor>(QDir(m_dir.path()), m_journals.path());
        m_editor->show();
        form = &mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    // The editor closed and started again.
    void restart()
    {
        m_editor->close();
        start();
    }
    QRect rect(const QString& name) const { return form->findChild<QWidget*>(name)->geometry(); }
    qreal listPoints(ListId list) const { return listBox(list).font().pointSizeF(); }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        QSettings(QSettings::IniFormat, QSettings::UserScope, u"scpmaker"_s, u"scpmaker"_s).clear();
        start();
    }
    void cleanup() { m_editor.reset(); }

    void controlsFollowTheirListsAsTheWindowGrows()
    {
        // As drawn, then 301 px wider (100, 100 and 101 to the three lists)
        // and 200 px higher.
        const struct {
            const char* name;
            QRect drawn, grown;
        } controls[] = {
            {"gumpsProblems", {0, 0, 177, 16}, {0, 0, 277, 16}},
            {"tilesProblems", {184, 0, 209, 16}, {284, 0, 309, 16}},
            {"itemsProblems", {400, 0, 409, 16}, {600, 0, 510, 16}},
            {"gumpsList", {0, 16, 177, 265}, {0, 16, 277, 465}},
            {"tilesList", {184, 16, 209, 265}, {284, 16, 309, 465}},
            {"itemsList", {400, 16, 409, 265}, {600, 16, 510, 465}},
            {"gumpIdLabel", {0, 296, 41, 25}, {0, 496, 41, 25}},
            {"gumpFileLabel", {40, 296, 65, 25}, {40, 496, 65, 25}},
            {"gumpWidthLabel", {112, 296, 41, 25}, {112, 496, 41, 25}},
            {"gumpHeightLabel", {144, 296, 33, 17}, {144, 496, 33, 17}},
            {"newGumpEntry", {0, 312, 177, 25}, {0, 512, 177, 25}},
            {"addGumpButton", {8, 344, 33, 25}, {8, 544, 33, 25}},
            {"clearGumpsButton", {48, 344, 33, 25}, {48, 544, 33, 25}},
            {"tileIdLabel", {192, 296, 41, 25}, {292, 496, 41, 25}},
            {"tileFileLabel", {232, 296, 65, 25}, {332, 496, 65, 25}},
            {"tileWidthLabel", {304, 296, 41, 25}, {404, 496, 41, 25}},
            {"tileHeightLabel", {336, 296, 33, 17}, {436, 496, 33, 17}},
            {"newTileEntry", {192, 312, 177, 25}, {292, 512, 177, 25}},
            {"addTileButton", {192, 344, 33, 25}, {292, 544, 33, 25}},
            {"clearTilesButton", {232, 344, 33, 25}, {332, 544, 33, 25}},
            {"itemFieldsLabel", {408, 296, 353, 25}, {608, 496, 353, 25}},
            {"newItemEntry", {408, 312, 353, 25}, {608, 512, 353, 25}},
            {"clearItemsButton", {616, 344, 33, 25}, {816, 544, 33, 25}},
            {"addItemButton", {656, 344, 33, 25}, {856, 544, 33, 25}},
            {"loadButton", {272, 344, 73, 41}, {472, 544, 73, 41}},
            {"aboutButton", {352, 344, 73, 41}, {552, 544, 73, 41}},
            {"saveButton", {432, 344, 73, 41}, {632, 544, 73, 41}},
        };
        QCOMPARE(form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
                 qsizetype(std::size(controls))); // none left out
        for (const QSize size : {QSize(811, 389), QSize(1112, 589), QSize(811, 389)}) {
            form->resize(size);
            for (const auto& [name, drawn, grown] : controls)
                QCOMPARE(rect(QLatin1String(name)), size.width() > 811 ? grown : drawn);
        }
        // Maximised, the lists and the bottom row reach the screen's edges,
        // with the margins they were drawn with; back, all is as drawn.
        form->showMaximized();
        QTRY_VERIFY(form->size().width() > 1000);
        QCOMPARE(rect(u"itemsList"_s).right(), form->width() - 3);
        QCOMPARE(rect(u"gumpsList"_s).bottom(), form->height() - 109);
        QCOMPARE(rect(u"saveButton"_s).bottom(), form->height() - 5);
        form->showNormal();
        QTRY_COMPARE(form->size(), QSize(811, 389));
        QCOMPARE(rect(u"saveButton"_s), QRect(432, 344, 73, 41));
    }

    void oneEntryARowAtEverySizeAndZoom()
    {
        // Each list of entries as Add makes them, the gumps holding one entry
        // longer than its box is wide: as drawn, at 1200 x 700 and two zoom
        // steps up, every entry starts a row, and an entry wider than its
        // box wraps within itself; the lists' bytes stay as they were.
        const QString longEntry = u"0x0100 "_s + QString(60, u'n') + u".bmp 44 44"_s;
        std::array<QString, 3> texts;
        for (const ListId list : scp::kAllLists) {
            QStringList entries;
            for (int i = 0; i < 30; ++i) {
                entries << (list == ListId::Items ? u"0x%1 0 0 0 0 1 0 0 0 item"_s
                                                  : u"0x%1 g.bmp 44 44"_s)
                               .arg(i, 4, 16, QChar(u'0'));
            }
            if (list == ListId::Gumps)
                entries[10] = longEntry;
            texts[size_t(list)] =
                u"LINE\r\n"_s + entries.join(scp::spacerText(scp::spacerWidth(list)));
            listBox(list).list().setText(texts[size_t(list)]);
        }
        auto& zoom = static_cast<scp::MainWindow*>(form)->zoom();
        const struct {
            QSize size;
            int zoomSteps;
        } views[] = {{{811, 389}, 0}, {{1200, 700}, 0}, {{1200, 700}, 2}, {{811, 389}, 2}};
        for (const auto& [size, zoomSteps] : views) {
            form->resize(size);
            zoom.setPercent(100);
            for (int step = 0; step < zoomSteps; ++step)
                zoom.zoomIn();
            QCoreApplication::processEvents();
            for (const ListId list : scp::kAllLists) {
                const scp::ListEdit& box = listBox(list);
                QString positions;
                scp::ListDocument::positionText(*box.document(), 0,
                                                box.document()->characterCount() - 1, positions);
                const QList<int> entries = entryStarts(positions, scp::spacerWidth(list));
                QCOMPARE(entries.size(), 31);
                const QList<int> rows = rowStarts(box);
                for (const int entry : entries)
                    QVERIFY2(rows.contains(entry),
                             qPrintable(u"%1 at %2"_s.arg(entry).arg(size.width())));
                // An entry wider than its box wraps within itself: no row
                // starts with the spaces after an entry (where the spaces are
                // wider than the box, the break after them takes a row).
                for (const int row : rows) {
                    QVERIFY(row >= positions.size() || positions.at(row) != u' ' ||
                            box.document()->characterAt(row) == QChar::LineSeparator);
                }
                QVERIFY(rows.size() > entries.size() || list != ListId::Gumps);
                QCOMPARE(box.list().text(), texts[size_t(list)]);
                QCOMPARE(box.list().encoded().bytes, texts[size_t(list)].toLatin1());
            }
        }
        for (const ListId list : scp::kAllLists)
            listBox(list).list().markSaved(); // nothing for a restart to ask about
    }

    void placeSizeAndZoomAreRemembered()
    {
        // The three lists zoom together, from any of them, by keys and wheel.
        const qreal normal = listPoints(ListId::Gumps);
        QVERIFY(normal >= 8.5);
        auto& zoom = static_cast<scp::MainWindow*>(form)->zoom();
        QTest::keyClick(&listBox(ListId::Tiles), Qt::Key_Plus,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&listBox(ListId::Items), Qt::Key_Plus,
                        Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(zoom.percent(), 125);
        QTest::keyClick(&listBox(ListId::Items), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(zoom.percent(), 110);
        QWidget* viewport = listBox(ListId::Gumps).viewport();
        QWheelEvent wheel(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), {}, {0, 240},
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        QCOMPARE(zoom.percent(), 150);
        for (ListId list : scp::kAllLists)
            QCOMPARE(listPoints(list), normal * 1.5);

        form->setGeometry(120, 100, 900, 450);
        restart();
        QCOMPARE(form->geometry(), QRect(120, 100, 900, 450));
        QCOMPARE(listPoints(ListId::Items), normal * 1.5);
        QTest::keyClick(&listBox(ListId::Items), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(listPoints(ListId::Gumps), normal);

        form->showMaximized();
        QTRY_VERIFY(form->isMaximized());
        restart();
        QVERIFY(form->isMaximized());
        QCOMPARE(listPoints(ListId::Tiles), normal);
        form->showNormal();
        QTRY_COMPARE(form->geometry(), QRect(120, 100, 900, 450));

        // A place on no screen (a monitor since unplugged): the size only.
        form->setGeometry(5000, 100, 900, 450);
        restart();
        QCOMPARE(form->pos(), QPoint(88, 141));
        QCOMPARE(form->size(), QSize(900, 450));
    }
};

int main(int argc, char** argv)
{
    // A screen larger than the window, for it to grow and maximise on. The
    // platform's options are separated by colons, which a Windows path has:
    // the file is named from the folder it is in.
    QTemporaryDir screens;
    if (!QDir::setCurrent(screens.path()))
        return 1;
    QFile config(u"screens.json"_s);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1600,
                         "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=screens.json");
    QApplication app(argc, argv);
    WindowGrowthTest test;
    const int failed = QTest::qExec(&test, argc, argv);
    QDir::setCurrent(QDir::tempPath()); // lets the folder go
    return failed;
}

#include "tst_window_growth.moc"
