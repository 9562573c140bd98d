// The patch info found among a script's lines outside its lists.

#include "script/patch_lines.h"

#include "text/cp1252.h"

#include <algorithm>

namespace scp::importing {

bool PatchLines::sameAs(const PatchLines& other) const
{
    const auto same = [](const auto& mine, const auto& theirs) { return !mine || mine == theirs; };
    return same(name, other.name) && same(creator, other.creator) && same(godwalk, other.godwalk) &&
           (email.isEmpty() || email == other.email);
}

namespace {

// Where the body of the first section `wanted` starts: the line after its
// "{"; the end when there is none.
size_t bodyStart(const std::vector<OutsideLine>& lines, Section wanted)
{
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
}

bool inBody(const std::vector<OutsideLine>& lines, size_t i)
{
    const QByteArrayView text = trimmed(lines[i].text);
    return text != "}" && sectionOf(text) == Section::None;
}

void findScriptInfo(const std::vector<OutsideLine>& lines, PatchLines& found)
{
    for (size_t i = bodyStart(lines, Section::ScriptInfo); i < lines.size() && inBody(lines, i);
         ++i) {
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
}

void findGodwalk(const std::vector<OutsideLine>& lines, PatchLines& found)
{
    for (size_t i = bodyStart(lines, Section::Godwalk); i < lines.size() && inBody(lines, i); ++i) {
        const QByteArrayView word = trimmed(lines[i].text);
        if (word.isEmpty() || isComment(word))
            continue;
        if (word == "0" || word == "1") {
            found.godwalk = lines[i].text;
            found.isValue[i] = true;
        }
        break;
    }
}

// The value a keyword's line gives: what follows the keyword and one space.
QString valueAfter(QByteArrayView line, QByteArrayView keyword)
{
    const QByteArrayView text = line.sliced(textColumn(line) - 1);
    return decodeCp1252(text.sliced(std::min(text.size(), keyword.size() + 1)));
}

} // namespace

PatchLines findPatchLines(const std::vector<OutsideLine>& lines)
{
    PatchLines found;
    found.isValue.assign(lines.size(), false);
    findScriptInfo(lines, found);
    findGodwalk(lines, found);
    return found;
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

} // namespace scp::importing
