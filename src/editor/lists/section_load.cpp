// A Load's three fills on the application's threads.

#include "lists/section_load.h"

#include "lists/list_document.h"

#include <QPromise>
#include <QTextDocument>
#include <QThread>
#include <QThreadPool>

namespace scp {

namespace {

constexpr int kProgressSteps = 1000;

} // namespace

// One list's filling, shared with the thread doing it.
struct SectionLoad::Fill {
    QByteArray bytes;
    QPromise<void> promise;
    QTextDocument* document = nullptr; // set by the filling thread, on ours by then
};

SectionLoad::SectionLoad(const SectionContents& contents, QObject* parent) : QObject(parent)
{
    QThread* home = thread();
    for (size_t i = 0; i < m_fills.size(); ++i) {
        auto fill = std::make_shared<Fill>();
        fill->bytes = contents[i].bytes;
        fill->promise.setProgressRange(0, kProgressSteps);
        QFutureWatcher<void>& watcher = m_watchers[i];
        connect(&watcher, &QFutureWatcher<void>::progressValueChanged, this, [this, i](int value) {
            m_progress[i] = value;
            fillProgressed();
        });
        connect(&watcher, &QFutureWatcher<void>::finished, this, &SectionLoad::fillFinished);
        watcher.setFuture(fill->promise.future());
        fill->promise.start();
        const int spacer = spacerWidth(ListId(i));
        threads().start([fill, home, spacer] {
            const qsizetype size = std::max<qsizetype>(1, fill->bytes.size());
            QTextDocument* document =
                ListDocument::filledDocument(fill->bytes, spacer, [&](qsizetype done) {
                    fill->promise.setProgressValue(int(done * kProgressSteps / size));
                    return !fill->promise.isCanceled();
                });
            if (document != nullptr) {
                document->moveToThread(home);
                fill->document = document;
            }
            fill->promise.finish();
        });
        m_fills[i] = std::move(fill);
    }
}

SectionLoad::~SectionLoad()
{
    for (QFutureWatcher<void>& watcher : m_watchers) {
        watcher.disconnect(this);
        watcher.cancel();
    }
    for (size_t i = 0; i < m_fills.size(); ++i) {
        m_watchers[i].waitForFinished();
        delete m_fills[i]->document;
    }
}

QThreadPool& SectionLoad::threads()
{
    // A thread a list: the three share the processors and end together,
    // where two threads would leave the third list to fill alone after.
    static QThreadPool pool;
    [[maybe_unused]] static const bool sized = (pool.setMaxThreadCount(3), true);
    return pool;
}

std::array<QTextDocument*, 3> SectionLoad::takeDocuments()
{
    std::array<QTextDocument*, 3> documents{};
    for (size_t i = 0; i < m_fills.size(); ++i)
        documents[i] = std::exchange(m_fills[i]->document, nullptr);
    return documents;
}

void SectionLoad::fillProgressed()
{
    int steps = 0;
    for (const int progress : m_progress)
        steps += progress;
    Q_EMIT progressed(double(steps) / double(kProgressSteps * int(m_fills.size())));
}

void SectionLoad::fillFinished()
{
    if (--m_unfinished == 0)
        Q_EMIT filled();
}

} // namespace scp
