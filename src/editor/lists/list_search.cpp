// Searches over a list's document, a slice of its text at a time.

#include "lists/list_search.h"

#include "lists/list_document.h"

#include <QTextDocument>

#include <algorithm>

namespace scp {

namespace {

// Long enough that a search costs little more than the comparisons, short
// enough to stay in cache.
constexpr int kSlice = 1 << 16;

int positionsOf(const QTextDocument& document)
{
    return document.characterCount() - 1;
}

// Ignoring case the way Qt does costs several times an exact search. Most
// lists are ASCII: lower-cased in place, A to Z only, a slice is searched
// exactly for the needle lower-cased the same way. A slice or needle with
// anything else is searched ignoring case as Qt does (lowering A to Z has
// changed nothing for that).
bool lowerAscii(QString& text)
{
    char16_t* at = reinterpret_cast<char16_t*>(text.data());
    char16_t seen = 0;
    for (qsizetype i = 0, size = text.size(); i < size; ++i) {
        const char16_t c = at[i];
        seen |= c;
        at[i] = char16_t(unsigned(c - u'A') < 26u ? c + 32 : c);
    }
    return seen < 0x80;
}

struct Folded {
    explicit Folded(const QString& text) : needle(text) { asciiNeedle = lowerAscii(needle); }
    QString needle;
    bool asciiNeedle;

    Qt::CaseSensitivity fold(QString& slice) const
    {
        return lowerAscii(slice) && asciiNeedle ? Qt::CaseSensitive : Qt::CaseInsensitive;
    }
    qsizetype first(QString& slice, qsizetype at) const
    {
        const Qt::CaseSensitivity cs = fold(slice);
        return slice.indexOf(needle, at, cs);
    }
    qsizetype last(QString& slice, qsizetype at) const
    {
        const Qt::CaseSensitivity cs = fold(slice);
        return slice.lastIndexOf(needle, at, cs);
    }
};

// The first match starting in [from, to), or -1.
int firstIn(const QTextDocument& document, Folded& folded, int from, int to)
{
    const int size = positionsOf(document);
    const int overlap = int(folded.needle.size()) - 1;
    QString slice;
    for (int at = from; at < to; at += kSlice) {
        const int starts = std::min(to, at + kSlice);
        ListDocument::positionText(document, at, std::min(size, starts + overlap), slice);
        const qsizetype found = folded.first(slice, 0);
        if (found >= 0 && at + found < starts)
            return at + int(found);
    }
    return -1;
}

// The last match starting in [from, to), or -1.
int lastIn(const QTextDocument& document, Folded& folded, int from, int to)
{
    const int size = positionsOf(document);
    const int overlap = int(folded.needle.size()) - 1;
    QString slice;
    for (int end = to; end > from; end -= kSlice) {
        const int at = std::max(from, end - kSlice);
        ListDocument::positionText(document, at, std::min(size, end + overlap), slice);
        const qsizetype found = folded.last(slice, end - at - 1);
        if (found >= 0)
            return at + int(found);
    }
    return -1;
}

bool isSeparator(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c == u'\n')
        return true;
    return c == u' ' &&
           ((i > 0 && text[i - 1] == u' ') || (i + 1 < text.size() && text[i + 1] == u' '));
}

} // namespace

TextMatch findInList(const QTextDocument& document, const QString& needle, int from, bool backward)
{
    const int size = positionsOf(document);
    if (needle.isEmpty() || needle.size() > size)
        return {};
    from = std::clamp(from, 0, size);
    Folded folded(needle);
    const int last = size - int(needle.size()) + 1; // one past the last start
    int found = backward ? lastIn(document, folded, 0, std::min(from, last))
                         : firstIn(document, folded, from, last);
    bool wrapped = false;
    if (found < 0) {
        wrapped = true;
        found = backward ? lastIn(document, folded, from, last)
                         : firstIn(document, folded, 0, std::min(from, last));
    }
    if (found < 0)
        return {};
    return {found, found + int(needle.size()), wrapped};
}

EntrySpan entryAround(const QTextDocument& document, int position)
{
    const int size = positionsOf(document);
    position = std::clamp(position, 0, size);
    QString text;
    // Entries are short; a window around the position that doubles until it
    // holds both ends reads little of even a pathological one.
    for (int reach = 256;; reach *= 2) {
        const int from = std::max(0, position - reach);
        const int to = std::min(size, position + reach);
        // One more on each side tells a lone space from a run.
        const int readFrom = std::max(0, from - 1);
        ListDocument::positionText(document, readFrom, std::min(size, to + 1), text);
        const auto at = [&](int documentPosition) { return documentPosition - readFrom; };
        if (position < size && isSeparator(text, at(position)))
            return {position, position};
        int start = position;
        while (start > from && !isSeparator(text, at(start - 1)))
            --start;
        int end = position;
        while (end < to && !isSeparator(text, at(end)))
            ++end;
        if ((start > from || from == 0) && (end < to || to == size))
            return {start, end};
    }
}

} // namespace scp
