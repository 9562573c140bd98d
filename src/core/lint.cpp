#include "lint.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

constexpr int kPictureFields = 4;
constexpr int kItemFields = 10; // the tenth runs to the entry's end: the name
constexpr int kNameField = 1, kWidthField = 2, kHeightField = 3;
constexpr int kLayerField = 6, kAnimationField = 7;

const char16_t* const kItemNumberNames[] = {u"flag1",  u"flag2", u"flag3",     u"flag4",
                                            u"weight", u"layer", u"animation", u"height"};

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

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDecimalDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool hasHexPrefix(QStringView s)
{
    return s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X');
}

// A number as entries are compared by it: its value when that fits in 64
// bits, else its lower-case hexadecimal digits without leading zeros.
struct NumberKey {
    bool valid = false;
    quint64 value = 0;
    QString digits; // only for a value that does not fit
};

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    return u <= u'9' ? u - u'0' : (u | 0x20) - u'a' + 10;
}

// One digit at least: "000" is "0".
QStringView withoutLeadingZeros(QStringView digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

// `hexDigits`: one or more hexadecimal digits.
NumberKey hexNumber(QStringView hexDigits)
{
    const QStringView significant = withoutLeadingZeros(hexDigits);
    if (significant.size() > 16)
        return {true, 0, significant.toString().toLower()};
    quint64 value = 0;
    for (const QChar c : significant)
        value = value << 4 | quint64(hexDigitValue(c));
    return {true, value, {}};
}

// Decimal numbers longer than this are slips (a pasted run of digits), not
// ids: they keep their digits as the key rather than go through a base
// conversion whose cost grows with the square of their length, and so are
// not found equal to the same number written in hexadecimal.
constexpr qsizetype kLongestConvertedDecimal = 256;

// `digits`: one or more decimal digits.
NumberKey decimalNumber(QStringView digits)
{
    digits = withoutLeadingZeros(digits);
    if (digits.size() <= 19) // fits in 64 bits
        return {true, digits.toULongLong(), {}};
    if (digits.size() > kLongestConvertedDecimal)
        return {true, 0, u"d:"_s + digits.toString()};
    std::vector<quint32> limbs{0}; // least significant first, base 2^32
    for (const QChar c : digits) {
        quint64 carry = quint64(c.unicode() - u'0');
        for (quint32& limb : limbs) {
            const quint64 value = quint64(limb) * 10 + carry;
            limb = quint32(value);
            carry = value >> 32;
        }
        if (carry)
            limbs.push_back(quint32(carry));
    }
    QString hex;
    for (auto it = limbs.rbegin(); it != limbs.rend(); ++it)
        hex += u"%1"_s.arg(uint(*it), 8, 16, QChar(u'0'));
    return hexNumber(hex);
}

// Field 1 of every list: hexadecimal with or without 0x. Not valid when not.
NumberKey idNumber(QStringView field)
{
    const QStringView digits = hasHexPrefix(field) ? field.sliced(2) : field;
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
        return {};
    return hexNumber(digits);
}

// Sizes and item numbers: decimal, or hexadecimal with 0x.
bool isNumber(QStringView field)
{
    if (hasHexPrefix(field))
        return std::all_of(field.begin() + 2, field.end(), isHexDigit);
    return !field.isEmpty() && std::all_of(field.begin(), field.end(), isDecimalDigit);
}

// Not valid when the field is not a number.
NumberKey numberKey(QStringView field)
{
    if (!isNumber(field))
        return {};
    return hasHexPrefix(field) ? hexNumber(field.sliced(2)) : decimalNumber(field);
}

// A number's value when it fits comfortably (below 2^60), else -1.
qint64 numberValue(QStringView field)
{
    // A long run of digits is out of that range without being converted.
    if (withoutLeadingZeros(hasHexPrefix(field) ? field.sliced(2) : field).size() > 19)
        return -1;
    const NumberKey key = numberKey(field);
    return key.valid && key.digits.isEmpty() && key.value < (quint64(1) << 60) ? qint64(key.value)
                                                                               : -1;
}

QString trimmedLineEnd(QString text)
{
    while (!text.isEmpty() && isLineEnd(text.back()))
        text.chop(1);
    return text;
}

} // namespace

// ---------------------------------------------------------------- lines

LineIndex::LineIndex(QStringView text)
{
    for (qsizetype i = 1; i <= text.size(); ++i)
        if (startsLine(text[i - 1], i < text.size() ? std::optional(text[i]) : std::nullopt))
            m_starts.push_back(i);
}

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

LintRules lintRules(ListId list)
{
    return {list, listPlaceholder(list), fieldHint(list)};
}

QString formatWarning(const QString& file, TextPoint point, const QString& message)
{
    return u"%1:%2:%3: warning: %4"_s.arg(file, QString::number(point.line),
                                          QString::number(point.column), message);
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
    void replace(qsizetype position, qsizetype removed, QStringView inserted)
    {
        if (removed == 0 && position == m_text.size())
            m_text.append(inserted); // Add and typing at the end: no copy of the list
        else
            m_text.replace(position, removed, inserted.data(), inserted.size());
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
    enum KeyKind : quint8 { NoKey, Number, Digits };

    quint64 order = 0;                          // ascending in text order, never shifted by edits
    std::array<quint64, 2> numbers{};           // by KeySlot, when of kind Number
    std::unique_ptr<LongKeys> longKeys;         // only for a key of kind Digits
    quint32 length = 0;                         // the document's positions are int
    std::array<KeyKind, 2> kinds{NoKey, NoKey}; // by KeySlot

    void setKey(KeySlot slot, const NumberKey& key);
};

// Keys too long for 64 bits, by KeySlot.
struct ListLint::LongKeys : std::array<QString, 2> {};

void ListLint::Entry::setKey(KeySlot slot, const NumberKey& key)
{
    if (!key.valid) {
        kinds[slot] = NoKey;
    } else if (key.digits.isEmpty()) {
        kinds[slot] = Number;
        numbers[slot] = key.value;
    } else {
        kinds[slot] = Digits;
        if (!longKeys)
            longKeys = std::make_unique<LongKeys>();
        (*longKeys)[slot] = key.digits;
    }
}

// An entry's text split into fields.
struct ListLint::Fields {
    QStringView text;
    int count = 1;
    std::array<qsizetype, kItemFields> starts{}; // of the first fields, in the entry

    explicit Fields(QStringView entry) : text(entry)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] != u' ')
                continue;
            if (count < kItemFields)
                starts[count] = i + 1;
            ++count;
        }
    }
    qsizetype end(int i) const
    {
        return i + 1 < count && i + 1 < kItemFields ? starts[i + 1] - 1 : text.size();
    }
    QStringView field(int i) const { return text.sliced(starts[i], end(i) - starts[i]); }
    // A field's place for a finding; an empty field is shown by the space
    // beside it.
    LintFinding at(int i, LintRule rule, const QString& message) const
    {
        qsizetype from = starts[i], length = end(i) - from;
        if (length == 0) {
            from = from < text.size() ? from : from - 1;
            length = 1;
        }
        return {from, length, rule, message};
    }
};

ListLint::ListLint(LintRules rules, PictureFolder* pictures)
    : m_rules(std::move(rules)), m_pictures(pictures)
{
    m_rules.placeholder = trimmedLineEnd(m_rules.placeholder);
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
    m_entries.erase(m_entries.begin() + first, m_entries.begin() + last);
    m_starts.erase(m_starts.begin() + first, m_starts.begin() + last);
    if (m_shiftFrom > last)
        m_shiftFrom -= last - first;
    else if (m_shiftFrom > first)
        m_shiftFrom = first;
}

// Reads an entry: its keys into `keys`, and the findings from its text alone
// (positions in the entry) onto `own`; either may be null. Returns whether
// its picture is to be checked.
bool ListLint::readEntry(const Fields& entry, Entry* keys, QList<LintFinding>* own) const
{
    const QStringView text = entry.text;
    const qsizetype length = text.size();
    if (text == m_rules.placeholder) {
        if (own)
            own->append({0, length, LintRule::Placeholder,
                         u"the placeholder \"%1\" is still in the list; remove it"_s.arg(
                             m_rules.placeholder)});
        return false;
    }
    if (text == m_rules.hint) {
        if (own)
            own->append(
                {0, length, LintRule::Hint,
                 u"the entry field's hint \"%1\" was added as an entry"_s.arg(m_rules.hint)});
        return false;
    }

    const bool items = m_rules.list == ListId::Items;
    const int count = entry.count;
    if (items ? count < kItemFields : count != kPictureFields) {
        if (own)
            own->append(
                {0, length, LintRule::FieldCount,
                 items ? u"the entry has %1 fields, an item needs at least 10: itemhex flag1 "
                         u"flag2 flag3 flag4 weight layer animation height itemName"_s.arg(count)
                       : u"the entry has %1 fields, a %2 needs 4: hexid filename.bmp width "
                         u"height"_s.arg(count)
                             .arg(kindName())});
        return false;
    }

    const QStringView id = entry.field(0);
    const NumberKey idKey = idNumber(id);
    if (keys)
        keys->setKey(IdKey, idKey);
    if (items && keys)
        keys->setKey(AnimationKey, numberKey(entry.field(kAnimationField)));
    if (!own)
        return !items;

    if (!idKey.valid)
        own->append(
            entry.at(0, LintRule::HexId, u"hex id \"%1\" is not a hexadecimal number"_s.arg(id)));

    const auto checkNumber = [&entry, own](int i, QStringView name) {
        if (isNumber(entry.field(i)))
            return true;
        own->append(entry.at(i, LintRule::Number,
                             u"%1 \"%2\" is not a number (decimal, or hexadecimal with 0x)"_s.arg(
                                 name, entry.field(i))));
        return false;
    };

    if (!items) {
        const QStringView name = entry.field(kNameField);
        if (!name.endsWith(u".bmp", Qt::CaseInsensitive))
            own->append(entry.at(kNameField, LintRule::PictureName,
                                 u"picture name \"%1\" does not end in .bmp"_s.arg(name)));
        checkNumber(kWidthField, u"width");
        checkNumber(kHeightField, u"height");
        return true;
    }

    for (int i = 1; i < kItemFields - 1; ++i) {
        if (!checkNumber(i, QStringView(kItemNumberNames[i - 1])) || i != kLayerField)
            continue;
        const qint64 layer = numberValue(entry.field(i));
        const QString layers = u"layers run 1 to 29, 9 and 15 unused"_s;
        if (layer == 9 || layer == 15)
            own->append(entry.at(i, LintRule::Layer,
                                 u"layer %1 is unused (%2)"_s.arg(entry.field(i), layers)));
        else if (layer < 1 || layer > 29)
            own->append(entry.at(i, LintRule::Layer,
                                 u"layer %1 is out of range (%2)"_s.arg(entry.field(i), layers)));
    }
    return false;
}

QString ListLint::kindName() const
{
    static const QString kinds[] = {u"gump"_s, u"tile"_s, u"item"_s};
    return kinds[static_cast<size_t>(m_rules.list)];
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
    case Entry::NoKey:
        break;
    case Entry::Number:
        visit(groups.numbers, entry.numbers[slot]);
        break;
    case Entry::Digits:
        visit(groups.digits, (*entry.longKeys)[slot]);
        break;
    }
}

void ListLint::join(const Entry& entry)
{
    const auto add = [&entry](auto& hash, const auto& key) {
        Group& group = hash[key];
        const auto at = std::lower_bound(group.begin(), group.end(), &entry, &ListLint::before);
        group.insert(at, &entry);
    };
    onKey(m_ids, entry, IdKey, add);
    onKey(m_animations, entry, AnimationKey, add);
}

void ListLint::leave(const Entry& entry)
{
    const auto remove = [&entry](auto& hash, const auto& key) {
        const auto found = hash.find(key);
        Group& group = *found;
        const auto at = std::lower_bound(group.begin(), group.end(), &entry, &ListLint::before);
        group.erase(at);
        if (group.empty())
            hash.erase(found);
    };
    onKey(m_ids, entry, IdKey, remove);
    onKey(m_animations, entry, AnimationKey, remove);
}

// ---------------------------------------------------------------- reading

std::vector<qsizetype> ListLint::readEntries(qsizetype from, qsizetype to, qsizetype first,
                                             qsizetype last)
{
    const Window text(*m_text, from, to);
    std::vector<std::unique_ptr<Entry>> fresh;
    std::vector<qsizetype> starts;
    qsizetype i = from;
    while (i < to) {
        if (text.separates(i)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < to && !text.separates(i))
            ++i;
        auto entry = std::make_unique<Entry>();
        entry->length = quint32(i - start);
        readEntry(Fields(text.sliced(start, i - start)), entry.get(), nullptr);
        fresh.push_back(std::move(entry));
        starts.push_back(start);
    }
    placeEntries(std::move(fresh), starts, first, last);
    std::vector<qsizetype> lines;
    for (qsizetype line = from + 1; line <= to; ++line)
        if (text.startsLine(line))
            lines.push_back(line);
    return lines;
}

void ListLint::placeEntries(std::vector<std::unique_ptr<Entry>> fresh,
                            const std::vector<qsizetype>& starts, qsizetype first, qsizetype last)
{
    // The new entries' starts are their own: the shift applies from after them.
    moveShift(last);
    for (qsizetype i = first; i < last; ++i)
        leave(*m_entries[size_t(i)]);

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
    std::move(fresh.begin(), fresh.begin() + kept, m_entries.begin() + first);
    std::copy(starts.begin(), starts.begin() + kept, m_starts.begin() + first);
    m_entries.erase(m_entries.begin() + first + kept, m_entries.begin() + last);
    m_starts.erase(m_starts.begin() + first + kept, m_starts.begin() + last);
    m_entries.insert(m_entries.begin() + first + kept,
                     std::make_move_iterator(fresh.begin() + kept),
                     std::make_move_iterator(fresh.end()));
    m_starts.insert(m_starts.begin() + first + kept, starts.begin() + kept, starts.end());
    m_shiftFrom = first + count;
    if (!room) {
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_entries[i]->order = (i + 1) * kSpacing;
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
    startText(std::move(text));
    readMore(m_size);
}

void ListLint::startText(QString text)
{
    m_own = std::make_unique<OwnText>(std::move(text));
    startReading(*m_own);
}

void ListLint::startReading(const LintText& text)
{
    if (&text != m_own.get())
        m_own.reset();
    m_text = &text;
    m_entries.clear();
    m_starts.clear();
    m_shiftFrom = 0;
    m_shift = 0;
    m_ids = {};
    m_animations = {};
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

void ListLint::update(QStringView text, qsizetype position, qsizetype removed, qsizetype added)
{
    if (!m_own || position < 0 || removed < 0 || added < 0 || position + removed > m_size ||
        m_size + added - removed != text.size()) {
        setText(text); // not an edit of the text this lint holds
        return;
    }
    m_own->replace(position, removed, text.sliced(position, added));
    edited(position, removed, added);
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

void ListLint::appendPictureFindings(const Fields& entry, QList<LintFinding>& out) const
{
    const QString name = entry.field(kNameField).toString();
    const PictureInfo picture = m_pictures->picture(name);
    if (picture.state == PictureInfo::State::Missing) {
        // Where the folder ignores case (Windows, a FAT stick), a name of
        // another case is found as it is, and this is never said.
        const QString other = m_pictures->otherCase(name);
        const QString folder = QDir::toNativeSeparators(m_pictures->path());
        out.append(entry.at(
            kNameField, LintRule::PicturePresent,
            other.isEmpty()
                ? u"picture \"%1\" is not in %2"_s.arg(name, folder)
                : u"picture \"%1\" is not in %2, only \"%3\", which differs in case: the "
                  u"patching tool's system may not mind, Linux does"_s.arg(name, folder, other)));
        return;
    }
    if (!name.endsWith(u".bmp"_s, Qt::CaseInsensitive))
        return; // already said; the size of a picture of another kind is beside the point
    if (picture.state == PictureInfo::State::Unreadable) {
        out.append(entry.at(kNameField, LintRule::PictureSize,
                            u"\"%1\" is not a readable BMP: %2"_s.arg(name, picture.reason)));
        return;
    }
    const qint64 width = numberValue(entry.field(kWidthField));
    const qint64 height = numberValue(entry.field(kHeightField));
    if (width < 0 && height < 0)
        return; // neither is a number; said already
    const bool widthOff = width >= 0 && width != picture.size.width;
    const bool heightOff = height >= 0 && height != picture.size.height;
    if (!widthOff && !heightOff)
        return;
    const int from = widthOff ? kWidthField : kHeightField;
    const int to = heightOff ? kHeightField : kWidthField;
    out.append({entry.starts[from], entry.end(to) - entry.starts[from], LintRule::PictureSize,
                u"\"%1\" is %2 x %3 pixels, the entry says %4 x %5"_s.arg(
                    name, QString::number(picture.size.width), QString::number(picture.size.height),
                    entry.field(kWidthField), entry.field(kHeightField))});
}

void ListLint::appendFindings(qsizetype index, QList<LintFinding>& out) const
{
    const Entry& entry = *m_entries[size_t(index)];
    QString buffer;
    const Fields fields(entryText(index, buffer));
    const qsizetype first = out.size();
    if (readEntry(fields, nullptr, &out) && m_pictures)
        appendPictureFindings(fields, out);

    const auto sharing = [&](const Groups& groups, KeySlot slot, int field, LintRule rule,
                             const QString& what) {
        const Entry* owner = nullptr;
        onKey(groups, entry, slot, [&owner](const auto& hash, const auto& key) {
            owner = hash.constFind(key)->front();
        });
        if (!owner || owner == &entry)
            return;
        const qsizetype ownerIndex = indexOf(*owner);
        const TextPoint point = m_lines.at(startAt(ownerIndex));
        QString ownerBuffer;
        out.append(fields.at(field, rule,
                             u"%1 %2 is already used by %3 %4 on line %5, column %6"_s.arg(
                                 what, fields.field(field), kindName(),
                                 Fields(entryText(ownerIndex, ownerBuffer)).field(0),
                                 QString::number(point.line), QString::number(point.column))));
    };
    sharing(m_ids, IdKey, 0, LintRule::DuplicateId, u"id"_s);
    sharing(m_animations, AnimationKey, kAnimationField, LintRule::SharedAnimation, u"animation"_s);

    for (auto it = out.begin() + first; it != out.end(); ++it)
        it->position += startAt(index);
    std::stable_sort(
        out.begin() + first, out.end(),
        [](const LintFinding& a, const LintFinding& b) { return a.position < b.position; });
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

QList<LintFinding> lintList(const LintRules& rules, QStringView text, PictureFolder* pictures)
{
    ListLint lint(rules, pictures);
    lint.setText(text);
    return lint.findings();
}

} // namespace scp
