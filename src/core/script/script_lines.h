#pragma once

// A script as the import reads it: lines, their blanks and comments, the
// sections' titles, and the warnings that name a run of lines.

#include "script/entry_lists.h"
#include "script/script_import.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace scp::importing {

bool isBlank(char c);
QByteArrayView trimmed(QByteArrayView line);
bool isBlankLine(QByteArrayView line);
bool isComment(QByteArrayView line);
// Where a line's text starts, counted from 1.
qsizetype textColumn(QByteArrayView line);
// A line as the user reads it in a message, cut short when long.
QString shown(QByteArrayView line);
bool startsWithWord(QByteArrayView line, QByteArrayView word);

enum class Section { ScriptInfo, Godwalk, Tiles, Gumps, Items, None };

// "SECTION TILES" and the like, in any case, with spaces or tabs around and
// between the words, and perhaps the section's "{" after them.
Section sectionOf(QByteArrayView line);
// "SECTION TILES {": a title that opens its section on its own line.
bool opensItself(QByteArrayView line);
std::optional<ListId> listOf(Section section);
QString sectionTitle(ListId list);

// The script as lines: each a stretch of the bytes without its line end,
// which is CR LF, a lone CR or a lone LF.
class Lines {
public:
    Lines(const QByteArray& bytes, qsizetype from, qsizetype to);
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

std::vector<OutsideLine> linesOf(const Lines& lines, qsizetype from, qsizetype to);

// Runs of lines left out, one warning each: its first line, and how many
// follow it.
void reportRuns(const std::vector<OutsideLine>& lines, const std::vector<bool>& leftOut,
                const std::function<QString(const OutsideLine&, qsizetype more)>& describe,
                QList<ImportWarning>& warnings);
// "the line after it", "the 3 lines after it"
QString linesAfter(qsizetype more);

} // namespace scp::importing
