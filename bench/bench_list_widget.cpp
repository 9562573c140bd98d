// The visible gumps list of the main window with 1,000 and 10,000 entries:
// what one Add costs on screen (edit, layout and a forced repaint), against
// the whole-text way that leaves the same text (read, set text + spacer,
// read, set text + entry), one typed key at the end, setting the whole text
// once, and reading it (as Save and Compile do). The list is put back between
// iterations so its size stays fixed.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench_lists.h"
#include "list_edit.h"
#include "main_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextCursor>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

const QString kEntry = u"0x1234 Filename.bmp 44 44"_s;

// The main window on screen, its gumps list holding `entries` entries and its
// gumps field the entry Add appends.
struct Window {
    explicit Window(int entries) : text(gump_list(entries, kEntry))
    {
        form.findChild<QLineEdit*>(u"Text1"_s)->setText(kEntry);
        box().setText(text);
        form.show();
        settle();
    }
    scp::ListEdit& box() { return form.listEdit(ListId::Gumps); }
    // Edit, layout and paint must all be done inside the timed part.
    void repaint() { box().viewport()->repaint(); }
    // Anything queued by the last edit is handled outside the timed part.
    static void settle() { QCoreApplication::processEvents(); }
    void restore()
    {
        box().setText(text);
        settle();
    }

    scp::MainWindow form;
    const QString text;
};

void BM_ListWidget_Add(benchmark::State& state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form.addEntry(scp::ListId::Gumps);
        window.repaint();
        state.PauseTiming();
        window.restore();
        state.ResumeTiming();
    }
}

void BM_ListWidget_WholeTextWay(benchmark::State& state)
{
    Window window(static_cast<int>(state.range(0)));
    scp::ListEdit& box = window.box();
    const QString spacer = scp::spacerText(scp::kGumpTileSpacerWidth);
    for (auto _ : state) {
        if (box.text() != QString())
            box.setText(box.text() + spacer);
        box.setText(box.text() + kEntry);
        window.repaint();
        state.PauseTiming();
        window.restore();
        state.ResumeTiming();
    }
}

void BM_ListWidget_KeystrokeAtEnd(benchmark::State& state)
{
    Window window(static_cast<int>(state.range(0)));
    scp::ListEdit& box = window.box();
    box.setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        box.moveCursor(QTextCursor::End);
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QCoreApplication::sendEvent(&box, &press);
        window.repaint();
        state.PauseTiming();
        window.restore();
        state.ResumeTiming();
    }
}

void BM_ListWidget_SetWholeText(benchmark::State& state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.box().setText(window.text);
        window.repaint();
        state.PauseTiming();
        Window::settle();
        state.ResumeTiming();
    }
}

void BM_ListWidget_ReadText(benchmark::State& state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(window.box().text());
}

} // namespace

BENCHMARK(BM_ListWidget_Add)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWidget_WholeTextWay)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWidget_KeystrokeAtEnd)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWidget_SetWholeText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWidget_ReadText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
