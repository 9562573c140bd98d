#pragma once

// A script the compile wrote, read back by its exact blocks.

#include "script/script_import.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace scp::importing {

// Whether the bytes end with the Tail as another program may have left it
// (LF or CR line ends), blank lines after it aside.
bool endsWithChangedTail(QByteArrayView bytes);

// A script the compile wrote: the blocks around the lists are the
// template's (the head's patch info lines aside), so the lists are exactly
// what stands between them, whatever they hold. Nothing when the script is
// not so made.
std::optional<ImportedScript> importExactly(const QByteArray& bytes);

} // namespace scp::importing
