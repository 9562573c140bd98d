// A script read line by line: the sections found by their titles and
// braces, wherever and however they are written.

#include "script/line_import.h"

#include "script/script_lines.h"
#include "script/template_diff.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp::importing {

namespace {

constexpr QByteArrayView kCrLf = "\r\n";

// Where one list's section stands: the lines of SECTION, "{" and "}". The
// "{" may stand on the title's line, and the "}" at the end of the last
// entry's (`closedInline`).
struct SectionLines {
    qsizetype title = -1, open = -1, close = -1;
    bool closedInline = false;
};
using ListSections = std::array<SectionLines, 3>;

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

// The "{" and "}" of the section whose title is line `title`, or why the
// script is refused.
std::optional<ScriptImport> placeSection(const Lines& lines, qsizetype title, ListId list,
                                         SectionLines& section)
{
    const QString name = sectionTitle(list);
    section.title = title;
    qsizetype open = title;
    if (!opensItself(lines[title])) {
        open = title + 1;
        while (open < lines.size() && (isBlankLine(lines[open]) || isComment(lines[open])))
            ++open;
        if (open == lines.size() || trimmed(lines[open]) != "{")
            return refused(title, u"%1 is not opened by a line \"{\""_s.arg(name));
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
                                  u"section"_s.arg(name)
                                      .arg(title + 1));
        if (closing < 0)
            return refused(open, u"%1's \"{\" is never closed by a line \"}\""_s.arg(name));
        close = closing;
        section.closedInline = true;
    }
    section.close = close;
    return std::nullopt;
}

// "no line SECTION TILES, SECTION GUMPS or SECTION ITEMS"; none when all
// three were found.
std::optional<ScriptImport> missingSections(const ListSections& found)
{
    QStringList missing;
    for (ListId list : {ListId::Tiles, ListId::Gumps, ListId::Items}) {
        if (found[size_t(list)].title < 0)
            missing.append(sectionTitle(list));
    }
    if (missing.isEmpty())
        return std::nullopt;
    const QString last = missing.takeLast();
    return ScriptImport{
        std::nullopt, 0,
        u"no line %1"_s.arg(missing.isEmpty() ? last : missing.join(u", "_s) + u" or "_s + last)};
}

// Where the three lists' sections stand; `refusal` is why the script is
// refused, when it is.
ListSections findSections(const Lines& lines, std::optional<ScriptImport>& refusal)
{
    ListSections found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<ListId> list = listOf(sectionOf(lines[i]));
        if (!list)
            continue;
        SectionLines& section = found[size_t(*list)];
        if (section.title >= 0) {
            refusal =
                refused(i, u"%1 a second time (the first is at line %2)"_s.arg(sectionTitle(*list))
                               .arg(section.title + 1));
            return found;
        }
        refusal = placeSection(lines, i, *list, section);
        if (refusal)
            return found;
        i = section.close;
    }
    refusal = missingSections(found);
    return found;
}

// One list's entries: comments go, reported; so do the blank lines at
// either end, which the compile's gaps stand for.
void readList(const Lines& lines, ListId list, const SectionLines& section, ImportedScript& script)
{
    const auto dropped = [&lines](qsizetype i) {
        return isBlankLine(lines[i]) || isComment(lines[i]);
    };
    // The entry before an inline "}" is the list's last line.
    const auto body = [&](qsizetype i) {
        return section.closedInline && i == section.close ? beforeClosingBrace(lines[i]) : lines[i];
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
            return more == 0
                       ? u"left out of the %1 list: the comment %2"_s.arg(name, shown(line.text))
                       : u"left out of the %1 list: the comment %2 and %3"_s.arg(
                             name, shown(line.text), linesAfter(more));
        },
        script.warnings);
}

// The lines around the three bodies, in order.
std::vector<OutsideLine> outsideLines(const Lines& lines, const ListSections& found)
{
    ListSections byPlace = found;
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
    return outside;
}

} // namespace

ScriptImport importByLines(const QByteArray& bytes)
{
    const Lines lines(bytes, 0, bytes.size());
    std::optional<ScriptImport> refusal;
    const ListSections found = findSections(lines, refusal);
    if (refusal)
        return std::move(*refusal);
    ImportedScript script;
    for (ListId list : kAllLists)
        readList(lines, list, found[size_t(list)], script);
    readOutside(outsideLines(lines, found), false, script);
    std::stable_sort(
        script.warnings.begin(), script.warnings.end(),
        [](const ImportWarning& a, const ImportWarning& b) { return a.line < b.line; });
    return {std::move(script), 0, {}};
}

} // namespace scp::importing
