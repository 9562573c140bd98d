// The lint's index of a list's entries; see lint.h.

#include "lint/lint.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

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
                                             qsizetype last, qsizetype scanFrom, qsizetype scanTo)
{
    const Window text(*m_text, scanFrom, scanTo);
    std::vector<Entry*> fresh;
    std::vector<qsizetype> starts;
    std::vector<qsizetype> lines;
    const auto add = [&](qsizetype start, qsizetype end) {
        Entry* entry = newEntry();
        entry->length = quint32(end - start);
        if (end - start <= kLongestEntry) { // a longer one has no keys, and is not copied
            QString buffer;
            const QStringView chars = text.holds(start, end) ? text.sliced(start, end - start)
                                                             : m_text->slice(start, end, buffer);
            entry->setKeys(entryKeys(m_rules, EntryFields(chars)));
        }
        fresh.push_back(entry);
        starts.push_back(start);
    };
    qsizetype start = from < scanFrom ? from : -1; // of the entry under way, if one is
    qsizetype i = scanFrom;
    while (i < scanTo) {
        if (text.separates(i)) {
            if (start >= 0)
                add(std::exchange(start, -1), i);
            // A line starts only after a line end, which separates entries.
            if (isLineEnd(text[i]) && text.startsLine(i + 1))
                lines.push_back(i + 1);
            ++i;
            continue;
        }
        if (start < 0)
            start = i;
        i = text.entryEnd(i, scanTo);
    }
    if (start < 0 && scanTo < to)
        start = scanTo;
    if (start >= 0)
        add(start, to);
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
    // A whole list read at once would grow the groups a step at a time; read
    // in steps, it grows them by doubling, not by rehashing at each step.
    const auto placed = m_entries.begin() + first;
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        const auto keyed = std::count_if(placed, placed + count, [slot](const auto& entry) {
            return entry->kinds[slot] == NumberKey::Value;
        });
        QHash<quint64, Group>& groups = m_groups[slot].numbers;
        if (groups.size() + keyed > groups.capacity())
            groups.reserve(std::max(groups.size() + keyed, 2 * groups.capacity()));
    }
    for (qsizetype i = first; i < first + count; ++i)
        join(*m_entries[size_t(i)]);
}

qsizetype ListLint::separatorIn(qsizetype from, qsizetype to) const
{
    constexpr qsizetype kSlice = qsizetype(1) << 16;
    while (from < to) {
        const qsizetype end = std::min(to, from + kSlice);
        const Window text(*m_text, from, end);
        if ((from = text.entryEnd(from, end)) < end)
            return from;
    }
    return to;
}

qsizetype ListLint::afterLastSeparator(qsizetype from, qsizetype to) const
{
    const Window text(*m_text, from, to);
    for (qsizetype at = to; at > from; --at)
        if (text.separates(at - 1))
            return at;
    return from;
}

void ListLint::setText(QString text)
{
    m_own = std::make_unique<OwnText>(std::move(text));
    startReading(*m_own);
    // In one step: the lint's own text is read in place, not copied, and its
    // groups grow once.
    readStep(std::max<qsizetype>(m_size, 1));
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
    m_unendedLength = 0;
    m_lines = LineIndex();
}

bool ListLint::readMore(qsizetype characters)
{
    // A step at a time, so that no more of the text is copied at once. What
    // is looked through of a long entry counts as read on.
    constexpr qsizetype kStep = qsizetype(1) << 20;
    const auto reached = [this] { return m_read + m_unendedLength; };
    const qsizetype goal = characters < m_size - reached() ? reached() + characters : m_size;
    do
        readStep(std::clamp<qsizetype>(goal - reached(), 1, kStep));
    while (reached() < goal && !isRead());
    return isRead();
}

void ListLint::readStep(qsizetype characters)
{
    const qsizetype entryCount = this->entryCount();
    if (m_unendedLength > 0) {
        // A long entry under way: its end is looked for on from where the
        // last step left off.
        const qsizetype from = m_read + m_unendedLength;
        const qsizetype limit = std::min(m_size, from + characters);
        const qsizetype end = separatorIn(from, limit);
        if (end == limit && limit < m_size) {
            m_unendedLength = limit - m_read;
            return;
        }
        m_unendedLength = 0;
        readEntries(m_read, end, entryCount, entryCount, end, end);
        m_read = end;
        return;
    }
    // Read to the first separator past `characters`, looked for as far again.
    const qsizetype target = characters < m_size - m_read ? m_read + characters : m_size;
    const qsizetype limit = std::min(m_size, target + characters);
    const qsizetype to = separatorIn(target, limit);
    if (to == limit && limit < m_size) {
        // An entry runs on past that: those before it are read now, it later.
        const qsizetype start = afterLastSeparator(m_read, target);
        m_lines.append(readEntries(m_read, start, entryCount, entryCount, m_read, start));
        m_read = start;
        m_unendedLength = limit - start;
        return;
    }
    m_lines.append(readEntries(m_read, to, entryCount, entryCount, m_read, target));
    m_read = to;
}

void ListLint::edited(qsizetype position, qsizetype removed, qsizetype added)
{
    const qsizetype delta = added - removed;
    const bool wasRead = m_read == m_size;
    m_size += delta;

    // Whether a character separates entries depends on it and its
    // neighbours, so those before position - 1 separate as they did, and
    // those from one past the edit on as they did before the edit moved them.
    if (!wasRead && position - 2 >= m_read) {
        // All of that in the part not read yet, which is read as it is when
        // reached; what was looked through of an entry there still holds.
        m_unendedLength = std::min(m_unendedLength, std::max<qsizetype>(position - 1 - m_read, 0));
        return;
    }
    // The stretch read again reaches from a separator before the edit to one
    // after it, both outside the edit's reach. The entries held say where
    // those are: a long entry is not looked through again.
    const qsizetype before = position - 2;
    qsizetype from = std::max<qsizetype>(position - 1, 0);
    if (const qsizetype k = firstEndingAfter(before);
        before >= 0 && k < entryCount() && startAt(k) <= before)
        from = startAt(k);
    const qsizetype past = std::min(position + added + 1, m_size); // in the new text
    const qsizetype oldPast = past - delta;
    qsizetype to = past;
    if (past < m_size && (wasRead || oldPast < m_read)) {
        if (const qsizetype k = firstEndingAfter(oldPast);
            k < entryCount() && startAt(k) <= oldPast)
            to = endAt(k) + delta;
    }
    const qsizetype oldTo = to - delta;

    const qsizetype first = firstEndingAfter(from);
    if (!wasRead && oldTo >= m_read) {
        // The stretch reaches the part not read yet: the entries from it on
        // are read with that part, and its lines with them. Where reading
        // resumes is outside the edit's reach when it lies before `from`.
        eraseEntries(first, entryCount());
        m_read = std::min(m_read, from);
        m_unendedLength = 0;
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
    // Only what the edit reached is looked at.
    std::vector<qsizetype> lines =
        readEntries(from, to, first, last, std::max(from, position - 1), past);
    // Those outside [position, one past the edit] are held already.
    std::erase_if(lines, [&](qsizetype line) { return line < position || line > past; });
    m_lines.update(position, removed, added, lines);
    m_read = wasRead ? m_size : m_read + delta;
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
    if (const qsizetype length = m_entries[size_t(index)]->length; length > kLongestEntry) {
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
