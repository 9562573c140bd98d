// Finding one's way in the main window's lists (offscreen), each list of
// 100,000 entries, the lint's marks on them; every time includes the
// repaint of what changed:
// - find: one step of the items list's find bar (Enter in its field), to a
//   match a few rows on, and for text that is nowhere (a whole pass round
//   the list); find as you type takes the same step;
// - F8: the next marked entry, where every entry is marked (the gumps list,
//   whose pictures are missing and ids repeat) and where only the last of
//   the items is, with the marks counted, and right after an edit, before
//   they are counted again (the marks asked for from the text cursor on),
//   and right after a Load of files whose last item only is marked, as soon
//   as the lists are in (the target at the far end of the list);
// - zoom: one step in or out of the three lists together.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench_lists.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "pictures/bmp_header.h"
#include "text/cp1252.h"
#include "widget_bench_main.h"
#include "windows/main_window.h"
#include "work/editor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextCursor>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

constexpr int kEntries = 100'000;

// Items with no finding but in the last entry, whose id is no number.
QString sparseItems()
{
    QStringList entries;
    for (int i = 0; i < kEntries; ++i)
        entries << u"0x%1 0 0 0 0 3 20 %2 0 Cloak"_s
                       .arg(i == kEntries - 1 ? u"Z"_s : QString::number(i, 16))
                       .arg(i);
    return entries.join(scp::spacerText(scp::kItemSpacerWidth));
}

void press(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(&widget, &event);
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The main window, with marks, its three lists of 100,000 entries each;
// the items list sparsely marked when asked.
struct Window {
    explicit Window(bool sparseItemList = false)
    {
        for (ListId list : scp::kAllLists)
            lists[size_t(list)] = std::make_unique<scp::ListDocument>(
                list == ListId::Items && sparseItemList ? sparseItems()
                                                        : sectionList(list, kEntries));
        form = std::make_unique<scp::MainWindow>(
            std::array{lists[0].get(), lists[1].get(), lists[2].get()});
        form->markLists(&pictures);
        form->show();
        // Until the marks have read the lists and each list's count shows
        // (every list here has a problem).
        for (ListId list : scp::kAllLists) {
            while (problems(list).text().isEmpty())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        settle();
    }
    scp::ListEdit& box(ListId list) { return listBox(*form, list); }
    QLabel& problems(ListId list)
    {
        return *form->findChild<QLabel*>(scp::listName(list) + QStringLiteral("Problems"));
    }

    QTemporaryDir folder;
    scp::PictureFolder pictures{folder.path()};
    std::array<std::unique_ptr<scp::ListDocument>, 3> lists;
    std::unique_ptr<scp::MainWindow> form;
};

// Enter in the items list's find field, looking for `text`.
void BM_FindStep(benchmark::State& state, const QString& text)
{
    Window window;
    scp::ListEdit& box = window.box(ListId::Items);
    box.setFocus();
    press(box, Qt::Key_F, Qt::ControlModifier);
    auto* field = window.form->findChild<QLineEdit*>(u"itemsFindField"_s);
    field->setText(text);
    for (auto _ : state) {
        press(*field, Qt::Key_Return);
        box.viewport()->repaint();
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
    if (text.startsWith(u"Mantle"_s) && !box.textCursor().hasSelection())
        state.SkipWithError("nothing was found");
}

// F8 in `list`; with `edited`, a key typed at the start before each, untimed,
// so the marks are not counted yet.
void BM_NextProblem(benchmark::State& state, ListId list, bool sparse, bool edited)
{
    Window window(sparse);
    scp::ListEdit& box = window.box(list);
    box.setFocus();
    box.moveCursor(QTextCursor::Start);
    for (auto _ : state) {
        state.PauseTiming();
        if (edited) {
            box.undo();
            QTextCursor start(box.document());
            start.insertText(u"1"_s);
            settle();
            box.moveCursor(QTextCursor::Start);
        }
        state.ResumeTiming();
        press(box, Qt::Key_F8);
        box.viewport()->repaint();
        state.PauseTiming();
        settle();
        if (!box.textCursor().hasSelection())
            state.SkipWithError("no marked entry selected");
        state.ResumeTiming();
    }
}

// F8 in the items list as soon as a Load's lists are in; the figure is
// also given against a frame of a 60 Hz screen (16.7 ms).
void BM_NextProblemAfterLoad(benchmark::State& state)
{
    QTemporaryDir folder, journals;
    for (ListId list : scp::kAllLists) {
        QFile file(QDir(folder.path()).filePath(scp::sectionFileName(list)));
        const QString text = list == ListId::Items ? sparseItems() : sectionList(list, kEntries);
        if (!file.open(QIODevice::WriteOnly) || file.write(scp::encodeCp1252(text).bytes) < 0)
            std::abort();
    }
    scp::Editor editor{QDir(folder.path()), journals.path()};
    editor.show();
    QWidget& form = editorWindow();
    waitForLists(form);
    scp::ListEdit& box = listBox(form, ListId::Items);
    double ms = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.load();
        waitForLists(form);
        box.setFocus();
        box.moveCursor(QTextCursor::Start);
        QElapsedTimer clock;
        clock.start();
        state.ResumeTiming();
        press(box, Qt::Key_F8);
        box.viewport()->repaint();
        state.PauseTiming();
        ms += double(clock.nsecsElapsed()) / 1e6;
        if (box.textCursor().selectionEnd() != box.document()->characterCount() - 1) {
            state.SkipWithError("the last item was not selected");
            break;
        }
        settle();
        state.ResumeTiming();
    }
    state.counters["of_a_frame"] = ms / double(state.iterations()) / (1000.0 / 60);
}

// Zoom in, then out, a step each, the three lists together.
void BM_ZoomStep(benchmark::State& state)
{
    Window window;
    scp::ListEdit& box = window.box(ListId::Gumps);
    press(box, Qt::Key_0, Qt::ControlModifier); // whatever an earlier run left
    const qreal normal = box.font().pointSizeF();
    bool in = true;
    for (auto _ : state) {
        press(box, in ? Qt::Key_Plus : Qt::Key_Minus, Qt::ControlModifier);
        for (ListId list : scp::kAllLists)
            window.box(list).viewport()->repaint();
        in = !in;
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
    if (box.font().pointSizeF() == normal && state.iterations() % 2 == 1)
        state.SkipWithError("the zoom keys did nothing");
}

} // namespace

BENCHMARK_CAPTURE(BM_FindStep, next_match, u"Mantle of Night"_s)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindStep, not_found, u"Cloak of Day"_s)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextProblem, every_entry_marked, ListId::Gumps, false, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextProblem, last_entry_marked, ListId::Items, true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NextProblem, last_entry_marked_just_edited, ListId::Items, true, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextProblemAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
