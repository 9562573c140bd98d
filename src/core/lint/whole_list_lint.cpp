// A whole list's lint in one pass; see whole_list_lint.h.

#include "lint/whole_list_lint.h"

#include "pictures/bmp_header.h"
#include "text/cp1252.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace scp {

namespace {

// The list's characters, and an entry's text as the rules read it.
struct Utf16Text {
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

// The first entry with each key: where it is, to read it again for a later
// entry's finding.
struct Owner {
    qsizetype start = 0;
    qsizetype length = 0;
    TextPoint point;
};

// Keys that fit in 64 bits, each with the index of its owner. Ids are
// mostly added counting up: a key above every one before it is new, and is
// kept in order without a look-up; only the others go to a table, open
// addressing over Fibonacci hashing.
class ValueOwners {
public:
    // The index stored with `key`, if any; else `index` is stored with it.
    std::optional<quint32> claim(quint64 key, quint32 index)
    {
        if (m_ascending.isEmpty() || key > m_ascending.back().key) {
            m_ascending.push_back({key, index + 1});
            return std::nullopt;
        }
        const auto at = std::lower_bound(m_ascending.begin(), m_ascending.end(), key,
                                         [](const Slot& slot, quint64 k) { return slot.key < k; });
        if (at->key == key)
            return at->ownerPlusOne - 1;
        if ((m_used + 1) * 2 > qsizetype(m_slots.size()))
            grow();
        for (size_t i = slotOf(key);; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.ownerPlusOne == 0) {
                slot = {key, index + 1};
                ++m_used;
                return std::nullopt;
            }
            if (slot.key == key)
                return slot.ownerPlusOne - 1;
        }
    }

private:
    struct Slot {
        quint64 key = 0;
        quint32 ownerPlusOne = 0; // 0: an empty slot
    };
    size_t slotOf(quint64 key) const { return size_t((key * 0x9E3779B97F4A7C15ull) >> m_shift); }
    void grow()
    {
        const size_t size = std::max<size_t>(m_slots.size() * 2, 64);
        const std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(size));
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        for (const Slot& slot : old) {
            if (slot.ownerPlusOne == 0)
                continue;
            size_t i = slotOf(slot.key);
            while (m_slots[i].ownerPlusOne != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = slot;
        }
    }

    // Lists of plain data grow by realloc(), which moves a long one's pages
    // rather than copying them into new ones.
    QList<Slot> m_ascending;   // the keys above all before them, in order
    std::vector<Slot> m_slots; // the others
    size_t m_mask = 0;
    int m_shift = 64;
    qsizetype m_used = 0;
};

class FirstOwners {
public:
    // The owner of the key, if an earlier entry has it; else `entry` is now.
    const Owner* claim(KeySlot slot, const NumberKey& key, const Owner& entry)
    {
        const auto next = quint32(m_owners.size());
        std::optional<quint32> owner;
        switch (key.kind) {
        case NumberKey::None:
            return nullptr;
        case NumberKey::Value:
            owner = m_values[slot].claim(key.value, next);
            break;
        case NumberKey::Digits:
            if (const auto found = m_digits[slot].constFind(key.digits);
                found != m_digits[slot].cend())
                owner = *found;
            else
                m_digits[slot].insert(key.digits, next);
            break;
        }
        if (owner)
            return &m_owners[*owner];
        m_owners.push_back(entry);
        return nullptr;
    }

private:
    QList<Owner> m_owners;
    std::array<ValueOwners, 2> m_values; // by KeySlot
    std::array<QHash<QString, quint32>, 2> m_digits;
};

// What the folder holds under each name, asked of it once per name: the
// folder's answers are shared with the other lists, behind its lock, which
// this keeps off the path of every entry, as it keeps Qt's string hashing:
// the names are short, and a list of gumps asks once an entry.
class PictureAnswers {
public:
    explicit PictureAnswers(PictureFolder& folder) : m_folder(folder) {}
    const PictureInfo& operator()(QStringView name)
    {
        if ((m_known.size() + 1) * 2 > m_slots.size())
            grow();
        const size_t hash = hashOf(name);
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            if (m_slots[i] == 0) {
                m_known.push_back({name.toString(), hash, m_folder.picture(name)});
                m_slots[i] = quint32(m_known.size());
                return m_known.back().info;
            }
            const Known& known = m_known[m_slots[i] - 1];
            if (known.hash == hash && known.name.size() == name.size() &&
                std::memcmp(known.name.utf16(), name.utf16(), size_t(name.size()) * 2) == 0)
                return known.info;
        }
    }
    const QString& path() const { return m_folder.path(); }

private:
    struct Known {
        QString name;
        size_t hash;
        PictureInfo info;
    };
    // Four characters a step: a name is a dozen of them. The last step
    // takes the last four, over some taken already.
    static size_t hashOf(QStringView name)
    {
        const char* bytes = reinterpret_cast<const char*>(name.utf16());
        const size_t size = size_t(name.size()) * sizeof(char16_t);
        quint64 hash = size;
        const auto mix = [&hash](quint64 word) {
            hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
            hash ^= hash >> 32;
        };
        if (size < 8) {
            quint64 word = 0;
            std::memcpy(&word, bytes, size);
            mix(word);
            return size_t(hash);
        }
        quint64 word;
        for (size_t i = 0; i + 8 < size; i += 8) {
            std::memcpy(&word, bytes + i, 8);
            mix(word);
        }
        std::memcpy(&word, bytes + size - 8, 8);
        mix(word);
        return size_t(hash);
    }
    void grow()
    {
        m_slots.assign(std::max<size_t>(m_slots.size() * 2, 64), 0);
        m_mask = m_slots.size() - 1;
        for (size_t k = 0; k < m_known.size(); ++k) {
            size_t i = m_known[k].hash & m_mask;
            while (m_slots[i] != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = quint32(k + 1);
        }
    }

    PictureFolder& m_folder;
    std::vector<Known> m_known;
    std::vector<quint32> m_slots; // an index in m_known + 1, or 0
    size_t m_mask = 0;
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

// Entries split as ListLint splits them: at line ends, and at a space next
// to another one. Lines end at CR LF, a lone CR or a lone LF.
template <typename Chars>
void lintWhole(const Chars& text, qsizetype size, const LintRules& rules, PictureFolder* folder,
               const FindingVisitor& visit)
{
    const auto* chars = text.chars;
    FirstOwners owners;
    std::optional<PictureAnswers> pictures;
    if (folder != nullptr)
        pictures.emplace(*folder);
    QString buffer, ownerBuffer;
    QList<LintFinding> found;
    qsizetype line = 1, lineStart = 0, entry = 0;
    qsizetype i = 0;
    while (i < size) {
        const auto c = chars[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\n' || i + 1 == size || chars[i + 1] != u'\n') {
                ++line;
                lineStart = i + 1;
            }
            ++i;
            continue;
        }
        if (c == u' ' &&
            ((i > 0 && chars[i - 1] == u' ') || (i + 1 < size && chars[i + 1] == u' '))) {
            // Every space of a run of two or more separates.
            i = text.pastSpaces(i, size);
            continue;
        }
        // The entry's first character separates nothing, as just seen.
        const qsizetype start = i++;
        for (;; ++i) {
            i = text.nextBreak(i, size);
            if (i == size)
                break;
            const auto ch = chars[i];
            if (ch == u'\r' || ch == u'\n' ||
                (ch == u' ' && (chars[i - 1] == u' ' || (i + 1 < size && chars[i + 1] == u' '))))
                break;
        }
        ++entry;
        if (i - start > kLongestEntry) { // neither decoded nor split: it says only that
            LintFinding finding = longEntryFinding(rules, i - start);
            finding.position = start;
            visit({std::move(finding), {line, start - lineStart + 1}, entry});
            continue;
        }
        const Owner here{start, i - start, {line, start - lineStart + 1}};
        const EntryFields fields(text.entry(start, here.length, buffer));
        found.clear();
        const EntryReading read = readEntry(rules, fields, found);
        if (pictures && read.picture)
            appendPictureFindings(rules, fields, (*pictures)(*read.picture), pictures->path(),
                                  found);
        for (const KeySlot slot : {IdKey, AnimationKey}) {
            if (const Owner* owner = owners.claim(slot, read.keys[slot], here)) {
                // Read again only for what the finding says of it.
                const EntryFields earlier(rules.messages
                                              ? text.entry(owner->start, owner->length, ownerBuffer)
                                              : QStringView());
                found.append(sharedKeyFinding(rules, fields, slot, earlier, owner->point));
            }
        }
        sortByPosition(found);
        // An entry holds no line end: its findings are on the line it starts.
        for (LintFinding& finding : found) {
            finding.position += start;
            const TextPoint point{line, finding.position - lineStart + 1};
            visit({std::move(finding), point, entry});
        }
    }
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

QList<PlacedFinding> lintWholeList(QStringView text, const LintRules& rules,
                                   PictureFolder* pictures)
{
    QList<PlacedFinding> out;
    lintWhole(Utf16Text{text.utf16()}, text.size(), rules, pictures,
              [&out](PlacedFinding&& found) { out.append(std::move(found)); });
    return out;
}

} // namespace scp
