#pragma once

// The lines of a script outside its lists against the template's blocks:
// the patch info they give and what the compile would not write back.

#include "script/script_import.h"
#include "script/script_lines.h"
#include "script/templates.h"

#include <QByteArray>

#include <vector>

namespace scp::importing {

QByteArray blockBytes(Block block);

// The patch info and what is not kept, from the lines outside the lists;
// `headOnly` when they are the head's alone (the other blocks being the
// template's exactly).
void readOutside(const std::vector<OutsideLine>& outside, bool headOnly, ImportedScript& script);

} // namespace scp::importing
