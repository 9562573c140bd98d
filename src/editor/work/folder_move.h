#pragma once

// Lists of no folder moving into one the user chooses.

#include <QString>

namespace scp {

// Why lists of no folder, with the pictures added to them in `pictures`,
// cannot move to `path` (it cannot be opened or written, or holds a file of
// theirs), or empty when they can.
QString whyNoHomeFor(const QString& path, const QString& pictures);
// Copies the pictures in `pictures` into `path`; the problem, with nothing
// copied, when one cannot be.
QString copyPicturesTo(const QString& path, const QString& pictures);

} // namespace scp
