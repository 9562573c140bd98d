// The lint's index of a list's entries, their keys and findings; reading
// the text and following its edits are in lint_reading.cpp. See lint.h.

#include "lint/lint.h"

#include "lint/list_lint_p.h"

#include <algorithm>
#include <array>
#include <ranges>
#include <utility>

namespace scp {

// ---------------------------------------------------------------- lines

void LineIndex::update(qsizetype position, qsizetype removed, qsizetype added,
                       const std::vector<qsizetype>& fresh)
{
    // A line start depends on the characters on both sides of it, so those
    // from `position` to one past the edit are found again.
    const auto first = std::lower_bound(m_starts.begin(), m_starts.end(), position);
    const auto last = std::upper_bound(first, m_starts.end(), position + removed + 1);
    const auto at = m_starts.erase(first, last);
    for (auto it = at; it != m_starts.end(); ++it)
        *it += added - removed;
    m_starts.insert(at, fresh.begin(), fresh.end());
}

void LineIndex::append(const std::vector<qsizetype>& starts)
{
    m_starts.insert(m_starts.end(), starts.begin(), starts.end());
}

void LineIndex::truncate(qsizetype position)
{
    m_starts.erase(std::upper_bound(m_starts.begin(), m_starts.end(), position), m_starts.end());
}

TextPoint LineIndex::at(qsizetype position) const
{
    const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), position);
    const qsizetype lineStart = next == m_starts.begin() ? 0 : *(next - 1);
    return {qsizetype(next - m_starts.begin()) + 1, position - lineStart + 1};
}

void ListLint::setKeys(Handle handle, EntryKeys keys)
{
    Entry& keyed = entry(handle);
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        NumberKey& key = keys[slot];
        if (key.kind == NumberKey::None)
            continue;
        if (key.kind == NumberKey::Value && key.value <= 0xFFFF'FFFF) {
            keyed.held[slot] = Entry::InEntry;
            keyed.values[slot] = quint32(key.value);
            continue;
        }
        keyed.held[slot] = key.kind == NumberKey::Value ? Entry::Wide : Entry::Digits;
        m_wideKeys.insert(wideKey(handle, slot), std::move(key));
    }
}

ListLint::ListLint(LintRules rules, PictureFolder* pictures)
    : m_rules(std::move(rules)), m_pictures(pictures)
{
}

ListLint::~ListLint() = default;

QStringView ListLint::entryText(qsizetype index, QString& buffer) const
{
    return m_text->slice(startAt(index), endAt(index), buffer);
}

// ---------------------------------------------------------------- places

qsizetype ListLint::startAt(qsizetype index) const
{
    // Modulo 2^32: a start held before the shift may be below zero.
    return qsizetype(
        quint32(m_starts[size_t(index)] + quint32(index >= m_shiftFrom ? m_shift : 0)));
}

qsizetype ListLint::endAt(qsizetype index) const
{
    return startAt(index) + entryAt(index).length;
}

qsizetype ListLint::indexOf(Handle handle) const
{
    const quint32 order = entry(handle).order;
    return std::lower_bound(m_entries.begin(), m_entries.end(), order,
                            [this](Handle e, quint32 x) { return entry(e).order < x; }) -
           m_entries.begin();
}

qsizetype ListLint::firstEndingAfter(qsizetype position) const
{
    qsizetype low = 0, high = entryCount();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (endAt(middle) <= position)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void ListLint::moveShift(qsizetype index)
{
    // The entries between the old and the new place change side.
    for (qsizetype i = m_shiftFrom; i < index; ++i)
        m_starts[size_t(i)] = quint32(m_starts[size_t(i)] + m_shift);
    for (qsizetype i = index; i < m_shiftFrom; ++i)
        m_starts[size_t(i)] = quint32(m_starts[size_t(i)] - m_shift);
    m_shiftFrom = index;
}

void ListLint::eraseEntries(qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i < last; ++i)
        leave(m_entries[size_t(i)]);
    release(first, last);
    m_entries.erase(m_entries.begin() + first, m_entries.begin() + last);
    m_starts.erase(m_starts.begin() + first, m_starts.begin() + last);
    if (m_shiftFrom > last)
        m_shiftFrom -= last - first;
    else if (m_shiftFrom > first)
        m_shiftFrom = first;
}

namespace {
constexpr int kBlockBits = 12; // 4,096 entries a block
}

ListLint::Handle ListLint::newEntry()
{
    static_assert(sizeof(Entry) == 20);
    if (!m_spare.empty()) {
        const Handle handle = m_spare.back();
        m_spare.pop_back();
        return handle;
    }
    constexpr size_t kBlockSize = size_t(1) << kBlockBits;
    if (m_blocks.empty() || m_blocks.back().size() == kBlockSize)
        m_blocks.emplace_back().reserve(kBlockSize); // never grown, so never moved
    std::vector<Entry>& block = m_blocks.back();
    block.emplace_back();
    return Handle((m_blocks.size() - 1) << kBlockBits) | Handle(block.size() - 1);
}

ListLint::Entry& ListLint::entry(Handle handle)
{
    return const_cast<Entry&>(std::as_const(*this).entry(handle));
}

const ListLint::Entry& ListLint::entry(Handle handle) const
{
    return m_blocks[handle >> kBlockBits][handle & ((1u << kBlockBits) - 1)];
}

void ListLint::release(qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i < last; ++i) {
        const Handle handle = m_entries[size_t(i)];
        Entry& released = entry(handle);
        for (const KeySlot slot : {IdKey, AnimationKey}) {
            if (released.held[slot] >= Entry::Wide)
                m_wideKeys.remove(wideKey(handle, slot));
        }
        released = Entry();
        m_spare.push_back(handle);
    }
}

// ---------------------------------------------------------------- groups

qsizetype ListLint::placeIn(const Group& group, const Entry& entry) const
{
    return *std::ranges::partition_point(
        std::views::iota(qsizetype(0), group.size()),
        [&](qsizetype i) { return this->entry(group[i]).order < entry.order; });
}

template <typename GroupsType, typename Visit>
void ListLint::onKey(GroupsType& groups, Handle handle, KeySlot slot, Visit visit) const
{
    const Entry& keyed = entry(handle);
    switch (keyed.held[slot]) {
    case Entry::None:
        break;
    case Entry::InEntry:
        visit(groups.numbers, quint64(keyed.values[slot]));
        break;
    case Entry::Wide:
        visit(groups.numbers, m_wideKeys.constFind(wideKey(handle, slot))->value);
        break;
    case Entry::Digits:
        visit(groups.digits, m_wideKeys.constFind(wideKey(handle, slot))->digits);
        break;
    }
}

void ListLint::join(Handle handle)
{
    Entry& joining = entry(handle);
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        onKey(m_groups[slot], handle, slot, [&](auto& hash, const auto& key) {
            Group& group = hash[key];
            const qsizetype at = placeIn(group, joining);
            joining.owns[slot] = at == 0;
            if (joining.owns[slot] && !group.empty())
                entry(group.front()).owns[slot] = false;
            group.insert(at, handle);
        });
    }
}

void ListLint::leave(Handle handle)
{
    const Entry& leaving = entry(handle);
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        onKey(m_groups[slot], handle, slot, [&](auto& hash, const auto& key) {
            const auto found = hash.find(key);
            Group& group = *found;
            group.erase(placeIn(group, leaving));
            if (group.empty())
                hash.erase(found);
            else if (leaving.owns[slot])
                entry(group.front()).owns[slot] = true;
        });
    }
}

std::pair<qsizetype, qsizetype> ListLint::entrySpan(qsizetype position) const
{
    qsizetype k = firstEndingAfter(position);
    if (position == m_size && k > 0 && endAt(k - 1) == m_size)
        --k;
    if (k < entryCount() && startAt(k) <= position)
        return {startAt(k), endAt(k)};
    return {position, position};
}

// ---------------------------------------------------------------- findings

std::optional<ListLint::Handle> ListLint::earlierOwner(Handle handle, KeySlot slot) const
{
    std::optional<Handle> owner;
    if (!entry(handle).owns[slot]) {
        onKey(m_groups[slot], handle, slot, [&owner](const auto& hash, const auto& key) {
            owner = hash.constFind(key)->front();
        });
    }
    return owner;
}

void ListLint::appendFindings(qsizetype index, QList<LintFinding>& out) const
{
    if (const qsizetype length = entryAt(index).length; length > kLongestEntry) {
        out.append(longEntryFinding(m_rules, length));
        out.back().position += startAt(index);
        return;
    }
    QString buffer;
    const EntryFields fields(entryText(index, buffer));
    const qsizetype first = out.size();
    const std::optional<QStringView> picture = readEntry(m_rules, fields, out).picture;
    if (m_pictures && picture)
        appendPictureFindings(m_rules, fields, m_pictures->picture(*picture), m_pictures->path(),
                              out);
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        if (const std::optional<Handle> owner = earlierOwner(m_entries[size_t(index)], slot)) {
            const qsizetype ownerIndex = indexOf(*owner);
            QString ownerBuffer;
            out.append(sharedKeyFinding(m_rules, fields, slot,
                                        EntryFields(entryText(ownerIndex, ownerBuffer)),
                                        m_lines.at(startAt(ownerIndex))));
        }
    }

    for (auto it = out.begin() + first; it != out.end(); ++it)
        it->position += startAt(index);
    if (out.size() - first > 1) { // a sort takes a buffer, even for one
        std::stable_sort(
            out.begin() + first, out.end(),
            [](const LintFinding& a, const LintFinding& b) { return a.position < b.position; });
    }
}

QList<LintFinding> ListLint::findings() const
{
    return findings(0, m_size + 1);
}

QList<LintFinding> ListLint::findings(qsizetype from, qsizetype to) const
{
    QList<LintFinding> out;
    for (qsizetype i = firstEndingAfter(from); i < entryCount() && startAt(i) < to; ++i)
        appendFindings(i, out);
    out.removeIf([from, to](const LintFinding& f) {
        return f.position >= to || f.position + f.length <= from;
    });
    return out;
}

} // namespace scp
