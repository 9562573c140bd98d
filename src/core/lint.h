#pragma once

// The lint: entries the patching tool will choke on, found in a list's text
// without changing it. Qt Core only.
//
// A list's text splits into entries at line breaks (CR LF, lone CR, lone
// LF) and at runs of two or more spaces; an entry splits into fields at
// single spaces, so a single space at an entry's edge makes an empty field.
// For items the tenth field and everything after it is the item's name.
//
// ListLint keeps what it learnt per entry, so after an edit it re-reads only
// the entries around the edit; findings are then asked for the whole list
// or for a stretch of it (what is on screen). lintList() is the one-shot
// form for the compiler, through the same code.

#include "bmp_header.h"
#include "entry_lists.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <memory>
#include <vector>

namespace scp {

// What the lint must know about the list it reads. The caller passes the
// list's own texts, so the lint holds no copy of them.
struct LintRules {
    ListId list = ListId::Gumps;
    QString placeholder; // the list's placeholder line; a line end after it is ignored
    QString hint;        // the entry field's hint text
};

// The rules of one of the editor's lists: its own placeholder and hint.
LintRules lintRules(ListId list);

enum class LintRule {
    Placeholder = 1, // the placeholder line left in the list
    Hint,            // the field's hint added as an entry
    FieldCount,      // 4 fields for gumps and tiles, at least 10 for items
    HexId,           // the first field is hexadecimal, 0x optional
    Number,          // sizes and item numbers are decimal, or hexadecimal with 0x
    PictureName,     // the picture ends in .bmp
    PicturePresent,  // the picture is in the folder, under this exact name
    PictureSize,     // the picture's header matches the entry's width and height
    DuplicateId,     // an earlier entry of the list has the same id
    Layer,           // an item's layer is 1 to 29, not 9 or 15
    SharedAnimation, // an earlier item has the same animation
};

struct LintFinding {
    qsizetype position = 0; // index in the list's text of the field or entry at fault
    qsizetype length = 0;
    LintRule rule = LintRule::Placeholder;
    QString message;
    friend bool operator==(const LintFinding&, const LintFinding&) = default;
};

struct TextPoint {
    qsizetype line = 1;   // 1-based
    qsizetype column = 1; // 1-based, in characters from the line's start
    friend bool operator==(const TextPoint&, const TextPoint&) = default;
};

// Where each line of a text starts; lines end at CR LF, a lone CR or a lone
// LF. Updated for an edit in time proportional to the number of lines.
class LineIndex {
public:
    explicit LineIndex(QStringView text = {});
    // The text was edited: `removed` characters at `position` replaced by
    // `added`; `fresh` are the line starts from `position` to one past the
    // edit in the new text, ascending.
    void update(qsizetype position, qsizetype removed, qsizetype added,
                const std::vector<qsizetype>& fresh);
    // Line starts after those held, ascending.
    void append(const std::vector<qsizetype>& starts);
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

// "FILE:LINE:COLUMN: warning: MESSAGE"
QString formatWarning(const QString& file, TextPoint point, const QString& message);

class ListLint {
public:
    // `pictures` is the folder the lists are saved to; without it the
    // picture rules (present, size) are not checked. It must outlive this.
    explicit ListLint(LintRules rules, PictureFolder* pictures = nullptr);
    ~ListLint();
    ListLint(const ListLint&) = delete;
    ListLint& operator=(const ListLint&) = delete;

    // Reads the whole text anew; the lint keeps this copy of it.
    void setText(QString text);
    void setText(QStringView text) { setText(text.toString()); }
    // The same in steps: startText() keeps the text and reads none of it,
    // each readMore() reads on for about `characters` more and tells whether
    // the whole text is read. Edits may come between the steps. Meanwhile
    // the findings are those of the entries read so far, and exact for them:
    // an entry's findings hang on it and the entries before it only.
    void startText(QString text);
    // Steps over a text the caller keeps (and keeps alive while the lint
    // reads it, or until the next start), telling the lint of every edit.
    void startReading(const LintText& text);
    bool readMore(qsizetype characters);
    bool isRead() const { return m_read == m_size; }
    // The text now holds an edit that replaced `removed` characters at
    // `position` with `added` new ones; only the entries around the edit
    // are read again.
    void edited(qsizetype position, qsizetype removed, qsizetype added);
    // For the lint's own copy: `text` is the whole text after such an edit.
    void update(QStringView text, qsizetype position, qsizetype removed, qsizetype added);
    qsizetype size() const { return m_size; }

    // Findings in text order. The second form returns those touching
    // [from, to), reading only the entries there. Pictures are checked as
    // findings are asked for, so a changed picture shows at once.
    QList<LintFinding> findings() const;
    QList<LintFinding> findings(qsizetype from, qsizetype to) const;

    // Of a position in the part read.
    TextPoint lineColumn(qsizetype position) const { return m_lines.at(position); }
    qsizetype entryCount() const { return qsizetype(m_entries.size()); }

private:
    struct Entry;
    struct Fields;
    struct LongKeys;
    class Window;
    class OwnText;
    using Group = QVarLengthArray<const Entry*, 1>; // entries sharing a number, in text order
    // Numbers that fit in 64 bits by value, longer ones by their digits.
    struct Groups {
        QHash<quint64, Group> numbers;
        QHash<QString, Group> digits;
    };
    enum KeySlot { IdKey, AnimationKey };

    bool readEntry(const Fields& fields, Entry* keys, QList<LintFinding>* own) const;
    // Reads the entries in [from, to) in place of entries [first, last) and
    // returns the line starts in (from, to].
    std::vector<qsizetype> readEntries(qsizetype from, qsizetype to, qsizetype first,
                                       qsizetype last);
    void placeEntries(std::vector<std::unique_ptr<Entry>> fresh,
                      const std::vector<qsizetype>& starts, qsizetype first, qsizetype last);
    void eraseEntries(qsizetype first, qsizetype last);
    qsizetype startAt(qsizetype index) const;
    qsizetype endAt(qsizetype index) const;
    qsizetype indexOf(const Entry& entry) const;
    qsizetype firstEndingAfter(qsizetype position) const;
    // Makes the shift apply from entry `index` on.
    void moveShift(qsizetype index);
    qsizetype separatorFrom(qsizetype position) const;
    qsizetype entryStartBefore(qsizetype position) const;
    void join(const Entry& entry);
    void leave(const Entry& entry);
    // Calls `visit(hash, key)` with the entry's key in `slot` and the hash
    // of `groups` it goes in; not when the entry has no such key.
    template <typename GroupsType, typename Visit>
    static void onKey(GroupsType& groups, const Entry& entry, KeySlot slot, Visit visit);
    QStringView entryText(qsizetype index, QString& buffer) const;
    void appendFindings(qsizetype index, QList<LintFinding>& out) const;
    void appendPictureFindings(const Fields& fields, QList<LintFinding>& out) const;
    QString kindName() const;
    static bool before(const Entry* a, const Entry* b);

    LintRules m_rules;
    PictureFolder* m_pictures;
    std::unique_ptr<OwnText> m_own;   // the text, when the lint keeps it
    const LintText* m_text = nullptr; // the text read: the lint's own or the caller's
    qsizetype m_size = 0;
    qsizetype m_read = 0; // entries starting before this are read; it is not inside one
    std::vector<std::unique_ptr<Entry>> m_entries; // in text order
    // Where each entry starts, m_shift added from entry m_shiftFrom on: an
    // edit moves the entries after it by moving that boundary, one entry at
    // a time from where the last edit left it.
    std::vector<qsizetype> m_starts;
    qsizetype m_shiftFrom = 0;
    qsizetype m_shift = 0;
    Groups m_ids;
    Groups m_animations;
    LineIndex m_lines;
};

// The whole list at once: what the compiler's check prints.
QList<LintFinding> lintList(const LintRules& rules, QStringView text,
                            PictureFolder* pictures = nullptr);

} // namespace scp
