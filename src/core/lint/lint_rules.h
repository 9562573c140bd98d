#pragma once

// The lint's rules: what the patching tool will choke on in one entry, the
// keys entries are compared by (an id, an item's animation), and what each
// finding says. Functions of an entry's text, and of the picture it names,
// alone: which entries a list holds, and which of two came first, is
// ListLint's business (lint.h). Qt Core only.
//
// An entry splits into fields at single spaces, so a single space at its
// edge makes an empty field. For items the tenth field and everything after
// it is the item's name.

#include "pictures/bmp_header.h"
#include "script/entry_lists.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace scp {

// What the lint must know about the list it reads.
struct LintRules {
    ListId list = ListId::Gumps;
    QString placeholder; // the list's placeholder line, without its line end
    QString hint;        // the entry field's hint text
    // Whether findings carry their messages; without, only where they are
    // (what a count of marks needs, at a fraction of the cost).
    bool messages = true;
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
    LongEntry,       // longer than kLongestEntry: not read as an entry at all
};

// Errors leave an entry the patching tool cannot read as one at all: the
// compile asks before it writes them. Warnings name an entry it reads, but
// perhaps not as meant (a picture not found, an id used twice).
enum class LintLevel { Warning, Error };
LintLevel lintLevel(LintRule rule);

struct LintFinding {
    qsizetype position = 0; // of the field or entry at fault: in the entry, or in the list
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

// "FILE:LINE:COLUMN: warning: MESSAGE [entry N]" ("error:" for an error),
// N counting the list's entries from 1: a one-line list's column is past
// finding, its entry is not. Without an entry (0), what is warned about is no
// list's.
QString formatWarning(const QString& file, TextPoint point, const QString& message,
                      qsizetype entryNumber = 0, LintLevel level = LintLevel::Warning);
// The same appended to `out`, and a number as QString::number() writes it.
void appendWarning(QString& out, QStringView file, TextPoint point, QStringView message,
                   qsizetype entryNumber, LintLevel level);
void appendNumber(QString& out, qint64 number);

// Real entries are under 300 characters. One longer than this is a file
// that is no list, or entries run together: it is neither copied nor split
// into fields, so a list of one 50 MB word costs what a short one does, and
// its one finding says only that it is too long.
constexpr qsizetype kLongestEntry = 4096;

// The finding of an entry of `length` characters, longer than kLongestEntry;
// its position is in the entry.
LintFinding longEntryFinding(const LintRules& rules, qsizetype length);

// An entry's text split into fields.
class EntryFields {
public:
    static constexpr int kKept = 10; // an item's name, the tenth, runs to the entry's end

    explicit EntryFields(QStringView entry);
    QStringView text() const { return m_text; }
    int count() const { return m_count; }
    // Of the first kKept fields.
    qsizetype start(int i) const { return m_starts[size_t(i)]; }
    qsizetype end(int i) const;
    QStringView field(int i) const { return m_text.sliced(start(i), end(i) - start(i)); }

private:
    QStringView m_text;
    int m_count = 1;
    std::array<qsizetype, kKept> m_starts{};
};

// An item's fields: at least ten, the tenth its name; the layer and the
// animation are read by place.
constexpr int kItemFields = EntryFields::kKept;
constexpr int kLayerField = 6, kAnimationField = 7;
// Layers run 1 to 29, and two of them are unused.
constexpr bool layerInRange(qint64 layer)
{
    return layer >= 1 && layer <= 29;
}
constexpr bool layerUnused(qint64 layer)
{
    return layer == 9 || layer == 15;
}

// A number as entries are compared by it: its value where that fits in 64
// bits, else its digits. A longer number is a slip (a pasted run of digits)
// rather than an id, and is compared by how it is written: hexadecimal
// digits in lower case, decimal ones marked as such, leading zeros dropped
// either way.
struct NumberKey {
    enum Kind : quint8 { None, Value, Digits };
    Kind kind = None;
    quint64 value = 0; // when a Value
    QString digits;    // when Digits
};

// The keys entries are compared by; None where the entry has no such key.
enum KeySlot { IdKey, AnimationKey };
using EntryKeys = std::array<NumberKey, 2>; // by KeySlot

EntryKeys entryKeys(const LintRules& rules, const EntryFields& entry);

// What the rules make of an entry at once: the findings of its own text
// (appended to `out`, positions in the entry), its keys, and the picture a
// gump or tile of the right shape names (none for others).
struct EntryReading {
    EntryKeys keys;
    std::optional<QStringView> picture;
};
EntryReading readEntry(const LintRules& rules, const EntryFields& entry, QList<LintFinding>& out);

// The findings on that picture, `picture` being what `folder` holds under
// its name.
void appendPictureFindings(const LintRules& rules, const EntryFields& entry,
                           const PictureInfo& picture, const QString& folder,
                           QList<LintFinding>& out);

// An entry whose key in `slot` an earlier one, `owner`, already has; `ownerAt`
// is where that one starts.
LintFinding sharedKeyFinding(const LintRules& rules, const EntryFields& entry, KeySlot slot,
                             const EntryFields& owner, TextPoint ownerAt);

} // namespace scp
