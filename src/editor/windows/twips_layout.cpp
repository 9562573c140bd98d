// Twips to pixels, and the largest font a row of captions fits.

#include "windows/twips_layout.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace scp {

namespace {

bool fits(const QFontMetrics& metrics, const CaptionRoom& caption)
{
    const int flags = Qt::AlignLeft | (caption.wordWrap ? Qt::TextWordWrap : 0);
    const QRect needed = metrics.boundingRect(
        QRect(0, 0, caption.room.width(), 10 * caption.room.height()), flags, caption.text);
    return needed.width() <= caption.room.width() && needed.height() <= caption.room.height();
}

} // namespace

QFont fontFitting(QFont font, const QList<CaptionRoom>& captions)
{
    constexpr int kSmallest = 8;
    int pixels = QFontInfo(font).pixelSize();
    auto allFit = [&] {
        const QFontMetrics metrics(font);
        return std::all_of(captions.cbegin(), captions.cend(),
                           [&](const CaptionRoom& caption) { return fits(metrics, caption); });
    };
    while (pixels > kSmallest && !allFit())
        font.setPixelSize(--pixels);
    return font;
}

} // namespace scp
