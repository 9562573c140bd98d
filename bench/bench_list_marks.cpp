// The lint's marks on the visible gumps list of 100,000 and 470,000 entries,
// against the same list without them: one Add, and one typed key at the
// start, in the middle and at the end, each with layout and a forced repaint, which is when the
// marks of the rows on screen are worked out. Every entry has two findings (its picture is missing,
// its id repeats), so the screen is full of marks. The edit is taken back between iterations,
// untimed, so the list stays the same. With the journal on, the recovery
// journal records each edit too, as the editor has it while a list is
// unsaved.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench_lists.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "pictures/bmp_header.h"
#include "recovery/recovery_journal.h"
#include "script/section_files.h"
#include "widget_bench_main.h"
#include "windows/main_window.h"
#include "work/journal_recorder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

const QString kEntry = u"0x1234 Filename.bmp 44 44"_s;

enum Mode { MarksOff, MarksOn, MarksAndJournal };
const char* const kModes[] = {"marks off", "marks on", "marks and journal on"};

struct Window {
    Window(int mode, int entries)
    {
        list->setText(gumpList(entries, kEntry));
        if (mode != MarksOff)
            form.markLists(&pictures);
        if (mode == MarksAndJournal) {
            recorder.setJournal(&journal);
            // The list's whole text goes to the journal at its first edit,
            // here, untimed; the timed ones are edits of an unsaved list.
            box().moveCursor(QTextCursor::Start);
            key(Qt::Key_7, u"7"_s);
        }
        form.show();
        // Until the marks have read the whole list in their idle passes.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 60'000);
    }
    scp::ListEdit& box() { return listBox(form, ListId::Gumps); }
    void repaint() { box().viewport()->repaint(); }
    void key(Qt::Key key, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&box(), &press);
    }

    QTemporaryDir folder;
    scp::PictureFolder pictures{folder.path()};
    // The gumps list, and the other two as they start.
    std::unique_ptr<scp::ListDocument> list = std::make_unique<scp::ListDocument>();
    scp::ListDocument tiles, items;
    scp::EntryLists entryLists{{{list.get(), &tiles, &items}}};
    scp::MainWindow form{{list.get(), &tiles, &items}};
    scp::SectionFiles files{QDir(folder.path())};
    scp::RecoveryJournal journal{folder.filePath(u"bench.journal"_s), folder.path()};
    scp::JournalRecorder recorder{{list.get(), &tiles, &items}, files};
};

void BM_Marks_Add(benchmark::State& state)
{
    Window window(int(state.range(0)), int(state.range(1)));
    QTextDocument& document = *window.box().document();
    for (auto _ : state) {
        const int end = document.characterCount() - 1;
        window.entryLists.addEntry(ListId::Gumps, kEntry);
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
    state.SetLabel(kModes[state.range(0)]);
}

void BM_Marks_Keystroke(benchmark::State& state)
{
    Window window(int(state.range(0)), int(state.range(2)));
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
    state.SetLabel(kModes[state.range(0)] + std::string(places[where]));
}

} // namespace

BENCHMARK(BM_Marks_Add)
    ->ArgsProduct({{MarksOff, MarksOn, MarksAndJournal}, {100'000, 470'000}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Marks_Keystroke)
    ->ArgsProduct({{MarksOff, MarksOn, MarksAndJournal}, {0, 1, 2}, {100'000, 470'000}})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
