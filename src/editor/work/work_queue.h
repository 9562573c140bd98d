#pragma once

// The order the editor's work runs in, and its feedback while it runs.

#include "script/reporter.h"

#include <functional>
#include <vector>

class QWidget;

namespace scp {

class BusyWork;

// Work on the lists runs one piece at a time: what is asked for while a
// piece of work runs, a Load fills the lists or a question waits for its
// answer runs after it, in the order asked for. Knows nothing of what the
// work does.
class WorkQueue final {
public:
    // The busy feedback shows over `window` (none: over no window); what
    // work and tell() report goes to `messages`, which must outlive it.
    WorkQueue(QWidget* window, Reporter& messages) : m_window(window), m_messages(messages) {}
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Runs `action` now, or once the work or question under way is over,
    // in turn with what else waits.
    void whenFree(std::function<void()> action);
    // Runs the waiting actions, in the order asked for, until one of them
    // keeps the queue busy (a Load, which comes back here when it is done).
    void runWaiting();

    // Runs a question, which holds back whatever else would run meanwhile.
    template <typename Question> auto asking(Question question)
    {
        ++m_asking;
        auto answer = question();
        --m_asking;
        return answer;
    }
    // Says `text` to the user, as a question holds what else would run.
    void tell(const QString& text, bool warning);

    // Runs `work` now with the busy feedback (the pointer at once where it
    // is `longWork`), holding input until it is done; a report ends the
    // feedback before it shows, a success once `beforeSuccess` has run.
    // Then `then`, and what waited.
    void run(const std::function<void(Reporter&)>& work, bool longWork = false,
             const std::function<void()>& beforeSuccess = {},
             const std::function<void()>& then = {});

    // While a Load fills the lists in the background, what is asked waits;
    // runWaiting() once it is over.
    void setLoading(bool loading) { m_loading = loading; }
    // Nothing more runs: the editor hands its folder over.
    void stop();

    bool isAsking() const { return m_asking > 0; }
    // Work or a Load under way.
    bool isWorking() const { return m_work != nullptr || m_loading; }
    bool isIdle() const { return !isAsking() && !isWorking(); }

private:
    QWidget* m_window;
    Reporter& m_messages;
    int m_asking = 0;           // questions open
    BusyWork* m_work = nullptr; // the work running
    bool m_loading = false;
    bool m_stopped = false;
    std::vector<std::function<void()>> m_waiting; // in the order asked for
};

} // namespace scp
