// The lists of a compiled script are what stands between its fixed blocks.

#include "script/exact_import.h"

#include "script/template_diff.h"
#include "text/line_ends.h"

namespace scp::importing {

namespace {

constexpr QByteArrayView kCrLf = "\r\n";

// The bytes without the line ends at their very end.
QByteArrayView withoutLineEndsAtEnd(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && (bytes.back() == '\r' || bytes.back() == '\n'))
        bytes.chop(1);
    return bytes;
}

// Whether the bytes end with `block`, blank lines some editors add after it
// aside: they are nothing lost.
bool endsWithBlock(QByteArrayView bytes, QByteArrayView block)
{
    return withoutLineEndsAtEnd(bytes).endsWith(withoutLineEndsAtEnd(block));
}

} // namespace

bool endsWithChangedTail(QByteArrayView bytes)
{
    static const QByteArray tail = blockBytes(Block::Tail);
    static const QByteArray tailLf = QByteArray(tail).replace("\r\n", "\n");
    static const QByteArray tailCr = QByteArray(tail).replace("\r\n", "\r");
    return endsWithBlock(bytes, tailLf) || endsWithBlock(bytes, tailCr);
}

std::optional<ImportedScript> importExactly(const QByteArray& bytes)
{
    static const QByteArray gap = blockBytes(Block::Gap);
    static const QByteArray opening = "\r\nSECTION TILES\r\n{\r\n" + gap;
    static const QByteArray gumps = gap + blockBytes(Block::GumpsHead) + gap;
    static const QByteArray items = gap + blockBytes(Block::ItemsHead) + gap;
    static const QByteArray tail = gap + blockBytes(Block::Tail);

    const qsizetype open = bytes.indexOf(opening);
    if (open < 0 || !endsWithBlock(bytes, tail))
        return std::nullopt;
    const qsizetype tilesStart = open + opening.size();
    const qsizetype tilesEnd = bytes.indexOf(gumps, tilesStart);
    if (tilesEnd < 0)
        return std::nullopt;
    const qsizetype gumpsStart = tilesEnd + gumps.size();
    const qsizetype gumpsEnd = bytes.indexOf(items, gumpsStart);
    const qsizetype itemsEnd = withoutLineEndsAtEnd(bytes).size() - (tail.size() - kCrLf.size());
    if (gumpsEnd < 0 || gumpsEnd + items.size() > itemsEnd)
        return std::nullopt;

    // A list holds CR LF line ends only, whatever an editor did to the file.
    ImportedScript script;
    const auto list = [&](ListId id, qsizetype from, qsizetype to) {
        script.lists[size_t(id)] = normalizeLineEnds(bytes.sliced(from, to - from));
    };
    list(ListId::Tiles, tilesStart, tilesEnd);
    list(ListId::Gumps, gumpsStart, gumpsEnd);
    list(ListId::Items, gumpsEnd + items.size(), itemsEnd);

    // The head ends with the "{" line opening the tiles.
    const qsizetype headEnd = open + opening.size() - gap.size();
    const Lines head(bytes, 0, headEnd);
    readOutside(linesOf(head, 0, head.size()), true, script);
    return script;
}

} // namespace scp::importing
