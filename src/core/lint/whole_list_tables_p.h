#pragma once

// What the lint of a whole list keeps while it reads: the first entry with
// each key, and the pictures asked about. Each is kept small, as a list of a
// hundred thousand entries passes through it.

#include "lint/lint_rules.h"
#include "pictures/bmp_header.h"
#include "text/cp1252.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace scp::wholelist {

// Keys that fit in 64 bits, each with where its first entry starts. Ids are
// mostly added counting up, and are small, as are the lists: a key above
// every one before it is new, and is kept in order without a look-up, in
// 32 bits with its start where both fit. Only the others go to a table,
// open addressing over Fibonacci hashing.
class ValueOwners {
public:
    // Where the first entry with `key` starts, if any; else `start` is kept for it.
    std::optional<qsizetype> claim(quint64 key, qsizetype start)
    {
        const bool ascending = m_ascending.isEmpty() || key > m_ascending.back().key;
        if (ascending && key <= kNarrow && quint64(start) <= kNarrow) {
            m_ascending.push_back({quint32(key), quint32(start)});
            return std::nullopt;
        }
        if (!ascending) {
            const auto at =
                std::lower_bound(m_ascending.cbegin(), m_ascending.cend(), key,
                                 [](const Narrow& narrow, quint64 k) { return narrow.key < k; });
            if (at->key == key)
                return at->start;
        }
        if ((m_used + 1) * 2 > qsizetype(m_slots.size()))
            grow();
        for (size_t i = slotOf(key);; i = (i + 1) & m_mask) {
            if (m_slots[i].startPlusOne == 0) {
                m_slots[i] = {key, quint64(start) + 1};
                ++m_used;
                return std::nullopt;
            }
            if (m_slots[i].key == key)
                return qsizetype(m_slots[i].startPlusOne - 1);
        }
    }

private:
    static constexpr quint64 kNarrow = 0xFFFF'FFFF;
    struct Narrow {
        quint32 key;
        quint32 start;
    };
    struct Slot {
        quint64 key = 0;
        quint64 startPlusOne = 0; // 0: an empty slot
    };
    size_t slotOf(quint64 key) const { return size_t((key * 0x9E3779B97F4A7C15ull) >> m_shift); }
    void grow()
    {
        const size_t size = std::max<size_t>(m_slots.size() * 2, 64);
        const std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(size));
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        for (const Slot& slot : old) {
            if (slot.startPlusOne == 0)
                continue;
            size_t i = slotOf(slot.key);
            while (m_slots[i].startPlusOne != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = slot;
        }
    }

    // Lists of plain data grow by realloc(), which moves a long one's pages
    // rather than copying them into new ones.
    QList<Narrow> m_ascending; // keys above all before them, in order
    std::vector<Slot> m_slots; // the others
    size_t m_mask = 0;
    int m_shift = 64;
    qsizetype m_used = 0;
};

// Where the first entry with each key starts. Nothing else of it is kept:
// the few entries a later one repeats are found again from there.
class FirstOwners {
public:
    // Where the key's first entry starts, if an earlier entry has it; else
    // the entry at `start` is now.
    std::optional<qsizetype> claim(KeySlot slot, const NumberKey& key, qsizetype start)
    {
        switch (key.kind) {
        case NumberKey::None:
            break;
        case NumberKey::Value:
            return m_values[slot].claim(key.value, start);
        case NumberKey::Digits:
            if (const auto found = m_digits[slot].constFind(key.digits);
                found != m_digits[slot].cend())
                return *found;
            m_digits[slot].insert(key.digits, start);
            break;
        }
        return std::nullopt;
    }
    std::optional<qsizetype> claimValue(KeySlot slot, quint64 key, qsizetype start)
    {
        return m_values[slot].claim(key, start);
    }

private:
    std::array<ValueOwners, 2> m_values; // by KeySlot
    std::array<QHash<QString, qsizetype>, 2> m_digits;
};

// What the folder holds under each name, asked of it once per name: the
// folder's answers are shared with the other lists, behind its lock, which
// this keeps off the path of every entry, as it keeps Qt's string hashing:
// the names are short, and a list of gumps asks once an entry. Names are
// looked up as the list holds them (Char: a byte, or a UTF-16 code unit),
// never decoded but to ask the folder: no two bytes decode alike.
template <typename Char> class PictureAnswers {
public:
    explicit PictureAnswers(PictureFolder& folder) : m_folder(folder) {}
    const PictureInfo& operator()(const Char* name, qsizetype size)
    {
        if ((m_known.size() + 1) * 2 > m_slots.size())
            grow();
        const char* bytes = reinterpret_cast<const char*>(name);
        const size_t length = size_t(size) * sizeof(Char);
        const size_t hash = hashOf(bytes, length);
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.indexPlusOne == 0) {
                m_known.push_back({QByteArray(bytes, qsizetype(length)), ask(name, size)});
                m_slots[i] = {hash, quint32(m_known.size())};
                return m_known.back().info;
            }
            const Known& known = m_known[slot.indexPlusOne - 1];
            if (slot.hash == hash && sameName(known.name, bytes, length))
                return known.info;
        }
    }
    const QString& path() const { return m_folder.path(); }

private:
    struct Known {
        QByteArray name; // as the list holds it
        PictureInfo info;
    };
    struct Slot {
        size_t hash = 0;
        quint32 indexPlusOne = 0; // in m_known; 0: an empty slot
    };
    static quint64 wordAt(const char* bytes)
    {
        quint64 word;
        std::memcpy(&word, bytes, 8);
        return word;
    }
    // Most names are 8 to 16 bytes: two words, the second over the first.
    static bool sameName(const QByteArray& known, const char* bytes, size_t length)
    {
        if (size_t(known.size()) != length)
            return false;
        if (length < 8 || length > 16)
            return std::memcmp(known.constData(), bytes, length) == 0;
        const char* other = known.constData();
        return wordAt(other) == wordAt(bytes) &&
               wordAt(other + length - 8) == wordAt(bytes + length - 8);
    }
    PictureInfo ask(const Char* name, qsizetype size)
    {
        if constexpr (sizeof(Char) == 1) {
            QString decoded(size, Qt::Uninitialized);
            decodeCp1252To(QByteArrayView(name, size), decoded.data());
            return m_folder.picture(decoded);
        } else {
            return m_folder.picture(QStringView(name, size));
        }
    }
    // Eight bytes a step: a name is a dozen characters. The last step takes
    // the last eight, over some taken already.
    static size_t hashOf(const char* bytes, size_t size)
    {
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
        const std::vector<Slot> old =
            std::exchange(m_slots, std::vector<Slot>(std::max<size_t>(m_slots.size() * 2, 64)));
        m_mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.indexPlusOne == 0)
                continue;
            size_t i = slot.hash & m_mask;
            while (m_slots[i].indexPlusOne != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = slot;
        }
    }

    PictureFolder& m_folder;
    std::vector<Known> m_known;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

} // namespace scp::wholelist
