// Twips to pixels, and the largest font a row of captions fits.

#include "windows/twips_layout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>

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

// What of the widget's rectangle is left uncovered by the siblings drawn
// over it, on the right and below; the caption starts at its top left.
QSize visibleRoom(const QWidget* widget)
{
    const QRect rect = widget->geometry();
    QSize room = rect.size();
    const QObjectList& stack = widget->parentWidget()->children(); // bottom first
    for (qsizetype i = stack.indexOf(widget) + 1; i < stack.size(); ++i) {
        const auto* above = qobject_cast<const QWidget*>(stack[i]);
        if (above == nullptr || above->isHidden() || !above->geometry().intersects(rect))
            continue;
        if (above->x() > rect.x())
            room.setWidth(std::min(room.width(), above->x() - rect.x()));
        if (above->y() > rect.y())
            room.setHeight(std::min(room.height(), above->y() - rect.y()));
    }
    return room;
}

} // namespace

QFont fontFitting(QFont font, const QList<CaptionRoom>& captions)
{
    constexpr int kSmallest = 8;
    const auto allFit = [&] {
        const QFontMetrics metrics(font);
        return std::all_of(captions.cbegin(), captions.cend(),
                           [&](const CaptionRoom& caption) { return fits(metrics, caption); });
    };
    const int given = QFontInfo(font).pixelSize();
    if (given <= kSmallest || allFit())
        return font;
    // Each size tried makes the font at that size, the costliest part of a
    // window's start after the first font: the sizes are halved, not stepped.
    int fitting = kSmallest; // taken whether the captions fit it or not
    int tooLarge = given;
    while (tooLarge - fitting > 1) {
        const int middle = (fitting + tooLarge + 1) / 2;
        font.setPixelSize(middle);
        (allFit() ? fitting : tooLarge) = middle;
    }
    font.setPixelSize(fitting);
    return font;
}

void fitCaptions(const QList<QWidget*>& row, const QFont& font)
{
    QList<CaptionRoom> captions;
    for (const QWidget* widget : row) {
        if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            const int margin = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                               button->style()->pixelMetric(QStyle::PM_ButtonMargin);
            captions.append({button->text(), button->size() - QSize(margin, margin / 2)});
        } else {
            captions.append({widget->property("text").toString(), visibleRoom(widget)});
        }
    }
    const QFont fitted = fontFitting(font, captions);
    for (QWidget* widget : row)
        widget->setFont(fitted);
}

} // namespace scp
