// The icon's pictures, from the resources.

#include "windows/application_icon.h"

#include <QImageReader>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace scp {

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImageReader reader(u":/icons/scpmaker-%1.png"_s.arg(size), "png");
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace scp
