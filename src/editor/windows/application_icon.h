#pragma once

// The program's icon.

#include <QIcon>

namespace scp {

enum class IconSizes {
    // What a window's title bar and the task switcher show: enough for the
    // first frame.
    FirstFrame,
    // Every size the resources hold, the larger for docks and dense screens.
    All,
};

// The icon, one picture for each size asked for, each decoded once.
QIcon applicationIcon(IconSizes sizes = IconSizes::All);

} // namespace scp
