#pragma once

// What the lint's two sources share of ListLint's insides: the text it reads
// through, a stretch of it, and what is kept of an entry.

#include "lint/lint.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace scp {

inline bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Whether a line starts at i, after the characters before and at it (or
// the end).
inline bool startsLine(QChar before, std::optional<QChar> at)
{
    return before == u'\n' || (before == u'\r' && at != u'\n');
}

// ---------------------------------------------------------------- text

// The lint's own copy of a text.
class ListLint::OwnText final : public LintText {
public:
    explicit OwnText(QString text) : m_text(std::move(text)) {}
    qsizetype size() const override { return m_text.size(); }
    QStringView slice(qsizetype from, qsizetype to, QString&) const override
    {
        return QStringView(m_text).sliced(from, to - from);
    }

private:
    QString m_text;
};

// A stretch [from, to) of the text, with the character on either side where
// there is one, read by positions in the whole text.
class ListLint::Window {
public:
    Window(const LintText& text, qsizetype from, qsizetype to)
        : m_first(std::max<qsizetype>(from - 1, 0)), m_size(text.size()),
          m_view(text.slice(m_first, std::min(to + 1, m_size), m_buffer))
    {
    }
    QChar operator[](qsizetype i) const { return m_view[i - m_first]; }
    QStringView sliced(qsizetype from, qsizetype length) const
    {
        return m_view.sliced(from - m_first, length);
    }
    bool holds(qsizetype from, qsizetype to) const
    {
        return from >= m_first && to <= m_first + m_view.size();
    }
    // Whether the character at i in [from, to) separates entries: a line
    // end, or a space next to another.
    bool separates(qsizetype i) const
    {
        const QChar c = (*this)[i];
        if (isLineEnd(c))
            return true;
        return c == u' ' &&
               ((i > 0 && (*this)[i - 1] == u' ') || (i + 1 < m_size && (*this)[i + 1] == u' '));
    }
    // Where the entry at i in [from, to) ends: at the first separator from
    // i on, or at `to`.
    qsizetype entryEnd(qsizetype i, qsizetype to) const
    {
        // The loop every character of a list goes through once, on the
        // characters themselves; most are letters, digits and dots.
        const char16_t* chars = m_view.utf16();
        const qsizetype first = m_first;
        for (; i < to; ++i) {
            const char16_t c = chars[i - first];
            if (c > u' ')
                continue;
            if (c == u'\r' || c == u'\n' ||
                (c == u' ' && ((i > 0 && chars[i - first - 1] == u' ') ||
                               (i + 1 < m_size && chars[i - first + 1] == u' '))))
                break;
        }
        return i;
    }
    // Whether a line starts at i in (from, to].
    bool startsLine(qsizetype i) const
    {
        return i > 0 && scp::startsLine((*this)[i - 1],
                                        i < m_size ? std::optional((*this)[i]) : std::nullopt);
    }

private:
    qsizetype m_first;
    qsizetype m_size;
    QString m_buffer;
    QStringView m_view;
};

// ---------------------------------------------------------------- entries

// What is kept of an entry: its place in the text order and its keys for the
// rules that compare entries. Where it starts is kept apart (m_starts), so
// that an edit moves the entries after it without touching them. Everything
// else is read again from the text when its findings are asked for, so an
// entry costs 20 bytes: a list of half a million entries reads in a hundred
// thousand more, and each byte an entry is half a megabyte.
struct ListLint::Entry {
    // How a key is held, by KeySlot: a number that fits in 32 bits in the
    // entry, a longer one or digits beside it, in the lint's m_wideKeys
    // (such keys are rare, and room for them would cost every entry).
    enum Held : quint8 { None, InEntry, Wide, Digits };

    quint32 order = 0;               // ascending in text order, never shifted by edits
    quint32 length = 0;              // the document's positions are int
    std::array<quint32, 2> values{}; // by KeySlot, those held InEntry
    std::array<Held, 2> held{None, None};
    // By KeySlot: whether this is the first entry with its key, which its
    // findings then need not look up.
    std::array<bool, 2> owns{};
};

} // namespace scp
