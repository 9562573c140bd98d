// The list box: what typing, keys, pastes and presses do to a list, and how
// it shows it.

#include "fail_on_warnings.h"
#include "list_document.h"
#include "list_edit.h"
#include "ui_driver.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using namespace Qt::StringLiterals;
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
    QString text() const { return list.text(); }
    void setText(const QString& text) { list.setText(text); }
    void appendText(const QString& text) { list.appendText(text); }
    bool isEmpty() const { return list.isEmpty(); }
    // Selects [start, start + length) of a text with no line ends.
    void select(int start, int length)
    {
        QTextCursor cursor(edit.document());
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
    }

    scp::ListDocument list;
    ListEdit edit;
};

std::unique_ptr<Box> shownBox()
{
    return std::make_unique<Box>();
}

const QString kSpacer(37, u' ');

QString gumpList(int entries)
{
    QString text;
    for (int i = 0; i < entries; ++i) {
        if (i > 0)
            text += kSpacer;
        text += u"0x%1 Filename.bmp 44 44"_s.arg(i, 4, 16, QChar(u'0'));
    }
    return text;
}

} // namespace

class ListEditTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void rowsLookAsWrappingShowsThem()
    {
        // Spacer runs end in row breaks, loaded or added, so the list is held
        // as short paragraphs; on screen nothing moves from where wrapping
        // puts it in a box that holds the list as one paragraph.
        auto box = shownBox();
        const QString entry = u"0xffff Filename.bmp 44 44"_s;
        box->edit.resize(177, 600); // every row on screen
        box->setText(u"GUMPS WILL LOAD HERE\r\n"_s + gumpList(25));
        for (int i = 0; i < 12; ++i)
            box->appendText(kSpacer + entry);
        QCOMPARE(box->edit.document()->blockCount(), 6);

        QPlainTextEdit plain;
        plain.setFont(box->edit.font());
        plain.setWordWrapMode(box->edit.wordWrapMode());
        plain.resize(box->edit.size());
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        plain.setPlainText(box->text());
        QCOMPARE(plain.document()->blockCount(), 2);
        QCOMPARE(box->edit.grab().toImage(), plain.grab().toImage());
    }

    void wordDeletionCrossesARowBreak()
    {
        // Ctrl+Delete and Ctrl+Backspace take a row break as the space it is.
        const QString row(520, u'a'); // long enough to end in a row break
        const QString list = row + kSpacer + u"b"_s;
        const struct {
            int at;
            Qt::Key key;
            QString result;
        } cases[] = {
            {520, Qt::Key_Delete, row + u"b"_s},
            {557, Qt::Key_Backspace, u"b"_s},
            {529, Qt::Key_Delete, row + QString(9, u' ') + u"b"_s},
        };
        for (const auto& edit : cases) {
            auto box = shownBox();
            box->setText(list);
            QCOMPARE(box->edit.document()->blockCount(), 2);
            box->edit.document()->clearUndoRedoStacks();
            box->select(edit.at, 0);
            QTest::keyClick(&box->edit, edit.key, Qt::ControlModifier);
            QCOMPARE(box->text(), edit.result);
            box->edit.undo();
            QCOMPARE(box->text(), list);
            box->edit.redo();
            QCOMPARE(box->text(), edit.result);
        }
    }

    void appendKeepsTheCaretAndShowsTheEnd()
    {
        auto box = shownBox();
        QString lines;
        for (int i = 0; i < 200; ++i)
            lines += u"line %1\r\n"_s.arg(i);
        box->setText(lines);
        box->select(1, 3); // "ine" of the first line
        box->appendText(u"0x1234 Filename.bmp 44 44"_s);
        QCOMPARE(box->edit.textCursor().anchor(), 1);
        QCOMPARE(box->edit.textCursor().position(), 4);
        QTextCursor end(box->edit.document());
        end.movePosition(QTextCursor::End);
        QVERIFY(box->edit.viewport()->rect().contains(box->edit.cursorRect(end)));
        // A caret at the old end is not dragged along with the new text.
        const int oldEnd = end.position();
        box->edit.setTextCursor(end);
        box->appendText(u"more"_s);
        QCOMPARE(box->edit.textCursor().position(), oldEnd);
    }

    void randomEditsMatchAPlainString()
    {
        // Seeded typing, Enter, Shift+Enter, Backspace, Delete, paste, cut,
        // copy, Add, undo and redo on a long list held in rows of a few
        // entries, checked against the same edits on a string. Selections
        // span row breaks; undo and redo must land on a text seen before (or
        // stay, after an edit that changed nothing, such as x typed over x).
        auto box = shownBox();
        box->edit.setFocus();
        QString model = gumpList(300);
        box->setText(model);
        box->edit.document()->clearUndoRedoStacks(); // keep the list long
        QStringList history{model};
        qsizetype now = 0;
        // The list index of a document position: the length of the text before it.
        auto textIndex = [&box](int position) {
            QTextCursor before(box->edit.document());
            before.setPosition(position, QTextCursor::KeepAnchor);
            box->edit.setTextCursor(before);
            return box->edit.selectedText().size();
        };
        QRandomGenerator random(20240611);
        for (int step = 0; step < 400; ++step) {
            // Edits go on at the caret, or start anywhere, at a row's edge
            // where breaks meet, over a whole row or over a stretch of rows.
            const QTextDocument& document = *box->edit.document();
            const int last = document.characterCount() - 1;
            const QTextBlock row =
                document.findBlockByNumber(random.bounded(document.blockCount()));
            int at = box->edit.textCursor().selectionStart();
            int to = box->edit.textCursor().selectionEnd();
            switch (random.bounded(6)) {
            case 0:
            case 1:
                break;
            case 2:
                at = to = random.bounded(last + 1);
                break;
            case 3:
                at = to = row.position() + random.bounded(2) * (row.length() - 1);
                break;
            case 4:
                at = row.position();
                to = row.position() + row.length() - 1;
                break;
            default:
                at = random.bounded(last + 1);
                to = qMin(last, at + random.bounded(1, 150));
                break;
            }
            const qsizetype from = textIndex(at);
            const qsizetype end = textIndex(to);
            QTextCursor cursor(box->edit.document());
            cursor.setPosition(at);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            box->edit.setTextCursor(cursor);
            const QString selected = model.mid(from, end - from);
            auto lineEndAt = [&model](qsizetype i) { return model.mid(i, 2) == u"\r\n"_s; };
            auto replace = [&](const QString& with) { model.replace(from, end - from, with); };

            switch (random.bounded(10)) {
            case 0:
                QTest::keyClick(&box->edit, Qt::Key_X);
                replace(u"x"_s);
                break;
            case 1:
                QTest::keyClick(&box->edit, Qt::Key_Return,
                                random.bounded(2) ? Qt::ShiftModifier : Qt::NoModifier);
                replace(u"\r\n"_s);
                break;
            case 2:
                QTest::keyClick(&box->edit, Qt::Key_Backspace);
                replace(QString());
                if (end == from && from > 0) {
                    const int width = from >= 2 && lineEndAt(from - 2) ? 2 : 1;
                    model.remove(from - width, width);
                }
                break;
            case 3:
                QTest::keyClick(&box->edit, Qt::Key_Delete);
                replace(QString());
                if (end == from)
                    model.remove(from, lineEndAt(from) ? 2 : 1);
                break;
            case 4:
                QGuiApplication::clipboard()->setText(u"p\nq\u2028r\u00A0s"_s);
                box->edit.paste();
                replace(u"p\r\nq\r\nr\u00A0s"_s);
                break;
            case 5:
                QGuiApplication::clipboard()->clear();
                QTest::keyClick(&box->edit, Qt::Key_C, Qt::ControlModifier);
                QCOMPARE(QGuiApplication::clipboard()->text(), selected);
                QCOMPARE(box->edit.selectedText(), selected);
                continue;
            case 6:
                if (end == from)
                    continue;
                box->edit.cut();
                QCOMPARE(QGuiApplication::clipboard()->text(), selected);
                replace(QString());
                break;
            case 7: {
                const QString entry = u"0x%1 Added.bmp 1 2"_s.arg(step);
                box->appendText(box->isEmpty() ? entry : kSpacer + entry);
                model += model.isEmpty() ? entry : kSpacer + entry;
                break;
            }
            case 8:
            case 9: {
                const bool undo = random.bounded(2);
                if (undo ? !box->edit.document()->isUndoAvailable()
                         : !box->edit.document()->isRedoAvailable())
                    continue;
                undo ? box->edit.undo() : box->edit.redo();
                const QString text = box->text();
                const qsizetype seen =
                    undo ? history.lastIndexOf(text, now) : history.indexOf(text, now);
                QVERIFY2(seen >= 0, qPrintable(u"step %1"_s.arg(step)));
                now = seen;
                model = text;
                continue;
            }
            }
            QCOMPARE(box->text(), model);
            if (!box->edit.document()->isRedoAvailable())
                history.resize(now + 1);
            if (model != history.at(now)) {
                history.resize(now + 1);
                history.append(model);
                ++now;
            }
        }
        // Undone to the start and redone to the end: the history holds.
        while (box->edit.document()->isUndoAvailable())
            box->edit.undo();
        QCOMPARE(box->text(), history.first());
        while (box->edit.document()->isRedoAvailable())
            box->edit.redo();
        QCOMPARE(box->text(), history.last());
    }

    void mousePresses()
    {
        auto box = shownBox();
        box->setText(u"alpha beta"_s);
        box->select(6, 4);
        std::vector<Qt::MouseButton> pressed;
        connect(&box->edit, &ListEdit::mousePressed, &box->edit,
                [&](Qt::MouseButton b) { pressed.push_back(b); });
        UiDriver driver;
        // The right button, through the window as the platform delivers it
        // (that path also raises the context menu event): no Qt menu, and
        // the selection stays for the copy menu.
        const QPoint at = box->edit.viewport()->mapTo(&box->edit, QPoint(5, 5));
        QTest::mouseClick(box->edit.windowHandle(), Qt::RightButton, {}, at);
        QTest::qWait(50);
        QCOMPARE(driver.menus, QStringList());
        QCOMPARE(box->edit.selectedText(), u"beta"_s);
        // The left button places the caret, the middle one is told too.
        QTest::mouseClick(box->edit.viewport(), Qt::LeftButton, {}, QPoint(2, 5));
        QCOMPARE(box->edit.textCursor().position(), 0);
        QVERIFY(!box->edit.textCursor().hasSelection());
        QTest::mouseClick(box->edit.viewport(), Qt::MiddleButton, {}, QPoint(2, 5));
        QCOMPARE(pressed, (std::vector{Qt::RightButton, Qt::LeftButton, Qt::MiddleButton}));
    }
};

QTEST_MAIN(ListEditTest)

#include "tst_list_edit.moc"
