// A script back into its lists and patch info: its sections found by exact
// blocks where the compile wrote it, by lines where something else did.

#include "script/script_import.h"

#include "files/file_reading.h"
#include "lint/lint.h"
#include "script/exact_import.h"
#include "script/line_import.h"
#include "text/cp1252.h"
#include "text/line_ends.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

bool isCompiledScript(const QByteArray& bytes)
{
    // As the compile wrote it: one whose line ends another program changed
    // was changed, and is asked about.
    return importing::importExactly(bytes).has_value();
}

ScriptImport importScript(const QByteArray& bytes)
{
    if (std::optional<ImportedScript> exact = importing::importExactly(bytes))
        return {std::move(exact), 0, {}};
    // A script the compile wrote whose line ends were changed on the way
    // (LF alone, say) is still found whole once they are CR LF again, as
    // its lists hold them. Only such a script, ending with the Tail, pays
    // for the copy.
    if (importing::endsWithChangedTail(bytes)) {
        if (std::optional<ImportedScript> exact =
                importing::importExactly(normalizeLineEnds(bytes)))
            return {std::move(exact), 0, {}};
    }
    return importing::importByLines(bytes);
}

ScriptFileImport importScriptFile(const QString& path)
{
    FileBytes read = readFileBytes(path);
    if (!read.outcome)
        return {{}, read.outcome};
    ScriptImport imported = importScript(read.bytes);
    read.bytes.clear();
    if (!imported.script) {
        const QString where =
            imported.errorLine > 0 ? u"line %1: "_s.arg(imported.errorLine) : QString();
        return {{},
                Outcome::failure(u"Could not import \"%1\": %2%3"_s.arg(
                    QDir::toNativeSeparators(path), where, imported.error))};
    }
    return {std::move(*imported.script), {}};
}

QString describeImportWarning(const QString& script, const ImportWarning& warning)
{
    return formatWarning(script, {warning.line, warning.column}, warning.message);
}

qsizetype importedEntryCount(ListId list, const QByteArray& bytes)
{
    ListLint lint(lintRules(list));
    lint.setText(decodeCp1252(bytes));
    qsizetype count = lint.entryCount();
    const QList<LintFinding> first = lint.findings(0, 1);
    if (std::ranges::any_of(first,
                            [](const LintFinding& f) { return f.rule == LintRule::Placeholder; }))
        --count;
    return count;
}

} // namespace scp
