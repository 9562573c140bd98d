#pragma once

// What the window shows while work keeps it busy: the busy pointer and a
// progress bar.

#include <QElapsedTimer>
#include <QPointer>

#include <functional>

class QProgressDialog;
class QWidget;

namespace scp {

// Feedback while one piece of work (a Load, a Save) keeps the window busy:
// the busy pointer once it has taken kPointerAfter (or at once, when the work
// is known to be long), and from kProgressAfter a progress bar over the
// window. Each step() lets the windows repaint; input meanwhile waits in the
// queue and is handled once the work is done, so nothing the user does can
// act on a half-done job.
class BusyWork final {
public:
    static constexpr int kPointerAfter = 200; // ms
    static constexpr int kProgressAfter = 1000;
    static constexpr int kRepaintEvery = 50;

    explicit BusyWork(QWidget* window, bool longWork = false);
    // For work that goes on while the event loop runs (a Load filling its
    // lists), begun when `begun` was started (the click): steps then only
    // show the pointer and the progress, which count their time from there.
    BusyWork(QWidget* window, bool longWork, const QElapsedTimer& begun);
    ~BusyWork();
    BusyWork(const BusyWork&) = delete;
    BusyWork& operator=(const BusyWork&) = delete;

    // `fraction` (0 to 1) of the work is done.
    void step(double fraction);
    // Runs `blocking` on a thread of its own, the window meanwhile painted
    // and its input held back, and returns once it is done.
    void runAside(const std::function<void()>& blocking);
    // Pointer and progress go, as before a message box; later steps show
    // nothing.
    void finish();

private:
    void showPointer();
    void show(double fraction);

    QPointer<QWidget> m_window;
    QElapsedTimer m_clock;
    qint64 m_lastRepaint = 0;
    bool m_pointer = false;
    bool m_finished = false;
    bool m_eventLoopRuns = false;
    double m_fraction = 0;                // the last step's
    QPointer<QProgressDialog> m_progress; // a child of the window, which may go first
};

} // namespace scp
