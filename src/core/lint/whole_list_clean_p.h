#pragma once

// Entries the lint of a whole list reads straight from the list's
// characters: nearly every entry of a long list is one in which no rule
// finds anything, and is then neither decoded nor split into fields. Each
// reader here mirrors the rules (lint_rules.cpp) for such entries, and
// leaves anything else to them: an entry with something to say, a number
// written in another way, an id past 64 bits.

#include "lint/lint_rules.h"
#include "lint/whole_list_tables_p.h"

#include <array>
#include <optional>

namespace scp::wholelist {

// Where an entry ends, and where its first single spaces are, which part
// its fields. Entries split as ListLint splits them: at line ends, and at a
// space next to another one.
struct EntrySpan {
    qsizetype end = 0;
    int spaces = 0; // single spaces after the entry's first character
    std::array<qsizetype, kItemFields - 1> spaceAt{};
};

inline int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    const char16_t lower = c | 0x20; // 'A' to 'F' and nothing else become 'a' to 'f'
    return lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
}

// A number of up to 18 decimal digits (below 2^60, as the rules read it);
// -1 for anything else.
template <typename Char> qint64 decimalNumber(const Char* from, const Char* to)
{
    if (to == from || to - from > 18)
        return -1;
    qint64 value = 0;
    for (; from != to; ++from) {
        if (*from < u'0' || *from > u'9')
            return -1;
        value = value * 10 + (*from - u'0');
    }
    return value;
}

// The id from `from` to `to`: hexadecimal digits, 0x before them optional,
// where its value fits in 64 bits. An entry starting with a space fails it.
template <typename Char> std::optional<quint64> hexId(const Char* from, const Char* to)
{
    if (to - from > 2 && from[0] == u'0' && (from[1] == u'x' || from[1] == u'X'))
        from += 2;
    while (to - from > 1 && *from == u'0')
        ++from;
    if (to - from > 16)
        return std::nullopt;
    quint64 id = 0;
    for (; from != to; ++from) {
        const int digit = hexValue(*from);
        if (digit < 0)
            return std::nullopt;
        id = id << 4 | quint64(digit);
    }
    return id;
}

// Of the length of the list's placeholder or its hint, an entry may be one
// of them, which the rules say as such.
inline bool mayBeNamed(const LintRules& rules, qsizetype length)
{
    return length == rules.placeholder.size() || length == rules.hint.size();
}

// The id of a gump or tile of four fields in which no rule finds anything;
// its picture is looked up by the characters that name it.
template <typename Chars>
std::optional<quint64> cleanPictureEntry(const Chars& text, qsizetype start, const EntrySpan& span,
                                         const LintRules& rules,
                                         PictureAnswers<typename Chars::Char>* pictures)
{
    const auto* c = text.chars;
    if (span.spaces != 3 || mayBeNamed(rules, span.end - start))
        return std::nullopt;
    const qsizetype idEnd = span.spaceAt[0], nameEnd = span.spaceAt[1], widthEnd = span.spaceAt[2];
    const std::optional<quint64> id = hexId(c + start, c + idEnd);
    const qsizetype n = nameEnd - idEnd - 1;
    if (!id || n < 4 || c[nameEnd - 4] != u'.' || (c[nameEnd - 3] | 0x20) != u'b' ||
        (c[nameEnd - 2] | 0x20) != u'm' || (c[nameEnd - 1] | 0x20) != u'p')
        return std::nullopt;
    const qint64 width = decimalNumber(c + nameEnd + 1, c + widthEnd);
    const qint64 height = decimalNumber(c + widthEnd + 1, c + span.end);
    if (width < 0 || height < 0)
        return std::nullopt;
    if (pictures) {
        const PictureInfo& picture = (*pictures)(c + idEnd + 1, n);
        if (picture.state != PictureInfo::State::Readable || picture.size.width != width ||
            picture.size.height != height)
            return std::nullopt;
    }
    return id;
}

struct ItemKeys {
    quint64 id = 0;
    quint64 animation = 0;
};

// The keys of an item of ten fields or more in which no rule finds
// anything: its eight numbers decimal, its layer one in use.
template <typename Chars>
std::optional<ItemKeys> cleanItemEntry(const Chars& text, qsizetype start, const EntrySpan& span,
                                       const LintRules& rules)
{
    const auto* c = text.chars;
    if (span.spaces < kItemFields - 1 || mayBeNamed(rules, span.end - start))
        return std::nullopt;
    const std::optional<quint64> id = hexId(c + start, c + span.spaceAt[0]);
    if (!id)
        return std::nullopt;
    std::array<qint64, kItemFields - 1> numbers{}; // by field; the id's left out
    for (size_t i = 1; i < numbers.size(); ++i) {
        numbers[i] = decimalNumber(c + span.spaceAt[i - 1] + 1, c + span.spaceAt[i]);
        if (numbers[i] < 0)
            return std::nullopt;
    }
    const qint64 layer = numbers[kLayerField];
    if (!layerInRange(layer) || layerUnused(layer))
        return std::nullopt;
    return ItemKeys{*id, quint64(numbers[kAnimationField])};
}

} // namespace scp::wholelist
