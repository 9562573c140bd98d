#include "lists/row_breaks.h"

#include "script/entry_lists.h"

namespace scp::rows {

int spacerOf(const QTextDocument& document)
{
    const QVariant spacer = document.property(kSpacerProperty);
    return spacer.isValid() ? spacer.toInt() : kGumpTileSpacerWidth;
}

QTextCharFormat breakFormat(int objectType)
{
    QTextCharFormat format;
    format.setObjectType(objectType);
    return format;
}

QTextCharFormat chunkFormat(QChar standsFor)
{
    return breakFormat(kChunkBreakObject + standsFor.unicode());
}

char16_t standInOf(const QTextFormat& format)
{
    const int type = format.objectType();
    if (type == kRowBreakObject)
        return u' ';
    if (type >= kChunkBreakObject && type <= kChunkBreakObject + 0xFFFF)
        return char16_t(type - kChunkBreakObject);
    return 0;
}

qsizetype trailingSpaces(const QTextDocument& document)
{
    const int rowStart = document.lastBlock().position();
    qsizetype run = 0;
    for (int at = document.characterCount() - 2; at >= rowStart; --at, ++run) {
        if (document.characterAt(at) != u' ')
            return run;
    }
    return -1;
}

void RunScan::settle(int from, int to, int spacer,
                     std::vector<std::pair<int, QChar>>& changes) const
{
    int start = from;
    while (start > 0 && from - start <= kSettledRun && at(start - 1) == u' ')
        --start;
    int end = std::min(to, m_end);
    while (end < m_end && end - to <= kSettledRun && at(end) == u' ')
        ++end;
    // A run cut off by the bound is a long one.
    const bool cutBefore = start > 0 && at(start - 1) == u' ';
    const bool cutAfter = end < m_end && at(end) == u' ';
    for (int position = start; position < end;) {
        if (at(position) != u' ') {
            ++position;
            continue;
        }
        const int runStart = position;
        while (position < end && at(position) == u' ')
            ++position;
        if (position - runStart > kSettledRun || (runStart == start && cutBefore) ||
            (position == end && cutAfter))
            continue;
        const bool between = isOther(runStart - 1) && isOther(position);
        const bool ends = between && position - runStart >= spacer;
        for (int p = runStart; p < position; ++p) {
            const QChar c = m_document.characterAt(p);
            if (p == position - 1 && ends) {
                if (c == u' ')
                    changes.emplace_back(p, QChar::LineSeparator);
            } else if (c != u' ') {
                changes.emplace_back(p, u' ');
            }
        }
    }
}

} // namespace scp::rows
