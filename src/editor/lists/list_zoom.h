#pragma once

// Zooming the three lists' text together.

#include <QFont>
#include <QObject>

#include <array>

namespace scp {

class ListEdit;

// Ctrl+wheel and the zoom keys in any list (Ctrl++ as typed with Shift or
// on the keypad, or Ctrl+=; Ctrl+-; Ctrl+0 back to the normal size) zoom
// the three lists' text in steps, and the zoom is kept for the next run.
// Only the lists' font changes: their rows are laid out again as they come
// on screen.
class ListZoom final : public QObject {
    Q_OBJECT

public:
    ListZoom(const std::array<ListEdit*, 3>& lists, QObject* parent = nullptr);

    int percent() const { return m_percent; }
    // The nearest step to `percent`.
    void setPercent(int percent);
    void zoomIn() { stepBy(1); }
    void zoomOut() { stepBy(-1); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stepBy(int steps);
    void apply(int percent);

    std::array<ListEdit*, 3> m_lists;
    QFont m_normal;
    int m_percent = 100;
    int m_wheel = 0; // the wheel's turn not yet a whole step
};

} // namespace scp
