#pragma once

// Where the main window's controls go when the window is larger than it was
// drawn.

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace scp {

// The window was drawn at its smallest size as columns: a list on top, and
// under it the list's labels, entry field and buttons. Grown, the columns
// share the added width equally and the lists take the added height; what
// stands under a list keeps its size and its place under that list, moved
// down by the added height; what stands over a list stretches with it.
class WindowGrowth {
public:
    enum class Kind { List, Above, Below };

    // `smallest`: the window's size as drawn, when every control stands at
    // the rectangle it has when added.
    explicit WindowGrowth(QSize smallest) : m_smallest(smallest) {}

    void add(QWidget* widget, Kind kind, int column);
    // Places every control for a window of `size`.
    void place(QSize size) const;

    static constexpr int kColumns = 3;

private:
    struct Control {
        QPointer<QWidget> widget;
        QRect drawn;
        Kind kind;
        int column;
    };
    QSize m_smallest;
    QList<Control> m_controls;
};

} // namespace scp
