#pragma once

// A Load's filling: a document for each of the three lists, filled side by
// side on a pool of threads of their own from the section files' bytes, its
// progress and its end told by signals.

#include "script/section_files.h"

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>

#include <array>
#include <memory>

class QTextDocument;

namespace scp {

class SectionLoad final : public QObject {
    Q_OBJECT

public:
    // Starts filling a document for each of `contents` (gumps, tiles, items).
    explicit SectionLoad(const SectionContents& contents, QObject* parent = nullptr);
    // Fills still going are abandoned and waited for; documents not taken
    // are freed.
    ~SectionLoad() override;
    SectionLoad(const SectionLoad&) = delete;
    SectionLoad& operator=(const SectionLoad&) = delete;

    // Once filled(): the three documents, the caller's now, each belonging
    // to the thread this object belongs to.
    std::array<QTextDocument*, 3> takeDocuments();

    // The threads the lists fill on, as many as the machine runs at once.
    // Not the application's pool: Qt paints large areas on that one, and a
    // paint queued behind the fills would hold the window until they end.
    static QThreadPool& threads();

Q_SIGNALS:
    // How much of the three lists is in, 0 to 1, from time to time.
    void progressed(double fraction);
    void filled();

private:
    struct Fill;
    void fillProgressed();
    void fillFinished();

    // Shared with the threads filling; watched here, on this object's thread.
    std::array<std::shared_ptr<Fill>, 3> m_fills;
    std::array<QFutureWatcher<void>, 3> m_watchers;
    std::array<int, 3> m_progress{}; // of each fill's progress steps
    int m_unfinished = 3;
};

} // namespace scp
