// The check of the three lists, one after another.

#include "lint/list_check.h"

#include "lint/whole_list_lint.h"
#include "pictures/bmp_header.h"

#include <algorithm>

namespace scp {

namespace {

// Control characters written as "\xNN": a terminal shown the report takes
// none of them as a command, and a NUL cuts no line short. The C1 controls
// come from the bytes Windows-1252 leaves undefined, each its own code
// point; a terminal may take 0x9B or 0x9D for the start of a command.
// `text` itself where it holds none, as nearly every message does; else
// `buffer`, filled with it so written.
QStringView escapedControls(QStringView text, QString& buffer)
{
    const auto isControl = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    };
    if (std::none_of(text.cbegin(), text.cend(), isControl))
        return text;
    buffer.clear();
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const QChar c : text) {
        if (!isControl(c)) {
            buffer += c;
            continue;
        }
        buffer += QLatin1StringView("\\x");
        buffer += QLatin1Char(kHex[c.unicode() >> 4]);
        buffer += QLatin1Char(kHex[c.unicode() & 0xF]);
    }
    return buffer;
}

// The report is handed on in pieces of about this many characters, each
// ending a line: a whole one would be megabytes of fresh memory, which cost
// more, page by page, than the findings themselves.
constexpr qsizetype kPiece = 64 * 1024;

} // namespace

bool checkLists(const EntryLists& lists, PictureFolder& pictures,
                const std::function<QString(ListId)>& fileName, const ReportWriter& write)
{
    bool found = false;
    QString lines;   // a piece of the report; its memory serves every piece
    QString escaped; // a message with control characters, written as such
    for (const ListId list : kAllLists) {
        QString fileBuffer;
        const QString named = fileName(list);
        const QStringView file = escapedControls(named, fileBuffer);
        const FindingVisitor add = [&](PlacedFinding&& placed) {
            appendWarning(lines, file, placed.point,
                          escapedControls(placed.finding.message, escaped), placed.entry,
                          lintLevel(placed.finding.rule));
            lines += u'\n';
            found = true;
            if (lines.size() >= kPiece) {
                write(lines);
                lines.resize(0);
            }
        };
        // A list loaded from its file is read from the file's bytes as they
        // are, never widened whole.
        const Cp1252Encoding bytes = lists.box(list).encoded();
        if (bytes.ok())
            lintWholeList(bytes.bytes, lintRules(list), &pictures, add);
        else
            lintWholeList(lists.listText(list), lintRules(list), &pictures, add);
    }
    if (!lines.isEmpty())
        write(lines);
    return found;
}

} // namespace scp
