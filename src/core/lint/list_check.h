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
// MESSAGE [entry N]", one per line, each ending in a line end) to `write`
// as they are found, the lists in the editor's order, the file named by
// `fileName`; whether there were any. The lists are read one after another
// on the calling thread: read side by side on threads of their own, a
// check of long lists took a tenth more processor time (the threads' own
// memory, and the waits for the pictures' answers), and on a busy machine
// the processor time is what a check takes.
bool checkLists(const EntryLists& lists, PictureFolder& pictures,
                const std::function<QString(ListId)>& fileName, const ReportWriter& write);

} // namespace scp
