#pragma once

// How a list's document holds its breaks (the line separators and paragraph
// breaks that stand for a character of the list, told from real line ends by
// their format), the one walk that reads them back, and the scan that moves
// them as runs of spaces are made and unmade.

#include "lists/list_document.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>

#include <algorithm>
#include <utility>
#include <vector>

namespace scp::rows {

// A row break is a paragraph break whose character carries this object type,
// a chunk break one carrying kChunkBreakObject plus the character it stands
// for. Typed text takes the format beside the caret, which after a break is
// the break's own; QTextCursor::insertText drops the object type from it,
// and Enter and paste, where Qt would hand the format on whole, are done with
// a plain format.
constexpr int kRowBreakObject = QTextFormat::UserObject + 1;
constexpr int kChunkBreakObject = QTextFormat::UserObject + 2;

// The document's own record of the list's spacer, which the rule needs
// wherever text goes in.
constexpr char kSpacerProperty[] = "scpSpacer";

// The list's spacer as the document records it.
int spacerOf(const QTextDocument& document);
QTextCharFormat breakFormat(int objectType);
QTextCharFormat chunkFormat(QChar standsFor);
// What a format makes of the paragraph break carrying it: a space, a token's
// character, or nothing (0, a real line end).
char16_t standInOf(const QTextFormat& format);

// Tells breaks from real line ends. The format of the break before a block
// is that block's character format, looked up here by index: a long list is
// read block by block, and that keeps reading it cheap.
class Breaks {
public:
    explicit Breaks(const QTextDocument& document)
    {
        const QList<QTextFormat> formats = document.allFormats();
        m_standIns.reserve(formats.size());
        for (const QTextFormat& format : formats)
            m_standIns.push_back(standInOf(format));
    }
    char16_t before(const QTextBlock& block) const
    {
        const int format = block.charFormatIndex();
        return format >= 0 && format < qsizetype(m_standIns.size()) ? m_standIns[format] : 0;
    }

private:
    std::vector<char16_t> m_standIns;
};

// The one walk over a document range [from, to): `characters` gets the
// characters in the range between breaks, `standIn` each break (line
// separator or paragraph break) with the character it stands for, `lineEnd`
// each real line end.
template <typename Characters, typename StandIn, typename LineEnd>
void walk(const QTextDocument& document, qsizetype from, qsizetype to, Characters characters,
          StandIn standIn, LineEnd lineEnd)
{
    const Breaks breaks(document);
    QTextBlock block = document.findBlock(int(from));
    // Each block starts where the one before ends: asking a block where it
    // starts costs a walk up the document's tree.
    for (qsizetype start = block.position(); block.isValid() && start < to;) {
        const qsizetype breakAt = start + block.length() - 1;
        const qsizetype first = std::max(from, start), last = std::min(to, breakAt);
        if (last > first) {
            const QString text = block.text();
            QStringView rest = QStringView(text).sliced(first - start, last - first);
            for (qsizetype at; (at = rest.indexOf(QChar::LineSeparator)) >= 0;) {
                characters(rest.first(at));
                standIn(u' ');
                rest = rest.sliced(at + 1);
            }
            characters(rest);
        }
        block = block.next();
        if (breakAt < to && block.isValid()) {
            const char16_t standsFor = breaks.before(block);
            if (standsFor != 0)
                standIn(standsFor);
            else
                lineEnd();
        }
        start = breakAt + 1;
    }
}

// How many spaces end the document's last line, or -1 when nothing but
// spaces stands on that row: a run only ends in a break between two other
// characters.
qsizetype trailingSpaces(const QTextDocument& document);

// The longest run of spaces whose breaks an edit moves: longer ones are not
// what a person types, and are left as they went in.
constexpr int kSettledRun = int(ListDocument::kChunkLength);

// An edited range, widened to the runs of spaces it touches.
class RunScan {
public:
    explicit RunScan(const QTextDocument& document)
        : m_document(document), m_breaks(document), m_end(document.characterCount() - 1)
    {
    }
    // ' ' for a space, or a break standing for one; another character it
    // stands for, 0 for a real line end; the character itself otherwise.
    char16_t at(int position) const
    {
        const QChar c = m_document.characterAt(position);
        if (c == QChar::LineSeparator)
            return u' ';
        if (c == QChar::ParagraphSeparator)
            return m_breaks.before(m_document.findBlock(position + 1));
        return c.unicode();
    }
    bool isOther(int position) const
    {
        if (position < 0 || position >= m_end)
            return false;
        const char16_t c = at(position);
        return c != 0 && c != u' ';
    }
    // How many spaces run from `position` on (step 1) or back from before it
    // (step -1), counted up to `most`.
    int spaces(int position, int step, int most) const
    {
        int count = 0;
        for (int at = step > 0 ? position : position - 1;
             at >= 0 && at < m_end && count < most && this->at(at) == u' '; at += step)
            ++count;
        return count;
    }
    // The characters to change in [from, to] and the runs next to it, each
    // with what it becomes.
    void settle(int from, int to, int spacer, std::vector<std::pair<int, QChar>>& changes) const;

private:
    const QTextDocument& m_document;
    const Breaks m_breaks;
    const int m_end;
};

} // namespace scp::rows
