#pragma once

// Any script the compile did not write, read line by line.

#include "script/script_import.h"

#include <QByteArray>

namespace scp::importing {

// Each list's section found by its title and braces: its entries without
// the comments and the blank lines at either end; the lines outside the
// sections give the patch info and what is not kept.
ScriptImport importByLines(const QByteArray& bytes);

} // namespace scp::importing
