// Work of the start that need not hold up the first frame.

#include "start_ahead.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#ifdef SCP_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace scp {

FontSetupAhead::FontSetupAhead()
{
#ifdef SCP_FONTCONFIG
    // Qt's own first font asks for the same configuration and finds it read.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontSetupAhead::~FontSetupAhead()
{
    wait();
}

void FontSetupAhead::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

namespace {

class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(std::function<void()> work)
        : QObject(QCoreApplication::instance()), m_work(std::move(work))
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

void afterFirstPaint(std::function<void()> work)
{
    new FirstPaintWatch(std::move(work)); // the application's until it has run
}

} // namespace scp
