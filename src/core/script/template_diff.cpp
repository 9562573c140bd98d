// What a script's lines outside the lists share, in order, with the
// template's blocks; the rest is what the compile would not write back.

#include "script/template_diff.h"

#include "script/patch_lines.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp::importing {

QByteArray blockBytes(Block block)
{
    return templateText(block).toLatin1(); // the blocks are ASCII
}

namespace {

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

// The three lists' titles are where the compile puts them, in whatever order
// the script has them.
bool isListTitle(QByteArrayView line)
{
    return listOf(sectionOf(line)).has_value();
}

// The lines compared, each as a number that stands for its compared text.
struct ComparedLines {
    std::vector<int> blocks, script;
    std::vector<size_t> where; // index in the script's lines of each compared line
};

ComparedLines compared(const std::vector<OutsideLine>& script, const PatchLines& scriptValues,
                       const std::vector<OutsideLine>& blocks, const PatchLines& blockValues)
{
    ComparedLines out;
    QHash<QByteArrayView, int> ids;
    for (size_t j = 0; j < blocks.size(); ++j) {
        if (blockValues.isValue[j] || isListTitle(blocks[j].text))
            continue;
        auto id = ids.constFind(comparedText(blocks[j].text));
        if (id == ids.constEnd())
            id = ids.insert(comparedText(blocks[j].text), int(ids.size()));
        out.blocks.push_back(id.value());
    }
    for (size_t i = 0; i < script.size(); ++i) {
        if (scriptValues.isValue[i] || isListTitle(script[i].text))
            continue;
        out.where.push_back(i);
        out.script.push_back(ids.value(comparedText(script[i].text), -1));
    }
    return out;
}

// Which script lines are not in the longest run of lines the script shares,
// in order, with the template's. Past kMostCompared lines nothing is
// compared.
std::vector<bool> notShared(const ComparedLines& lines, size_t scriptLines)
{
    const std::vector<int>& a = lines.script;
    const std::vector<int>& b = lines.blocks;
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
    std::vector<bool> leftOut(scriptLines, false);
    size_t i = 0, j = 0;
    while (i < a.size()) {
        if (i < n && j < m && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (i >= n || j >= m || at(i + 1, j) >= at(i, j + 1)) {
            leftOut[lines.where[i++]] = true;
        } else {
            ++j;
        }
    }
    return leftOut;
}

// Outside lines the compile would not write: value lines and the lists'
// titles are left out of the comparison on both sides.
void reportNotKept(const std::vector<OutsideLine>& script, const PatchLines& scriptValues,
                   const std::vector<OutsideLine>& blocks, const PatchLines& blockValues,
                   QList<ImportWarning>& warnings)
{
    const std::vector<bool> leftOut =
        notShared(compared(script, scriptValues, blocks, blockValues), script.size());
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

} // namespace

void readOutside(const std::vector<OutsideLine>& outside, bool headOnly, ImportedScript& script)
{
    const std::vector<OutsideLine>& blocks = templateLines(headOnly);
    const PatchLines blockValues = findPatchLines(blocks);
    const PatchLines values = findPatchLines(outside);
    if (!values.sameAs(blockValues))
        script.patchInfo = patchInfoOf(values);
    reportNotKept(outside, values, blocks, blockValues, script.warnings);
}

} // namespace scp::importing
