// scpmaker-compile [DIR]: reads DIR's gumps.scp, tiles.scp and items.scp (and
// patch.ini, where there is one) and writes DIR/mantle.scp, exactly as Load
// followed by CompileMantleScp in the editor does, through the same code.
// With --check it writes nothing and prints the lint's findings instead, as
// compilers print warnings. With --import SCRIPT it goes the other way: the
// script's lists (and patch info) become DIR's section files (and patch.ini).

#include "lint/list_check.h"
#include "pictures/bmp_header.h"
#include "script/imported_files.h"
#include "script/memory_entry_lists.h"
#include "script/patch_info_state.h"
#include "script/reporter.h"
#include "script/script_compile.h"
#include "script/section_files.h"
#include "text/counted.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };
constexpr ExitCode kFindings = Failure; // a check that found something fails a build script

void print(FILE* stream, QStringView text)
{
    // Written by its length: a NUL in it ends nothing.
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

class PrintingReporter final : public scp::Reporter {
public:
    void information(const QString& text) override { print(stdout, text + u'\n'); }
    // A message of several lines (patch.ini's problems) is one line each.
    void failure(const QString& text) override
    {
        for (const QString& line : text.split(u'\n'))
            print(stderr, u"scpmaker-compile: "_s + line + u'\n');
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

// The help, naming the program as the user knows it, whatever path started
// it: only the usage line names the program, by the path it was started as.
QString helpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    const QString started = QCoreApplication::arguments().constFirst();
    for (const QString& name : {started, QDir::toNativeSeparators(started)}) {
        const QString usage = u"Usage: "_s + name;
        if (text.startsWith(usage))
            return text.replace(0, usage.size(), u"Usage: scpmaker-compile"_s);
    }
    return text;
}

// One line a finding, "FILE:LINE:COLUMN: warning: MESSAGE [entry N]", the
// lists in the editor's order; the files named as DIR was given.
int check(const QString& given, const scp::EntryLists& lists)
{
    const QDir folder(given.isEmpty() ? QDir::currentPath() : given);
    scp::PictureFolder pictures(folder.path(), scp::PictureFolder::Lookups::OncePerName);
    const bool found = scp::checkLists(
        lists, pictures,
        [&](scp::ListId list) {
            return QDir::toNativeSeparators(given.isEmpty()
                                                ? scp::sectionFileName(list)
                                                : folder.filePath(scp::sectionFileName(list)));
        },
        [](QStringView lines) { print(stdout, lines); });
    return found ? kFindings : Success;
}

// patch.ini's problems as errors in the same line format, the file named as
// DIR was given: whether there were any. One that cannot be read fails the
// run as any input does.
std::optional<bool> checkPatchInfo(const QString& given, const scp::PatchInfoState& patchInfo,
                                   scp::Reporter& reporter)
{
    const scp::PatchInfoFile read = patchInfo.readPatchInfoFile();
    if (read.file.missing)
        return false;
    if (!read.file.outcome) {
        reporter.failure(read.file.outcome.error());
        return std::nullopt;
    }
    const QString name = QString::fromLatin1(scp::kPatchInfoFileName);
    const QString file =
        QDir::toNativeSeparators(given.isEmpty() ? name : QDir(given).filePath(name));
    QString lines;
    for (const scp::PatchInfoProblem& problem : read.read.problems) {
        const QString message =
            problem.key.isEmpty() ? problem.problem : problem.key + u": "_s + problem.problem;
        lines += u"%1:%2:1: error: %3\n"_s.arg(file, QString::number(std::max(problem.line, 1)),
                                               message);
    }
    print(stdout, lines);
    return !lines.isEmpty();
}

// SCRIPT's lists into DIR's section files, all or none, and what was left
// out of it as warnings.
int importScript(const QString& script, const QString& given, bool force)
{
    const QDir folder(given.isEmpty() ? QDir::currentPath() : given);
    const scp::ScriptFileImport imported = scp::importScriptFile(script);
    if (!imported.outcome) {
        print(stderr, u"scpmaker-compile: "_s + imported.outcome.error() + u'\n');
        return Failure;
    }
    if (const QStringList existing = scp::existingImportTargets(folder);
        !existing.isEmpty() && !force) {
        QStringList named;
        for (const QString& path : existing)
            named.append(u'"' + QDir::toNativeSeparators(path) + u'"');
        print(stderr, u"scpmaker-compile: Not imported: %1 already there; --force replaces "
                      u"them\n"_s.arg(named.join(u", "_s)));
        return Failure;
    }
    QString warnings;
    for (const scp::ImportWarning& warning : imported.script.warnings)
        warnings += scp::describeImportWarning(script, warning) + u'\n';
    print(stderr, warnings);
    if (const scp::Outcome written = scp::writeImportedScript(folder, imported.script); !written) {
        print(stderr, u"scpmaker-compile: "_s + written.error() + u'\n');
        return Failure;
    }
    // "1 gump", "2 gumps"
    const auto count = [&](scp::ListId list) {
        return scp::counted(scp::importedEntryCount(list, imported.script.list(list)),
                            scp::listName(list).chopped(1));
    };
    print(stdout, u"Imported %1, %2 and %3 from %4\n"_s.arg(count(scp::ListId::Gumps),
                                                            count(scp::ListId::Tiles),
                                                            count(scp::ListId::Items), script));
    return Success;
}

int usageError(const QString& problem)
{
    print(stderr,
          u"scpmaker-compile: %1\nTry 'scpmaker-compile --help' for more information.\n"_s.arg(
              problem));
    return UsageError;
}

// The options the program takes besides DIR, as added to the parser.
struct Options {
    QCommandLineOption help, version, checkOnly, importFrom, force;
};

Options addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        u"Builds DIR/mantle.scp from the section files gumps.scp, tiles.scp and items.scp\n"
        u"in DIR, exactly as the editor's Load followed by CompileMantleScp would.\n"
        u"Prints \"Mantle.Scp has been created\" and exits 0; on any failure prints one\n"
        u"line naming the file and the reason to stderr, exits 1 and changes no file.\n"
        u"Where DIR holds patch.ini, the script's NAME, CREATOR, EMAIL and GODWALK lines\n"
        u"carry its values; with --check, each problem in it is printed as\n"
        u"\"FILE:LINE:COLUMN: error: MESSAGE\"."_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption checkOnly(
        u"check"_s,
        u"Write nothing; print each entry of the three lists the patching tool may choke "
        u"on as \"FILE:LINE:COLUMN: warning: MESSAGE [entry N]\", N counting the list's "
        u"entries from 1; \"error\" in place of \"warning\" for an entry it cannot read as "
        u"one (the editor's compile asks before writing those). Control characters are "
        u"written as \\xNN. Exits 0 when there is nothing to report, 1 when there is."_s);
    parser.addOption(checkOnly);
    const QCommandLineOption importFrom(
        u"import"_s,
        u"Read the lists (and the patch info) back from SCRIPT, a mantle.scp, and write them "
        u"as DIR's gumps.scp, tiles.scp and items.scp (and patch.ini), all or none. Prints "
        u"what of SCRIPT is not kept as \"SCRIPT:LINE:COLUMN: warning: MESSAGE\". Refuses "
        u"when any of them exists."_s,
        u"SCRIPT"_s);
    parser.addOption(importFrom);
    const QCommandLineOption force(u"force"_s, u"With --import: replace the files that exist."_s);
    parser.addOption(force);
    parser.addPositionalArgument(
        u"DIR"_s, u"Folder of the section files (default: the current folder)."_s, u"[DIR]"_s);
    return {help, version, checkOnly, importFrom, force};
}

// DIR's section files (and patch.ini) into its mantle.scp, or, with
// `checkOnly`, their findings printed.
int compileFolder(const QString& given, bool checkOnly)
{
    const QDir folder(given.isEmpty() ? QDir::currentPath() : given);
    PrintingReporter reporter;
    scp::MemoryEntryLists lists;
    scp::PatchInfoState patchInfo(folder);
    if (!scp::SectionFiles(folder).loadSections(lists.lists(), reporter))
        return Failure;
    if (checkOnly) {
        const std::optional<bool> patchInfoFound = checkPatchInfo(given, patchInfo, reporter);
        if (!patchInfoFound)
            return Failure;
        const int found = check(given, lists.lists());
        return *patchInfoFound ? kFindings : found;
    }
    if (!patchInfo.loadPatchInfo(reporter))
        return Failure;
    return scp::ScriptCompile(folder).compileScript(lists.lists(), patchInfo.patchInfo(), reporter)
               ? Success
               : Failure;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"scpmaker-compile"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(SCP_VERSION));

    QCommandLineParser parser;
    const Options options = addOptions(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    // Qt offers --help-all beside --help, for its own options; the program
    // takes none of them, and both print the same help.
    if (parser.isSet(options.help) || parser.isSet(u"help-all"_s)) {
        print(stdout, helpText(parser));
        return finished(Success);
    }
    if (parser.isSet(options.version)) {
        print(stdout, u"scpmaker-compile %1\n"_s.arg(QCoreApplication::applicationVersion()));
        return finished(Success);
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return usageError(u"expected at most one folder, got %1"_s.arg(folders.size()));

    const QString given = folders.isEmpty() ? QString() : folders.first();
    if (parser.isSet(options.importFrom)) {
        if (parser.isSet(options.checkOnly))
            return usageError(u"--import and --check cannot be used together"_s);
        return finished(
            importScript(parser.value(options.importFrom), given, parser.isSet(options.force)));
    }
    if (parser.isSet(options.force))
        return usageError(u"--force goes with --import only"_s);
    return finished(compileFolder(given, parser.isSet(options.checkOnly)));
}
