// The busy pointer and the progress bar of long work.

#include "windows/busy_work.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>

namespace scp {

BusyWork::BusyWork(QWidget* window, bool longWork) : m_window(window)
{
    m_clock.start();
    if (longWork)
        showPointer();
}

BusyWork::BusyWork(QWidget* window, bool longWork, const QElapsedTimer& begun)
    : m_window(window), m_clock(begun), m_eventLoopRuns(true)
{
    if (longWork)
        showPointer();
}

BusyWork::~BusyWork()
{
    finish();
}

void BusyWork::showPointer()
{
    if (m_pointer)
        return;
    m_pointer = true;
    // Where the window still takes input, the pointer says it is working in
    // the background rather than waiting.
    QApplication::setOverrideCursor(m_eventLoopRuns ? Qt::BusyCursor : Qt::WaitCursor);
}

void BusyWork::step(double fraction)
{
    show(fraction);
    const qint64 elapsed = m_clock.elapsed();
    if (!m_finished && !m_eventLoopRuns && elapsed >= kPointerAfter &&
        elapsed - m_lastRepaint >= kRepaintEvery) {
        m_lastRepaint = elapsed;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void BusyWork::show(double fraction)
{
    m_fraction = fraction;
    if (m_finished)
        return;
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed < kPointerAfter)
        return;
    showPointer();
    if (elapsed >= kProgressAfter && !m_progress) {
        // A bar only: no Cancel, since a half-done Load or Save would leave
        // the lists or the files in between.
        m_progress = new QProgressDialog(m_window);
        m_progress->setWindowTitle(QCoreApplication::applicationName());
        m_progress->setCancelButton(nullptr);
        m_progress->setRange(0, 1000);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        if (m_eventLoopRuns) // the window is still the user's: keep its focus
            m_progress->setAttribute(Qt::WA_ShowWithoutActivating);
        m_progress->show();
    }
    if (m_progress)
        m_progress->setValue(int(qBound(0.0, fraction, 1.0) * 1000));
}

void BusyWork::runAside(const std::function<void()>& blocking)
{
    // The event loop below paints the windows and runs their timers; the
    // user's input waits in the queue, as it does between step()s, and a
    // close asked meanwhile waits for the work (see WorkQueue).
    QEventLoop loop;
    std::exception_ptr failed;
    const std::unique_ptr<QThread> thread(QThread::create([&blocking, &failed] {
        try {
            blocking();
        } catch (...) {
            failed = std::current_exception(); // as if it had run here
        }
    }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    if (!thread->isRunning() && !thread->isFinished()) {
        blocking(); // no thread to be had: here, as before
        return;
    }
    QTimer feedback;
    QObject::connect(&feedback, &QTimer::timeout, &loop, [this] { show(m_fraction); });
    feedback.start(kRepaintEvery);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    if (failed)
        std::rethrow_exception(failed);
}

void BusyWork::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    delete m_progress.data();
    if (m_pointer)
        QApplication::restoreOverrideCursor();
}

} // namespace scp
