// The editor on a folder whose items list is one word of 2 MB or 50 MB with
// no space in it (a wrong file opened, a list pasted from a broken export),
// against the same folder with a one-entry items list, the floor, measured
// in the same run:
// - start: from the editor's start until its window takes input, and until
//   the lists are in;
// - ABOUT: its click, until the About window is up, and Return;
// - one keystroke at the end of the word, with its repaint.
// Each figure is printed with its ratio to the floor's.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "lists/list_edit.h"
#include "widget_bench_main.h"
#include "work/editor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

struct Figures {
    double takesInput = 0; // ms from the start
    double listsIn = 0;
    double about = 0;
    double keystroke = 0;
};

double msSince(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

void click(const QWidget& window, const QString& button)
{
    window.findChild<QPushButton*>(button)->click();
    QCoreApplication::processEvents();
}

QWidget& aboutWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == u"aboutWindow"_s)
            return *window;
    }
    qFatal("no About window");
}

// One run of the editor on a folder whose items list is `items`.
Figures measure(const QByteArray& items)
{
    QTemporaryDir folder, journals;
    QFile file(folder.filePath(u"items.scp"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(items) != items.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.close();
    Figures figures;
    QElapsedTimer clock;
    clock.start();
    auto editor = std::make_unique<scp::Editor>(QDir(folder.path()), journals.path());
    editor->show();
    QCoreApplication::processEvents(); // the window is free for input again
    figures.takesInput = msSince(clock);
    QWidget& window = editorWindow();
    waitForLists(window);
    scp::ListEdit& box = listBox(window, ListId::Items);
    box.viewport()->repaint();
    figures.listsIn = msSince(clock);

    clock.restart();
    click(window, u"aboutButton"_s);
    figures.about = msSince(clock);
    click(aboutWindow(), u"returnButton"_s);

    box.setFocus();
    box.moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    clock.restart();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
    QCoreApplication::sendEvent(&box, &press);
    box.viewport()->repaint();
    figures.keystroke = msSince(clock);

    // Nothing to ask at the close: the list is saved as it was.
    box.undo();
    editor.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return figures;
}

const Figures& floorFigures()
{
    static const Figures floor = [] {
        measure("0x1 0 0 0 0 1 0 0 0 item"); // warms up fonts and the like
        return measure("0x1 0 0 0 0 1 0 0 0 item");
    }();
    return floor;
}

void BM_LongToken(benchmark::State& state)
{
    const QByteArray token(state.range(0) << 20, 'x');
    const Figures& floor = floorFigures();
    Figures sum;
    for (auto _ : state) {
        const Figures figures = measure(token);
        sum.takesInput += figures.takesInput;
        sum.listsIn += figures.listsIn;
        sum.about += figures.about;
        sum.keystroke += figures.keystroke;
    }
    const double runs = double(state.iterations());
    const struct {
        const char* name;
        double Figures::*figure;
    } counters[] = {{"input_ms", &Figures::takesInput},
                    {"lists_in_ms", &Figures::listsIn},
                    {"about_ms", &Figures::about},
                    {"key_ms", &Figures::keystroke}};
    for (const auto& [name, figure] : counters) {
        const double ms = sum.*figure / runs;
        state.counters[name] = ms;
        state.counters[std::string(name).replace(std::string(name).size() - 3, 3, "_x_floor")] =
            ms / std::max(floor.*figure, 1e-3);
    }
}

} // namespace

// The word's size in MiB.
BENCHMARK(BM_LongToken)->Arg(2)->Arg(50)->Iterations(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
