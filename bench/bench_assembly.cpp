// Assembly of lists totalling 1 MB, 10 MB and 100 MB, written to disk:
// compileScript (assemble, encode, write to a temporary, fsync, rename)
// against the plain concatenation of the same pieces written and synced
// with one write.

#include "script/memory_entry_lists.h"
#include "script/reporter.h"
#include "script/script_compile.h"
#include "script/templates.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

using scp::ListId;

namespace {

class SilentReporter final : public scp::Reporter {
public:
    void information(const QString&) override {}
    void failure(const QString& text) override { error = text; }
    QString error;
};

// Each list gets a third of `bytes` of entries and spacers.
void fill(scp::MemoryEntryLists& set, qsizetype bytes)
{
    for (ListId list : scp::kAllLists) {
        const QString entry = list == ListId::Items
                                  ? QStringLiteral("0x2000 0 0 0 0 3 20 970 0 Mantle of Night")
                                  : QStringLiteral("0x4000 tile_marble.bmp 44 44");
        const QString spacer = scp::spacerText(list == ListId::Items ? scp::kItemSpacerWidth
                                                                     : scp::kGumpTileSpacerWidth);
        QString text;
        text.reserve(bytes / 3 + entry.size());
        text += entry;
        while (text.size() < bytes / 3)
            text += spacer + entry;
        set.box(list).setText(text);
    }
}

void BM_CompileScript(benchmark::State& state)
{
    QTemporaryDir dir;
    scp::MemoryEntryLists set;
    fill(set, state.range(0));
    scp::ScriptCompile compile{QDir(dir.path())};
    SilentReporter reporter;
    for (auto _ : state) {
        if (!compile.compileScript(set.lists(), std::nullopt, reporter)) {
            state.SkipWithError(qPrintable(reporter.error));
            break;
        }
    }
    state.SetBytesProcessed(
        state.iterations() *
        QFileInfo(dir.filePath(QString::fromLatin1(scp::kScriptFileName))).size());
}

void BM_ConcatenateAndWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    scp::MemoryEntryLists set;
    fill(set, state.range(0));
    const QString path = dir.filePath(QStringLiteral("plain.scp"));
    // The same thirteen pieces, already bytes: the least any writer does.
    const QByteArray gap = scp::templateText(scp::Block::Gap).toLatin1();
    const QByteArray pieces[] = {
        scp::templateText(scp::Block::Head).toLatin1(),      gap,
        set.lists().listText(ListId::Tiles).toLatin1(),      gap,
        scp::templateText(scp::Block::GumpsHead).toLatin1(), gap,
        set.lists().listText(ListId::Gumps).toLatin1(),      gap,
        scp::templateText(scp::Block::ItemsHead).toLatin1(), gap,
        set.lists().listText(ListId::Items).toLatin1(),      gap,
        scp::templateText(scp::Block::Tail).toLatin1(),
    };
    qsizetype size = 0;
    for (auto _ : state) {
        QByteArray script;
        for (const QByteArray& piece : pieces)
            script += piece;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            file.write(script) != script.size() || ::fsync(file.handle()) != 0) {
            state.SkipWithError("plain write failed");
            break;
        }
        size = script.size();
    }
    state.SetBytesProcessed(state.iterations() * size);
}

} // namespace

BENCHMARK(BM_CompileScript)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_ConcatenateAndWrite)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

BENCHMARK_MAIN();
