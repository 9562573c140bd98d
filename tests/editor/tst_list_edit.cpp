#include "fail_on_warnings.h"
#include "large_blocks.h"
#include "list_edit.h"
#include "text_box_contract.h"
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

#include <cstdlib>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace Qt::StringLiterals;
using scp::ListEdit;

namespace {

std::unique_ptr<ListEdit> shownBox()
{
    auto box = std::make_unique<ListEdit>();
    box->resize(177, 265); // the gumps list's size on the main window
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get()))
        qWarning("box not exposed");
    return box;
}

TextBoxHarness widgetHarness()
{
    TextBoxHarness harness;
    harness.create = [] { return std::unique_ptr<scp::TextBox>(shownBox().release()); };
    harness.select = [](scp::TextBox& box, qsizetype start, qsizetype length) {
        dynamic_cast<ListEdit&>(box).select(start, length);
    };
    return harness;
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

    void largeBlocksGoBackToTheSystem()
    {
#if defined(__GLIBC__)
        // Left to itself, the C library serves a block from its heap once a
        // larger one was freed, and keeps that memory. First, while the heap
        // holds no large free block.
        malloc_trim(0);
        scp::mapLargeBlocksApart();
        QByteArray(8 << 20, 'x').squeeze();
        const auto mapped = mallinfo2().hblks;
        const QByteArray list(1 << 20, 'x');
        QCOMPARE(mallinfo2().hblks, mapped + 1);
#else
        QSKIP("large blocks are left to the C library here");
#endif
    }

    void rowsLookAsWrappingShowsThem()
    {
        // Spacer runs end in row breaks, loaded or added, so the list is held
        // as short paragraphs; on screen nothing moves from where wrapping
        // puts it in a box that holds the list as one paragraph.
        auto box = shownBox();
        const QString entry = u"0xffff Filename.bmp 44 44"_s;
        box->resize(177, 600); // every row on screen
        box->setText(u"GUMPS WILL LOAD HERE\r\n"_s + gumpList(25));
        for (int i = 0; i < 12; ++i)
            box->appendText(kSpacer + entry);
        QCOMPARE(box->document()->blockCount(), 6);

        QPlainTextEdit plain;
        plain.setFont(box->font());
        plain.setWordWrapMode(box->wordWrapMode());
        plain.resize(box->size());
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        plain.setPlainText(box->text());
        QCOMPARE(plain.document()->blockCount(), 2);
        QCOMPARE(box->grab().toImage(), plain.grab().toImage());
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
            QCOMPARE(box->document()->blockCount(), 2);
            box->document()->clearUndoRedoStacks();
            box->select(edit.at, 0);
            QTest::keyClick(box.get(), edit.key, Qt::ControlModifier);
            QCOMPARE(box->text(), edit.result);
            box->undo();
            QCOMPARE(box->text(), list);
            box->redo();
            QCOMPARE(box->text(), edit.result);
        }
    }

    void wholeTextsUndoWithinABound()
    {
        // Load and Clear put in a new document. Undo brings the replaced one
        // back with its own history, unless it was long and the new text is
        // not empty; then, and once a newer replacement comes, it is freed.
        auto box = shownBox();
        box->setFocus();
        box->setText(u"old"_s);
        box->moveCursor(QTextCursor::End);
        QTest::keyClick(box.get(), Qt::Key_X);
        const QPointer<QTextDocument> small = box->document();
        box->setText(u"new"_s);
        box->undo();
        QCOMPARE(box->document(), small);
        QCOMPARE(box->text(), u"oldx"_s);
        box->undo();
        QCOMPARE(box->text(), u"old"_s);

        const QString longList = gumpList(int(ListEdit::kKeptCharacters / 50));
        box->setText(longList);
        const QPointer<QTextDocument> loaded = box->document();
        box->setText(QString()); // a Clear keeps even a long list
        QVERIFY(small.isNull()); // but only the last one replaced
        box->undo();
        QCOMPARE(box->document(), loaded);
        QCOMPARE(box->text(), longList);
        box->setText(u"a"_s);
        QVERIFY(loaded.isNull());
        QVERIFY(!box->document()->isUndoAvailable()); // the long list is gone
    }

    void fileContentFillsOnAThreadOfItsOwn()
    {
        // The box shows it once finished, in the box's font, undoably like
        // any whole text; a second start finishes the first; a box closed
        // while a fill runs waits for it.
        auto box = shownBox();
        const QFont font = box->document()->defaultFont();
        box->startFileContent("first");
        box->startFileContent("0x1 a.bmp 1 1\r\n\x80");
        QCOMPARE(box->text(), u"first"_s);
        box->finishFileContent();
        QCOMPARE(box->text(), u"0x1 a.bmp 1 1\r\n\u20ac"_s);
        QCOMPARE(box->document()->defaultFont(), font);
        QCOMPARE(box->document()->thread(), box->thread());
        box->undo();
        QCOMPARE(box->text(), u"first"_s);
        box->startFileContent(QByteArray(1 << 22, 'x'));
        box.reset();
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
        QCOMPARE(box->textCursor().anchor(), 1);
        QCOMPARE(box->textCursor().position(), 4);
        QTextCursor end(box->document());
        end.movePosition(QTextCursor::End);
        QVERIFY(box->viewport()->rect().contains(box->cursorRect(end)));
        // A caret at the old end is not dragged along with the new text.
        const int oldEnd = end.position();
        box->setTextCursor(end);
        box->appendText(u"more"_s);
        QCOMPARE(box->textCursor().position(), oldEnd);
    }

    void randomEditsMatchAPlainString()
    {
        // Seeded typing, Enter, Shift+Enter, Backspace, Delete, paste, cut,
        // copy, Add, undo and redo on a long list held in rows of a few
        // entries, checked against the same edits on a string. Selections
        // span row breaks; undo and redo must land on a text seen before (or
        // stay, after an edit that changed nothing, such as x typed over x).
        auto box = shownBox();
        box->setFocus();
        QString model = gumpList(300);
        box->setText(model);
        box->document()->clearUndoRedoStacks(); // keep the list long
        QStringList history{model};
        qsizetype now = 0;
        // The list index of a document position: the length of the text before it.
        auto textIndex = [&box](int position) {
            QTextCursor before(box->document());
            before.setPosition(position, QTextCursor::KeepAnchor);
            box->setTextCursor(before);
            return box->selectedText().size();
        };
        QRandomGenerator random(20240611);
        for (int step = 0; step < 400; ++step) {
            // Edits go on at the caret, or start anywhere, at a row's edge
            // where breaks meet, over a whole row or over a stretch of rows.
            const QTextDocument& document = *box->document();
            const int last = document.characterCount() - 1;
            const QTextBlock row =
                document.findBlockByNumber(random.bounded(document.blockCount()));
            int at = box->textCursor().selectionStart();
            int to = box->textCursor().selectionEnd();
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
            QTextCursor cursor(box->document());
            cursor.setPosition(at);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            box->setTextCursor(cursor);
            const QString selected = model.mid(from, end - from);
            auto lineEndAt = [&model](qsizetype i) { return model.mid(i, 2) == u"\r\n"_s; };
            auto replace = [&](const QString& with) { model.replace(from, end - from, with); };

            switch (random.bounded(10)) {
            case 0:
                QTest::keyClick(box.get(), Qt::Key_X);
                replace(u"x"_s);
                break;
            case 1:
                QTest::keyClick(box.get(), Qt::Key_Return,
                                random.bounded(2) ? Qt::ShiftModifier : Qt::NoModifier);
                replace(u"\r\n"_s);
                break;
            case 2:
                QTest::keyClick(box.get(), Qt::Key_Backspace);
                replace(QString());
                if (end == from && from > 0) {
                    const int width = from >= 2 && lineEndAt(from - 2) ? 2 : 1;
                    model.remove(from - width, width);
                }
                break;
            case 3:
                QTest::keyClick(box.get(), Qt::Key_Delete);
                replace(QString());
                if (end == from)
                    model.remove(from, lineEndAt(from) ? 2 : 1);
                break;
            case 4:
                QGuiApplication::clipboard()->setText(u"p\nq\u2028r\u00A0s"_s);
                box->paste();
                replace(u"p\r\nq\r\nr\u00A0s"_s);
                break;
            case 5:
                QGuiApplication::clipboard()->clear();
                QTest::keyClick(box.get(), Qt::Key_C, Qt::ControlModifier);
                QCOMPARE(QGuiApplication::clipboard()->text(), selected);
                QCOMPARE(box->selectedText(), selected);
                continue;
            case 6:
                if (end == from)
                    continue;
                box->cut();
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
                if (undo ? !box->document()->isUndoAvailable()
                         : !box->document()->isRedoAvailable())
                    continue;
                undo ? box->undo() : box->redo();
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
            if (!box->document()->isRedoAvailable())
                history.resize(now + 1);
            if (model != history.at(now)) {
                history.resize(now + 1);
                history.append(model);
                ++now;
            }
        }
        // Undone to the start and redone to the end: the history holds.
        while (box->document()->isUndoAvailable())
            box->undo();
        QCOMPARE(box->text(), history.first());
        while (box->document()->isRedoAvailable())
            box->redo();
        QCOMPARE(box->text(), history.last());
    }

    void mousePresses()
    {
        auto box = shownBox();
        box->setText(u"alpha beta"_s);
        box->select(6, 4);
        std::vector<Qt::MouseButton> pressed;
        connect(box.get(), &ListEdit::mousePressed, box.get(),
                [&](Qt::MouseButton b) { pressed.push_back(b); });
        UiDriver driver;
        // The right button, through the window as the platform delivers it
        // (that path also raises the context menu event): no Qt menu, and
        // the selection stays for the copy menu.
        const QPoint at = box->viewport()->mapTo(box.get(), QPoint(5, 5));
        QTest::mouseClick(box->windowHandle(), Qt::RightButton, {}, at);
        QTest::qWait(50);
        QCOMPARE(driver.menus, QStringList());
        QCOMPARE(box->selectedText(), u"beta"_s);
        // The left button places the caret, the middle one is told too.
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, QPoint(2, 5));
        QCOMPARE(box->textCursor().position(), 0);
        QVERIFY(!box->textCursor().hasSelection());
        QTest::mouseClick(box->viewport(), Qt::MiddleButton, {}, QPoint(2, 5));
        QCOMPARE(pressed, (std::vector{Qt::RightButton, Qt::LeftButton, Qt::MiddleButton}));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TextBoxContract contract(widgetHarness());
    ListEditTest own;
    int status = QTest::qExec(&contract, argc, argv);
    status |= QTest::qExec(&own, argc, argv);
    return status;
}

#include "tst_list_edit.moc"
