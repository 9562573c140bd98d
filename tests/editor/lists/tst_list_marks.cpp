#include "bmp_bytes.h"
#include "editor_fixture.h"
#include "fail_on_warnings.h"
#include "lint/lint_rules.h"
#include "lists/list_marks.h"
#include "lists/list_problems.h"
#include "lists/list_search.h"
#include "test_files.h"
#include "ui_driver.h"
#include "windows/main_window.h"
#include "work/script_errors.h"

#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QToolTip>

namespace {

// An items entry with no finding, unless its id is no number.
QString item(const QString& id, int n)
{
    return u"%1 0 0 0 0 3 20 %2 0 Cloak"_s.arg(id).arg(1000 + n);
}

} // namespace

class ListMarksTest : public QObject, EditorFixture {
    Q_OBJECT

    QStringList m_entries; // the items list's, 20,000 of them

    QString selected() const { return listBox(ListId::Items).textCursor().selectedText(); }
    QLabel& problems() const { return *findWidget<QLabel>(u"itemsProblems"_s); }
    // F8 for each '>' and Shift+F8 for each '<' of `keys`, each selecting its entry.
    void visit(const char* keys, const QStringList& entries)
    {
        for (int i = 0; keys[i] != 0; ++i) {
            QTest::keyClick(&listBox(ListId::Items), Qt::Key_F8,
                            keys[i] == '<' ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(selected(), entries[i]);
        }
    }
    // Three entries whose ids are no numbers: start, middle, end; read in idle passes.
    void startWithLongItems()
    {
        startEditor();
        m_entries.clear();
        for (int i = 0; i < 20'000; ++i)
            m_entries << item(i == 3 || i == 10'000 || i == 19'999 ? u"0xZZ%1"_s.arg(i)
                                                                   : u"0x%1"_s.arg(i, 0, 16),
                              i);
        listBox(ListId::Items).list().setText(m_entries.join(QString(86, u' ')));
        listBox(ListId::Items).setFocus();
    }

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        newFolders();
    }
    void cleanup() { m_editor.reset(); }

    void marksFollowTypingWithTooltipAndCopyMenu()
    {
        startEditor();
        scp::ListEdit& box = listBox(ListId::Gumps);

        box.list().setText(u"GUMPS WILL LOAD HERE\r\n0x1 a.bmp 2 3"_s);
        m_editor->addEntry(ListId::Gumps, u"0X1 a.bmp 2 3"_s);
        box.moveCursor(QTextCursor::End);
        QTest::keyClick(&box, Qt::Key_Space);
        QCOMPARE(markedTexts(box),
                 QStringList({u"GUMPS WILL LOAD HERE"_s, u"a.bmp"_s, u"0X1 a.bmp 2 3 "_s}));
        QCOMPARE(box.extraSelections().constFirst().format.underlineStyle(),
                 QTextCharFormat::SpellCheckUnderline);

        // Over the "p" of the first "a.bmp".
        const QPoint at =
            box.cursorRect(box.extraSelections().at(1).cursor).center() - QPoint(2, 0);
        QHelpEvent hover(QEvent::ToolTip, at, box.viewport()->mapToGlobal(at));
        QApplication::sendEvent(box.viewport(), &hover);
        QCOMPARE(QToolTip::text(), u"<p>picture \"a.bmp\" is not in %1</p>"_s.arg(
                                       QDir::toNativeSeparators(m_dir->path())));

        UiDriver driver;
        QTest::mouseClick(box.viewport(), Qt::RightButton, {}, at);
        QCOMPARE(driver.menus.size(), 1);
        QVERIFY(driver.menus[0].startsWith(u"gumpsCopyMenu: copyGumpsAction=Copy "_s));

        // A picture put in while the program was elsewhere is counted once it is back in front.
        const QLabel& problems = *findWidget<QLabel>(u"gumpsProblems"_s);
        QTRY_VERIFY(problems.text().startsWith(u"3 problems"_s));
        QVERIFY(writeBytes(path(u"a.bmp"_s), bmpBytes(2, 3)));
        for (const Qt::ApplicationState state : {Qt::ApplicationInactive, Qt::ApplicationActive})
            Q_EMIT qApp->applicationStateChanged(state);
        QTRY_VERIFY(problems.text().startsWith(u"2 problems"_s));
    }

    void marksFollowAReplacedDocument()
    {
        // Clear and undo swap the box's document; the marks go with it.
        startEditor();
        scp::ListEdit& box = listBox(ListId::Tiles);
        scp::ListDocument& list = box.list();
        QCOMPARE(markedTexts(box), QStringList{u"TILES WILL LOAD HERE"_s});
        m_editor->clearList(ListId::Tiles);
        QCOMPARE(markedTexts(box), QStringList());
        list.appendText(u"0xZ1 a.bmp 2 3"_s);
        QCOMPARE(markedTexts(box), QStringList({u"0xZ1"_s, u"a.bmp"_s}));
        box.undo();
        box.undo();
        QCOMPARE(markedTexts(box), QStringList{u"TILES WILL LOAD HERE"_s});
        // Loaded twice before a repaint: the marked document is gone.
        list.setText(u"0xZ1 a.bmp 2 3"_s);
        list.setText(u"0xZ1 a.bmp 2 3"_s);
        QCOMPARE(markedTexts(box), QStringList({u"0xZ1"_s, u"a.bmp"_s}));
        // A long list is read in idle passes; an edit in the part read is read again.
        list.setText(u"1 a.bmp 2 3"_s + (kGumpSpacer + u"0x2 a.bmp 2 3"_s).repeated(60'000));
        QCoreApplication::processEvents();
        box.moveCursor(QTextCursor::Start);
        QTest::keyClick(&box, Qt::Key_G);
        QTRY_COMPARE(markedTexts(box).value(0), u"g1"_s);
    }
    void problemsCountedAndVisitedWithF8()
    {
        startWithLongItems();
        scp::ListEdit& box = listBox(ListId::Items);
        QTRY_COMPARE(problems().text(), u"3 problems"_s);
        QCOMPARE(problems().accessibleName(), u"3 problems"_s);
        // The placeholder's reason is shown only with the focus in its list.
        QCOMPARE(findWidget<QLabel>(u"tilesProblems"_s)->accessibleName(), u"1 problem"_s);
        QVERIFY(listBox(ListId::Tiles).accessibleDescription().startsWith(u"the placeholder"_s));
        const QString reason = u"hex id \"0xZZ10000\" is not a hexadecimal number"_s;
        // Each whole entry in turn, round the end and back; the reason beside the count.
        const QString &first = m_entries[3], &middle = m_entries[10'000], &last = m_entries[19'999];
        visit(">>>><<", {first, middle, last, first, last, middle});
        QVERIFY(box.viewport()->rect().contains(box.cursorRect().center()));
        QCOMPARE(problems().accessibleName(), u"3 problems: "_s + reason);
        QVERIFY(box.accessibleDescription().startsWith(reason + u". "_s));
        // Right after an edit, before the count is remade, F8 lands on entries as they are.
        box.moveCursor(QTextCursor::Start);
        QTest::keyClicks(&box, u"Q"_s);
        visit("<>", {last, u"Q"_s + m_entries[0]}); // now no number either
        QTRY_VERIFY(problems().text().startsWith(u"4 problems: "_s));
        // Entries a line each, the very first marked: a line end ends an entry too. The
        // last has two problems (its id, the first one's animation), one stop for F8.
        const QStringList lines{item(u"0xZ1"_s, 1), item(u"0x2"_s, 2), item(u"0xZ3"_s, 1)};
        box.list().setText(lines.join(u"\r\n"_s));
        QTRY_VERIFY(problems().text().startsWith(u"3 problems"_s));
        box.moveCursor(QTextCursor::End);
        visit("<<>", {lines[0], lines[2], lines[0]});
        // A word too long to be an entry is one problem, visited whole, as it grows.
        const QString word = item(u"0x1"_s, 1) + QString(scp::kLongestEntry, u'x');
        box.list().setText(item(u"0x1"_s, 1) + QString(86, u' ') + word);
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, u"y"_s);
        QTRY_COMPARE(problems().accessibleName(),
                     u"1 problem: the entry has 4126 characters, more than the 4096 an entry "
                     u"can have: a spacer or a line end is missing, or this is not a list"_s);
        QTest::keyClick(&box, Qt::Key_F8);
        // Selected by its positions: the text has a break in it for the layout.
        QCOMPARE(box.textCursor().selectionEnd(), box.list().positionCount());
        QCOMPARE(box.textCursor().selectionStart(), box.list().positionCount() - word.size() - 1);
        box.list().setText(item(u"0x1"_s, 1));
        QTRY_VERIFY(problems().isHidden());
        QCOMPARE(box.accessibleDescription(), u"The Menu key opens its copy menu"_s);
    }

    // F8 has a Load's marks, counted as the lists fill, at once: past line ends, one stop an entry.
    void loadedMarksAtOnce()
    {
        const QStringList entries{item(u"0xZ1"_s, 1), item(u"0x2"_s, 2), item(u"0xZ3"_s, 3),
                                  item(u"0x4"_s, 4), item(u"0xZ5"_s, 3)};
        QString tail;
        for (int i = 6; i < 20'000; ++i)
            tail += QString(86, u' ') + item(u"0x%1"_s.arg(i, 0, 16), i);
        const QString text = entries[0] + u"\r\n"_s.repeated(40) + entries[1] + u"\n"_s +
                             entries[2] + u"\r\r\n"_s + entries[3] + u"\r"_s + entries[4] + tail;
        QVERIFY(writeBytes(path(u"items.scp"_s), text.toLatin1()));
        startEditor();
        QCOMPARE(problems().text(), u"4 problems"_s);
        listBox(ListId::Items).setFocus();
        visit(">>><", {entries[2], entries[4], entries[0], entries[4]});
    }

    // Only the rows on screen are marked, and every one of them is, wherever
    // the rows it shows fall in the list's long paragraphs.
    void everyRowOnScreenMarked()
    {
        startEditor();
        scp::ListEdit& box = listBox(ListId::Items);
        QStringList ids, entries;
        for (int i = 0; i < 480; ++i) // read at once, under 64K characters
            entries << item(ids.emplaceBack(u"0xZZ%1"_s.arg(i)), i);
        box.list().setText(entries.join(QString(86, u' ')));
        const QList<int> starts = rowStarts(box);
        QCOMPARE(starts.size(), ids.size());
        for (const int scroll : {0, 7, 41, 300, box.verticalScrollBar()->maximum()}) {
            box.verticalScrollBar()->setValue(scroll);
            const QStringList marked = markedTexts(box);
            QStringList onScreen;
            for (int row = 0; row < starts.size(); ++row) {
                QTextCursor at(box.document());
                at.setPosition(starts[row]);
                if (box.cursorRect(at).intersects(box.viewport()->rect()))
                    onScreen << ids[row];
            }
            QVERIFY2(onScreen.size() > 3, qPrintable(onScreen.join(u' ')));
            QCOMPARE(marked, onScreen);
        }
    }

    // The compile asks about the errors the count kept and those of the
    // entries edited since: the same as reading the lists afresh, whatever the
    // edits, before the count catches up and after; after a Load too.
    void errorsFromTheCountAsFromTheLists()
    {
        QStringList entries;
        for (int i = 0; i < 700; ++i) // past what the marks read at once
            entries << item(i % 7 == 3 ? u"0xZ%1"_s.arg(i) : u"0x%1"_s.arg(i, 0, 16), i);
        QVERIFY(writeBytes(path(u"items.scp"_s), entries.join(QString(86, u' ')).toLatin1()));
        for (const char* name : {"gumps.scp", "tiles.scp"})
            QVERIFY(writeBytes(path(QLatin1String(name)), "0x0 a.bmp 1 1" + QByteArray(37, ' ')));
        startEditor();
        scp::ListEdit& box = listBox(ListId::Items);
        auto& window = static_cast<scp::MainWindow&>(mainWindow());
        std::array<const scp::ListDocument*, 3> lists{};
        std::array<const scp::ListProblems*, 3> counts{};
        for (const ListId list : scp::kAllLists) {
            lists[size_t(list)] = &listBox(list).list();
            counts[size_t(list)] = window.problems(list);
        }
        const auto described = [](const QList<scp::ListErrors>& errors) {
            QStringList out;
            for (const auto& [list, count, first] : errors)
                QDebug(&out.emplaceBack()) << int(list) << count << first.position << first.length
                                           << int(first.rule) << first.message;
            return out;
        };
        int fromCount = 0;
        const auto sameErrors = [&] {
            fromCount += counts[2]->errors().has_value() ? 1 : 0;
            const QStringList counted = described(scp::scriptErrors(lists, counts));
            const QStringList read = described(scp::scriptErrors(lists));
            if (counted != read)
                qWarning() << "counted" << counted << "read" << read;
            return counted == read;
        };
        const auto typeAt = [](ListId list, int at) {
            selectRange(listBox(list), at, at);
            QTest::keyClicks(&listBox(list), u" "_s);
        };
        QVERIFY(sameErrors()); // the Load's own count, the items not yet read by the marks
        typeAt(ListId::Items, box.document()->characterCount() - 20); // before they are
        QVERIFY(sameErrors());
        // A space typed after a single one ends the entry two characters back;
        // typed before it, the next entry starts one character on.
        typeAt(ListId::Gumps, 4);
        typeAt(ListId::Tiles, 3);
        QVERIFY(counts[0]->errors().has_value() && counts[1]->errors().has_value());
        QVERIFY(sameErrors());
        QTRY_VERIFY(box.findChild<scp::ListMarks*>()->isRead());
        QRandomGenerator random(27);
        const QStringList typed{u"Z"_s, u" "_s, u"  "_s, u"0x"_s, QString(86, u' '), u"1 2"_s};
        const QKeySequence keys[] = {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return,
                                     QKeySequence::Undo};
        for (int step = 0; step < 120; ++step) {
            const int size = box.document()->characterCount() - 1;
            // Every other one near the start, before the first error of the count.
            const int at = random.bounded(std::max(1, step % 2 == 0 ? size : std::min(size, 1000)));
            selectRange(box, at, std::min(size, at + random.bounded(4)));
            const int edit = random.bounded(int(typed.size() + std::size(keys)));
            if (edit < typed.size())
                QTest::keyClicks(&box, typed[edit]);
            else
                QTest::keySequence(&box, keys[edit - typed.size()]);
            QVERIFY2(sameErrors(), qPrintable(u"step %1"_s.arg(step)));
            if (step % 15 == 14) // the count catches up
                QTRY_VERIFY(counts[2]->isCounted() && sameErrors());
        }
        QVERIFY(fromCount > 80);
    }

    // Before the marks have read a list, F8 ends entries at line ends and 2+ spaces.
    void entriesEndAtLineEndsAndSpacers()
    {
        const scp::ListDocument list(u"0x1 a\r\n0x2 b  0x3 c\n0x4"_s);
        QList<std::pair<int, int>> spans;
        for (const int at : {2, 5, 8, 14, 20}) {
            const scp::EntrySpan span = scp::entryAround(*list.document(), at);
            spans.append({span.start, span.end});
        }
        QCOMPARE(spans, (QList<std::pair<int, int>>{{0, 5}, {5, 5}, {6, 11}, {13, 18}, {19, 22}}));
    }

    void findFromTheKeyboard()
    {
        startWithLongItems();
        scp::ListEdit& box = listBox(ListId::Items);
        QTest::keyClick(&box, Qt::Key_F, Qt::ControlModifier);
        auto* field = findWidget<QLineEdit>(u"itemsFindField"_s);
        auto* note = findWidget<QLabel>(u"itemsFindNote"_s);
        QCOMPARE(QApplication::focusWidget(), field);
        // The note beside the field is what a screen reader hears with it.
        auto noted = [&] {
            return field->accessibleDescription() == (note->isVisible() ? note->text() : QString())
                       ? field->accessibleDescription()
                       : u"(differs)"_s;
        };
        QTest::keyClicks(field, u"zz1"_s); // as typed, any case
        QCOMPARE(selected(), u"ZZ1"_s);
        QCOMPARE(box.textCursor().selectionStart(),
                 m_entries.mid(0, 10'000).join(QString(86, u' ')).size() + 88);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(box.textCursor().selectionStart(), box.list().text().lastIndexOf(u"0xZZ1"_s) + 2);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(noted(), u"wrapped to the top"_s);
        QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(noted(), u"wrapped to the bottom"_s);
        QTest::keyClicks(field, u"x"_s);
        QCOMPARE(noted(), u"not found"_s);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(noted(), QString());
        QVERIFY(box.viewport()->rect().contains(box.cursorRect().center()));
        // Across a row break, which reads as the space it stands for.
        const QTextBlock second = box.document()->firstBlock().next();
        const QString across = box.list().text(second.position() - 10, second.position() + 6);
        field->clear();
        QTest::keyClicks(field, across);
        QCOMPARE(selected().size(), across.size());
        QCOMPARE(box.textCursor().selectionStart(), second.position() - 10);
        // Escape: the match stays selected, the list has the focus again.
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!field->isVisible());
        QCOMPARE(QApplication::focusWidget(), &box);
        QCOMPARE(box.textCursor().selectionStart(), second.position() - 10);
        // F3 in the list goes on (the one match, round the end); the copy menu finds too.
        QTest::keyClick(&box, Qt::Key_F3);
        QCOMPARE(noted(), u"wrapped to the top"_s);
        QCOMPARE(box.textCursor().selectionStart(), second.position() - 10);
        UiDriver driver;
        driver.choose(u"findItemsAction"_s);
        QTest::keyClick(&box, Qt::Key_Menu);
        QTRY_COMPARE(QApplication::focusWidget(), field);
    }

    void findBarFitsTheNarrowestList()
    {
        // As drawn: twelve characters of the field in sight, the note whole over the list.
        startEditor();
        scp::ListEdit& box = listBox(ListId::Gumps);
        box.list().setText(u"0x1 a.bmp 2 3"_s);
        box.moveCursor(QTextCursor::End);
        QTest::keyClick(&box, Qt::Key_F3); // before any find: opens the bar, as Ctrl+F does
        auto* field = findWidget<QLineEdit>(u"gumpsFindField"_s);
        QCOMPARE(QApplication::focusWidget(), field);
        auto* note = findWidget<QLabel>(u"gumpsFindNote"_s);
        QTest::keyClicks(field, u"0x1"_s);
        QTest::keyClick(field, Qt::Key_Return); // the one match again, round the end
        QCOMPARE(note->text(), u"wrapped to the top"_s);
        QVERIFY(field->width() >= 12 * field->fontMetrics().averageCharWidth());
        QVERIFY(note->contentsRect().width() >=
                note->fontMetrics().horizontalAdvance(note->text()));
        const QWidget& bar = *field->parentWidget();
        QVERIFY(box.rect().contains(bar.geometry()));
        QVERIFY(bar.rect().contains(note->geometry()) && note->y() >= field->geometry().bottom());
    }
};

QTEST_MAIN(ListMarksTest)
#include "tst_list_marks.moc"
