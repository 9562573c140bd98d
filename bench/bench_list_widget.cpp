// The main window's lists (offscreen) at 10,000, 100,000 and 470,000 entries
// each, side by side with plain QPlainTextEdits doing the same:
// - Load: the three section files read and put in, until the window has
//   painted; and as the editor runs it, until the window handles input again
//   while the lists fill, and until they are in; the resident memory after the first and after the
//   last Load (every iteration is another Load of the same files); with the lint's marks on the
//   lists, as the editor has them, and without;
// - Save: the three lists encoded and written (SaveAllSections), and
//   CompileMantleScp from the lists (first asking them for errors, as the
//   command does), against the headless compiler's in-memory
//   lists holding the same files, and against the whole headless compiler
//   as its own process;
// - Clear of one list and its undo;
// - one Add and one typed key at the end of the gumps list, in the window
//   alone and in the editor, with its recovery journal recording them.
// 1,000 and 10,000 entries also show the whole-text way of adding an entry.
//
// `cat` of the three files is timed too, as the yardstick for Load.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench_lists.h"
#include "files/file_reading.h"
#include "files/file_transaction.h"
#include "files/system_calls.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "lists/list_problems.h"
#include "lists/section_load.h"
#include "memory_policy.h"
#include "script/memory_entry_lists.h"
#include "script/reporter.h"
#include "script/script_compile.h"
#include "script/section_files.h"
#include "widget_bench_main.h"
#include "windows/main_window.h"
#include "work/editor.h"
#include "work/script_errors.h"
#include "work/work_queue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

const QString kEntry = u"0x1234 Filename.bmp 44 44"_s;

class SilentReporter final : public scp::Reporter {
public:
    void information(const QString&) override {}
    void failure(const QString& text) override { qFatal("%s", qPrintable(text)); }
};

double residentMiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// The three section files of `entries` entries each (sectionList()), in a
// folder of their own; one kind at a time is kept on disk.
const QTemporaryDir& sectionFiles(int entries, bool ownIds = false)
{
    static std::map<std::pair<int, bool>, std::unique_ptr<QTemporaryDir>> made;
    const std::pair<int, bool> kind{entries, ownIds};
    if (!made.contains(kind)) {
        made.clear();
        auto dir = std::make_unique<QTemporaryDir>();
        for (ListId list : scp::kAllLists) {
            QFile file(dir->filePath(scp::sectionFileName(list)));
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(scp::encodeCp1252(sectionList(list, entries, ownIds)).bytes) < 0)
                qFatal("cannot write %s", qPrintable(file.fileName()));
        }
        made[kind] = std::move(dir);
    }
    return *made[kind];
}

// Freed memory of earlier benchmarks goes back before the next one starts,
// so each one's resident memory is its own.
void startClean()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    malloc_trim(0);
}

// The main window on screen, with the lint's marks on its lists as the
// editor puts them there.
struct Window {
    explicit Window(bool marks = true)
    {
        startClean();
        if (marks)
            form.markLists(&pictures);
        form.show();
        settle();
    }
    scp::ListDocument& list(ListId id = ListId::Gumps) { return *lists[size_t(id)]; }
    scp::ListEdit& box(ListId id = ListId::Gumps) { return listBox(form, id); }
    // Edit, layout and paint must all be done inside the timed part.
    void repaint()
    {
        for (ListId list : scp::kAllLists)
            box(list).viewport()->repaint();
    }
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The window holding the section files of `entries` entries, read and
    // filled as the editor's Load does it.
    void load(int entries)
    {
        scp::SectionFiles files{QDir(sectionFiles(entries).path())};
        SilentReporter reporter;
        scp::SectionLoad filling(*files.readSections(reporter));
        QEventLoop filled;
        QObject::connect(&filling, &scp::SectionLoad::filled, &filled, &QEventLoop::quit);
        filled.exec();
        const std::array<QTextDocument*, 3> documents = filling.takeDocuments();
        for (size_t i = 0; i < lists.size(); ++i)
            lists[i]->adopt(documents[i]);
        repaint();
        settle();
    }

    scp::PictureFolder pictures{QDir::tempPath()};
    std::array<std::unique_ptr<scp::ListDocument>, 3> lists{
        std::make_unique<scp::ListDocument>(QString(), scp::spacerWidth(ListId::Gumps)),
        std::make_unique<scp::ListDocument>(QString(), scp::spacerWidth(ListId::Tiles)),
        std::make_unique<scp::ListDocument>(QString(), scp::spacerWidth(ListId::Items))};
    scp::EntryLists entryLists{{{lists[0].get(), lists[1].get(), lists[2].get()}}};
    scp::MainWindow form{{lists[0].get(), lists[1].get(), lists[2].get()}};
};

// Three plain boxes doing what the window's lists do, the plain way.
struct PlainBoxes {
    PlainBoxes()
    {
        startClean();
        for (auto& box : boxes) {
            box = std::make_unique<QPlainTextEdit>(&form);
            box->setFont(scp::ListEdit::listFont());
        }
        form.resize(600, 300);
        form.show();
        QCoreApplication::processEvents();
    }
    void load(const QString& folder)
    {
        std::array<QByteArray, 3> read;
        for (ListId list : scp::kAllLists)
            read[size_t(list)] =
                scp::readFileBytes(folder + u'/' + scp::sectionFileName(list)).bytes;
        for (ListId list : scp::kAllLists)
            box(list).setPlainText(scp::decodeCp1252(read[size_t(list)]));
        for (auto& box : boxes)
            box->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    void save(const QString& folder)
    {
        scp::FileTransaction transaction;
        for (ListId list : scp::kAllLists)
            transaction.add(folder + u'/' + scp::sectionFileName(list),
                            scp::encodeCp1252(box(list).toPlainText()).bytes);
        if (!transaction.commit())
            qFatal("plain save failed");
    }
    QPlainTextEdit& box(ListId list) { return *boxes[size_t(list)]; }

    QWidget form;
    std::array<std::unique_ptr<QPlainTextEdit>, 3> boxes;
};

// One Load an iteration; the resident memory after the first and the last.
template <typename Load> void timeLoads(benchmark::State& state, Load load)
{
    double first = 0;
    for (auto _ : state) {
        load();
        if (first == 0)
            first = residentMiB();
    }
    state.counters["rss_first_MiB"] = first;
    state.counters["rss_last_MiB"] = residentMiB();
}

template <bool marks> void BM_Load(benchmark::State& state)
{
    const int entries = int(state.range(0));
    sectionFiles(entries);
    Window window(marks);
    timeLoads(state, [&] { window.load(entries); });
    if (marks) {
        // The marks read a long list while the window is idle; how long
        // after the last Load they are all there, and the memory then.
        QElapsedTimer idle;
        idle.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 60'000);
        state.counters["marked_after_ms"] = double(idle.elapsed());
        state.counters["rss_marked_MiB"] = residentMiB();
    }
}

// How soon after the click a Load's busy pointer is up. The pointer goes up
// before the files are read, so the first file opened once it is up tells
// (nothing is opened between the two): the time then, from when this was
// made, or -1 where no file was opened with the pointer up.
class PointerAtOpen {
public:
    PointerAtOpen() : m_real(scp::systemCalls())
    {
        s_real = m_real.open;
        s_seen = -1;
        s_clock.start();
        scp::systemCalls().open = [](const char* path, int flags, mode_t mode) {
            if (s_seen < 0 && QGuiApplication::overrideCursor() != nullptr)
                s_seen = s_clock.nsecsElapsed();
            return s_real(path, flags, mode);
        };
    }
    ~PointerAtOpen() { scp::systemCalls() = m_real; }
    PointerAtOpen(const PointerAtOpen&) = delete;
    PointerAtOpen& operator=(const PointerAtOpen&) = delete;
    qint64 seen() const { return s_seen; } // ns

private:
    const scp::SystemCalls m_real;
    static inline int (*s_real)(const char*, int, mode_t) = nullptr;
    static inline QElapsedTimer s_clock;
    static inline qint64 s_seen = -1;
};

// Load as the editor runs it, from the Load request: the time until the
// window handles input again (the files read, the lists filling on threads
// of their own), and until the three lists are in and painted. `ownIds`:
// lists whose every entry has an id of its own.
template <bool ownIds> void BM_Load_Editor(benchmark::State& state)
{
    const int entries = int(state.range(0));
    QTemporaryDir journals;
    scp::Editor editor{QDir(sectionFiles(entries, ownIds).path()), journals.path()};
    QObject::connect(&editor, &scp::Editor::freedMemory,
                     &scp::returnFreedMemoryWhenIdle); // as main() has it
    startClean();
    editor.show();
    QWidget& window = editorWindow();
    waitForLists(window); // the files it starts with
    double listsIn = 0;
    double pointer = 0; // from the click to the busy pointer, where it went up
    int pointers = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const PointerAtOpen pointerAt;
        editor.load();
        QCoreApplication::processEvents(); // what is pending, as before the next input
        state.PauseTiming();
        if (pointerAt.seen() >= 0) {
            pointer += double(pointerAt.seen()) / 1e6;
            ++pointers;
        }
        waitForLists(window);
        for (ListId list : scp::kAllLists)
            listBox(window, list).viewport()->repaint();
        listsIn += double(clock.nsecsElapsed()) / 1e6;
        Window::settle();
        state.ResumeTiming();
    }
    state.counters["lists_in_ms"] = listsIn / double(state.iterations());
    state.counters["rss_MiB"] = residentMiB();
    // Once the idle work is done (the marks read the lists, the freed
    // memory given back): the memory a Load leaves.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 60'000);
    state.counters["rss_settled_MiB"] = residentMiB();
    if (pointers > 0)
        state.counters["pointer_ms"] = pointer / pointers;
}

// `cat` of the same three files, from the page cache, the yardstick for Load.
void BM_Cat(benchmark::State& state)
{
    const QString folder = sectionFiles(int(state.range(0))).path();
    QStringList files;
    qint64 bytes = 0;
    for (ListId list : scp::kAllLists) {
        files << folder + u'/' + scp::sectionFileName(list);
        bytes += QFileInfo(files.back()).size();
    }
    state.counters["files_MB"] = double(bytes) / 1e6;
    for (auto _ : state) {
        QProcess cat;
        cat.setStandardOutputFile(QProcess::nullDevice());
        cat.start(u"cat"_s, files);
        if (!cat.waitForFinished() || cat.exitCode() != 0)
            state.SkipWithError("cat failed");
    }
}

void BM_Load_Plain(benchmark::State& state)
{
    const QString folder = sectionFiles(int(state.range(0))).path();
    PlainBoxes plain;
    timeLoads(state, [&] { plain.load(folder); });
}

// A copy of the section files of `entries` entries, and the headless
// compiler run on it as its own process (it writes mantle.scp there).
struct CompilerFolder {
    explicit CompilerFolder(int entries)
    {
        for (ListId list : scp::kAllLists) {
            QFile::copy(sectionFiles(entries).filePath(scp::sectionFileName(list)),
                        folder.filePath(scp::sectionFileName(list)));
        }
    }
    bool compile() const
    {
        QProcess compiler;
        compiler.setStandardOutputFile(QProcess::nullDevice());
        compiler.start(QStringLiteral(SCP_COMPILE_EXE), {folder.path()});
        return compiler.waitForFinished() && compiler.exitCode() == 0;
    }
    QTemporaryDir folder;
};

// The longest stretch the window's thread went without turning its event
// loop (painting, timers) while it was started.
class HeldClock final : public QObject {
public:
    HeldClock()
    {
        connect(&m_ticks, &QTimer::timeout, this, &HeldClock::tick);
        m_ticks.start(1);
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
    }
    qint64 stop() // ns
    {
        tick();
        return m_longest;
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_ticks;
    QElapsedTimer m_clock;
    qint64 m_last = 0, m_longest = 0;
};

// Until every list's problem count is in, as a user's compile finds it: the
// marks' reading of the lists and the count run while the window is idle.
void waitForCounts(const scp::MainWindow& form)
{
    const auto counted = [&form] {
        return std::ranges::all_of(
            scp::kAllLists, [&form](ListId list) { return form.problems(list)->isCounted(); });
    };
    QElapsedTimer clock;
    clock.start();
    while (!counted() && clock.elapsed() < 300'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(1);
    }
    if (!counted())
        qFatal("the problem counts never came in");
}

// SaveAllSections or CompileMantleScp from the window, through the work
// queue the window's commands run on, each against a run of the whole
// headless compiler between two of them (untimed), so that the ratio to
// that floor comes from the same moments of a shared machine. The compile
// first asks the lists' problem counts for errors, as the command does.
// held_ms: the longest the window's thread was kept from its events during
// a save.
template <bool compile> void BM_Save(benchmark::State& state)
{
    // With marks, as the window has them, and their reading of the lists and
    // the problem counts done first, as a user's save finds them: run in the
    // event loop while the files are written, they would be timed too.
    Window window(true);
    window.load(int(state.range(0)));
    waitForCounts(window.form);
    const std::array<const scp::ListDocument*, 3> lists{
        window.lists[0].get(), window.lists[1].get(), window.lists[2].get()};
    const std::array<const scp::ListProblems*, 3> counts{window.form.problems(ListId::Gumps),
                                                         window.form.problems(ListId::Tiles),
                                                         window.form.problems(ListId::Items)};
    QTemporaryDir out;
    scp::SectionFiles files{QDir(out.path())};
    scp::PatchInfoState patchInfo{QDir(out.path())};
    scp::ScriptCompile script{QDir(out.path())};
    SilentReporter messages;
    scp::WorkQueue queue(&window.form, messages);
    const CompilerFolder floor(int(state.range(0)));
    qint64 saves = 0, processes = 0, held = 0; // ns
    HeldClock holds;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        holds.start();
        if constexpr (compile) {
            if (scp::scriptErrors(lists, counts).isEmpty()) // the lists hold their placeholders
                state.SkipWithError("no errors found");
            if (!script.mayReplaceScript())
                state.SkipWithError("the script would be asked about");
        }
        queue.run([&](scp::Reporter& reporter) {
            if constexpr (compile)
                script.compileScript(window.entryLists, patchInfo.patchInfo(), reporter);
            else
                files.saveSections(window.entryLists, patchInfo, reporter);
        });
        saves += clock.nsecsElapsed();
        held += holds.stop();
        state.PauseTiming();
        clock.restart();
        if (!floor.compile())
            state.SkipWithError("scpmaker-compile failed");
        processes += clock.nsecsElapsed();
        state.ResumeTiming();
    }
    const auto perSave = [&](qint64 ns) { return double(ns) / 1e6 / double(state.iterations()); };
    state.counters["process_ms"] = perSave(processes);
    state.counters["held_ms"] = perSave(held);
    state.counters["ratio_to_process"] = double(saves) / double(processes);
}

void BM_Save_Plain(benchmark::State& state)
{
    const int entries = int(state.range(0));
    PlainBoxes plain;
    plain.load(sectionFiles(entries).path());
    QTemporaryDir out;
    for (auto _ : state)
        plain.save(out.path());
}

// What the headless compiler does once it has read the files.
void BM_Compile_Headless(benchmark::State& state)
{
    const int entries = int(state.range(0));
    startClean();
    scp::MemoryEntryLists lists;
    SilentReporter reporter;
    scp::SectionFiles{QDir(sectionFiles(entries).path())}.loadSections(lists.lists(), reporter);
    QTemporaryDir out;
    scp::ScriptCompile compile{QDir(out.path())};
    for (auto _ : state)
        compile.compileScript(lists.lists(), std::nullopt, reporter);
}

// The whole headless compiler, as its own process, on a copy of the same
// folder (it writes mantle.scp there): what SaveAllSections and
// CompileMantleScp are held against.
void BM_Compile_Process(benchmark::State& state)
{
    const CompilerFolder folder(int(state.range(0)));
    for (auto _ : state) {
        if (!folder.compile())
            state.SkipWithError("scpmaker-compile failed");
    }
}

void BM_ClearAndUndo(benchmark::State& state)
{
    Window window;
    window.load(int(state.range(0)));
    scp::ListEdit& box = window.box(ListId::Items);
    for (auto _ : state) {
        window.entryLists.clearList(ListId::Items);
        box.viewport()->repaint();
        box.undo();
        box.viewport()->repaint();
        state.PauseTiming();
        Window::settle();
        if (window.list(ListId::Items).isEmpty())
            state.SkipWithError("undo did not bring the list back");
        state.ResumeTiming();
    }
}

void BM_ClearAndUndo_Plain(benchmark::State& state)
{
    PlainBoxes plain;
    plain.load(sectionFiles(int(state.range(0))).path());
    QPlainTextEdit& box = plain.box(ListId::Items);
    for (auto _ : state) {
        QTextCursor all(box.document());
        all.select(QTextCursor::Document);
        all.removeSelectedText();
        box.viewport()->repaint();
        box.undo();
        box.viewport()->repaint();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void typeKey(scp::ListEdit& box)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
    QCoreApplication::sendEvent(&box, &press);
}

// Add and keystroke: `edit` at the end of the gumps list `box` and its
// repaint, timed; the list is put back by undoing the edit, untimed.
template <typename Edit> void timeEdits(benchmark::State& state, scp::ListEdit& box, Edit edit)
{
    box.setFocus();
    box.moveCursor(QTextCursor::End);
    for (auto _ : state) {
        edit();
        box.viewport()->repaint();
        state.PauseTiming();
        box.undo();
        Window::settle();
        state.ResumeTiming();
    }
}

void BM_Add(benchmark::State& state)
{
    Window window;
    window.load(int(state.range(0)));
    timeEdits(state, window.box(), [&] { window.entryLists.addEntry(ListId::Gumps, kEntry); });
}

void BM_KeystrokeAtEnd(benchmark::State& state)
{
    Window window;
    window.load(int(state.range(0)));
    timeEdits(state, window.box(), [&] { typeKey(window.box()); });
}

// Add and keystroke as the editor has them: the lints' marks on, and the
// recovery journal recording the edits of a list that is already unsaved
// (its base copied from its file), as it is while the user types on.
template <bool add> void BM_Journal(benchmark::State& state)
{
    startClean();
    QTemporaryDir journals;
    scp::Editor editor{QDir(sectionFiles(int(state.range(0))).path()), journals.path()};
    QObject::connect(&editor, &scp::Editor::freedMemory,
                     &scp::returnFreedMemoryWhenIdle); // as main() has it
    editor.show();
    QWidget& form = editorWindow();
    waitForLists(form);
    scp::ListEdit& box = listBox(form, ListId::Gumps);
    box.moveCursor(QTextCursor::Start);
    typeKey(box); // the list is unsaved from here on
    Window::settle();
    timeEdits(state, box, [&] {
        if (add)
            editor.addEntry(ListId::Gumps, kEntry);
        else
            typeKey(box);
    });
    if (!form.isWindowModified())
        state.SkipWithError("the list was not unsaved: nothing was journalled");
}

// Read, set text + spacer, read, set text + entry: what Add would cost done
// through whole texts.
void BM_WholeTextWay(benchmark::State& state)
{
    Window window;
    const QString text = gumpList(int(state.range(0)), kEntry);
    scp::ListDocument& list = window.list();
    list.setText(text);
    const QString spacer = scp::spacerText(scp::kGumpTileSpacerWidth);
    for (auto _ : state) {
        list.setText(list.text() + spacer);
        list.setText(list.text() + kEntry);
        window.box().viewport()->repaint();
        state.PauseTiming();
        list.setText(text);
        Window::settle();
        state.ResumeTiming();
    }
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(10000)->Arg(100000)->Arg(470000)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Load<true>)->Name("BM_Load")->Apply(sizes)->Iterations(4);
BENCHMARK(BM_Load<false>)->Name("BM_Load_NoMarks")->Apply(sizes)->Iterations(4);
BENCHMARK(BM_Load_Editor<false>)->Name("BM_Load_Editor")->Apply(sizes)->Iterations(4);
BENCHMARK(BM_Load_Editor<true>)
    ->Name("BM_Load_Editor_OwnIds")
    ->Arg(100000)
    ->Arg(470000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4);
BENCHMARK(BM_Cat)->Apply(sizes)->Iterations(9);
BENCHMARK(BM_Load_Plain)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Save<false>)->Name("BM_SaveAllSections")->Apply(sizes);
BENCHMARK(BM_Save<true>)->Name("BM_CompileMantleScp")->Apply(sizes);
BENCHMARK(BM_Save_Plain)->Apply(sizes);
BENCHMARK(BM_Compile_Headless)->Apply(sizes);
BENCHMARK(BM_Compile_Process)->Apply(sizes);
BENCHMARK(BM_ClearAndUndo)->Apply(sizes);
BENCHMARK(BM_ClearAndUndo_Plain)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Add)->Apply(sizes);
BENCHMARK(BM_KeystrokeAtEnd)->Apply(sizes);
BENCHMARK(BM_Journal<true>)->Name("BM_Add_Journal")->Apply(sizes);
BENCHMARK(BM_Journal<false>)->Name("BM_KeystrokeAtEnd_Journal")->Apply(sizes);
BENCHMARK(BM_WholeTextWay)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
