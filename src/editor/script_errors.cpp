// The lists' errors, read afresh from their documents.

#include "script_errors.h"

#include "lint.h"
#include "list_document.h"

#include <QTextDocument>

namespace scp {

namespace {

// A list's document as the lint reads it, one character a position, so the
// findings' positions are the document's.
class DocumentPositions final : public LintText {
public:
    explicit DocumentPositions(const QTextDocument& document) : m_document(document) {}
    qsizetype size() const override { return m_document.characterCount() - 1; }
    QStringView slice(qsizetype from, qsizetype to, QString& buffer) const override
    {
        ListDocument::positionText(m_document, from, to, buffer);
        return buffer;
    }

private:
    const QTextDocument& m_document;
};

} // namespace

QList<ListErrors> scriptErrors(const std::array<const ListDocument*, 3>& lists)
{
    QList<ListErrors> found;
    for (ListId list : kAllLists) {
        const DocumentPositions text(*lists[size_t(list)]->document());
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
