#pragma once

// The entries of a list that share a key, in text order, as the lint's hash
// of keys holds them. Nearly every key has one entry, held in place: a key
// then costs the hash 16 bytes (a QVarLengthArray<T*, 1> cost it 40), and
// only two or more entries with one key take a list of their own.

#include <cstdint>
#include <utility>
#include <vector>

namespace scp {

template <typename T> class KeyGroup {
public:
    KeyGroup() = default;
    KeyGroup(const KeyGroup& other)
        : m_one(other.isMany() ? tagged(new std::vector<T*>(*other.many())) : other.m_one)
    {
    }
    // Moved, as the hash moves its groups when it grows, a list is handed
    // over rather than copied.
    KeyGroup(KeyGroup&& other) noexcept : m_one(std::exchange(other.m_one, nullptr)) {}
    KeyGroup& operator=(KeyGroup other) noexcept
    {
        std::swap(m_one, other.m_one);
        return *this;
    }
    ~KeyGroup()
    {
        if (isMany())
            delete many();
    }

    T* const* begin() const { return isMany() ? many()->data() : &m_one; }
    T* const* end() const
    {
        return isMany() ? many()->data() + many()->size() : &m_one + (m_one != nullptr);
    }
    bool empty() const { return m_one == nullptr; }
    T* front() const { return *begin(); }

    // Puts `item` in before `at`, a place in this group.
    void insert(T* const* at, T* item)
    {
        const auto index = at - begin();
        if (m_one == nullptr) {
            m_one = item;
            return;
        }
        if (!isMany())
            m_one = tagged(new std::vector<T*>{m_one});
        many()->insert(many()->begin() + index, item);
    }
    void erase(T* const* at)
    {
        if (!isMany()) {
            m_one = nullptr;
            return;
        }
        std::vector<T*>* all = many();
        all->erase(all->begin() + (at - all->data()));
        if (all->size() == 1) {
            T* const last = all->front();
            delete all;
            m_one = last;
        }
    }

private:
    // Two or more are told by the pointer's lowest bit, which the address of
    // a T, aligned to at least two bytes, never has.
    bool isMany() const { return (reinterpret_cast<std::uintptr_t>(m_one) & 1) != 0; }
    std::vector<T*>* many() const
    {
        return reinterpret_cast<std::vector<T*>*>(reinterpret_cast<std::uintptr_t>(m_one) &
                                                  ~std::uintptr_t(1));
    }
    static T* tagged(std::vector<T*>* all)
    {
        return reinterpret_cast<T*>(reinterpret_cast<std::uintptr_t>(all) | 1);
    }

    T* m_one = nullptr; // the one entry, or the tagged address of the list of them
};

} // namespace scp
