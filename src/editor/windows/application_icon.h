#pragma once

// The program's icon.

#include <QIcon>
#include <QImage>
#include <QList>

namespace scp {

// The icon's pictures, one for each size the resources hold, decoded; on
// any thread.
QList<QImage> applicationIconImages();

// The icon made of `images`; on the GUI thread.
QIcon applicationIcon(const QList<QImage>& images = applicationIconImages());

} // namespace scp
