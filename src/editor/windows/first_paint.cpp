// Work that waits until a window is on the screen.

#include "windows/first_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace scp {

namespace {

class PaintWatch : public QObject {
public:
    PaintWatch(QObject* context, std::function<void()> work)
        : QObject(context), m_work(std::move(work))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                m_work();
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_work;
    bool m_painted = false;
};

} // namespace

void afterFirstPaint(QObject* context, std::function<void()> work)
{
    new PaintWatch(context, std::move(work));
}

} // namespace scp
