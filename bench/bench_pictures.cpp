// Pictures as entries, through the editor as the user meets it (offscreen):
// - a drop of 1,000 BMP pictures on the gumps list, from the working folder
//   and from another one (each then copied in), until the entries are in;
// - one typed key at the end of a gumps list of 100,000 entries whose
//   pictures are in the folder, with its repaint, while the pointer rests on
//   a different entry before every key (the preview decoded meanwhile on its
//   thread), and the same without previews asked for;
// - the pointer coming to rest on an entry: the tooltip's work on the
//   window's thread.

#include "bench_lists.h"
#include "bmp_bytes.h"
#include "lists/list_document.h"
#include "widget_bench_main.h"
#include "work/editor.h"

#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QToolTip>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// range(0): 0 the pictures are in the working folder, 1 they are copied in.
void BM_DropPictures(benchmark::State& state)
{
    const bool copied = state.range(0) == 1;
    const int count = int(state.range(1));
    QTemporaryDir folder, elsewhere, journals;
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString name = u"gump%1.bmp"_s.arg(i);
        paths << (copied ? elsewhere : folder).filePath(name);
        write(paths.back(), bmpBytes(44 + i % 7, 44));
    }
    scp::Editor editor{QDir(folder.path()), journals.path()};
    editor.show();
    settle();
    scp::ListEdit& box = listBox(editorWindow(), ListId::Gumps);
    for (auto _ : state) {
        editor.addPictures(ListId::Gumps, paths);
        state.PauseTiming();
        if (box.list().text().count(u".bmp"_s) != count)
            state.SkipWithError("not every picture was added");
        box.undo();
        if (copied) {
            for (int i = 0; i < count; ++i)
                QFile::remove(folder.filePath(u"gump%1.bmp"_s.arg(i)));
        }
        settle();
        state.ResumeTiming();
    }
    state.SetLabel(copied ? "copied into the folder" : "in the folder");
}

// The editor in a folder whose gumps list has `entries` entries naming 100
// pictures of 512 x 512 pixels there.
struct PictureFolder {
    explicit PictureFolder(int entries)
    {
        QString list;
        const QString spacer = scp::spacerText(scp::kGumpTileSpacerWidth);
        for (int i = 0; i < entries; ++i)
            list += (i ? spacer : QString()) + u"0x%1 p%2.bmp 512 512"_s.arg(i, 4, 16).arg(i % 100);
        write(folder.filePath(u"gumps.scp"_s), list.toLatin1());
        const QByteArray picture = bmpBytes(512, 512);
        for (int i = 0; i < 100; ++i)
            write(folder.filePath(u"p%1.bmp"_s.arg(i)), picture);
        editor.show();
        waitForLists(editorWindow());
        settle();
    }
    scp::ListEdit& box() { return listBox(editorWindow(), ListId::Gumps); }
    // The pointer at rest on the `n`th row on screen.
    void rest(int n)
    {
        const int rowHeight = box().fontMetrics().height();
        const QPoint at(20, rowHeight / 2 + (n % 8) * rowHeight);
        QHelpEvent event(QEvent::ToolTip, at, box().viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(box().viewport(), &event);
    }

    QTemporaryDir folder, journals;
    scp::Editor editor{QDir(folder.path()), journals.path()};
};

// range(0): 0 no previews asked for, 1 a preview before every key.
void BM_KeystrokeAtEnd_Previews(benchmark::State& state)
{
    const bool previews = state.range(0) == 1;
    PictureFolder window(int(state.range(1)));
    scp::ListEdit& box = window.box();
    box.setFocus();
    box.moveCursor(QTextCursor::End);
    int rested = 0;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QCoreApplication::sendEvent(&box, &press);
        box.viewport()->repaint();
        state.PauseTiming();
        box.undo();
        settle();
        if (previews)
            window.rest(rested++);
        state.ResumeTiming();
    }
    state.SetLabel(previews ? "a preview asked for before each key" : "no previews");
}

// The pointer comes to rest on another entry each time: its tooltip, with
// the preview when it is decoded already (range(0) 1) or asked for (0).
void BM_PreviewTooltip(benchmark::State& state)
{
    const bool decoded = state.range(0) == 1;
    PictureFolder window(int(state.range(1)));
    int rested = 0;
    for (auto _ : state) {
        window.rest(rested++);
        state.PauseTiming();
        if (decoded) // all eight rows' pictures in
            while (QToolTip::text().contains(u"Reading the picture"_s))
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        settle();
        state.ResumeTiming();
    }
    state.SetLabel(decoded ? "decoded before" : "decoded after");
}

} // namespace

BENCHMARK(BM_DropPictures)
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_KeystrokeAtEnd_Previews)
    ->Args({0, 100000})
    ->Args({1, 100000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewTooltip)->Args({0, 100000})->Args({1, 100000})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
