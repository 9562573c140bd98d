#pragma once

// The lint of all three lists at once, as the headless compiler's check
// reports it.

#include "script/entry_lists.h"

#include <QString>

#include <functional>

namespace scp {

class PictureFolder;

// Receives a report in pieces, each ending a line.
using ReportWriter = std::function<void(QStringView lines)>;

// Writes each list's findings as warning lines ("FILE:LINE:COLUMN: warning:
// MESSAGE [entry N]", one per line, each ending in a line end) to `write`,
// the lists in the editor's order, the file named by `fileName`; whether
// there were any. The three lists are read side by side, on threads of
// their own where they are long and the pool has them free; `pictures` is
// asked from all of them, and `fileName` from the threads.
bool checkLists(const EntryLists& lists, PictureFolder& pictures,
                const std::function<QString(ListId)>& fileName, const ReportWriter& write);

} // namespace scp
