// The lint's index of a list's entries; see lint.h.

#include "lint/lint.h"

#include <algorithm>
#include <array>
#include <optional>

namespace scp {

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Whether a line starts at i, after the characters before and at it (or
// the end).
bool startsLine(QChar before, std::optional<QChar> at)
{
    return before == u'\n' || (before == u'\r' && at != u'\n');
}

} // namespace

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
// entry costs a few dozen bytes.
struct ListLint::Entry {
    quint64 order = 0;               // ascending in text order, never shifted by edits
    std::array<quint64, 2> values{}; // by KeySlot, for a key of kind Value
    std::unique_ptr<std::array<QString, 2>> digits; // by KeySlot, only for keys of kind Digits
    quint32 length = 0;                             // the document's positions are int
    std::array<NumberKey::Kind, 2> kinds{NumberKey::None, NumberKey::None}; // by KeySlot
    // By KeySlot: whether this is the first entry with its key, which its
    // findings then need not look up.
    std::array<bool, 2> owns{};

    void setKeys(EntryKeys keys);
};

void ListLint::Entry::setKeys(EntryKeys keys)
{
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        NumberKey& key = keys[slot];
        kinds[slot] = key.kind;
        values[slot] = key.value;
        if (key.kind != NumberKey::Digits)
            continue;
        if (!digits)
            digits = std::make_unique<std::array<QString, 2>>();
        (*digits)[slot] = std::move(key.digits);
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
    return m_starts[size_t(index)] + (index >= m_shiftFrom ? m_shift : 0);
}

qsizetype ListLint::endAt(qsizetype index) const
{
    return startAt(index) + m_entries[size_t(index)]->length;
}

qsizetype ListLint::indexOf(const Entry& entry) const
{
    return std::lower_bound(m_entries.begin(), m_entries.end(), &entry,
                            [](const auto& e, const Entry* x) { return e->order < x->order; }) -
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
        m_starts[size_t(i)] += m_shift;
    for (qsizetype i = index; i < m_shiftFrom; ++i)
        m_starts[size_t(i)] -= m_shift;
    m_shiftFrom = index;
}

void ListLint::eraseEntries(qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i < last; ++i)
        leave(*m_entries[size_t(i)]);
    release(first, last);
    m_entries.erase(m_entries.begin() + first, m_entries.begin() + last);
    m_starts.erase(m_starts.begin() + first, m_starts.begin() + last);
    if (m_shiftFrom > last)
        m_shiftFrom -= last - first;
    else if (m_shiftFrom > first)
        m_shiftFrom = first;
}

ListLint::Entry* ListLint::newEntry()
{
    if (!m_spare.empty()) {
        Entry* entry = m_spare.back();
        m_spare.pop_back();
        return entry;
    }
    constexpr qsizetype kBlockSize = 4096;
    if (m_blocks.empty() || m_blockUsed == kBlockSize) {
        m_blocks.push_back(std::make_unique<Entry[]>(kBlockSize));
        m_blockUsed = 0;
    }
    return &m_blocks.back()[m_blockUsed++];
}

void ListLint::release(qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i < last; ++i) {
        Entry* entry = m_entries[size_t(i)];
        *entry = Entry();
        m_spare.push_back(entry);
    }
}

// ---------------------------------------------------------------- groups

bool ListLint::before(const Entry* a, const Entry* b)
{
    return a->order < b->order;
}

template <typename GroupsType, typename Visit>
void ListLint::onKey(GroupsType& groups, const Entry& entry, KeySlot slot, Visit visit)
{
    switch (entry.kinds[slot]) {
    case NumberKey::None:
        break;
    case NumberKey::Value:
        visit(groups.numbers, entry.values[slot]);
        break;
    case NumberKey::Digits:
        visit(groups.digits, (*entry.digits)[slot]);
        break;
    }
}

void ListLint::join(Entry& entry)
{
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        onKey(m_groups[slot], entry, slot, [&entry, slot](auto& hash, const auto& key) {
            Group& group = hash[key];
            const auto at = std::lower_bound(group.begin(), group.end(), &entry, &before);
            entry.owns[slot] = at == group.begin();
            if (entry.owns[slot] && !group.empty())
                group.front()->owns[slot] = false;
            group.insert(at, &entry);
        });
    }
}

void ListLint::leave(const Entry& entry)
{
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        onKey(m_groups[slot], entry, slot, [&entry, slot](auto& hash, const auto& key) {
            const auto found = hash.find(key);
            Group& group = *found;
            group.erase(std::lower_bound(group.begin(), group.end(), &entry, &before));
            if (group.empty())
                hash.erase(found);
            else if (entry.owns[slot])
                group.front()->owns[slot] = true;
        });
    }
}

// ---------------------------------------------------------------- reading

std::vector<qsizetype> ListLint::readEntries(qsizetype from, qsizetype to, qsizetype first,
                                             qsizetype last)
{
    const Window text(*m_text, from, to);
    std::vector<Entry*> fresh;
    std::vector<qsizetype> starts;
    std::vector<qsizetype> lines;
    qsizetype i = from;
    while (i < to) {
        if (text.separates(i)) {
            // A line starts only after a line end, which separates entries.
            if (isLineEnd(text[i]) && text.startsLine(i + 1))
                lines.push_back(i + 1);
            ++i;
            continue;
        }
        const qsizetype start = i;
        i = text.entryEnd(i, to);
        Entry* entry = newEntry();
        entry->length = quint32(i - start);
        entry->setKeys(entryKeys(m_rules, EntryFields(text.sliced(start, i - start))));
        fresh.push_back(entry);
        starts.push_back(start);
    }
    placeEntries(fresh, starts, first, last);
    return lines;
}

void ListLint::placeEntries(const std::vector<Entry*>& fresh, const std::vector<qsizetype>& starts,
                            qsizetype first, qsizetype last)
{
    // The new entries' starts are their own: the shift applies from after them.
    moveShift(last);
    for (qsizetype i = first; i < last; ++i)
        leave(*m_entries[size_t(i)]);
    release(first, last);

    // Orders between the neighbours', evenly spread; where they have no
    // room left, every entry is numbered afresh.
    constexpr quint64 kSpacing = quint64(1) << 32;
    const qsizetype count = qsizetype(fresh.size());
    const quint64 low = first > 0 ? m_entries[size_t(first - 1)]->order : 0;
    const quint64 high =
        last < entryCount() ? m_entries[size_t(last)]->order : low + quint64(count + 1) * kSpacing;
    const bool room = high - low > quint64(count);
    for (qsizetype i = 0; i < count && room; ++i)
        fresh[size_t(i)]->order = low + (high - low) / quint64(count + 1) * quint64(i + 1);

    // In place where it can be: a typed character replaces one entry with
    // one, and the entries after it stay where they are in memory.
    const qsizetype kept = std::min(count, last - first);
    std::copy(fresh.begin(), fresh.begin() + kept, m_entries.begin() + first);
    std::copy(starts.begin(), starts.begin() + kept, m_starts.begin() + first);
    m_entries.erase(m_entries.begin() + first + kept, m_entries.begin() + last);
    m_starts.erase(m_starts.begin() + first + kept, m_starts.begin() + last);
    m_entries.insert(m_entries.begin() + first + kept, fresh.begin() + kept, fresh.end());
    m_starts.insert(m_starts.begin() + first + kept, starts.begin() + kept, starts.end());
    m_shiftFrom = first + count;
    if (!room) {
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_entries[i]->order = (i + 1) * kSpacing;
    }
    // A whole list read at once would grow the groups a step at a time.
    const auto placed = m_entries.begin() + first;
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        const auto keyed = std::count_if(placed, placed + count, [slot](const auto& entry) {
            return entry->kinds[slot] == NumberKey::Value;
        });
        QHash<quint64, Group>& groups = m_groups[slot].numbers;
        if (keyed > 0)
            groups.reserve(groups.size() + keyed);
    }
    for (qsizetype i = first; i < first + count; ++i)
        join(*m_entries[size_t(i)]);
}

// Where a stretch is read to: ahead in slices that grow, as an entry may be
// long.
qsizetype ListLint::separatorFrom(qsizetype position) const
{
    for (qsizetype slice = 256; position < m_size; slice *= 2) {
        const qsizetype to = std::min(m_size, position + slice);
        const Window text(*m_text, position, to);
        for (; position < to; ++position)
            if (text.separates(position))
                return position;
    }
    return m_size;
}

// The start of the entry `position` is in or just after: after the nearest
// separator before it.
qsizetype ListLint::entryStartBefore(qsizetype position) const
{
    for (qsizetype slice = 256; position > 0; slice *= 2) {
        const qsizetype from = std::max<qsizetype>(position - slice, 0);
        const Window text(*m_text, from, position);
        for (; position > from; --position)
            if (text.separates(position - 1))
                return position;
    }
    return 0;
}

void ListLint::setText(QString text)
{
    m_own = std::make_unique<OwnText>(std::move(text));
    startReading(*m_own);
    readMore(m_size);
}

void ListLint::startReading(const LintText& text)
{
    if (&text != m_own.get())
        m_own.reset();
    m_text = &text;
    m_entries.clear();
    m_blocks.clear();
    m_blockUsed = 0;
    m_spare.clear();
    m_starts.clear();
    m_shiftFrom = 0;
    m_shift = 0;
    m_groups = {};
    m_size = text.size();
    m_read = 0;
    m_lines = LineIndex();
}

bool ListLint::readMore(qsizetype characters)
{
    const qsizetype to = separatorFrom(characters < m_size - m_read ? m_read + characters : m_size);
    m_lines.append(readEntries(m_read, to, entryCount(), entryCount()));
    m_read = to;
    return isRead();
}

void ListLint::edited(qsizetype position, qsizetype removed, qsizetype added)
{
    const qsizetype delta = added - removed;
    const bool wasRead = m_read == m_size;
    m_size += delta;

    // Whether a character separates entries depends on its neighbours, so
    // the stretch read again reaches from a separator before the edit to
    // one after it, both outside the edit's reach.
    const qsizetype from = entryStartBefore(std::max<qsizetype>(position - 1, 0));
    const qsizetype to = separatorFrom(std::min(position + added + 1, m_size));
    const qsizetype oldTo = to - delta;

    const qsizetype first = firstEndingAfter(from);
    if (!wasRead && oldTo >= m_read) {
        // The stretch reaches the part not read yet: the entries from it on
        // are read with that part, and its lines with them. Where reading
        // resumes is outside the edit's reach when it lies before `from`.
        eraseEntries(first, entryCount());
        m_read = std::min(m_read, from);
        m_lines.truncate(m_read);
        return;
    }
    qsizetype last = first;
    while (last < entryCount() && startAt(last) < oldTo)
        ++last;
    // The entries after the stretch move by the edit's length: where typing
    // goes on at one place, that costs nothing per entry.
    moveShift(last);
    m_shift += delta;
    std::vector<qsizetype> lines = readEntries(from, to, first, last);
    // Those outside [position, one past the edit] are held already.
    const qsizetype linesTo = std::min(m_size, position + added + 1);
    std::erase_if(lines, [&](qsizetype line) { return line < position || line > linesTo; });
    m_lines.update(position, removed, added, lines);
    m_read = wasRead ? m_size : m_read + delta;
}

// ---------------------------------------------------------------- findings

const ListLint::Entry* ListLint::earlierOwner(const Entry& entry, KeySlot slot) const
{
    const Entry* owner = nullptr;
    if (!entry.owns[slot]) {
        onKey(m_groups[slot], entry, slot, [&owner](const auto& hash, const auto& key) {
            owner = hash.constFind(key)->front();
        });
    }
    return owner;
}

void ListLint::appendFindings(qsizetype index, QList<LintFinding>& out) const
{
    QString buffer;
    const EntryFields fields(entryText(index, buffer));
    const qsizetype first = out.size();
    const std::optional<QStringView> picture = readEntry(m_rules, fields, out).picture;
    if (m_pictures && picture)
        appendPictureFindings(m_rules, fields, m_pictures->picture(*picture), m_pictures->path(),
                              out);
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        if (const Entry* owner = earlierOwner(*m_entries[size_t(index)], slot)) {
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
