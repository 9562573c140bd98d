// Windows-1252 by a table of our own, both ways.

#include "text/cp1252.h"

#include "text/block_scan.h"

#include <QChar>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Bytes 0x80 .. 0x9F. Every other byte stands for the Unicode character of
// the same number. The five bytes the code page leaves undefined map to the
// C1 control of their own number, so no byte is ever lost on a round trip.
constexpr std::array<char16_t, 32> kHighRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr std::array<char16_t, 256> kDecode = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<char16_t>(b);
    for (int i = 0; i < 32; ++i)
        table[0x80 + i] = kHighRange[i];
    return table;
}();

// Encoding tables: byte for each character of U+0000 .. U+02FF and of
// U+2000 .. U+21FF, the only two ranges that hold characters of the code
// page; 0 marks a character with no byte (U+0000 itself is handled apart).
// 1.25 KB in all, so both stay in the first-level cache.
constexpr char16_t kGeneralPunctuation = 0x2000;

constexpr std::array<unsigned char, 0x300> kEncodeLow = [] {
    std::array<unsigned char, 0x300> table{};
    for (int b = 0; b < 256; ++b) {
        if (kDecode[b] < 0x300)
            table[kDecode[b]] = static_cast<unsigned char>(b);
    }
    return table;
}();

constexpr std::array<unsigned char, 0x200> kEncodePunctuation = [] {
    std::array<unsigned char, 0x200> table{};
    for (int b = 0; b < 256; ++b) {
        if (kDecode[b] >= kGeneralPunctuation && kDecode[b] < kGeneralPunctuation + 0x200)
            table[kDecode[b] - kGeneralPunctuation] = static_cast<unsigned char>(b);
    }
    return table;
}();

constexpr bool encodeTablesInvertDecode()
{
    for (int b = 0; b < 256; ++b) {
        const char16_t ch = kDecode[b];
        const int back = ch < 0x300 ? kEncodeLow[ch] : kEncodePunctuation[ch - kGeneralPunctuation];
        if (back != b)
            return false;
    }
    return true;
}
static_assert(encodeTablesInvertDecode(), "every byte must encode back to itself");

// The byte for a character, or -1.
inline int byteFor(char16_t ch)
{
    unsigned char byte = 0;
    if (ch < 0x300)
        byte = kEncodeLow[ch];
    else if (static_cast<char16_t>(ch - kGeneralPunctuation) < 0x200)
        byte = kEncodePunctuation[ch - kGeneralPunctuation];
    return byte != 0 || ch == 0 ? byte : -1;
}

QString codePointText(char32_t codePoint)
{
    return u"U+"_s + QString::number(codePoint, 16).toUpper().rightJustified(4, u'0');
}

} // namespace

void decodeCp1252To(QByteArrayView bytes, QChar* out)
{
    const qsizetype size = bytes.size();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < size; ++i)
        out[i] = QChar(kDecode[in[i]]);
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    decodeCp1252To(bytes, text.data());
    return text;
}

qsizetype encodeCp1252To(QStringView text, char* out)
{
    const qsizetype size = text.size();
    const char16_t* in = text.utf16();

    // Scripts are nearly all ASCII: runs of it are copied without a look-up.
    constexpr qsizetype kBlock = 16;
    qsizetype i = 0;
    while (i < size) {
        const qsizetype plainEnd =
            skipPlainBlocks<kBlock>(in, i, size, [](char16_t c) { return c >= 0x80; });
        for (; i < plainEnd; ++i)
            out[i] = static_cast<char>(in[i]);
        const qsizetype end = std::min(size, i + kBlock);
        for (; i < end; ++i) {
            const int byte = byteFor(in[i]);
            if (byte < 0)
                return i;
            out[i] = static_cast<char>(byte);
        }
    }
    return -1;
}

Cp1252Encoding encodeCp1252(QStringView text)
{
    Cp1252Encoding result;
    result.bytes = QByteArray(text.size(), Qt::Uninitialized);
    result.badIndex = encodeCp1252To(text, result.bytes.data());
    if (!result.ok())
        result.bytes.clear(); // half-encoded bytes must never reach a file
    return result;
}

QString describeCharacterAt(QStringView text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return u"no character at position %1"_s.arg(index);

    // A character beyond U+FFFF takes two code units; name it whole, whichever
    // half the index points at.
    qsizetype start = index;
    if (text[start].isLowSurrogate() && start > 0 && text[start - 1].isHighSurrogate())
        --start;
    char32_t codePoint = text[start].unicode();
    qsizetype length = 1;
    if (text[start].isHighSurrogate() && start + 1 < text.size() &&
        text[start + 1].isLowSurrogate()) {
        codePoint = QChar::surrogateToUcs4(text[start], text[start + 1]);
        length = 2;
    }

    const QStringView before = text.first(start);
    const qsizetype line = before.count(u'\n') + 1;
    const qsizetype lineStart = before.lastIndexOf(u'\n') + 1;
    // Columns count characters as a person sees them: a pair is one column.
    qsizetype column = start - lineStart + 1;
    for (qsizetype i = lineStart + 1; i < start; ++i) {
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            --column;
    }

    const QString where = u"at line %1, column %2"_s.arg(line).arg(column);
    // Controls and lone surrogates would show as nothing (or break the
    // message), so they get their code point alone.
    if (!QChar::isPrint(codePoint) || QChar::isSurrogate(codePoint))
        return codePointText(codePoint) + u' ' + where;
    return u"\"%1\" (%2) %3"_s.arg(text.sliced(start, length).toString(), codePointText(codePoint),
                                   where);
}

} // namespace scp
