#pragma once

// A list's document as the lint reads it.

#include "lint/lint.h"
#include "lists/list_document.h"

#include <QTextDocument>

namespace scp {

// One character a position, a row break as the space it stands for and a
// real line end as one LF, so the findings' positions are the document's.
class DocumentLintText final : public LintText {
public:
    explicit DocumentLintText(const QTextDocument& document) : m_document(document) {}
    qsizetype size() const override { return m_document.characterCount() - 1; }
    QStringView slice(qsizetype from, qsizetype to, QString& buffer) const override
    {
        ListDocument::positionText(m_document, from, to, buffer);
        return buffer;
    }

private:
    const QTextDocument& m_document;
};

} // namespace scp
