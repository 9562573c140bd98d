// Importing a script of 1 MB, 10 MB and 100 MB: one the compile wrote
// (found by its blocks), one written by hand (LF line ends, one entry a
// line, comments: read line by line), and the lint's count of the entries
// the command line prints. Beside each, how much resident memory the work
// added at most to the script's: the process's peak only grows, so run one
// benchmark at a time (--benchmark_filter) to read its own.

#include "script/script_import.h"
#include "script/templates.h"

#include <benchmark/benchmark.h>

#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

using scp::ListId;

namespace {

constexpr char kTile[] = "0x4000 tile_marble.bmp 44 44";
constexpr char kItem[] = "0x2000 0 0 0 0 3 20 970 0 Mantle of Night";

// Appends `bytes` of entries to `out`, each followed by `separator`.
void appendEntries(QByteArray& out, qsizetype bytes, const char* entry, const char* separator)
{
    const qsizetype end = out.size() + bytes;
    while (out.size() < end)
        out.append(entry).append(separator);
}

QByteArray block(scp::Block block)
{
    return scp::templateText(block).toLatin1();
}

// The scripts are built in place, one allocation each, so that the memory
// measured is the import's and not what building them left behind.
// As the compile writes it: a third of the size in each list.
QByteArray compiledScript(qsizetype bytes)
{
    const QByteArray gap = block(scp::Block::Gap);
    const QByteArray narrow(37, ' '), wide(86, ' ');
    QByteArray script;
    script.reserve(bytes + 8192);
    script += block(scp::Block::Head) + gap;
    appendEntries(script, bytes / 3, kTile, narrow.constData());
    script += gap + block(scp::Block::GumpsHead) + gap;
    appendEntries(script, bytes / 3, kTile, narrow.constData());
    script += gap + block(scp::Block::ItemsHead) + gap;
    appendEntries(script, bytes / 3, kItem, wide.constData());
    script += gap + block(scp::Block::Tail);
    return script;
}

// As a person might write it: LF line ends, an entry a line, a comment at
// the top of each section.
QByteArray handMadeScript(qsizetype bytes)
{
    QByteArray script;
    script.reserve(bytes + 8192);
    script += "// my patch\nSECTION TILES\n{\n// tiles\n";
    appendEntries(script, bytes / 3, kTile, "\n");
    script += "}\nSECTION GUMPS\n{\n// gumps\n";
    appendEntries(script, bytes / 3, kTile, "\n");
    script += "}\nSECTION ITEMS\n{\n// items\n";
    appendEntries(script, bytes / 3, kItem, "\n");
    script += "}\n";
    return script;
}

// Resident memory now, and at most so far, in MB.
double residentMB()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
double peakResidentMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// What the work added at most to what the process held before it.
void reportMemory(benchmark::State& state, double before)
{
    state.counters["added_MB"] = peakResidentMB() - before;
}

void importEach(benchmark::State& state, const QByteArray& script)
{
    const double before = residentMB();
    for (auto _ : state) {
        const scp::ScriptImport imported = scp::importScript(script);
        if (!imported.script) {
            state.SkipWithError(qPrintable(imported.error));
            break;
        }
        benchmark::DoNotOptimize(imported.script->lists.data());
    }
    state.SetBytesProcessed(state.iterations() * script.size());
    reportMemory(state, before);
}

void BM_ImportCompiledScript(benchmark::State& state)
{
    importEach(state, compiledScript(state.range(0)));
}

void BM_ImportHandMadeScript(benchmark::State& state)
{
    importEach(state, handMadeScript(state.range(0)));
}

void BM_CountImportedEntries(benchmark::State& state)
{
    QByteArray items;
    items.reserve(state.range(0) + 256);
    appendEntries(items, state.range(0), kItem, QByteArray(86, ' ').constData());
    const double before = residentMB();
    for (auto _ : state)
        benchmark::DoNotOptimize(scp::importedEntryCount(ListId::Items, items));
    state.SetBytesProcessed(state.iterations() * items.size());
    reportMemory(state, before);
}

} // namespace

BENCHMARK(BM_ImportCompiledScript)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ImportHandMadeScript)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CountImportedEntries)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
