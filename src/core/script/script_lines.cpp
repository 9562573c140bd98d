// The import's view of a script: lines, blanks, comments and section titles.

#include "script/script_lines.h"

#include "text/cp1252.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace scp::importing {

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

qsizetype textColumn(QByteArrayView line)
{
    qsizetype column = 0;
    while (column < line.size() && isBlank(line[column]))
        ++column;
    return column + 1;
}

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

Lines::Lines(const QByteArray& bytes, qsizetype from, qsizetype to) : m_bytes(bytes.constData())
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

std::vector<OutsideLine> linesOf(const Lines& lines, qsizetype from, qsizetype to)
{
    std::vector<OutsideLine> out;
    for (qsizetype i = from; i < to; ++i)
        out.push_back({i + 1, lines[i]});
    return out;
}

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

QString linesAfter(qsizetype more)
{
    return more == 1 ? u"the line after it"_s : u"the %1 lines after it"_s.arg(more);
}

} // namespace scp::importing
