// The lint's marks on the visible gumps list of 100,000 and 470,000 entries,
// against the same list without them: one Add, and one typed key at the
// start, in the middle and at the end, each with layout and a forced repaint, which is when the
// marks of the rows on screen are worked out. Every entry has two findings (its picture is missing,
// its id repeats), so the screen is full of marks. The edit is taken back between iterations,
// untimed, so the list stays the same.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench_lists.h"
#include "list_edit.h"
#include "list_marks.h"
#include "main_window.h"
#include "widget_bench_main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextCursor>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

const QString kEntry = u"0x1234 Filename.bmp 44 44"_s;

struct Window {
    Window(bool marks, int entries)
    {
        form.findChild<QLineEdit*>(u"Text1"_s)->setText(kEntry);
        box().setText(gumpList(entries, kEntry));
        if (marks)
            new scp::ListMarks(box(), ListId::Gumps, &pictures);
        form.show();
        // Until the marks have read the whole list in their idle passes.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 60'000);
    }
    scp::ListEdit& box() { return form.listEdit(ListId::Gumps); }
    void repaint() { box().viewport()->repaint(); }
    void key(Qt::Key key, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&box(), &press);
    }

    QTemporaryDir folder;
    scp::PictureFolder pictures{folder.path()};
    scp::MainWindow form;
};

void BM_Marks_Add(benchmark::State& state)
{
    Window window(state.range(0) != 0, int(state.range(1)));
    QTextDocument& document = *window.box().document();
    for (auto _ : state) {
        const int end = document.characterCount() - 1;
        window.form.addEntry(ListId::Gumps);
        window.repaint();
        state.PauseTiming();
        QTextCursor added(&document);
        added.setPosition(end);
        added.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        added.removeSelectedText();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["marks"] = double(window.box().extraSelections().size());
    state.SetLabel(state.range(0) != 0 ? "marks on" : "marks off");
}

void BM_Marks_Keystroke(benchmark::State& state)
{
    Window window(state.range(0) != 0, int(state.range(2)));
    const int where = int(state.range(1)); // 0 start, 1 middle, 2 end
    scp::ListEdit& box = window.box();
    box.setFocus();
    QTextCursor caret(box.document());
    caret.setPosition(where * (box.document()->characterCount() - 1) / 2);
    box.setTextCursor(caret);
    box.ensureCursorVisible();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        window.key(Qt::Key_7, u"7"_s);
        window.repaint();
        state.PauseTiming();
        window.key(Qt::Key_Backspace, {});
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["marks"] = double(box.extraSelections().size());
    const char* const places[] = {", at the start", ", in the middle", ", at the end"};
    state.SetLabel(std::string(state.range(0) != 0 ? "marks on" : "marks off") + places[where]);
}

} // namespace

BENCHMARK(BM_Marks_Add)->ArgsProduct({{0, 1}, {100'000, 470'000}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Marks_Keystroke)
    ->ArgsProduct({{0, 1}, {0, 1, 2}, {100'000, 470'000}})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
