// The icon's pictures, from the resources.

#include "windows/application_icon.h"

#include <QImageReader>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace scp {

QList<QImage> applicationIconImages()
{
    QList<QImage> images;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImageReader reader(u":/icons/scpmaker-%1.png"_s.arg(size), "png");
        QImage image = reader.read();
        // In the form a pixmap keeps, so making the icon converts nothing.
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
        images.append(image);
    }
    return images;
}

QIcon applicationIcon(const QList<QImage>& images)
{
    QIcon icon;
    for (const QImage& image : images)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

} // namespace scp
