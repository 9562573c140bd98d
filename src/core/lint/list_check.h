#pragma once

// The lint of all three lists at once, as the headless compiler's check
// reports it.

#include "script/entry_lists.h"

#include <QString>

#include <array>
#include <functional>

namespace scp {

class PictureFolder;

// Each list's findings as warning lines ("FILE:LINE:COLUMN: warning: MESSAGE
// [entry N]", one per line, each ending in a line end), the file named by
// `fileName`. The three lists are read side by side, on threads of their own
// where the pool has them free; `pictures` is asked from all of them.
std::array<QString, 3> checkLists(const EntryLists& lists, PictureFolder& pictures,
                                  const std::function<QString(ListId)>& fileName);

} // namespace scp
