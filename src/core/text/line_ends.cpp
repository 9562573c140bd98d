// Normalising line ends to CR LF, in text and in bytes.

#include "text/line_ends.h"

#include "text/block_scan.h"

#include <algorithm>
#include <type_traits>

namespace scp {

namespace {

// Position of the first CR not followed by LF, or LF not preceded by CR, or
// -1.
template <typename Ch> qsizetype firstLoneBreak(const Ch* data, qsizetype size)
{
    constexpr qsizetype kBlock = 32;
    qsizetype i = 0;
    while (i < size) {
        i = skipPlainBlocks<kBlock>(data, i, size,
                                    [](Ch c) { return c == Ch('\r') || c == Ch('\n'); });
        const qsizetype end = std::min(size, i + kBlock);
        for (; i < end; ++i) {
            if (data[i] == Ch('\r')) {
                if (i + 1 < size && data[i + 1] == Ch('\n'))
                    ++i; // a proper CR LF
                else
                    return i;
            } else if (data[i] == Ch('\n')) {
                return i;
            }
        }
    }
    return -1;
}

template <typename Text> void appendCrlf(Text& out)
{
    if constexpr (std::is_same_v<Text, QString>)
        out.append(u"\r\n");
    else
        out.append("\r\n", 2);
}

template <typename Text, typename Ch> Text normalized(const Text& text, const Ch* data)
{
    const qsizetype size = text.size();
    qsizetype i = firstLoneBreak(data, size);
    if (i < 0)
        return text;

    Text out;
    out.reserve(size + size / 8 + 2);
    out.append(text.left(i));
    for (; i < size; ++i) {
        const Ch c = data[i];
        if (c == Ch('\r')) {
            if (i + 1 < size && data[i + 1] == Ch('\n'))
                ++i;
            appendCrlf(out);
        } else if (c == Ch('\n')) {
            appendCrlf(out);
        } else {
            out.append(c);
        }
    }
    return out;
}

} // namespace

QString normalizeLineEnds(const QString& text)
{
    return normalized(text, reinterpret_cast<const char16_t*>(text.constData()));
}

QByteArray normalizeLineEnds(const QByteArray& bytes)
{
    return normalized(bytes, bytes.constData());
}

} // namespace scp
