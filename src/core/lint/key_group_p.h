#pragma once

// The entries of a list that share a key, in text order, as the lint's hash
// of keys holds them: by their handles in the lint's store. Nearly every key
// has one entry, held in place: a key then costs the hash 16 bytes, and only
// two or more entries with one key take a list of their own, four bytes an
// entry.

#include <QtGlobal>

#include <utility>
#include <vector>

namespace scp {

class KeyGroup {
public:
    using Handle = quint32;

    KeyGroup() = default;
    KeyGroup(const KeyGroup& other)
        : m_word(other.isMany() ? tagged(new std::vector<Handle>(*other.many())) : other.m_word)
    {
    }
    // Moved, as the hash moves its groups when it grows, a list is handed
    // over rather than copied.
    KeyGroup(KeyGroup&& other) noexcept : m_word(std::exchange(other.m_word, 0)) {}
    KeyGroup& operator=(KeyGroup other) noexcept
    {
        std::swap(m_word, other.m_word);
        return *this;
    }
    ~KeyGroup()
    {
        if (isMany())
            delete many();
    }

    bool empty() const { return m_word == 0; }
    qsizetype size() const { return isMany() ? qsizetype(many()->size()) : qsizetype(m_word != 0); }
    Handle operator[](qsizetype i) const { return isMany() ? (*many())[size_t(i)] : one(); }
    Handle front() const { return (*this)[0]; }

    // Puts `item` in at `index`, moving those from there on up one.
    void insert(qsizetype index, Handle item)
    {
        if (m_word == 0) {
            m_word = oneWord(item);
            return;
        }
        if (!isMany())
            m_word = tagged(new std::vector<Handle>{one()});
        many()->insert(many()->begin() + index, item);
    }
    void erase(qsizetype index)
    {
        if (!isMany()) {
            m_word = 0;
            return;
        }
        std::vector<Handle>* all = many();
        all->erase(all->begin() + index);
        if (all->size() == 1) {
            const Handle last = all->front();
            delete all;
            m_word = oneWord(last);
        }
    }

private:
    // Two or more are told by the word's lowest bit, which the address of a
    // list, aligned to at least two bytes, never has; one is held shifted up
    // a bit, plus two, so that none is zero.
    bool isMany() const { return (m_word & 1) != 0; }
    static quint64 oneWord(Handle item) { return (quint64(item) << 1) + 2; }
    Handle one() const { return Handle((m_word - 2) >> 1); }
    std::vector<Handle>* many() const
    {
        return reinterpret_cast<std::vector<Handle>*>(quintptr(m_word & ~quint64(1)));
    }
    static quint64 tagged(std::vector<Handle>* all) { return quint64(quintptr(all)) | 1; }

    quint64 m_word = 0; // nothing, the one entry, or the tagged address of the list of them
};

} // namespace scp
