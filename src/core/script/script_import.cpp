// A script back into its lists and patch info: its sections found by exact
// blocks where the compile wrote it, by lines where something else did.

#include "script/script_import.h"

#include "files/file_reading.h"
#include "lint/lint.h"
#include "script/templates.h"
#include "text/cp1252.h"
#include "text/line_ends.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

constexpr QByteArrayView kCrLf = "\r\n";

QByteArray blockBytes(Block block)
{
    return templateText(block).toLatin1(); // the blocks are ASCII
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView line)
{
    while (!line.isEmpty() && isBlank(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isBlank(line.back()))
        line.chop(1);
    return line;
}

bool isBlankLine(QByteArrayView line)
{
    return trimmed(line).isEmpty();
}

bool isComment(QByteArrayView line)
{
    return trimmed(line).startsWith("//");
}

// Where a line's text starts, counted from 1.
qsizetype textColumn(QByteArrayView line)
{
    qsizetype column = 0;
    while (column < line.size() && isBlank(line[column]))
        ++column;
    return column + 1;
}

// A line as the user reads it in a message, cut short when long.
QString shown(QByteArrayView line)
{
    constexpr qsizetype kLongest = 60;
    const QByteArrayView text = trimmed(line);
    if (text.size() <= kLongest)
        return u'"' + decodeCp1252(text) + u'"';
    return u'"' + decodeCp1252(text.first(kLongest)) + u"...\""_s;
}

bool startsWithWord(QByteArrayView line, QByteArrayView word)
{
    return line.size() >= word.size() &&
           QByteArrayView(line.first(word.size())).compare(word, Qt::CaseInsensitive) == 0 &&
           (line.size() == word.size() || isBlank(line[word.size()]));
}

enum class Section { ScriptInfo, Godwalk, Tiles, Gumps, Items, None };

// "SECTION TILES" and the like, in any case, with spaces or tabs around and
// between the words, and perhaps the section's "{" after them.
Section sectionOf(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (!startsWithWord(text, "SECTION"))
        return Section::None;
    QByteArrayView name = trimmed(text.sliced(7));
    if (name.endsWith('{'))
        name = trimmed(name.chopped(1));
    constexpr std::array<std::pair<const char*, Section>, 5> kNames{{
        {"SCRIPTINFO", Section::ScriptInfo},
        {"GODWALK", Section::Godwalk},
        {"TILES", Section::Tiles},
        {"GUMPS", Section::Gumps},
        {"ITEMS", Section::Items},
    }};
    for (const auto& [spelled, section] : kNames) {
        if (name.compare(spelled, Qt::CaseInsensitive) == 0)
            return section;
    }
    return Section::None;
}

// "SECTION TILES {": a title that opens its section on its own line.
bool opensItself(QByteArrayView line)
{
    return sectionOf(line) != Section::None && trimmed(line).endsWith('{');
}

std::optional<ListId> listOf(Section section)
{
    switch (section) {
    case Section::Tiles:
        return ListId::Tiles;
    case Section::Gumps:
        return ListId::Gumps;
    case Section::Items:
        return ListId::Items;
    default:
        return std::nullopt;
    }
}

QString sectionTitle(ListId list)
{
    return u"SECTION "_s + listName(list).toUpper();
}

// The script as lines: each a stretch of the bytes without its line end,
// which is CR LF, a lone CR or a lone LF.
class Lines {
public:
    Lines(const QByteArray& bytes, qsizetype from, qsizetype to) : m_bytes(bytes.constData())
    {
        // The next CR and the next LF, each looked for again only once
        // passed, so that a file of either kind is read once.
        const auto next = [&](char c, qsizetype at) {
            const void* found = std::memchr(m_bytes + at, c, size_t(to - at));
            return found ? static_cast<const char*>(found) - m_bytes : to;
        };
        qsizetype cr = next('\r', from), lf = next('\n', from);
        for (qsizetype start = from; start < to;) {
            if (cr < start)
                cr = next('\r', start);
            if (lf < start)
                lf = next('\n', start);
            const qsizetype end = std::min(cr, lf);
            m_spans.push_back({start, end});
            start = end == cr && lf == cr + 1 ? end + 2 : end + 1;
        }
    }
    qsizetype size() const { return qsizetype(m_spans.size()); }
    QByteArrayView operator[](qsizetype i) const
    {
        const auto& [start, end] = m_spans[size_t(i)];
        return {m_bytes + start, end - start};
    }

private:
    const char* m_bytes;
    std::vector<std::pair<qsizetype, qsizetype>> m_spans;
};

// A line outside the three lists, with its number (from 1).
struct OutsideLine {
    qsizetype number;
    QByteArrayView text;
};

// The patch info's lines as a script has them, and which of its outside
// lines they are.
struct PatchLines {
    std::optional<QByteArrayView> name, creator, godwalk;
    QList<QByteArrayView> email; // the EMAIL line and its "&" lines
    std::vector<bool> isValue;   // by outside line

    bool sameAs(const PatchLines& other) const
    {
        const auto same = [](const auto& mine, const auto& theirs) {
            return !mine || mine == theirs;
        };
        return same(name, other.name) && same(creator, other.creator) &&
               same(godwalk, other.godwalk) && (email.isEmpty() || email == other.email);
    }
};

// Finds SCRIPTINFO's NAME, CREATOR and EMAIL lines and GODWALK's digit among
// `lines`, the first of each section only.
PatchLines findPatchLines(const std::vector<OutsideLine>& lines)
{
    PatchLines found;
    found.isValue.assign(lines.size(), false);
    const auto bodyStart = [&](Section wanted) -> size_t {
        size_t i = 0;
        while (i < lines.size() && sectionOf(lines[i].text) != wanted)
            ++i;
        if (i < lines.size() && opensItself(lines[i].text))
            return i + 1;
        for (++i; i < lines.size(); ++i) {
            if (trimmed(lines[i].text) == "{")
                return i + 1;
            if (!isBlankLine(lines[i].text) && !isComment(lines[i].text))
                break;
        }
        return lines.size();
    };
    const auto inBody = [&](size_t i) {
        const QByteArrayView text = trimmed(lines[i].text);
        return text != "}" && sectionOf(text) == Section::None;
    };

    for (size_t i = bodyStart(Section::ScriptInfo); i < lines.size() && inBody(i); ++i) {
        const QByteArrayView text = lines[i].text;
        const QByteArrayView word = trimmed(text);
        if (!found.name && startsWithWord(word, "NAME")) {
            found.name = text;
        } else if (!found.creator && startsWithWord(word, "CREATOR")) {
            found.creator = text;
        } else if (found.email.isEmpty() && startsWithWord(word, "EMAIL")) {
            found.email.append(text);
            // Its "&" lines go on with the addresses.
            while (i + 1 < lines.size() && trimmed(lines[i + 1].text).startsWith('&')) {
                found.isValue[i] = true;
                found.email.append(lines[++i].text);
            }
        } else {
            continue;
        }
        found.isValue[i] = true;
    }
    for (size_t i = bodyStart(Section::Godwalk); i < lines.size() && inBody(i); ++i) {
        const QByteArrayView word = trimmed(lines[i].text);
        if (word.isEmpty() || isComment(word))
            continue;
        if (word == "0" || word == "1") {
            found.godwalk = lines[i].text;
            found.isValue[i] = true;
        }
        break;
    }
    return found;
}

// The value a keyword's line gives: what follows the keyword and one space.
QString valueAfter(QByteArrayView line, QByteArrayView keyword)
{
    const QByteArrayView text = line.sliced(textColumn(line) - 1);
    return decodeCp1252(text.sliced(std::min(text.size(), keyword.size() + 1)));
}

PatchInfo patchInfoOf(const PatchLines& lines)
{
    PatchInfo info = PatchInfo::defaults();
    if (lines.name)
        info.name = valueAfter(*lines.name, "NAME");
    if (lines.creator)
        info.creator = valueAfter(*lines.creator, "CREATOR");
    if (!lines.email.isEmpty()) {
        info.email = valueAfter(lines.email.front(), "EMAIL");
        for (qsizetype i = 1; i < lines.email.size(); ++i)
            info.email += decodeCp1252(lines.email[i]);
    }
    if (lines.godwalk)
        info.server = trimmed(*lines.godwalk) == "1";
    return info;
}

// Runs of lines left out, one warning each: its first line, and how many
// follow it.
void reportRuns(const std::vector<OutsideLine>& lines, const std::vector<bool>& leftOut,
                const std::function<QString(const OutsideLine&, qsizetype more)>& describe,
                QList<ImportWarning>& warnings)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!leftOut[i])
            continue;
        size_t last = i;
        while (last + 1 < lines.size() && leftOut[last + 1] &&
               lines[last + 1].number == lines[last].number + 1)
            ++last;
        warnings.append(
            {lines[i].number, textColumn(lines[i].text), describe(lines[i], qsizetype(last - i))});
        i = last;
    }
}

// A line as it is compared with the template's: a section's title and its
// braces as the compile spells them, however the script spells them.
QByteArrayView comparedText(QByteArrayView line)
{
    switch (sectionOf(line)) {
    case Section::ScriptInfo:
        return "SECTION SCRIPTINFO";
    case Section::Godwalk:
        return "SECTION GODWALK";
    case Section::Tiles:
        return "SECTION TILES";
    case Section::Gumps:
        return "SECTION GUMPS";
    case Section::Items:
        return "SECTION ITEMS";
    case Section::None:
        break;
    }
    const QByteArrayView text = trimmed(line);
    return text == "{" || text == "}" ? text : line;
}

// "the line after it", "the 3 lines after it"
QString linesAfter(qsizetype more)
{
    return more == 1 ? u"the line after it"_s : u"the %1 lines after it"_s.arg(more);
}

// The three lists' titles are where the compile puts them, in whatever order
// the script has them.
bool isListTitle(QByteArrayView line)
{
    return listOf(sectionOf(line)).has_value();
}

// Outside lines the compile would not write: those not in the longest run
// of lines the script shares, in order, with the template's. Value lines
// and the lists' titles are left out on both sides. Past kMostCompared lines nothing is compared.
void reportNotKept(const std::vector<OutsideLine>& script, const PatchLines& scriptValues,
                   const std::vector<OutsideLine>& blocks, const PatchLines& blockValues,
                   QList<ImportWarning>& warnings)
{
    QHash<QByteArrayView, int> ids;
    std::vector<int> b;
    for (size_t j = 0; j < blocks.size(); ++j) {
        if (blockValues.isValue[j] || isListTitle(blocks[j].text))
            continue;
        auto id = ids.constFind(comparedText(blocks[j].text));
        if (id == ids.constEnd())
            id = ids.insert(comparedText(blocks[j].text), int(ids.size()));
        b.push_back(id.value());
    }
    std::vector<size_t> where; // index in `script` of each compared line
    std::vector<int> a;
    for (size_t i = 0; i < script.size(); ++i) {
        if (scriptValues.isValue[i] || isListTitle(script[i].text))
            continue;
        where.push_back(i);
        a.push_back(ids.value(comparedText(script[i].text), -1));
    }
    constexpr size_t kMostCompared = 50'000;
    const size_t n = std::min(a.size(), kMostCompared), m = b.size();
    // Lengths of the longest common runs of a[i..] and b[j..]; m is small
    // (the template's lines), so they fit a byte.
    std::vector<quint8> lcs((n + 1) * (m + 1), 0);
    const auto at = [&](size_t i, size_t j) -> quint8& { return lcs[i * (m + 1) + j]; };
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;)
            at(i, j) =
                a[i] == b[j] ? quint8(at(i + 1, j + 1) + 1) : std::max(at(i + 1, j), at(i, j + 1));
    }
    std::vector<bool> leftOut(script.size(), false);
    size_t i = 0, j = 0;
    while (i < a.size()) {
        if (i < n && j < m && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (i >= n || j >= m || at(i + 1, j) >= at(i, j + 1)) {
            leftOut[where[i++]] = true;
        } else {
            ++j;
        }
    }
    reportRuns(
        script, leftOut,
        [](const OutsideLine& line, qsizetype more) {
            return more == 0 ? u"not kept: the compiled script has no line %1 here"_s.arg(
                                   shown(line.text))
                             : u"not kept: the compiled script has no line %1 here, nor "
                               u"%2"_s.arg(shown(line.text), linesAfter(more));
        },
        warnings);
}

std::vector<OutsideLine> linesOf(const Lines& lines, qsizetype from, qsizetype to)
{
    std::vector<OutsideLine> out;
    for (qsizetype i = from; i < to; ++i)
        out.push_back({i + 1, lines[i]});
    return out;
}

// The four blocks around the lists, as lines.
const std::vector<OutsideLine>& templateLines(bool headOnly)
{
    static const QByteArray head = blockBytes(Block::Head);
    static const QByteArray all = head + blockBytes(Block::GumpsHead) +
                                  blockBytes(Block::ItemsHead) + blockBytes(Block::Tail);
    static const Lines headLines(head, 0, head.size());
    static const Lines allLines(all, 0, all.size());
    static const std::vector<OutsideLine> headOnlyLines = linesOf(headLines, 0, headLines.size());
    static const std::vector<OutsideLine> allBlockLines = linesOf(allLines, 0, allLines.size());
    return headOnly ? headOnlyLines : allBlockLines;
}

// The patch info and what is not kept, from the lines outside the lists;
// `headOnly` when they are the head's alone (the other blocks being the
// template's exactly).
void readOutside(const std::vector<OutsideLine>& outside, bool headOnly, ImportedScript& script)
{
    const std::vector<OutsideLine>& blocks = templateLines(headOnly);
    const PatchLines blockValues = findPatchLines(blocks);
    const PatchLines values = findPatchLines(outside);
    if (!values.sameAs(blockValues))
        script.patchInfo = patchInfoOf(values);
    reportNotKept(outside, values, blocks, blockValues, script.warnings);
}

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

// A script the compile wrote: the blocks around the lists are the
// template's (the head's patch info lines aside), so the lists are exactly
// what stands between them, whatever they hold. Nothing when the script is
// not so made.
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

// Where one list's section stands: the lines of SECTION, "{" and "}". The
// "{" may stand on the title's line, and the "}" at the end of the last
// entry's (`closedInline`).
struct SectionLines {
    qsizetype title = -1, open = -1, close = -1;
    bool closedInline = false;
};

// A line that ends in "}" after an entry: the entry, without it.
QByteArrayView beforeClosingBrace(QByteArrayView line)
{
    return trimmed(trimmed(line).chopped(1));
}

// The last line before `end`, after `open`, that ends in "}" after an entry;
// -1 when none does. Only a section with no line "}" of its own is closed
// there: an entry may end in "}".
qsizetype inlineClose(const Lines& lines, qsizetype open, qsizetype end)
{
    for (qsizetype i = end; i-- > open + 1;) {
        if (isBlankLine(lines[i]) || isComment(lines[i]))
            continue;
        return trimmed(lines[i]).endsWith('}') ? i : -1;
    }
    return -1;
}

ScriptImport refused(qsizetype index, const QString& problem)
{
    return {std::nullopt, index + 1, problem};
}

// Any other script, read line by line.
ScriptImport importByLines(const QByteArray& bytes)
{
    const Lines lines(bytes, 0, bytes.size());
    std::array<SectionLines, 3> found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<ListId> list = listOf(sectionOf(lines[i]));
        if (!list)
            continue;
        SectionLines& section = found[size_t(*list)];
        const QString title = sectionTitle(*list);
        if (section.title >= 0)
            return refused(i, u"%1 a second time (the first is at line %2)"_s.arg(title).arg(
                                  section.title + 1));
        section.title = i;
        qsizetype open = i;
        if (!opensItself(lines[i])) {
            open = i + 1;
            while (open < lines.size() && (isBlankLine(lines[open]) || isComment(lines[open])))
                ++open;
            if (open == lines.size() || trimmed(lines[open]) != "{")
                return refused(i, u"%1 is not opened by a line \"{\""_s.arg(title));
        }
        section.open = open;
        qsizetype close = open + 1;
        while (close < lines.size() && trimmed(lines[close]) != "}" &&
               sectionOf(lines[close]) == Section::None)
            ++close;
        if (close == lines.size() || trimmed(lines[close]) != "}") {
            const qsizetype closing = inlineClose(lines, open, close);
            if (closing < 0 && close < lines.size())
                return refused(close, u"%1 (line %2) is not closed by a line \"}\" before this "
                                      u"section"_s.arg(title)
                                          .arg(i + 1));
            if (closing < 0)
                return refused(open, u"%1's \"{\" is never closed by a line \"}\""_s.arg(title));
            close = closing;
            section.closedInline = true;
        }
        section.close = close;
        i = close;
    }
    QStringList missing;
    for (ListId list : {ListId::Tiles, ListId::Gumps, ListId::Items}) {
        if (found[size_t(list)].title < 0)
            missing.append(sectionTitle(list));
    }
    if (!missing.isEmpty()) {
        const QString last = missing.takeLast();
        return {std::nullopt, 0,
                u"no line %1"_s.arg(missing.isEmpty() ? last
                                                      : missing.join(u", "_s) + u" or "_s + last)};
    }

    ImportedScript script;
    for (ListId list : kAllLists) {
        const SectionLines& section = found[size_t(list)];
        // Comments go; so do the blank lines at either end, which the
        // compile's gaps stand for.
        const auto dropped = [&lines](qsizetype i) {
            return isBlankLine(lines[i]) || isComment(lines[i]);
        };
        // The entry before an inline "}" is the list's last line.
        const auto body = [&](qsizetype i) {
            return section.closedInline && i == section.close ? beforeClosingBrace(lines[i])
                                                              : lines[i];
        };
        qsizetype first = section.open + 1, last = section.close + (section.closedInline ? 1 : 0);
        while (first < last && dropped(first))
            ++first;
        while (last > first && dropped(last - 1))
            --last;
        std::vector<OutsideLine> comments;
        for (qsizetype i = section.open + 1; i < section.close; ++i) {
            if ((i < first || i >= last) && isComment(lines[i]))
                comments.push_back({i + 1, lines[i]});
        }
        QByteArray& text = script.lists[size_t(list)];
        if (first < last)
            text.reserve(lines[last - 1].end() - lines[first].begin());
        for (qsizetype i = first; i < last; ++i) {
            const QByteArrayView line = body(i);
            if (isComment(line)) {
                comments.push_back({i + 1, line});
                continue;
            }
            if (i > first)
                text += kCrLf;
            text += line;
        }
        std::sort(comments.begin(), comments.end(),
                  [](const OutsideLine& a, const OutsideLine& b) { return a.number < b.number; });
        const QString name = listName(list);
        reportRuns(
            comments, std::vector<bool>(comments.size(), true),
            [&name](const OutsideLine& line, qsizetype more) {
                return more == 0 ? u"left out of the %1 list: the comment %2"_s.arg(
                                       name, shown(line.text))
                                 : u"left out of the %1 list: the comment %2 and %3"_s.arg(
                                       name, shown(line.text), linesAfter(more));
            },
            script.warnings);
    }
    // The lines around the three bodies, in order.
    std::array<SectionLines, 3> byPlace = found;
    std::sort(byPlace.begin(), byPlace.end(),
              [](const SectionLines& a, const SectionLines& b) { return a.open < b.open; });
    std::vector<OutsideLine> outside;
    // An inline "}" stands for its line outside the list.
    const auto outsideText = [&](qsizetype i) {
        for (const SectionLines& section : found) {
            if (section.closedInline && i == section.close)
                return trimmed(lines[i]).last(1);
        }
        return lines[i];
    };
    qsizetype from = 0;
    for (const SectionLines& section : byPlace) {
        for (qsizetype i = from; i <= section.open; ++i)
            outside.push_back({i + 1, outsideText(i)});
        from = section.close;
    }
    for (qsizetype i = from; i < lines.size(); ++i)
        outside.push_back({i + 1, outsideText(i)});
    readOutside(outside, false, script);
    std::stable_sort(
        script.warnings.begin(), script.warnings.end(),
        [](const ImportWarning& a, const ImportWarning& b) { return a.line < b.line; });
    return {std::move(script), 0, {}};
}

} // namespace

bool isCompiledScript(const QByteArray& bytes)
{
    // As the compile wrote it: one whose line ends another program changed
    // was changed, and is asked about.
    return importExactly(bytes).has_value();
}

ScriptImport importScript(const QByteArray& bytes)
{
    if (std::optional<ImportedScript> exact = importExactly(bytes))
        return {std::move(exact), 0, {}};
    // A script the compile wrote whose line ends were changed on the way
    // (LF alone, say) is still found whole once they are CR LF again, as
    // its lists hold them. Only such a script, ending with the Tail, pays
    // for the copy.
    static const QByteArray tail = blockBytes(Block::Tail);
    static const QByteArray tailLf = QByteArray(tail).replace("\r\n", "\n");
    static const QByteArray tailCr = QByteArray(tail).replace("\r\n", "\r");
    if (endsWithBlock(bytes, tailLf) || endsWithBlock(bytes, tailCr)) {
        if (std::optional<ImportedScript> exact = importExactly(normalizeLineEnds(bytes)))
            return {std::move(exact), 0, {}};
    }
    return importByLines(bytes);
}

ScriptFileImport importScriptFile(const QString& path)
{
    FileBytes read = readFileBytes(path);
    if (!read.outcome)
        return {{}, read.outcome};
    ScriptImport imported = importScript(read.bytes);
    read.bytes.clear();
    if (!imported.script) {
        const QString where =
            imported.errorLine > 0 ? u"line %1: "_s.arg(imported.errorLine) : QString();
        return {{},
                Outcome::failure(u"Could not import \"%1\": %2%3"_s.arg(
                    QDir::toNativeSeparators(path), where, imported.error))};
    }
    return {std::move(*imported.script), {}};
}

QString describeImportWarning(const QString& script, const ImportWarning& warning)
{
    return formatWarning(script, {warning.line, warning.column}, warning.message);
}

qsizetype importedEntryCount(ListId list, const QByteArray& bytes)
{
    ListLint lint(lintRules(list));
    lint.setText(decodeCp1252(bytes));
    qsizetype count = lint.entryCount();
    const QList<LintFinding> first = lint.findings(0, 1);
    if (std::ranges::any_of(first,
                            [](const LintFinding& f) { return f.rule == LintRule::Placeholder; }))
        --count;
    return count;
}

} // namespace scp
