#pragma once

// A button that opens a menu.

#include <QKeyEvent>
#include <QPushButton>

namespace scp {

// A button that opens a menu, and so must tell a mouse click (the menu opens
// at the pointer) from any other press.
class MenuButton final : public QPushButton {
public:
    using QPushButton::QPushButton;
    bool isClickingByMouse() const { return m_clickingByMouse; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_clickingByMouse = true;
        QPushButton::mouseReleaseEvent(event);
        m_clickingByMouse = false;
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        // Enter presses it as Space does; Qt only does that by itself in
        // dialogs.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            click();
        else
            QPushButton::keyPressEvent(event);
    }

private:
    bool m_clickingByMouse = false;
};

} // namespace scp
