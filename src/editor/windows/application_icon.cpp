// The icon's pictures, from the resources.

#include "windows/application_icon.h"

#include <QImageReader>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace scp {

QIcon applicationIcon(IconSizes sizes)
{
    // The large pictures cost the start more than all the rest of the icon:
    // decoding them, and the window system's copy of each as the window is made.
    QList<int> pixels = {16, 32, 48};
    if (sizes == IconSizes::All)
        pixels << 64 << 128 << 256;
    QIcon icon;
    for (int size : pixels) {
        QImageReader reader(u":/icons/scpmaker-%1.png"_s.arg(size), "png");
        reader.setAutoDetectImageFormat(false); // the picture plugins are not even loaded
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace scp
