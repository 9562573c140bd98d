#pragma once

// Twips to pixels, and captions fitted to the room they have.

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace scp {

// The windows were laid out in twips, 15 to a pixel at 96 dots per inch;
// Qt scales logical pixels on high-dpi screens.
constexpr int kTwipsPerPixel = 15;

constexpr QRect twips(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

// A caption and the room it has on screen.
struct CaptionRoom {
    QString text;
    QSize room;
    bool wordWrap = false;
};

// The rectangles were drawn for an 8-point desktop font, narrower than most
// today. Keeps the font's family and size where every caption fits its room,
// and otherwise takes the largest smaller size they all fit (never below 8
// pixels).
QFont fontFitting(QFont font, const QList<CaptionRoom>& captions);

// Gives the controls of `row`, whose captions are read together, the font
// their captions all fit: a button's inside its frame, any other's in what
// of it the siblings drawn over it leave uncovered.
void fitCaptions(const QList<QWidget*>& row, const QFont& font);

} // namespace scp
