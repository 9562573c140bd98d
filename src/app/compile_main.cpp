// scpmaker-compile [DIR]: reads DIR's gumps.scp, tiles.scp and items.scp and
// writes DIR/mantle.scp, exactly as Load followed by CompileMantleScp in the
// editor does, through the same code.

#include "memory_entry_lists.h"
#include "reporter.h"
#include "script_workshop.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

class PrintingReporter final : public scp::Reporter {
public:
    void information(const QString& text) override { print(stdout, text + u'\n'); }
    void failure(const QString& text) override
    {
        print(stderr, u"scpmaker-compile: "_s + text + u'\n');
    }
};

// Output that never reached its reader is a failure like any other: a script
// whose confirmation went to a full disk must not look like a clean run.
int finished(int code)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        print(stderr, u"scpmaker-compile: write error\n"_s);
        return code == Success ? Failure : code;
    }
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"scpmaker-compile"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(SCP_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Builds DIR/mantle.scp from the section files gumps.scp, tiles.scp and items.scp\n"
        u"in DIR, exactly as the editor's Load followed by CompileMantleScp would.\n"
        u"Prints \"Mantle.Scp has been created\" and exits 0; on any failure prints one\n"
        u"line naming the file and the reason to stderr, exits 1 and changes no file."_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        u"DIR"_s, u"Folder of the section files (default: the current folder)."_s, u"[DIR]"_s);

    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr,
              u"scpmaker-compile: %1\nTry 'scpmaker-compile --help' for more information.\n"_s.arg(
                  parser.errorText()));
        return UsageError;
    }
    if (parser.isSet(help)) {
        // Named as the user knows it, whatever path started it.
        print(stdout, parser.helpText().replace(QCoreApplication::arguments().constFirst(),
                                                u"scpmaker-compile"_s));
        return finished(Success);
    }
    if (parser.isSet(version)) {
        print(stdout, u"scpmaker-compile %1\n"_s.arg(QCoreApplication::applicationVersion()));
        return finished(Success);
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        print(stderr,
              u"scpmaker-compile: expected at most one folder, got %1\n"
              u"Try 'scpmaker-compile --help' for more information.\n"_s.arg(folders.size()));
        return UsageError;
    }

    const QDir folder(folders.isEmpty() ? QDir::currentPath() : folders.first());
    PrintingReporter reporter;
    scp::MemoryEntryLists lists;
    scp::ScriptWorkshop workshop(folder);
    if (!workshop.loadSections(lists.lists(), reporter))
        return finished(Failure);
    return finished(workshop.compileScript(lists.lists(), reporter) ? Success : Failure);
}
