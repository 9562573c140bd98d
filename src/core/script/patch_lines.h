#pragma once

// The patch info's lines as a script has them: SCRIPTINFO's NAME, CREATOR
// and EMAIL, GODWALK's digit, and the patch info they give.

#include "script/patch_info.h"
#include "script/script_lines.h"

#include <QByteArrayView>
#include <QList>

#include <optional>
#include <vector>

namespace scp::importing {

// The patch info's lines, and which of the outside lines they are.
struct PatchLines {
    std::optional<QByteArrayView> name, creator, godwalk;
    QList<QByteArrayView> email; // the EMAIL line and its "&" lines
    std::vector<bool> isValue;   // by outside line

    bool sameAs(const PatchLines& other) const;
};

// Finds SCRIPTINFO's NAME, CREATOR and EMAIL lines and GODWALK's digit among
// `lines`, the first of each section only.
PatchLines findPatchLines(const std::vector<OutsideLine>& lines);

PatchInfo patchInfoOf(const PatchLines& lines);

} // namespace scp::importing
