#include "editor_fixture.h"
#include "fail_on_warnings.h"
#include "recovery/recovery_store.h"
#include "test_files.h"
#include "ui_driver.h"
#include "work/editor_settings.h"
#include "work/kept_places.h"

#include <QHash>
#include <QWheelEvent>

class WindowGrowthTest : public QObject, EditorFixture {
    Q_OBJECT

    void restart()
    {
        m_editor->close();
        startEditor();
    }
    QRect rect(const QString& name) const { return form->findChild<QWidget*>(name)->geometry(); }
    qreal listPoints(ListId list) const { return listBox(list).font().pointSizeF(); }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        QSettings(QSettings::IniFormat, QSettings::UserScope, u"scpmaker"_s, u"scpmaker"_s).clear();
        startEditor();
    }
    void cleanup() { m_editor.reset(); }

    void controlsFollowTheirListsAsTheWindowGrows()
    {
        // 301 x 200 px more: the lists take it (100, 100, 101 px wide, counts with them),
        // what lies right of or under a list moves with it; back, all is as drawn.
        QCOMPARE(form->size(), QSize(811, 389));
        QHash<QString, QRect> drawn;
        for (const QWidget* control : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            drawn.insert(control->objectName(), control->geometry());
        const int listsEnd = drawn[u"gumpsList"_s].bottom();
        form->resize(1112, 589);
        for (const auto& [name, was] : drawn.asKeyValueRange()) {
            const int column = name.contains(u"gump"_s, Qt::CaseInsensitive)   ? 0
                               : name.contains(u"tile"_s, Qt::CaseInsensitive) ? 1
                                                                               : 2;
            const bool list = name.endsWith(u"List"_s), strip = name.endsWith(u"Problems"_s);
            const QRect grown =
                was.adjusted(0, 0, list || strip ? 100 + column / 2 : 0, list ? 200 : 0);
            QCOMPARE(rect(name), grown.translated(100 * column, was.top() > listsEnd ? 200 : 0));
        }
        form->resize(811, 389);
        for (const auto& [name, was] : drawn.asKeyValueRange())
            QCOMPARE(rect(name), was);
        // Maximised, the lists and bottom row reach the screen's edges, margins kept.
        form->showMaximized();
        QTRY_VERIFY(form->size().width() > 1000);
        QCOMPARE(rect(u"itemsList"_s).right(), form->width() - 3);
        QCOMPARE(rect(u"gumpsList"_s).bottom(), form->height() - 109);
        QCOMPARE(rect(u"saveButton"_s).bottom(), form->height() - 5);
        form->showNormal();
        QTRY_COMPARE(form->size(), QSize(811, 389));
        QCOMPARE(rect(u"saveButton"_s), drawn[u"saveButton"_s]);
    }

    void oneEntryARowAtEverySizeAndZoom()
    {
        // At every size and two zoom steps up each entry starts a row, one wider than
        // its box wraps within itself, and the lists' bytes stay as they were.
        const QString longEntry = u"0x0100 "_s + QString(60, u'n') + u".bmp 44 44"_s;
        std::array<QString, 3> texts;
        for (const ListId list : scp::kAllLists) {
            QStringList entries;
            for (int i = 0; i < 30; ++i)
                entries << (list == ListId::Items ? u"0x%1 0 0 0 0 1 0 0 0 item"_s
                                                  : u"0x%1 g.bmp 44 44"_s)
                               .arg(i, 4, 16, QChar(u'0'));
            if (list == ListId::Gumps)
                entries[10] = longEntry;
            texts[size_t(list)] =
                u"LINE\r\n"_s + entries.join(scp::spacerText(scp::spacerWidth(list)));
            listBox(list).list().setText(texts[size_t(list)]);
        }
        const struct {
            QSize size;
            int zoomSteps;
        } views[] = {{{811, 389}, 0}, {{1200, 700}, 0}, {{1200, 700}, 2}, {{811, 389}, 2}};
        for (const auto& [size, zoomSteps] : views) {
            form->resize(size);
            QTest::keyClick(&listBox(ListId::Gumps), Qt::Key_0, Qt::ControlModifier);
            for (int step = 0; step < zoomSteps; ++step)
                QTest::keyClick(&listBox(ListId::Gumps), Qt::Key_Plus, Qt::ControlModifier);
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
                // No row starts with the spaces after an entry (unless wider than the box).
                for (const int row : rows)
                    QVERIFY(row >= positions.size() || positions.at(row) != u' ' ||
                            box.document()->characterAt(row) == QChar::LineSeparator);
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
        QTest::keyClick(&listBox(ListId::Tiles), Qt::Key_Plus,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&listBox(ListId::Items), Qt::Key_Plus,
                        Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(listPoints(ListId::Gumps), normal * 1.25);
        QTest::keyClick(&listBox(ListId::Items), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(listPoints(ListId::Gumps), normal * 1.1);
        QWidget* viewport = listBox(ListId::Gumps).viewport();
        QWheelEvent wheel(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), {}, {0, 240},
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
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

    void aPortableCopyKeepsItsOwn()
    {
        // A copy beside scpmaker.ini keeps settings and journals there; others, the user's.
        QTemporaryDir installed, portable, readOnly;
        QCOMPARE(scp::keptPlaces(installed.path()).settingsFile, QString());
        QCOMPARE(scp::keptPlaces(installed.path()).journalFolder,
                 scp::RecoveryStore::defaultFolder());
        const QString ini = portable.filePath(u"scpmaker.ini"_s);
        QVERIFY(writeBytes(ini, ""));
        const scp::KeptPlaces places = scp::keptPlaces(portable.path());
        QCOMPARE(places.settingsFile, ini);
        QCOMPARE(places.journalFolder, portable.filePath(u"recovery"_s));
        QVERIFY(places.problem.isEmpty());

        UiDriver driver;
        scp::keepSettingsIn(places.settingsFile);
        startEditorWith(places.journalFolder);
        QCOMPARE(QDir(places.journalFolder).entryList({u"*.lock"_s}, QDir::Files).size(), 1);
        form->setGeometry(130, 110, 880, 440);
        restart();
        scp::keepSettingsIn(QString());
        QCOMPARE(form->geometry(), QRect(130, 110, 880, 440));
        QVERIFY(readBytes(ini).contains("geometry="));
        QVERIFY(!QSettings(QSettings::IniFormat, QSettings::UserScope, u"scpmaker"_s, u"scpmaker"_s)
                     .contains(u"mainWindow/geometry"_s));

        // A folder taking no files keeps no journal, and the editor starts without a word.
        QVERIFY(writeBytes(readOnly.filePath(u"scpmaker.ini"_s), "") &&
                writeBytes(readOnly.filePath(u"recovery"_s), ""));
        const scp::KeptPlaces none = scp::keptPlaces(readOnly.path());
        QCOMPARE(none.journalFolder, QString());
        QVERIFY2(none.problem.contains(QDir::toNativeSeparators(readOnly.path())),
                 qPrintable(none.problem));
        startEditorWith(none.journalFolder);
        QTest::qWait(50);
        QCOMPARE(driver.boxes, QStringList());
    }
};

int main(int argc, char** argv)
{
    // A larger screen, named from its folder (a Windows path has the colons options split on).
    QTemporaryDir screens;
    if (!QDir::setCurrent(screens.path()) ||
        !writeBytes(u"screens.json"_s, R"({"screens": [{"name": "wide", "x": 0, "y": 0,
            "width": 1600, "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})"))
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=screens.json");
    QApplication app(argc, argv);
    WindowGrowthTest test;
    const int failed = QTest::qExec(&test, argc, argv);
    QDir::setCurrent(QDir::tempPath()); // lets the folder go
    return failed;
}

#include "tst_window_growth.moc"
