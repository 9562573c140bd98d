// scpmaker [DIR]: the editor, working on the section files and the script in
// DIR (default: the current folder).

#include "files/folder_check.h"
#include "windows/application_icon.h"
#include "windows/first_paint.h"
#include "windows/message_box_reporter.h"
#include "work/editor_settings.h"
#include "work/kept_places.h"
#include "work/program.h"

#include "memory_policy.h"
#include "start_ahead.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shellapi.h>
#endif

using namespace Qt::StringLiterals;

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// Help or a version that never reached its reader (a full disk, say) is a
// failure, as the compiler's output is.
int printOut(const QString& text)
{
    print(stdout, text);
    if (std::ferror(stdout) != 0) {
        print(stderr, u"scpmaker: write error\n"_s);
        return Failure;
    }
    return Success;
}

bool hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Windows hands main() the command line in its ANSI code page, which holds
// few of the characters a folder's name may have: its wide form is read.
QStringList argumentList([[maybe_unused]] int argc, [[maybe_unused]] char** argv)
{
    QStringList arguments;
#ifdef Q_OS_WIN
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i)
        arguments << QString::fromWCharArray(wide[i]);
    LocalFree(wide);
#else
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
#endif
    return arguments;
}

// The editor of `folder`, or with `recent` of the latest folder, until its
// main window is closed.
int runEditor(int& argc, char** argv, const QDir& folder, bool recent)
{
    scp::FontSetupAhead fonts;
    QApplication app(argc, argv);
    fonts.wait();
    QApplication::setWindowIcon(scp::applicationIcon(scp::IconSizes::FirstFrame));
    scp::afterFirstPaint(&app, [] { QApplication::setWindowIcon(scp::applicationIcon()); });
    // Only closing the main window ends the program: not hiding it for the
    // About window, and not closing the About window while it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    // A portable copy keeps its settings and journals beside itself.
    const scp::KeptPlaces places = scp::keptPlaces(QCoreApplication::applicationDirPath());
    if (!places.settingsFile.isEmpty())
        scp::keepSettingsIn(places.settingsFile);
    if (!places.problem.isEmpty())
        scp::MessageBoxReporter().failure(places.problem);
    scp::Program program(places.journalFolder);
    // exit() leaves every running event loop without asking the other
    // windows (quit() would, and the About window turns a close into Return).
    QObject::connect(&program, &scp::Program::finished, &app, [] { QCoreApplication::exit(0); });
    // The lists a Load replaced, and the files it read, go back to the system.
    QObject::connect(&program, &scp::Program::freedMemory, &app, &scp::returnFreedMemoryWhenIdle);
    if (recent) {
        program.openRecent([] {
            return QFileDialog::getExistingDirectory(nullptr, u"Open Folder"_s, QDir::homePath());
        });
    } else {
        program.open(folder);
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    scp::mapLargeBlocksApart();
    // The command line is read before any window system is asked for, so
    // --help and --version work without a display.
    QCoreApplication::setApplicationName(u"scpmaker"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(SCP_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Editor for mantle.scp: gumps, tiles and items lists, kept as the section files\n"
        u"gumps.scp, tiles.scp and items.scp, and assembled into mantle.scp, all in DIR."_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption recent(
        u"recent"_s, u"Without DIR: the latest folder still there, else one asked for."_s);
    parser.addOption(recent);
    parser.addPositionalArgument(u"DIR"_s, u"Folder of the files (default: the current folder)."_s,
                                 u"[DIR]"_s);
    if (!parser.parse(argumentList(argc, argv))) {
        print(stderr, u"scpmaker: %1\nTry 'scpmaker --help' for more information.\n"_s.arg(
                          parser.errorText()));
        return UsageError;
    }
    // Qt offers --help-all beside --help, for its own options; the editor
    // takes none of them on its command line, and both print the same help.
    if (parser.isSet(help) || parser.isSet(u"help-all"_s)) {
        // No application object exists yet to name the program.
        return printOut(parser.helpText().replace(u"<executable_name>"_s, u"scpmaker"_s));
    }
    if (parser.isSet(version))
        return printOut(u"scpmaker %1\n"_s.arg(QCoreApplication::applicationVersion()));
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        print(stderr, u"scpmaker: expected at most one folder, got %1\n"
                      u"Try 'scpmaker --help' for more information.\n"_s.arg(folders.size()));
        return UsageError;
    }
    QDir folder = QDir::current();
    if (!folders.isEmpty()) {
        if (const QString message = scp::folderOpenProblem(folders.first()); !message.isEmpty()) {
            print(stderr, u"scpmaker: "_s + message + u'\n');
            // Started from a desktop menu, nobody reads stderr: say it on
            // screen too, where there is one.
            if (hasDisplay()) {
                QApplication app(argc, argv);
                QMessageBox box(QMessageBox::Warning, u"scpmaker"_s, message, QMessageBox::Ok);
                box.setTextFormat(Qt::PlainText);
                box.exec();
            }
            return Failure;
        }
        const QFileInfo info(folders.first());
        folder = QDir(info.absoluteFilePath());
    }

    return runEditor(argc, argv, folder, parser.isSet(recent) && folders.isEmpty());
}
