#include "editor_windows.h"
#include "script/list_encoding.h"
#include "text_box_contract.h"
#include "ui_driver.h"

#include <QClipboard>
#include <QDebug>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTextCursor>
#include <QThread>

using scp::ListDocument;
using scp::ListEdit;

namespace {

// A shown box on a list of its own, both going together.
struct Box {
    Box() : edit(list)
    {
        edit.resize(177, 265); // the gumps list's size on the main window
        edit.show();
        if (!QTest::qWaitForWindowExposed(&edit))
            qWarning("box not exposed");
    }
    void select(int start, int length) { selectRange(edit, start, start + length); }

    scp::ListDocument list;
    ListEdit edit;
};

// Whether breaks stand only at the last space of each spacer-long run inside a line.
bool breaksWhereTheyBelong(const QTextDocument& document, int spacer)
{
    QString text;
    ListDocument::positionText(document, 0, document.characterCount() - 1, text);
    for (qsizetype start = 0; start < text.size();) {
        if (text.at(start) != u' ') {
            const QChar c = document.characterAt(int(start));
            if (c == QChar::LineSeparator || ListDocument::isRowBreakAt(document, int(start)))
                return false;
            ++start;
            continue;
        }
        qsizetype end = start;
        while (end < text.size() && text.at(end) == u' ')
            ++end;
        const bool between =
            start > 0 && text.at(start - 1) != u'\n' && end < text.size() && text.at(end) != u'\n';
        for (qsizetype at = start; at < end && end - start <= ListDocument::kChunkLength; ++at) {
            const bool isBreak = document.characterAt(int(at)) != u' ';
            if (isBreak != (at == end - 1 && between && end - start >= spacer))
                return false;
        }
        start = end;
    }
    return true;
}

// Whether each row ends at the first break that comes once it holds
// kRowLength characters: before that its breaks are line separators.
bool rowsEndOnceLongEnough(const QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.next().isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.lastIndexOf(QChar::LineSeparator) >= ListDocument::kRowLength ||
            (ListDocument::isRowBreakAt(document, block.position() + int(text.size())) &&
             text.size() < ListDocument::kRowLength))
            return false;
    }
    return true;
}

} // namespace

class ListEditTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void rowsEndWhereLongSpacerRunsDo()
    {
        // A spacer run's last space is a break (a paragraph break once a row holds
        // kRowLength characters), put in whole, added or filled; the text reads back as
        // it was. Items: their spacer. Some three rows of entries.
        const int entries = int(3 * ListDocument::kRowLength / (25 + 37));
        const QString list = u"GUMPS WILL LOAD HERE\r\n"_s + gumpList(entries);
        ListDocument whole(list);
        ListDocument added(u"GUMPS WILL LOAD HERE\r\n"_s);
        for (const QString& entry : gumpList(entries).split(kGumpSpacer))
            added.appendText(added.text().endsWith(u'\n') ? entry : kGumpSpacer + entry);
        ListDocument filled;
        filled.adopt(ListDocument::filledDocument(list.toLatin1(), kGumpSpacer.size(),
                                                  [](qsizetype) { return true; }));
        const QString items = u"0x1 a"_s + kGumpSpacer + u"b"_s + QString(86, u' ') + u"0x2"_s;
        ListDocument itemList(items, 86);
        for (const ListDocument* document : {&whole, &added, &filled, &itemList}) {
            const QString& text = document == &itemList ? items : list;
            QCOMPARE(document->text(), text);
            QString positions;
            ListDocument::positionText(*document->document(), 0, document->positionCount(),
                                       positions);
            QCOMPARE(positions, QString(text).replace(u"\r\n"_s, u"\n"_s));
            QCOMPARE(document->encoded().bytes, text.toLatin1());
            QVERIFY(breaksWhereTheyBelong(*document->document(), document == &itemList ? 86 : 37));
        }
        for (const ListDocument* document : {&whole, &added, &filled}) {
            QVERIFY(rowsEndOnceLongEnough(*document->document()));
            QCOMPARE(document->document()->blockCount(), 4); // the line and three rows
        }

        // At the drawn size the rows are where one wrapped paragraph puts them.
        Box box;
        box.edit.resize(177, 1600); // every row on screen
        const QString shown = u"GUMPS WILL LOAD HERE\r\n"_s + gumpList(100);
        box.list.setText(shown);
        QPlainTextEdit plain;
        plain.setFont(box.edit.font());
        plain.setWordWrapMode(box.edit.wordWrapMode());
        plain.resize(box.edit.size());
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        plain.setPlainText(shown);
        QVERIFY(box.edit.document()->blockCount() > 2); // a row break among the rows
        QCOMPARE(plain.document()->blockCount(), 2);
        QCOMPARE(box.edit.grab().toImage(), plain.grab().toImage());
    }

    void typingMovesBreaksAndLongWordsGoInChunks()
    {
        // A space typed in a spacer ends a row, Backspace joins rows; undo and redo restore both.
        auto box = std::make_unique<Box>();
        box->edit.resize(900, 200);
        const QString list = u"a"_s + QString(36, u' ') + u"b"_s + kGumpSpacer + u"c"_s;
        box->list.setText(list);
        box->edit.document()->clearUndoRedoStacks();
        auto rowsStartAt = [&box](QList<int> starts) {
            if (rowStarts(box->edit) == starts &&
                breaksWhereTheyBelong(*box->edit.document(), kGumpSpacer.size()))
                return true;
            qWarning() << "rows at" << rowStarts(box->edit) << "not" << starts;
            return false;
        };
        QVERIFY(rowsStartAt({0, 75}));
        box->select(10, 0);
        QTest::keyClick(&box->edit, Qt::Key_Space);
        QVERIFY(rowsStartAt({0, 38, 76}));
        const QString spaced = box->list.text();
        box->select(60, 0);
        QTest::keyClick(&box->edit, Qt::Key_Backspace);
        QVERIFY(rowsStartAt({0, 38}));
        const QString edited = box->list.text();
        box->edit.undo(); // one press: the space and the row's end together
        QCOMPARE(box->list.text(), spaced);
        QVERIFY(rowsStartAt({0, 38, 76}));
        box->edit.redo();
        QCOMPARE(edited, u"a"_s + kGumpSpacer + u"b"_s + QString(36, u' ') + u"c"_s);
        while (box->edit.document()->isUndoAvailable())
            box->edit.undo();
        QCOMPARE(box->list.text(), list);
        QVERIFY(rowsStartAt({0, 75}));
        while (box->edit.document()->isRedoAvailable())
            box->edit.redo();
        QCOMPARE(box->list.text(), edited);
        QVERIFY(rowsStartAt({0, 38}));
        // A line separator typed is a line end, never a break's character.
        box->select(1, 0);
        QKeyEvent separator(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"\u2028"_s);
        QApplication::sendEvent(&box->edit, &separator);
        QCOMPARE(box->list.text(), u"a\r\n"_s + edited.mid(1));

        // A 10,000-character word goes in chunks; caret, typing, copying and saving see it whole.
        const QString word = QString(10000, u'w') + u"\u20ac"_s;
        box->list.setText(word + kGumpSpacer + u"next"_s);
        QTextBlock block = box->edit.document()->begin();
        for (; block.isValid(); block = block.next())
            QVERIFY(block.length() <= ListDocument::kChunkLength + 1);
        QVERIFY(box->edit.document()->blockCount() >= 10000 / ListDocument::kChunkLength);
        QVERIFY(
            ListDocument::isChunkBreakAt(*box->edit.document(), int(ListDocument::kChunkLength)));
        box->select(int(ListDocument::kChunkLength) - 1, 0);
        for (int step = 0; step < 3; ++step)
            QTest::keyClick(&box->edit, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(box->edit.selectedText(), u"www"_s);
        box->select(0, 0);
        QTest::keyClick(&box->edit, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(box->edit.textCursor().position(), word.size() + kGumpSpacer.size());
        box->select(int(word.size()), 0);
        QTest::keyClick(&box->edit, Qt::Key_Z);
        const QString typed = word + u"z"_s + kGumpSpacer + u"next"_s;
        QCOMPARE(box->list.text(), typed);
        QCOMPARE(box->list.encoded().bytes, scp::encodeCp1252(typed).bytes);
    }

    void wordDeletionCrossesARowBreak()
    {
        // Ctrl+Delete and Ctrl+Backspace take a row break as the space it is.
        QString row; // long enough to end in a row break
        while (row.size() < ListDocument::kRowLength)
            row += (row.isEmpty() ? QString() : kGumpSpacer) + u"0x1 a.bmp 2 word"_s;
        const int rowLength = int(row.size());
        const QString list = row + kGumpSpacer + u"b"_s;
        const struct {
            int at;
            Qt::Key key;
            QString result;
        } cases[] = {
            {rowLength, Qt::Key_Delete, row + u"b"_s},
            {rowLength + 37, Qt::Key_Backspace, row.chopped(4) + u"b"_s},
            {rowLength + 9, Qt::Key_Delete, row + QString(9, u' ') + u"b"_s},
        };
        for (const auto& edit : cases) {
            auto box = std::make_unique<Box>();
            box->list.setText(list);
            QCOMPARE(box->edit.document()->blockCount(), 2);
            box->edit.document()->clearUndoRedoStacks();
            box->select(edit.at, 0);
            QTest::keyClick(&box->edit, edit.key, Qt::ControlModifier);
            QCOMPARE(box->list.text(), edit.result);
            box->edit.undo();
            QCOMPARE(box->list.text(), list);
            box->edit.redo();
            QCOMPARE(box->list.text(), edit.result);
        }
    }

    void appendKeepsTheCaretAndShowsTheEnd()
    {
        auto box = std::make_unique<Box>();
        QString lines;
        for (int i = 0; i < 200; ++i)
            lines += u"line %1\r\n"_s.arg(i);
        box->list.setText(lines);
        box->select(1, 3); // "ine" of the first line
        box->list.appendText(u"0x1234 Filename.bmp 44 44"_s);
        QCOMPARE(std::pair(box->edit.textCursor().anchor(), box->edit.textCursor().position()),
                 std::pair(1, 4));
        QTextCursor end(box->edit.document());
        end.movePosition(QTextCursor::End);
        QVERIFY(box->edit.viewport()->rect().contains(box->edit.cursorRect(end)));
        // A caret at the old end is not dragged along with the new text.
        const int oldEnd = end.position();
        box->edit.setTextCursor(end);
        box->list.appendText(u"more"_s);
        QCOMPARE(box->edit.textCursor().position(), oldEnd);
    }

    void randomEditsMatchAPlainString()
    {
        // Seeded keys, pastes, cuts, copies, Adds, undo and redo on a long list, checked
        // against the same edits on a string; after each, only spacer-long runs end rows,
        // and undo and redo land on a text seen before.
        auto box = std::make_unique<Box>();
        box->edit.setFocus();
        QString model = gumpList(300);
        box->list.setText(model);
        QTextDocument& document = *box->edit.document(); // the list's, once it is set
        document.clearUndoRedoStacks();                  // keep the list long
        QStringList history{model};
        qsizetype now = 0;
        const auto textIndex = [&box](int position) { // the length of the text before it
            box->select(0, position);
            return box->edit.selectedText().size();
        };
        const std::tuple<Qt::Key, Qt::KeyboardModifier, QString> keys[] = {
            {Qt::Key_Space, {}, u" "_s}, // makes a spacer-long run
            {Qt::Key_X, {}, u"x"_s},     // parts one
            {Qt::Key_Return, {}, u"\r\n"_s},
            {Qt::Key_Return, Qt::ShiftModifier, u"\r\n"_s}};
        QRandomGenerator random(20240611);
        for (int step = 0; step < 400; ++step) {
            // At the caret, anywhere, at a row's edge, over a row or over a stretch.
            const int last = document.characterCount() - 1;
            const QTextBlock row =
                document.findBlockByNumber(random.bounded(document.blockCount()));
            int at = box->edit.textCursor().selectionStart();
            int to = box->edit.textCursor().selectionEnd();
            const int where = random.bounded(6); // 0 and 1: at the caret
            if (where == 2 || where == 5)
                at = to = random.bounded(last + 1);
            if (where == 3)
                at = to = row.position() + random.bounded(2) * (row.length() - 1);
            if (where == 4)
                at = row.position(), to = at + row.length() - 1;
            if (where == 5)
                to = qMin(last, at + random.bounded(1, 150));
            const qsizetype from = textIndex(at), end = textIndex(to);
            box->select(at, to - at);
            const QString selected = model.mid(from, end - from);
            const auto lineEndAt = [&model](qsizetype i) { return model.mid(i, 2) == u"\r\n"_s; };
            const auto replace = [&](const QString& with) {
                model.replace(from, end - from, with);
            };
            const int action = random.bounded(10);
            if (action < 2) {
                const auto& [key, modifier, typed] = keys[random.bounded(4)];
                QTest::keyClick(&box->edit, key, modifier);
                replace(typed);
            } else if (action == 2) {
                QTest::keyClick(&box->edit, Qt::Key_Backspace);
                replace({});
                if (end == from && from > 0) {
                    const int width = from >= 2 && lineEndAt(from - 2) ? 2 : 1;
                    model.remove(from - width, width);
                }
            } else if (action == 3) {
                QTest::keyClick(&box->edit, Qt::Key_Delete);
                replace({});
                if (end == from)
                    model.remove(from, lineEndAt(from) ? 2 : 1);
            } else if (action == 4) {
                QGuiApplication::clipboard()->setText(u"p\nq\u2028r\u00A0s"_s);
                box->edit.paste();
                replace(u"p\r\nq\r\nr\u00A0s"_s);
            } else if (action == 5 || action == 6) { // a copy keeps the selection
                QGuiApplication::clipboard()->clear();
                action == 5 ? QTest::keyClick(&box->edit, Qt::Key_C, Qt::ControlModifier)
                            : box->edit.cut();
                QCOMPARE(QGuiApplication::clipboard()->text(), selected);
                QCOMPARE(box->edit.selectedText(), action == 5 ? selected : QString());
                if (action == 6)
                    replace({});
            } else if (action == 7) {
                const QString entry = u"0x%1 Added.bmp 1 2"_s.arg(step);
                const QString added = model.isEmpty() ? entry : kGumpSpacer + entry;
                box->list.appendText(added);
                model += added;
            } else {
                const bool undo = random.bounded(2);
                if (undo ? !document.isUndoAvailable() : !document.isRedoAvailable())
                    continue;
                undo ? box->edit.undo() : box->edit.redo();
                QVERIFY2(breaksWhereTheyBelong(document, kGumpSpacer.size()),
                         qPrintable(u"step %1"_s.arg(step)));
                model = box->list.text();
                now = undo ? history.lastIndexOf(model, now) : history.indexOf(model, now);
                QVERIFY2(now >= 0, qPrintable(u"step %1"_s.arg(step)));
                continue;
            }
            QCOMPARE(box->list.text(), model);
            // Edits through the box's slots have their breaks moved in the event loop.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
            QVERIFY2(breaksWhereTheyBelong(document, kGumpSpacer.size()),
                     qPrintable(u"step %1"_s.arg(step)));
            if (!document.isRedoAvailable())
                history.resize(now + 1);
            if (model != history.at(now)) {
                history.resize(now + 1);
                history.append(model);
                ++now;
            }
        }
        while (document.isUndoAvailable())
            box->edit.undo();
        QCOMPARE(box->list.text(), history.first());
        while (document.isRedoAvailable())
            box->edit.redo();
        QCOMPARE(box->list.text(), history.last());
    }

    void mousePresses()
    {
        auto box = std::make_unique<Box>();
        box->list.setText(u"alpha beta"_s);
        box->select(6, 4);
        std::vector<Qt::MouseButton> pressed;
        connect(&box->edit, &ListEdit::mousePressed, &box->edit,
                [&](Qt::MouseButton b) { pressed.push_back(b); });
        UiDriver driver;
        // The right button, as the platform delivers it: no menu, the selection stays.
        const QPoint at = box->edit.viewport()->mapTo(&box->edit, QPoint(5, 5));
        QTest::mouseClick(box->edit.windowHandle(), Qt::RightButton, {}, at);
        QTest::qWait(50);
        QCOMPARE(driver.menus, QStringList());
        QCOMPARE(box->edit.selectedText(), u"beta"_s);
        QTest::mouseClick(box->edit.viewport(), Qt::LeftButton, {}, QPoint(2, 5));
        QCOMPARE(box->edit.textCursor().position(), 0);
        QVERIFY(!box->edit.textCursor().hasSelection());
        QTest::mouseClick(box->edit.viewport(), Qt::MiddleButton, {}, QPoint(2, 5));
        QCOMPARE(pressed, (std::vector{Qt::RightButton, Qt::LeftButton, Qt::MiddleButton}));
    }

    void wholeTextsUndoWithinABound()
    {
        // Undo of a Load or Clear brings the old document back, unless long and the new not empty.
        ListDocument list(u"old"_s);
        QTextCursor(list.document()).insertText(u"x"_s);
        const QPointer<QTextDocument> small = list.document();
        QSignalSpy replaced(&list, &ListDocument::documentReplaced);
        list.setText(u"new"_s);
        list.document()->undo();
        QCOMPARE(list.document(), small);
        QCOMPARE(list.text(), u"xold"_s);
        QCOMPARE(replaced, (QList<QVariantList>{{false}, {true}}));
        list.document()->undo();
        QCOMPARE(list.text(), u"old"_s);

        const QString longList = gumpList(int(ListDocument::kKeptCharacters / 50));
        list.setText(longList);
        const QPointer<QTextDocument> loaded = list.document();
        list.setText(QString()); // a Clear keeps even a long list
        QVERIFY(small.isNull()); // but only the last one replaced
        list.document()->undo();
        QCOMPARE(list.document(), loaded);
        QCOMPARE(list.text(), longList);
        list.setText(u"a"_s);
        QVERIFY(loaded.isNull());
        QVERIFY(!list.document()->isUndoAvailable()); // the long list is gone
    }

    void fillsOnAnyThreadAndStopsWhenAsked()
    {
        // A document filled on another thread takes the list's font; a stopped fill is none.
        ListDocument list(u"first"_s);
        QFont font = list.document()->defaultFont();
        font.setPointSize(31);
        list.document()->setDefaultFont(font);
        QTextDocument* filled = nullptr;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            filled = ListDocument::filledDocument("0x1 a.bmp 1 1\r\n\x80", 37,
                                                  [](qsizetype) { return true; });
            filled->moveToThread(QCoreApplication::instance()->thread());
        }));
        thread->start();
        QVERIFY(thread->wait());
        list.adopt(filled);
        QCOMPARE(list.text(), u"0x1 a.bmp 1 1\r\n\u20ac"_s);
        QCOMPARE(list.document()->defaultFont(), font);
        list.document()->undo();
        QCOMPARE(list.text(), u"first"_s);
        qsizetype heard = 0;
        QCOMPARE(ListDocument::filledDocument(gumpList(100).toLatin1(), 37,
                                              [&](qsizetype done) {
                                                  heard = done;
                                                  return false;
                                              }),
                 nullptr);
        QVERIFY(heard > 0);
    }

    void encodesALongListInHalvesAsWhole_data()
    {
        QTest::addColumn<double>("badAt"); // how far into the list, or none
        QTest::newRow("every character has a byte") << -1.0;
        QTest::newRow("none for one in the first half") << 0.3;
        QTest::newRow("none for the first of the second half") << 0.5;
        QTest::newRow("none for one in the second half") << 0.9;
    }

    void encodesALongListInHalvesAsWhole()
    {
        // Split in halves for two threads: the bytes and the bad index are the whole text's.
        QFETCH(double, badAt);
        QString text = gumpList(20000);
        text.insert(text.size() / 4, u"\r\n"_s);
        text.insert(text.size() * 3 / 4, u"\r\n"_s);
        const qsizetype positions = text.size() - 2; // a line end is one
        // At the middle: the line end before it is two characters.
        const qsizetype bad = badAt == 0.5 ? positions / 2 + 1 : qsizetype(badAt * positions);
        if (bad >= 0)
            text[bad] = u'\u0100';
        ListDocument gumps(text), tiles(u"0x1 a.bmp 1 1"_s), items;
        const scp::EntryLists lists({&gumps, &tiles, &items});
        QCOMPARE(gumps.positionCount(), positions);
        const scp::Cp1252Encoding halves = scp::encodeLists(lists)[0];
        const scp::Cp1252Encoding whole = scp::encodeCp1252(text);
        QCOMPARE(halves.badIndex, whole.badIndex);
        QVERIFY(halves.bytes == whole.bytes);
    }

    void knowsWhetherItIsSaved()
    {
        // Unsaved after an edit, Clear or Load; saved again when undone to the saved step.
        ListDocument list(u"saved"_s);
        QSignalSpy unsaved(&list, &ListDocument::unsavedChanged);
        QVERIFY(!list.isUnsaved());
        list.appendText(u" more"_s);
        list.document()->undo();
        list.setText(QString());
        list.document()->undo();
        list.appendText(u"!"_s);
        list.markSaved();
        list.document()->undo(); // unsaved: the file has the "!" now
        // The state after each step: the signal carries isUnsaved() as it changes.
        QCOMPARE(unsaved,
                 (QList<QVariantList>{{true}, {false}, {true}, {false}, {true}, {false}, {true}}));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true); // as QTEST_MAIN has it
    TextBoxContract contract([] { return std::make_unique<ListDocument>(); });
    ListEditTest own;
    return QTest::qExec(&contract, argc, argv) | QTest::qExec(&own, argc, argv);
}

#include "tst_list_edit.moc"
