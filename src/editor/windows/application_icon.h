#pragma once

// The program's icon.

#include <QIcon>

namespace scp {

// The icon, one picture for each size the resources hold, each decoded once.
QIcon applicationIcon();

} // namespace scp
