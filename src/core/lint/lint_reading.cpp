// The lint reading a list: its entries read from the text, a slice at a
// time or whole, and read again around each edit.

#include "lint/lint.h"

#include "lint/list_lint_p.h"

#include <algorithm>
#include <utility>

namespace scp {

// ---------------------------------------------------------------- reading

std::vector<qsizetype> ListLint::readEntries(qsizetype from, qsizetype to, qsizetype first,
                                             qsizetype last, qsizetype scanFrom, qsizetype scanTo)
{
    const Window text(*m_text, scanFrom, scanTo);
    std::vector<Handle> fresh;
    std::vector<qsizetype> starts;
    std::vector<qsizetype> lines;
    const auto add = [&](qsizetype start, qsizetype end) {
        const Handle handle = newEntry();
        entry(handle).length = quint32(end - start);
        if (end - start <= kLongestEntry) { // a longer one has no keys, and is not copied
            QString buffer;
            const QStringView chars = text.holds(start, end) ? text.sliced(start, end - start)
                                                             : m_text->slice(start, end, buffer);
            setKeys(handle, entryKeys(m_rules, EntryFields(chars)));
        }
        fresh.push_back(handle);
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

void ListLint::placeEntries(const std::vector<Handle>& fresh, const std::vector<qsizetype>& starts,
                            qsizetype first, qsizetype last)
{
    // The new entries' starts are their own: the shift applies from after them.
    moveShift(last);
    for (qsizetype i = first; i < last; ++i)
        leave(m_entries[size_t(i)]);
    release(first, last);

    // Orders between the neighbours', evenly spread, a few hundred apart
    // for those read on at the end; where they have no room left, every
    // entry is numbered afresh, in the lower half of the orders so that the
    // list can grow at its end.
    constexpr quint64 kSpacing = 256;
    const qsizetype count = qsizetype(fresh.size());
    const quint64 low = first > 0 ? entryAt(first - 1).order : 0;
    const quint64 high = last < entryCount()
                             ? entryAt(last).order
                             : std::min<quint64>(low + quint64(count + 1) * kSpacing, 0xFFFF'FFFF);
    const bool room = high - low > quint64(count);
    for (qsizetype i = 0; i < count && room; ++i)
        entry(fresh[size_t(i)]).order =
            quint32(low + (high - low) / quint64(count + 1) * quint64(i + 1));

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
        const quint64 spacing = std::max<quint64>((quint64(1) << 31) / (m_entries.size() + 1), 1);
        for (size_t i = 0; i < m_entries.size(); ++i)
            entry(m_entries[i]).order = quint32((i + 1) * spacing);
    }
    // A whole list read at once would grow the groups a step at a time; read
    // in steps, it grows them by doubling, not by rehashing at each step.
    const auto placed = m_entries.begin() + first;
    for (const KeySlot slot : {IdKey, AnimationKey}) {
        const auto keyed = std::count_if(placed, placed + count, [this, slot](Handle handle) {
            const Entry::Held held = entry(handle).held[slot];
            return held == Entry::InEntry || held == Entry::Wide;
        });
        QHash<quint64, Group>& groups = m_groups[slot].numbers;
        if (groups.size() + keyed > groups.capacity())
            groups.reserve(std::max(groups.size() + keyed, 2 * groups.capacity()));
    }
    for (qsizetype i = first; i < first + count; ++i)
        join(m_entries[size_t(i)]);
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
    m_spare.clear();
    m_starts.clear();
    m_shiftFrom = 0;
    m_shift = 0;
    m_groups = {};
    m_wideKeys.clear();
    m_size = std::min(text.size(), kLongestText);
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

} // namespace scp
