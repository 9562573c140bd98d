// A whole list's lint in one pass; see whole_list_lint.h.

#include "lint/whole_list_lint.h"

#include "lint/lint.h"
#include "lint/whole_list_clean_p.h"
#include "lint/whole_list_tables_p.h"
#include "pictures/bmp_header.h"
#include "text/cp1252.h"

#include <QList>
#include <QString>
#include <QtEndian>

#include <bit>
#include <cstring>
#include <optional>
#include <utility>

namespace scp {

namespace {

using namespace wholelist;

// The list's characters, and an entry's text as the rules read it.
struct Utf16Text {
    using Char = char16_t;
    const char16_t* chars;
    QStringView entry(qsizetype from, qsizetype length, QString&) const
    {
        return QStringView(chars + from, length);
    }
    // The first character from i on that may end an entry (a space or a
    // control character), or `size`.
    qsizetype nextBreak(qsizetype i, qsizetype size) const
    {
        while (i < size && chars[i] > u' ')
            ++i;
        return i;
    }
    // The first character from i on that is not a space, or `size`.
    qsizetype pastSpaces(qsizetype i, qsizetype size) const
    {
        while (i < size && chars[i] == u' ')
            ++i;
        return i;
    }
};

// The bytes, an entry decoded at a time into a buffer used over and over:
// a list of a hundred thousand entries is never widened whole. The bytes
// are looked through eight at a time, as nearly all of them are an entry's
// letters and digits or a spacer's spaces.
struct Cp1252Text {
    using Char = unsigned char;
    const unsigned char* chars;
    QStringView entry(qsizetype from, qsizetype length, QString& buffer) const
    {
        buffer.resize(length);
        decodeCp1252To(QByteArrayView(chars + from, length), buffer.data());
        return buffer;
    }
    static constexpr quint64 kOnes = 0x0101010101010101ull;
    static constexpr quint64 kHighs = 0x8080808080808080ull;
    quint64 word(qsizetype i) const
    {
        quint64 word;
        std::memcpy(&word, chars + i, 8);
        return qFromLittleEndian(word);
    }
    qsizetype nextBreak(qsizetype i, qsizetype size) const
    {
        for (; i + 8 <= size; i += 8) {
            // A byte below 0x21 sets its high bit here; a borrow can set
            // those of the bytes after it only, so the first is exact.
            const quint64 w = word(i);
            if (const quint64 low = (w - 0x21 * kOnes) & ~w & kHighs)
                return i + std::countr_zero(low) / 8;
        }
        while (i < size && chars[i] > ' ')
            ++i;
        return i;
    }
    qsizetype pastSpaces(qsizetype i, qsizetype size) const
    {
        for (; i + 8 <= size; i += 8) {
            if (const quint64 other = word(i) ^ (0x20 * kOnes))
                return i + std::countr_zero(other) / 8;
        }
        while (i < size && chars[i] == ' ')
            ++i;
        return i;
    }
};

// In place: an entry has a few findings at most, and a sort that takes a
// buffer would take one for each entry.
void sortByPosition(QList<LintFinding>& found)
{
    for (qsizetype k = 1; k < found.size(); ++k) {
        for (qsizetype m = k; m > 0 && found[m].position < found[m - 1].position; --m)
            std::swap(found[m], found[m - 1]);
    }
}

// The entry that starts at `start`: where it ends, and its first single spaces.
template <typename Chars> EntrySpan entrySpan(const Chars& text, qsizetype start, qsizetype size)
{
    const auto* chars = text.chars;
    EntrySpan span;
    // The entry's first character separates nothing, as its caller saw.
    for (qsizetype i = start + 1;; ++i) {
        i = text.nextBreak(i, size);
        if (i == size)
            return span.end = i, span;
        const auto ch = chars[i];
        if (ch == u'\r' || ch == u'\n' ||
            (ch == u' ' && (chars[i - 1] == u' ' || (i + 1 < size && chars[i + 1] == u' '))))
            return span.end = i, span;
        if (ch == u' ' && span.spaces++ < int(span.spaceAt.size()))
            span.spaceAt[size_t(span.spaces - 1)] = i;
    }
}

// One reading of a whole list, start to end.
template <typename Chars> class WholeRead {
    using Pictures = PictureAnswers<typename Chars::Char>;

public:
    WholeRead(const Chars& text, qsizetype size, const LintRules& rules, PictureFolder* folder,
              const FindingVisitor& visit)
        : m_text(text), m_size(size), m_rules(rules), m_visit(visit)
    {
        if (folder != nullptr)
            m_pictures.emplace(*folder);
    }

    void run()
    {
        const auto* chars = m_text.chars;
        Pictures* const pictures = m_pictures ? &*m_pictures : nullptr;
        qsizetype i = 0;
        while (i < m_size) {
            const auto c = chars[i];
            if (c == u'\r' || c == u'\n') {
                // Lines end at CR LF, a lone CR or a lone LF.
                if (c == u'\n' || i + 1 == m_size || chars[i + 1] != u'\n') {
                    ++m_line;
                    m_lineStart = i + 1;
                    m_lines.append(m_lineStart);
                }
                ++i;
                continue;
            }
            if (c == u' ' &&
                ((i > 0 && chars[i - 1] == u' ') || (i + 1 < m_size && chars[i + 1] == u' '))) {
                // Every space of a run of two or more separates.
                i = m_text.pastSpaces(i, m_size);
                continue;
            }
            const qsizetype start = i;
            const EntrySpan span = entrySpan(m_text, start, m_size);
            i = span.end;
            ++m_entry;
            if (i - start > kLongestEntry) { // neither decoded nor split: it says only that
                LintFinding finding = longEntryFinding(m_rules, i - start);
                finding.position = start;
                m_visit({std::move(finding), {m_line, start - m_lineStart + 1}, m_entry});
                continue;
            }
            const Clean clean = readClean(start, span, pictures);
            if (clean != Clean::Yes)
                lintEntry(start, i, pictures, clean == Clean::IdKept);
        }
    }

private:
    // Whether the entry was read straight from its characters, with nothing
    // to say, or is left to the rules: a key an earlier entry has is said
    // by them, from the entry read again. An item whose id is new is left
    // to them with the id kept already, when its animation repeats.
    enum class Clean { Yes, No, IdKept };
    Clean readClean(qsizetype start, const EntrySpan& span, Pictures* pictures)
    {
        if (m_rules.list != ListId::Items) {
            const auto id = cleanPictureEntry(m_text, start, span, m_rules, pictures);
            return id && !m_owners.claimValue(IdKey, *id, start) ? Clean::Yes : Clean::No;
        }
        const auto keys = cleanItemEntry(m_text, start, span, m_rules);
        if (!keys || m_owners.claimValue(IdKey, keys->id, start))
            return Clean::No;
        return m_owners.claimValue(AnimationKey, keys->animation, start) ? Clean::IdKept
                                                                         : Clean::Yes;
    }

    // The findings of the entry from `start` to `end`, by the rules, in order.
    void lintEntry(qsizetype start, qsizetype end, Pictures* pictures, bool idKept)
    {
        const EntryFields fields(m_text.entry(start, end - start, m_buffer));
        m_found.clear();
        const EntryReading read = readEntry(m_rules, fields, m_found);
        if (pictures && read.picture) {
            // Looked up as the list holds it.
            const qsizetype at = start + (read.picture->data() - fields.text().data());
            appendPictureFindings(m_rules, fields,
                                  (*pictures)(m_text.chars + at, read.picture->size()),
                                  pictures->path(), m_found);
        }
        for (const KeySlot slot : {IdKey, AnimationKey}) {
            if (slot == IdKey && idKept)
                continue;
            if (const auto owner = m_owners.claim(slot, read.keys[slot], start)) {
                // Found again only for what the finding says of it.
                const EntryFields earlier(
                    m_rules.messages
                        ? m_text.entry(*owner, entrySpan(m_text, *owner, m_size).end - *owner,
                                       m_ownerBuffer)
                        : QStringView());
                m_found.append(
                    sharedKeyFinding(m_rules, fields, slot, earlier, m_lines.at(*owner)));
            }
        }
        sortByPosition(m_found);
        // An entry holds no line end: its findings are on the line it starts.
        for (LintFinding& finding : m_found) {
            finding.position += start;
            const TextPoint point{m_line, finding.position - m_lineStart + 1};
            m_visit({std::move(finding), point, m_entry});
        }
    }

    const Chars& m_text;
    const qsizetype m_size;
    const LintRules& m_rules;
    const FindingVisitor& m_visit;
    std::optional<Pictures> m_pictures;
    FirstOwners m_owners;
    LineIndex m_lines; // where an earlier entry is
    qsizetype m_line = 1, m_lineStart = 0, m_entry = 0;
    QString m_buffer, m_ownerBuffer; // an entry decoded, and an earlier one
    QList<LintFinding> m_found;      // an entry's
};

template <typename Chars>
void lintWhole(const Chars& text, qsizetype size, const LintRules& rules, PictureFolder* folder,
               const FindingVisitor& visit)
{
    WholeRead<Chars>(text, size, rules, folder, visit).run();
}

} // namespace

void lintWholeList(QByteArrayView bytes, const LintRules& rules, PictureFolder* pictures,
                   const FindingVisitor& visit)
{
    lintWhole(Cp1252Text{reinterpret_cast<const unsigned char*>(bytes.data())}, bytes.size(), rules,
              pictures, visit);
}

QList<PlacedFinding> lintWholeList(QByteArrayView bytes, const LintRules& rules,
                                   PictureFolder* pictures)
{
    QList<PlacedFinding> out;
    lintWholeList(bytes, rules, pictures,
                  [&out](PlacedFinding&& found) { out.append(std::move(found)); });
    return out;
}

void lintWholeList(QStringView text, const LintRules& rules, PictureFolder* pictures,
                   const FindingVisitor& visit)
{
    lintWhole(Utf16Text{text.utf16()}, text.size(), rules, pictures, visit);
}

QList<PlacedFinding> lintWholeList(QStringView text, const LintRules& rules,
                                   PictureFolder* pictures)
{
    QList<PlacedFinding> out;
    lintWholeList(text, rules, pictures,
                  [&out](PlacedFinding&& found) { out.append(std::move(found)); });
    return out;
}

} // namespace scp
