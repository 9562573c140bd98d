// The lists' zoom: keys, wheel and the kept setting.

#include "lists/list_zoom.h"

#include "lists/list_edit.h"
#include "work/editor_settings.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace scp {

namespace {

// The steps a browser takes, in percent of the normal size.
constexpr std::array kSteps{50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400};

size_t nearestStep(int percent)
{
    const auto nearest = std::min_element(kSteps.cbegin(), kSteps.cend(), [&](int a, int b) {
        return std::abs(a - percent) < std::abs(b - percent);
    });
    return size_t(nearest - kSteps.cbegin());
}

// +1 zoom in, -1 out, 0 back to normal, or no zoom key (2).
int zoomKey(const QKeyEvent& key)
{
    if (key.matches(QKeySequence::ZoomIn))
        return 1;
    if (key.matches(QKeySequence::ZoomOut))
        return -1;
    // Ctrl++ whether typed with Shift (Ctrl+Shift+=) or on the keypad; Ctrl+=
    // as on a key without Shift.
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers != Qt::ControlModifier)
        return 2;
    switch (key.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return 1;
    case Qt::Key_Minus:
        return -1;
    case Qt::Key_0:
        return 0;
    default:
        return 2;
    }
}

// The lists' own font, at the desktop's size where that is larger: the
// lists were drawn for a small desktop font, and one set larger for reading
// is kept.
QFont normalFont()
{
    QFont font = ListEdit::listFont();
    const qreal desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF();
    font.setPointSizeF(std::max(font.pointSizeF(), desktop));
    return font;
}

} // namespace

ListZoom::ListZoom(const std::array<ListEdit*, 3>& lists, QObject* parent)
    : QObject(parent), m_lists(lists), m_normal(normalFont())
{
    for (ListEdit* list : lists) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }
    apply(savedListZoom());
}

void ListZoom::setPercent(int percent)
{
    percent = kSteps[nearestStep(percent)];
    if (percent == m_percent)
        return;
    apply(percent);
    saveListZoom(percent);
}

void ListZoom::apply(int percent)
{
    m_percent = kSteps[nearestStep(percent)];
    QFont font = m_normal;
    font.setPointSizeF(m_normal.pointSizeF() * m_percent / 100);
    for (ListEdit* list : m_lists)
        list->setFont(font);
}

void ListZoom::stepBy(int steps)
{
    const int step = std::clamp(int(nearestStep(m_percent)) + steps, 0, int(kSteps.size()) - 1);
    setPercent(kSteps[size_t(step)]);
}

bool ListZoom::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = zoomKey(*static_cast<QKeyEvent*>(event));
        if (key == 2)
            return false;
        if (key == 0)
            setPercent(100);
        else
            stepBy(key);
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        // A wheel's notch is 120; finer wheels and touchpads add up to one.
        m_wheel += wheel->angleDelta().y();
        while (std::abs(m_wheel) >= 120) {
            stepBy(m_wheel > 0 ? 1 : -1);
            m_wheel -= m_wheel > 0 ? 120 : -120;
        }
        wheel->accept();
        return true;
    }
    Q_UNUSED(watched);
    return false;
}

} // namespace scp
