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

} // namespace

std::array<QString, 3> checkLists(const EntryLists& lists, PictureFolder& pictures,
                                  const std::function<QString(ListId)>& fileName)
{
    std::array<QString, 3> reports;
    const auto check = [&](ListId list) {
        const QString file = escapedControls(fileName(list));
        // A list loaded from its file is read from the file's bytes as they
        // are, never widened whole.
        const Cp1252Encoding bytes = lists.box(list).encoded();
        const QList<PlacedFinding> found =
            bytes.ok() ? lintWholeList(bytes.bytes, lintRules(list), &pictures)
                       : lintWholeList(lists.listText(list), lintRules(list), &pictures);
        QString& lines = reports[static_cast<size_t>(list)];
        for (const auto& [finding, point, entry] : found)
            lines += formatWarning(file, point, escapedControls(finding.message), entry,
                                   lintLevel(finding.rule)) +
                     u'\n';
    };
    // The lists share nothing but the pictures, so they are read side by
    // side: a check of long lists takes the longest list's time, not the sum.
    QSemaphore done;
    int started = 0;
    for (ListId list : {ListId::Tiles, ListId::Items}) {
        if (QThreadPool::globalInstance()->tryStart([&check, &done, list] {
                check(list);
                done.release();
            }))
            ++started;
        else
            check(list); // with no thread free, here
    }
    check(ListId::Gumps);
    done.acquire(started);
    return reports;
}

} // namespace scp
