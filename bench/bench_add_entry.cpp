// Add on lists of 1,000 / 10,000 / 100,000 entries: the core's append
// against the whole-text rewrite (read, set text + spacer, read, set text +
// entry) that leaves the same text.

#include "bench_lists.h"
#include "script/memory_entry_lists.h"

#include <benchmark/benchmark.h>

using scp::ListId;

namespace {

const QString kEntry = QStringLiteral("0x1234 gump_cloak_m.bmp 120 200");

void fill(scp::MemoryEntryLists& set, int entries)
{
    set.lists().clearList(ListId::Gumps);
    set.box(ListId::Gumps).setText(gumpList(entries, kEntry));
}

void BM_AddEntry_Append(benchmark::State& state)
{
    scp::MemoryEntryLists set;
    fill(set, static_cast<int>(state.range(0)));
    for (auto _ : state)
        set.lists().addEntry(ListId::Gumps, kEntry);
    benchmark::DoNotOptimize(set.lists().listText(ListId::Gumps).size());
}

void BM_AddEntry_WholeTextRewrite(benchmark::State& state)
{
    scp::MemoryEntryLists set;
    fill(set, static_cast<int>(state.range(0)));
    auto& box = set.box(ListId::Gumps);
    const QString spacer = scp::spacerText(scp::kGumpTileSpacerWidth);
    for (auto _ : state) {
        if (box.text() != QString())
            box.setText(box.text() + spacer);
        box.setText(box.text() + kEntry);
    }
    benchmark::DoNotOptimize(box.text().size());
}

} // namespace

// The list grows by one entry an iteration; a fixed count keeps each size
// within a few percent of its label.
BENCHMARK(BM_AddEntry_Append)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1000);
BENCHMARK(BM_AddEntry_WholeTextRewrite)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(50)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
