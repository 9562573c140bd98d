// The lists' errors, read afresh from their documents.

#include "work/script_errors.h"

#include "lists/document_lint_text.h"

namespace scp {

QList<ListErrors> scriptErrors(const std::array<const ListDocument*, 3>& lists)
{
    QList<ListErrors> found;
    for (ListId list : kAllLists) {
        const DocumentLintText text(*lists[size_t(list)]->document());
        ListLint lint(lintRules(list));
        lint.startReading(text);
        lint.readMore(text.size() + 1);
        ListErrors errors{list, 0, {}};
        for (const LintFinding& finding : lint.findings()) {
            if (lintLevel(finding.rule) != LintLevel::Error)
                continue;
            if (errors.count++ == 0)
                errors.first = finding;
        }
        if (errors.count > 0)
            found.append(errors);
    }
    return found;
}

} // namespace scp
