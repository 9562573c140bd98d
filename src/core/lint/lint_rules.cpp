// The lint's rules and messages; see lint_rules.h.

#include "lint/lint_rules.h"

#include "text/counted.h"

#include <QDir>
#include <QtNumeric>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

constexpr int kPictureFields = 4;
constexpr int kNameField = 1, kWidthField = 2, kHeightField = 3;

const char16_t* const kItemNumberNames[] = {u"flag1",  u"flag2", u"flag3",     u"flag4",
                                            u"weight", u"layer", u"animation", u"height"};

// Which rules apply to an entry: a placeholder, a hint or an entry of the
// wrong length is said as such, and nothing in it is looked at further.
enum class Shape { Placeholder, Hint, Miscounted, Picture, Item };

Shape shapeOf(const LintRules& rules, const EntryFields& entry)
{
    if (entry.text() == rules.placeholder)
        return Shape::Placeholder;
    if (entry.text() == rules.hint)
        return Shape::Hint;
    if (rules.list == ListId::Items)
        return entry.count() < kItemFields ? Shape::Miscounted : Shape::Item;
    return entry.count() == kPictureFields ? Shape::Picture : Shape::Miscounted;
}

// "1 field", "3 fields"
QString fieldCount(int count)
{
    return counted(count, u"field");
}

QString kindName(ListId list)
{
    static const QString kinds[] = {u"gump"_s, u"tile"_s, u"item"_s};
    return kinds[static_cast<size_t>(list)];
}

// ".bmp" in any case. No other letter folds to these, so ASCII's own case
// rule is Unicode's here, at a fraction of the cost.
bool endsInBmp(QStringView name)
{
    const qsizetype n = name.size();
    const auto lower = [&name](qsizetype i) { return name[i].unicode() | 0x20; };
    return n >= 4 && name[n - 4] == u'.' && lower(n - 3) == u'b' && lower(n - 2) == u'm' &&
           lower(n - 1) == u'p';
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

// One digit at least: "000" is "0".
QStringView withoutLeadingZeros(QStringView digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

// `digits`, all of `base`, where their value fits in 64 bits. A long run
// stops being read at its first digits past that.
std::optional<quint64> fittingValue(QStringView digits, quint64 base)
{
    quint64 value = 0;
    for (const QChar c : withoutLeadingZeros(digits)) {
        const char16_t u = c.unicode();
        const quint64 digit = u <= u'9' ? u - u'0' : (u | 0x20) - u'a' + 10;
        if (qMulOverflow(value, base, &value) || qAddOverflow(value, digit, &value))
            return std::nullopt;
    }
    return value;
}

NumberKey keyOf(QStringView digits, quint64 base)
{
    if (const auto value = fittingValue(digits, base))
        return {NumberKey::Value, *value, {}};
    const QStringView significant = withoutLeadingZeros(digits);
    return {NumberKey::Digits, 0,
            base == 16 ? significant.toString().toLower() : u"d:"_s + significant.toString()};
}

// Field 1 of every list: hexadecimal with or without 0x.
NumberKey idNumber(QStringView field)
{
    const QStringView digits = hasHexPrefix(field) ? field.sliced(2) : field;
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
        return {};
    return keyOf(digits, 16);
}

// Sizes and item numbers: decimal, or hexadecimal with 0x.
bool isNumber(QStringView field)
{
    if (hasHexPrefix(field))
        return std::all_of(field.begin() + 2, field.end(), isHexDigit);
    return !field.isEmpty() && std::all_of(field.begin(), field.end(), isDecimalDigit);
}

NumberKey numberKey(QStringView field)
{
    if (!isNumber(field))
        return {};
    return hasHexPrefix(field) ? keyOf(field.sliced(2), 16) : keyOf(field, 10);
}

// A number's value where it fits comfortably (below 2^60), else -1.
qint64 numberValue(QStringView field)
{
    if (!isNumber(field))
        return -1;
    const auto value =
        hasHexPrefix(field) ? fittingValue(field.sliced(2), 16) : fittingValue(field, 10);
    return value && *value < (quint64(1) << 60) ? qint64(*value) : -1;
}

// A field's place for a finding; an empty field is shown by the space
// beside it.
LintFinding at(const EntryFields& entry, int i, LintRule rule, const QString& message)
{
    qsizetype from = entry.start(i), length = entry.end(i) - from;
    if (length == 0) {
        from = from < entry.text().size() ? from : from - 1;
        length = 1;
    }
    return {from, length, rule, message};
}

// A finding's message, made only where the rules are asked for messages.
template <typename Make> QString said(const LintRules& rules, Make make)
{
    return rules.messages ? make() : QString();
}

// The entry's id, said to be none where it is not a number.
NumberKey readId(const LintRules& rules, const EntryFields& entry, QList<LintFinding>& out)
{
    NumberKey id = idNumber(entry.field(0));
    if (id.kind == NumberKey::None)
        out.append(at(entry, 0, LintRule::HexId, said(rules, [&] {
                          return u"hex id \"%1\" is not a hexadecimal number"_s.arg(entry.field(0));
                      })));
    return id;
}

// Whether field `i` is a number; says so when it is not.
bool checkNumber(const LintRules& rules, const EntryFields& entry, int i, QStringView name,
                 QList<LintFinding>& out)
{
    if (isNumber(entry.field(i)))
        return true;
    out.append(at(entry, i, LintRule::Number, said(rules, [&] {
                      return u"%1 \"%2\" is not a number (decimal, or hexadecimal with 0x)"_s.arg(
                          name, entry.field(i));
                  })));
    return false;
}

void appendLayerFinding(const LintRules& rules, const EntryFields& entry, QList<LintFinding>& out)
{
    const qint64 layer = numberValue(entry.field(kLayerField));
    const auto say = [&](const char16_t* what) {
        out.append(at(entry, kLayerField, LintRule::Layer, said(rules, [&] {
                          return u"layer %1 is %2 (layers run 1 to 29, 9 and 15 unused)"_s.arg(
                              entry.field(kLayerField), QStringView(what));
                      })));
    };
    if (layerUnused(layer))
        say(u"unused");
    else if (!layerInRange(layer))
        say(u"out of range");
}

} // namespace

LintRules lintRules(ListId list)
{
    QString placeholder = listPlaceholder(list);
    while (!placeholder.isEmpty() && (placeholder.back() == u'\r' || placeholder.back() == u'\n'))
        placeholder.chop(1);
    return {list, placeholder, fieldHint(list), true};
}

LintLevel lintLevel(LintRule rule)
{
    switch (rule) {
    case LintRule::Placeholder:
    case LintRule::Hint:
    case LintRule::FieldCount:
    case LintRule::HexId:
    case LintRule::Number:
    case LintRule::LongEntry:
        return LintLevel::Error;
    default:
        return LintLevel::Warning;
    }
}

void appendNumber(QString& out, qint64 number)
{
    // Without QString::number()'s string of its own: a check of long lists
    // writes three numbers a finding, tens of thousands of times.
    char16_t digits[24];
    size_t at = std::size(digits);
    quint64 left = number < 0 ? 0 - quint64(number) : quint64(number);
    do {
        digits[--at] = char16_t(u'0' + left % 10);
        left /= 10;
    } while (left != 0);
    if (number < 0)
        digits[--at] = u'-';
    out += QStringView(digits + at, std::size(digits) - at);
}

void appendWarning(QString& out, QStringView file, TextPoint point, QStringView message,
                   qsizetype entryNumber, LintLevel level)
{
    out += file;
    out += u':';
    appendNumber(out, point.line);
    out += u':';
    appendNumber(out, point.column);
    out += level == LintLevel::Error ? u": error: "_s : u": warning: "_s;
    out += message;
    if (entryNumber > 0) {
        out += u" [entry "_s;
        appendNumber(out, entryNumber);
        out += u']';
    }
}

QString formatWarning(const QString& file, TextPoint point, const QString& message,
                      qsizetype entryNumber, LintLevel level)
{
    QString line;
    line.reserve(file.size() + message.size() + 64);
    appendWarning(line, file, point, message, entryNumber, level);
    return line;
}

LintFinding longEntryFinding(const LintRules& rules, qsizetype length)
{
    return {0, length, LintRule::LongEntry, said(rules, [&] {
                return u"the entry has %1, more than the %2 an entry can have: a spacer or a "
                       u"line end is missing, or this is not a list"_s.arg(
                           counted(length, u"character"), QString::number(kLongestEntry));
            })};
}

EntryFields::EntryFields(QStringView entry) : m_text(entry)
{
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        if (m_text[i] != u' ')
            continue;
        if (m_count < kKept)
            m_starts[size_t(m_count)] = i + 1;
        ++m_count;
    }
}

qsizetype EntryFields::end(int i) const
{
    return i + 1 < m_count && i + 1 < kKept ? start(i + 1) - 1 : m_text.size();
}

EntryKeys entryKeys(const LintRules& rules, const EntryFields& entry)
{
    EntryKeys keys;
    const Shape shape = shapeOf(rules, entry);
    if (shape == Shape::Picture || shape == Shape::Item)
        keys[IdKey] = idNumber(entry.field(0));
    if (shape == Shape::Item)
        keys[AnimationKey] = numberKey(entry.field(kAnimationField));
    return keys;
}

EntryReading readEntry(const LintRules& rules, const EntryFields& entry, QList<LintFinding>& out)
{
    EntryReading read;
    const qsizetype length = entry.text().size();
    switch (shapeOf(rules, entry)) {
    case Shape::Placeholder:
        out.append({0, length, LintRule::Placeholder, said(rules, [&] {
                        return u"the placeholder \"%1\" is still in the list; remove it"_s.arg(
                            rules.placeholder);
                    })});
        break;
    case Shape::Hint:
        out.append({0, length, LintRule::Hint, said(rules, [&] {
                        return u"the entry field's hint \"%1\" was added as an entry"_s.arg(
                            rules.hint);
                    })});
        break;
    case Shape::Miscounted:
        out.append(
            {0, length, LintRule::FieldCount, said(rules, [&] {
                 return rules.list == ListId::Items
                            ? u"the entry has %1, an item needs at least 10: itemhex flag1 "
                              u"flag2 flag3 flag4 weight layer animation height itemName"_s.arg(
                                  fieldCount(entry.count()))
                            : u"the entry has %1, a %2 needs 4: hexid filename.bmp width "
                              u"height"_s.arg(fieldCount(entry.count()), kindName(rules.list));
             })});
        break;
    case Shape::Picture: {
        read.keys[IdKey] = readId(rules, entry, out);
        const QStringView name = entry.field(kNameField);
        if (!endsInBmp(name))
            out.append(at(entry, kNameField, LintRule::PictureName, said(rules, [&] {
                              return u"picture name \"%1\" does not end in .bmp"_s.arg(name);
                          })));
        checkNumber(rules, entry, kWidthField, u"width", out);
        checkNumber(rules, entry, kHeightField, u"height", out);
        read.picture = name;
        break;
    }
    case Shape::Item:
        read.keys[IdKey] = readId(rules, entry, out);
        for (int i = 1; i < kItemFields - 1; ++i)
            if (checkNumber(rules, entry, i, QStringView(kItemNumberNames[i - 1]), out) &&
                i == kLayerField)
                appendLayerFinding(rules, entry, out);
        read.keys[AnimationKey] = numberKey(entry.field(kAnimationField));
        break;
    }
    return read;
}

void appendPictureFindings(const LintRules& rules, const EntryFields& entry,
                           const PictureInfo& picture, const QString& folder,
                           QList<LintFinding>& out)
{
    const QStringView name = entry.field(kNameField);
    if (picture.state == PictureInfo::State::Missing) {
        // Where the folder ignores case (Windows, a FAT stick), a name of
        // another case is found as it is, and this is never said.
        out.append(at(entry, kNameField, LintRule::PicturePresent, said(rules, [&] {
                          const QString where = QDir::cleanPath(folder) == u"."_s
                                                    ? u"the working folder"_s
                                                    : QDir::toNativeSeparators(folder);
                          return picture.otherCase.isEmpty()
                                     ? u"picture \"%1\" is not in %2"_s.arg(name, where)
                                     : u"picture \"%1\" is not in %2, only \"%3\", which differs "
                                       u"in case: the patching tool's system may not mind, Linux "
                                       u"does"_s.arg(name, where, picture.otherCase);
                      })));
        return;
    }
    if (!endsInBmp(name))
        return; // already said; the size of a picture of another kind is beside the point
    if (picture.state == PictureInfo::State::Unreadable) {
        out.append(at(entry, kNameField, LintRule::PictureSize, said(rules, [&] {
                          return u"\"%1\" is not a readable BMP: %2"_s.arg(name, picture.reason);
                      })));
        return;
    }
    const qint64 width = numberValue(entry.field(kWidthField));
    const qint64 height = numberValue(entry.field(kHeightField));
    const bool widthOff = width >= 0 && width != picture.size.width;
    const bool heightOff = height >= 0 && height != picture.size.height;
    if (!widthOff && !heightOff)
        return; // right, or not numbers, which is said already
    const qsizetype from = entry.start(widthOff ? kWidthField : kHeightField);
    out.append({from, entry.end(heightOff ? kHeightField : kWidthField) - from,
                LintRule::PictureSize, said(rules, [&] {
                    // "\"%1\" is %2 x %3 pixels, the entry says %4 x %5", put
                    // together piece by piece: a long list may say it thousands of times.
                    QString message;
                    message.reserve(name.size() + 64);
                    message += u'"';
                    message += name;
                    message += u"\" is "_s;
                    appendNumber(message, picture.size.width);
                    message += u" x "_s;
                    appendNumber(message, picture.size.height);
                    message += u" pixels, the entry says "_s;
                    message += entry.field(kWidthField);
                    message += u" x "_s;
                    message += entry.field(kHeightField);
                    return message;
                })});
}

LintFinding sharedKeyFinding(const LintRules& rules, const EntryFields& entry, KeySlot slot,
                             const EntryFields& owner, TextPoint ownerAt)
{
    const bool id = slot == IdKey;
    const int field = id ? 0 : kAnimationField;
    return at(
        entry, field, id ? LintRule::DuplicateId : LintRule::SharedAnimation, said(rules, [&] {
            return u"%1 %2 is already used by %3 %4 on line %5, column %6"_s.arg(
                id ? u"id"_s : u"animation"_s, entry.field(field), kindName(rules.list),
                owner.field(0), QString::number(ownerAt.line), QString::number(ownerAt.column));
        }));
}

} // namespace scp
