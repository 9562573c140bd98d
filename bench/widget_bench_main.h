#pragma once

// main() of the benchmarks that drive the window's widgets: offscreen unless
// a platform is named, and memory handled as the editor handles it.

#include "lists/list_edit.h"
#include "memory_policy.h"
#include "script/entry_lists.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The editor's main window, as a user finds it.
inline QWidget& editorWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("mainWindow"))
            return *window;
    }
    qFatal("no main window");
}

// A list's box in a main window.
inline scp::ListEdit& listBox(const QWidget& window, scp::ListId list)
{
    return *window.findChild<scp::ListEdit*>(scp::listName(list) + QStringLiteral("List"));
}

// Until a Load's lists are in: till then they take no typing.
inline void waitForLists(const QWidget& window)
{
    while (listBox(window, scp::ListId::Gumps).isReadOnly())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

inline int runWidgetBenchmarks(int argc, char** argv)
{
    scp::mapLargeBlocksApart();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // What the windows remember goes to a scratch folder, not the user's.
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
