#pragma once

// main() of the benchmarks that drive the window's widgets: offscreen unless
// a platform is named, and memory handled as the editor handles it.

#include "large_blocks.h"

#include <QApplication>
#include <benchmark/benchmark.h>

inline int runWidgetBenchmarks(int argc, char** argv)
{
    scp::mapLargeBlocksApart();
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
