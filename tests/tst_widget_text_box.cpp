#include "lists/widget_text_box.h"
#include "text_box_contract.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;
using scp::WidgetTextBox;

namespace {

std::unique_ptr<WidgetTextBox> shownBox()
{
    auto box = std::make_unique<WidgetTextBox>();
    box->resize(177, 265); // the gumps list's size on the main window
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get()))
        qWarning("box not exposed");
    return box;
}

Qt::MouseButton qtButton(scp::MouseButton button)
{
    switch (button) {
    case scp::MouseButton::Left:
        return Qt::LeftButton;
    case scp::MouseButton::Right:
        return Qt::RightButton;
    case scp::MouseButton::Middle:
        return Qt::MiddleButton;
    case scp::MouseButton::Other:
        break;
    }
    return Qt::BackButton;
}

TextBoxHarness widgetHarness()
{
    TextBoxHarness harness;
    harness.create = [] { return std::unique_ptr<scp::TextBox>(shownBox().release()); };
    harness.select = [](scp::TextBox& box, qsizetype start, qsizetype length) {
        dynamic_cast<WidgetTextBox&>(box).select(start, length);
    };
    harness.press = [](scp::TextBox& box, scp::MouseButton button) {
        auto& widget = dynamic_cast<WidgetTextBox&>(box);
        QTest::mouseClick(widget.viewport(), qtButton(button), {}, QPoint(20, 20));
    };
    return harness;
}

// Watches for popup menus while a test runs and closes any it sees.
class PopupWatch : public QObject {
public:
    PopupWatch()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                ++seen;
                popup->close();
            }
        });
        m_timer.start(10);
    }
    int seen = 0;

private:
    QTimer m_timer;
};

QString gumpList(int entries)
{
    QString text;
    for (int i = 0; i < entries; ++i) {
        if (i > 0)
            text += QString(37, u' ');
        text += u"0x%1 Filename.bmp 44 44"_s.arg(i, 4, 16, QChar(u'0'));
    }
    return text;
}

} // namespace

class WidgetTextBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editorCopyHandsOutTheListText()
    {
        // Ctrl+C in the box: Qt's own export would turn U+00A0 into a space.
        auto box = shownBox();
        box->setText(u"t\u00A0u\r\nv"_s);
        box->selectAll();
        QGuiApplication::clipboard()->clear();
        box->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"t\u00A0u\r\nv"_s);
    }

    void undoTakesBackEachChange()
    {
        auto box = shownBox();
        box->setText(u"GUMPS WILL LOAD HERE\r\n"_s);
        box->moveCursor(QTextCursor::End);
        box->setFocus();
        QTest::keyClicks(box->viewport(), u"typed"_s);
        box->appendText(u"    entry"_s);
        QCOMPARE(box->text(), u"GUMPS WILL LOAD HERE\r\ntyped    entry"_s);

        box->undo(); // the append alone, not the typing before it
        QCOMPARE(box->text(), u"GUMPS WILL LOAD HERE\r\ntyped"_s);

        box->setText(QString()); // Clear can be taken back as well
        QVERIFY(box->isEmpty());
        box->undo();
        QCOMPARE(box->text(), u"GUMPS WILL LOAD HERE\r\ntyped"_s);
    }

    void appendKeepsTheCaretAndShowsTheEnd()
    {
        auto box = shownBox();
        QString lines;
        for (int i = 0; i < 200; ++i)
            lines += u"line %1\r\n"_s.arg(i);
        box->setText(lines);
        QCOMPARE(box->verticalScrollBar()->value(), 0);

        QTextCursor selection(box->document());
        selection.setPosition(5);
        selection.setPosition(8, QTextCursor::KeepAnchor);
        box->setTextCursor(selection);
        box->appendText(u"0x1234 Filename.bmp 44 44"_s);
        QCOMPARE(box->textCursor().anchor(), 5);
        QCOMPARE(box->textCursor().position(), 8);
        QCOMPARE(box->verticalScrollBar()->value(), box->verticalScrollBar()->maximum());
        QVERIFY(box->verticalScrollBar()->maximum() > 0);
        QTextCursor end(box->document());
        end.movePosition(QTextCursor::End);
        QVERIFY(box->viewport()->rect().contains(box->cursorRect(end)));

        // A caret at the old end is not dragged along with the new text.
        const int oldEnd = end.position();
        box->setTextCursor(end);
        box->appendText(u"more"_s);
        QCOMPARE(box->textCursor().position(), oldEnd);
        QVERIFY(box->text().endsWith(u"Filename.bmp 44 44more"_s));
    }

    void randomEditsMatchAPlainString()
    {
        // Seeded typing, Enter, Shift+Enter, Backspace, Delete, selections and
        // paste on a long list, checked against the same edits on a string.
        auto box = shownBox();
        box->setFocus();
        QString model = gumpList(300);
        box->setText(model);
        // Each paragraph break before a position is one character more in text().
        auto textIndex = [&box](int position) {
            return qsizetype(position) + box->document()->findBlock(position).blockNumber();
        };
        QRandomGenerator random(20240611);
        for (int step = 0; step < 300; ++step) {
            const int last = box->document()->characterCount() - 1;
            const int at = random.bounded(last + 1);
            QTextCursor cursor(box->document());
            cursor.setPosition(at);
            if (random.bounded(5) == 0)
                cursor.setPosition(qMin(last, at + random.bounded(1, 60)), QTextCursor::KeepAnchor);
            box->setTextCursor(cursor);
            const qsizetype from = textIndex(cursor.selectionStart());
            const qsizetype to = textIndex(cursor.selectionEnd());
            const bool selected = to > from;
            model.remove(from, to - from);
            auto lineEndAt = [&model](qsizetype i) { return model.mid(i, 2) == u"\r\n"_s; };

            switch (random.bounded(5)) {
            case 0:
                QTest::keyClick(box.get(), Qt::Key_X);
                model.insert(from, u'x');
                break;
            case 1:
                QTest::keyClick(box.get(), Qt::Key_Return,
                                random.bounded(2) ? Qt::ShiftModifier : Qt::NoModifier);
                model.insert(from, u"\r\n"_s);
                break;
            case 2:
                QTest::keyClick(box.get(), Qt::Key_Backspace);
                if (!selected && from > 0) {
                    const int width = from >= 2 && lineEndAt(from - 2) ? 2 : 1;
                    model.remove(from - width, width);
                }
                break;
            case 3:
                QTest::keyClick(box.get(), Qt::Key_Delete);
                if (!selected)
                    model.remove(from, lineEndAt(from) ? 2 : 1);
                break;
            default:
                QGuiApplication::clipboard()->setText(u"p\nq\u2028r\u00A0s"_s);
                box->paste();
                model.insert(from, u"p\r\nq\r\nr\u00A0s"_s);
                break;
            }
            QCOMPARE(box->text(), model);
        }
        // Undone to the start, then the load redone: the history holds.
        while (box->document()->isUndoAvailable())
            box->undo();
        QVERIFY(box->isEmpty());
        box->redo();
        QCOMPARE(box->text(), gumpList(300));
    }

    void rightPressOpensNoQtMenu()
    {
        auto box = shownBox();
        box->setText(u"alpha beta"_s);
        box->select(6, 4);
        std::vector<scp::MouseButton> pressed;
        box->setMouseDownHandler([&](scp::MouseButton b) { pressed.push_back(b); });
        PopupWatch watch;
        // Through the window, as the platform delivers it: that path also
        // raises the context menu event.
        const QPoint at = box->viewport()->mapTo(box.get(), QPoint(5, 5));
        QTest::mouseClick(box->windowHandle(), Qt::RightButton, {}, at);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::mouseDClick(box->windowHandle(), Qt::RightButton, {}, at);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QTest::qWait(50);
        QCOMPARE(watch.seen, 0);
        QVERIFY(pressed.size() >= 2);
        QVERIFY(std::all_of(pressed.begin(), pressed.end(),
                            [](scp::MouseButton b) { return b == scp::MouseButton::Right; }));
        QCOMPARE(box->selectedText(), u"beta"_s); // kept for the copy menu
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TextBoxContract contract(widgetHarness());
    WidgetTextBoxTest own;
    int status = QTest::qExec(&contract, argc, argv);
    status |= QTest::qExec(&own, argc, argv);
    return status;
}

#include "tst_widget_text_box.moc"
