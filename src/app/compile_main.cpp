// scpmaker-compile [DIR]: reads DIR's gumps.scp, tiles.scp and items.scp and
// writes DIR/mantle.scp, exactly as Load followed by CompileMantleScp in the
// editor does, through the same code.

#include "lists/memory_entry_lists.h"
#include "script/reporter.h"
#include "script/script_workshop.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

class PrintingReporter final : public scp::Reporter {
public:
    void information(const QString& text) override { print(stdout, text); }
    void failure(const QString& text) override
    {
        print(stderr, QStringLiteral("scpmaker-compile: ") + text);
    }

private:
    static void print(FILE* stream, const QString& line)
    {
        std::fputs(line.toLocal8Bit().constData(), stream);
        std::fputc('\n', stream);
        std::fflush(stream);
    }
};

void print_usage()
{
    std::fputs("Usage: scpmaker-compile [DIR]\n"
               "\n"
               "Builds DIR/mantle.scp from the section files gumps.scp, tiles.scp and\n"
               "items.scp in DIR (default: the current directory), exactly as the editor's\n"
               "Load followed by CompileMantleScp would. Prints \"Mantle.Scp has been created\"\n"
               "and exits 0; on any failure prints one line naming the file and the reason\n"
               "to stderr, exits 1 and changes no file.\n",
               stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    PrintingReporter reporter;
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        print_usage();
        return 0;
    }
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(u'-'))) {
        reporter.failure(QStringLiteral("expected at most one folder; try --help"));
        return 1;
    }

    const QDir dir(args.isEmpty() ? QDir::currentPath() : args.first());
    scp::MemoryEntryLists lists;
    scp::ScriptWorkshop workshop(dir);
    if (!workshop.load_all_sections(lists.lists(), reporter))
        return 1;
    return workshop.compile_script(lists.lists(), reporter) ? 0 : 1;
}
