#pragma once

// The fixed blocks the script is assembled from.

#include "script/patch_info.h"

#include <QString>

#include <optional>

namespace scp {

// The fixed blocks of the script, named for what they open. The script reads
// Head, Gap, tiles, Gap, GumpsHead, Gap, gumps, Gap, ItemsHead, Gap, items,
// Gap, Tail.
enum class Block {
    Head,      // banner, the fixed sections, then SECTION TILES {
    GumpsHead, // } and the gump comment, then SECTION GUMPS {
    ItemsHead, // } and the item comment with its layers, then SECTION ITEMS {
    Tail,      // } and the HUESTART block, then EOF
    Gap,       // two line ends between a block and a list
};

// The fixed text of one block, exactly as the patching tool expects it:
// CR LF after every line, tabs as tabs, plain ASCII.
QString templateText(Block block);

// The head block for a folder with `info`: its NAME, CREATOR and EMAIL lines
// (the mail on one line) carry the values, and the GODWALK section its
// digit; everything else as templateText(Block::Head), which is what a
// folder without patch info gets. The values must have passed
// patchInfoValueProblem; they are the only text of a block that may be
// other than ASCII.
QString headText(const std::optional<PatchInfo>& info);

} // namespace scp
