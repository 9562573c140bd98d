// One piece of work at a time, in the order asked for.

#include "work/work_queue.h"

#include "windows/busy_work.h"

namespace scp {

namespace {

// Ends the busy feedback before a message shows; a success is preceded by
// what must be done first (a Save marks its lists saved).
class FinishingReporter final : public Reporter {
public:
    FinishingReporter(BusyWork& work, Reporter& messages, const std::function<void()>& first)
        : m_work(work), m_messages(messages), m_first(first)
    {
    }
    void information(const QString& text) override
    {
        if (m_first)
            m_first();
        m_work.finish();
        m_messages.information(text);
    }
    void failure(const QString& text) override
    {
        m_work.finish();
        m_messages.failure(text);
    }
    void progress(double fraction) override { m_work.step(fraction); }
    void runAside(const std::function<void()>& blocking) override { m_work.runAside(blocking); }

private:
    BusyWork& m_work;
    Reporter& m_messages;
    const std::function<void()>& m_first;
};

} // namespace

void WorkQueue::whenFree(std::function<void()> action)
{
    if (m_stopped)
        return;
    if (!isIdle()) {
        m_waiting.push_back(std::move(action));
    } else {
        action();
        runWaiting(); // what a question held back
    }
}

void WorkQueue::runWaiting()
{
    while (isIdle() && !m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.erase(m_waiting.begin());
        next();
    }
}

void WorkQueue::tell(const QString& text, bool warning)
{
    asking([&] {
        if (warning)
            m_messages.failure(text);
        else
            m_messages.information(text);
        return true;
    });
}

void WorkQueue::run(const std::function<void(Reporter&)>& work, bool longWork,
                    const std::function<void()>& beforeSuccess, const std::function<void()>& then)
{
    {
        BusyWork busy(m_window, longWork);
        FinishingReporter reporter(busy, m_messages, beforeSuccess);
        m_work = &busy;
        work(reporter);
        m_work = nullptr;
    }
    if (then)
        then();
    runWaiting();
}

void WorkQueue::stop()
{
    // Whatever waited goes with the editor.
    m_stopped = true;
    m_waiting.clear();
}

} // namespace scp
