// The main window's controls placed for its size.

#include "windows/window_growth.h"

#include <algorithm>
#include <array>

namespace scp {

void WindowGrowth::add(QWidget* widget, Kind kind, int column)
{
    m_controls.append({widget, widget->geometry(), kind, std::clamp(column, 0, kColumns - 1)});
}

void WindowGrowth::place(QSize size) const
{
    // Smaller than drawn only while a window system has not yet applied the
    // minimum size: the drawn layout, cut off.
    const int addedWidth = std::max(0, size.width() - m_smallest.width());
    const int addedHeight = std::max(0, size.height() - m_smallest.height());
    // Equal shares; what does not divide goes to the columns on the right.
    std::array<int, kColumns> share{};
    std::array<int, kColumns> shift{};
    for (int column = 0; column < kColumns; ++column) {
        share[size_t(column)] =
            addedWidth / kColumns + (column >= kColumns - addedWidth % kColumns);
        if (column > 0)
            shift[size_t(column)] = shift[size_t(column - 1)] + share[size_t(column - 1)];
    }
    for (const Control& control : m_controls) {
        if (!control.widget)
            continue;
        const auto column = size_t(control.column);
        QRect rect = control.drawn.translated(shift[column], 0);
        switch (control.kind) {
        case Kind::List:
            rect.setSize(rect.size() + QSize(share[column], addedHeight));
            break;
        case Kind::Above:
            rect.setWidth(rect.width() + share[column]);
            break;
        case Kind::Below:
            rect.translate(0, addedHeight);
            break;
        }
        control.widget->setGeometry(rect);
    }
}

} // namespace scp
