// The check of the three lists, each on a thread of its own.

#include "list_check.h"

#include "bmp_header.h"
#include "lint.h"

#include <QSemaphore>
#include <QThreadPool>

namespace scp {

std::array<QString, 3> checkLists(const EntryLists& lists, PictureFolder& pictures,
                                  const std::function<QString(ListId)>& fileName)
{
    std::array<QString, 3> reports;
    const auto check = [&](ListId list) {
        const QString file = fileName(list);
        ListLint lint(lintRules(list), &pictures);
        lint.setText(lists.listText(list));
        QString& lines = reports[static_cast<size_t>(list)];
        for (const LintFinding& finding : lint.findings())
            lines += formatWarning(file, lint.lineColumn(finding.position), finding.message,
                                   lint.entryNumber(finding.position)) +
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
