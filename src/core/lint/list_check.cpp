// The check of the three lists, each on a thread of its own.

#include "lint/list_check.h"

#include "lint/whole_list_lint.h"
#include "pictures/bmp_header.h"

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>

namespace scp {

namespace {

// Control characters written as "\xNN": a terminal shown the report takes
// none of them as a command, and a NUL cuts no line short. The C1 controls
// come from the bytes Windows-1252 leaves undefined, each its own code
// point; a terminal may take 0x9B or 0x9D for the start of a command.
QString escapedControls(const QString& text)
{
    const auto isControl = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    };
    if (std::none_of(text.cbegin(), text.cend(), isControl))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const QChar c : text) {
        if (!isControl(c)) {
            out += c;
            continue;
        }
        out += QLatin1StringView("\\x");
        out += QLatin1Char(kHex[c.unicode() >> 4]);
        out += QLatin1Char(kHex[c.unicode() & 0xF]);
    }
    return out;
}

// The bytes of a list worth a thread of its own: some milliseconds' reading.
constexpr qsizetype kOwnThread = 512 * 1024;

// A report is handed on in pieces of about this many characters, each
// ending a line: a whole one would be megabytes of fresh memory, which cost
// more, page by page, than the findings themselves.
constexpr qsizetype kPiece = 16 * 1024;

void writeInPieces(QStringView lines, const ReportWriter& write)
{
    while (!lines.isEmpty()) {
        const qsizetype lineEnd = lines.size() > kPiece ? lines.indexOf(u'\n', kPiece) : -1;
        const qsizetype end = lineEnd < 0 ? lines.size() : lineEnd + 1;
        write(lines.first(end));
        lines = lines.sliced(end);
    }
}

} // namespace

bool checkLists(const EntryLists& lists, PictureFolder& pictures,
                const std::function<QString(ListId)>& fileName, const ReportWriter& write)
{
    // A list loaded from its file is read from the file's bytes as they
    // are, never widened whole.
    std::array<Cp1252Encoding, 3> encoded;
    for (const ListId list : kAllLists)
        encoded[static_cast<size_t>(list)] = lists.box(list).encoded();
    std::array<QString, 3> reports;
    std::array<bool, 3> found{};
    // With `direct`, the findings go to it as they come, in pieces;
    // without, they are kept for later.
    const auto check = [&](ListId list, const ReportWriter* direct) {
        const QString file = escapedControls(fileName(list));
        QString& lines = reports[static_cast<size_t>(list)];
        const FindingVisitor add = [&](PlacedFinding&& placed) {
            appendWarning(lines, file, placed.point, escapedControls(placed.finding.message),
                          placed.entry, lintLevel(placed.finding.rule));
            lines += u'\n';
            found[static_cast<size_t>(list)] = true;
            if (direct && lines.size() >= kPiece) {
                (*direct)(lines);
                lines.resize(0); // its memory kept for the next piece
            }
        };
        const Cp1252Encoding& bytes = encoded[static_cast<size_t>(list)];
        if (bytes.ok())
            lintWholeList(bytes.bytes, lintRules(list), &pictures, add);
        else
            lintWholeList(lists.listText(list), lintRules(list), &pictures, add);
        if (direct && !lines.isEmpty())
            (*direct)(lines);
    };
    // The lists share nothing but the pictures, so long ones are read side
    // by side: a check of long lists takes the longest list's time, not the
    // sum. A short one is read here, as a thread of its own would cost more
    // than it saves. The gumps, first in the report, are read here and
    // written as they are read; a list read apart is written once it and
    // the lists before it are.
    std::array<QSemaphore, 3> done;
    std::array<bool, 3> apart{};
    for (const ListId list : {ListId::Tiles, ListId::Items}) {
        const auto i = static_cast<size_t>(list);
        apart[i] = encoded[i].bytes.size() >= kOwnThread &&
                   QThreadPool::globalInstance()->tryStart([&check, &done, list] {
                       check(list, nullptr);
                       done[static_cast<size_t>(list)].release();
                   });
    }
    for (const ListId list : kAllLists) {
        const auto i = static_cast<size_t>(list);
        if (!apart[i]) {
            check(list, &write);
            continue;
        }
        done[i].acquire();
        writeInPieces(reports[i], write);
    }
    return std::find(found.cbegin(), found.cend(), true) != found.cend();
}

} // namespace scp
