#pragma once

// The lint of a whole list: which entries a list holds, kept up to date as
// the list is edited, with the rules (lint_rules.h) applied to them. Qt Core
// only.
//
// A list's text splits into entries at line breaks (CR LF, lone CR, lone
// LF) and at runs of two or more spaces. ListLint keeps what the rules that
// compare entries need of each one (its keys) and where it starts, so after
// an edit it re-reads only the entries around the edit; findings are then
// asked for the whole list (the compiler's check) or for a stretch of it
// (what the editor shows), and worked out from those entries' text then.
// An entry longer than kLongestEntry is held by where it is alone: its text
// is never copied, and an edit in it looks at the characters it reached.

#include "lint/key_group_p.h"
#include "lint/lint_rules.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace scp {

// Where each line of a text starts; lines end at CR LF, a lone CR or a lone
// LF. Updated for an edit in time proportional to the number of lines.
class LineIndex {
public:
    // The text was edited: `removed` characters at `position` replaced by
    // `added`; `fresh` are the line starts from `position` to one past the
    // edit in the new text, ascending.
    void update(qsizetype position, qsizetype removed, qsizetype added,
                const std::vector<qsizetype>& fresh);
    // Line starts after those held, ascending.
    void append(const std::vector<qsizetype>& starts);
    void append(qsizetype start) { m_starts.push_back(start); }
    // Forgets the line starts past `position`.
    void truncate(qsizetype position);
    TextPoint at(qsizetype position) const;

private:
    std::vector<qsizetype> m_starts; // positions after a line end, ascending
};

// The text a lint reads. The lint holds no copy of it: it asks for the
// stretches it reads as it reads them, so a long list shown in the editor is
// not held a second time.
class LintText {
public:
    virtual ~LintText() = default;
    virtual qsizetype size() const = 0;
    // The characters [from, to): a view of the text itself where it can be,
    // else of `buffer`, filled for it.
    virtual QStringView slice(qsizetype from, qsizetype to, QString& buffer) const = 0;
};

class ListLint {
public:
    // `pictures` is the folder the lists are saved to; without it the
    // picture rules (present, size) are not checked. It must outlive this.
    explicit ListLint(LintRules rules, PictureFolder* pictures = nullptr);
    ~ListLint();
    ListLint(const ListLint&) = delete;
    ListLint& operator=(const ListLint&) = delete;

    // The most of a text the lint reads, far more than a list box holds; a
    // text past it is read that far.
    static constexpr qsizetype kLongestText = 0xFFFF'FFFF;

    // Reads the whole text at once; the lint keeps it.
    void setText(QString text);
    // Reads a text the caller keeps (and keeps alive while the lint reads
    // it, or until the next start), telling the lint of every edit: each
    // readMore() reads on for about `characters` more and tells whether the
    // whole text is read. Edits may come between the steps. Meanwhile the
    // findings are those of the entries read so far, and exact for them: an
    // entry's findings hang on it and the entries before it only.
    void startReading(const LintText& text);
    bool readMore(qsizetype characters);
    bool isRead() const { return m_read == m_size; }
    // The text now holds an edit that replaced `removed` characters at
    // `position` with `added` new ones; only the entries around the edit
    // are read again. The text stays within kLongestText (a list box's
    // positions are int).
    void edited(qsizetype position, qsizetype removed, qsizetype added);
    qsizetype size() const { return m_size; }
    // Of the part read.
    qsizetype entryCount() const { return qsizetype(m_entries.size()); }

    // Findings in text order, positions in the text. The second form
    // returns those touching [from, to), reading only the entries there.
    // Pictures are looked up as findings are asked for, so a picture that
    // changed on disk shows as it is now (as far as `pictures` looks again).
    QList<LintFinding> findings() const;
    QList<LintFinding> findings(qsizetype from, qsizetype to) const;

    // Of a position in the part read: its line and column, and the number,
    // from 1, of the entry it is in (or, between entries, of the next one).
    TextPoint lineColumn(qsizetype position) const { return m_lines.at(position); }
    qsizetype entryNumber(qsizetype position) const { return firstEndingAfter(position) + 1; }
    // Where the entry `position` is in starts and ends (at the end of the
    // text, the last entry, if the text ends in one); both are `position`
    // between entries. Of the part read, without reading the text again.
    std::pair<qsizetype, qsizetype> entrySpan(qsizetype position) const;

private:
    struct Entry;
    class Window;
    class OwnText;
    using Handle = KeyGroup::Handle; // an entry's place in the store
    using Group = KeyGroup;          // entries sharing a key, in text order
    // Keys that fit in 64 bits by value, longer ones by their digits.
    struct Groups {
        QHash<quint64, Group> numbers;
        QHash<QString, Group> digits;
    };

    // Reads the entries in [from, to) in place of entries [first, last) and
    // returns the line starts in (from, to]. Only [scanFrom, scanTo) is
    // looked at: the characters before and after it in the stretch are known
    // to separate nothing (the inside of an entry held, or looked through).
    std::vector<qsizetype> readEntries(qsizetype from, qsizetype to, qsizetype first,
                                       qsizetype last, qsizetype scanFrom, qsizetype scanTo);
    // Reads on for about `characters` (at least one).
    void readStep(qsizetype characters);
    void placeEntries(const std::vector<Handle>& fresh, const std::vector<qsizetype>& starts,
                      qsizetype first, qsizetype last);
    void eraseEntries(qsizetype first, qsizetype last);
    Handle newEntry();
    Entry& entry(Handle handle);
    const Entry& entry(Handle handle) const;
    const Entry& entryAt(qsizetype index) const { return entry(m_entries[size_t(index)]); }
    // Entries [first, last) of m_entries are no longer the list's.
    void release(qsizetype first, qsizetype last);
    qsizetype startAt(qsizetype index) const;
    qsizetype endAt(qsizetype index) const;
    qsizetype indexOf(Handle handle) const;
    qsizetype firstEndingAfter(qsizetype position) const;
    // Makes the shift apply from entry `index` on.
    void moveShift(qsizetype index);
    // The first separator in [from, to), or `to`; the last one in it, plus
    // one, or `from`. Read a slice at a time: the stretch may be one long
    // entry.
    qsizetype separatorIn(qsizetype from, qsizetype to) const;
    qsizetype afterLastSeparator(qsizetype from, qsizetype to) const;
    void join(Handle handle);
    void leave(Handle handle);
    // Where the entry goes in `group`, by text order.
    qsizetype placeIn(const Group& group, const Entry& entry) const;
    void setKeys(Handle handle, EntryKeys keys);
    static quint64 wideKey(Handle handle, KeySlot slot) { return quint64(handle) << 1 | slot; }
    // Calls `visit(hash, key)` with the entry's key in `slot` and the hash
    // of `groups` it goes in; not when the entry has no such key.
    template <typename GroupsType, typename Visit>
    void onKey(GroupsType& groups, Handle handle, KeySlot slot, Visit visit) const;
    // The first entry with the key the entry has in `slot`, if another.
    std::optional<Handle> earlierOwner(Handle handle, KeySlot slot) const;
    QStringView entryText(qsizetype index, QString& buffer) const;
    void appendFindings(qsizetype index, QList<LintFinding>& out) const;

    LintRules m_rules;
    PictureFolder* m_pictures;
    std::unique_ptr<OwnText> m_own;   // the text, when the lint keeps it
    const LintText* m_text = nullptr; // the text read: the lint's own or the caller's
    qsizetype m_size = 0;
    qsizetype m_read = 0; // entries starting before this are read; it is not inside one
    // How much of the entry starting at m_read is known to hold no separator:
    // a long one is looked through over several steps.
    qsizetype m_unendedLength = 0;
    std::vector<Handle> m_entries; // in text order
    // Where entries live: blocks of them, allocated once and kept, as a list
    // read at once makes a hundred thousand; those released wait in m_spare.
    // An entry is named by a handle (its block and its place there) rather
    // than by its address, at half the size in m_entries and in the groups.
    // A block is reserved whole and filled as entries are made, so an empty
    // list's lint touches no more of it than its one entry.
    std::vector<std::vector<Entry>> m_blocks;
    std::vector<Handle> m_spare;
    // Where each entry starts, m_shift added from entry m_shiftFrom on: an
    // edit moves the entries after it by moving that boundary, one entry at
    // a time from where the last edit left it. The lint reads at most
    // kLongestText characters, so a start fits in 32 bits, and the shift is
    // added modulo 2^32.
    std::vector<quint32> m_starts;
    qsizetype m_shiftFrom = 0;
    qsizetype m_shift = 0;
    std::array<Groups, 2> m_groups;       // by KeySlot
    QHash<quint64, NumberKey> m_wideKeys; // by wideKey(): those not held in their entries
    LineIndex m_lines;
};

} // namespace scp
