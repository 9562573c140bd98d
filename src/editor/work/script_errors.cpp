// The lists' errors, read afresh from their documents.

#include "work/script_errors.h"

#include "lists/document_lint_text.h"
#include "lists/list_problems.h"

namespace scp {

QList<ListErrors> scriptErrors(const std::array<const ListDocument*, 3>& lists,
                               const std::array<const ListProblems*, 3>& problems)
{
    QList<ListErrors> found;
    for (ListId list : kAllLists) {
        // A long list's count is kept as the user edits; reading the list
        // afresh would hold the window for seconds.
        const ListProblems* counted = problems[size_t(list)];
        if (const auto errors = counted ? counted->errors() : std::nullopt) {
            if (errors->count > 0)
                found.append({list, errors->count, errors->first});
            continue;
        }
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
