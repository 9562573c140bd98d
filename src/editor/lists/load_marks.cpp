// A Load's marks, from the files' bytes; see load_marks.h.

#include "lists/load_marks.h"

#include "lint/whole_list_lint.h"
#include "pictures/bmp_header.h"

#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <utility>

namespace scp {

namespace {

// The findings' places in the document the bytes fill, where each line end
// is one position: CR LF there is one, as a lone CR or LF is.
ListProblems::Counted documentMarks(QByteArrayView bytes, const LintRules& rules,
                                    PictureFolder* pictures)
{
    ListProblems::Counted marks;
    qsizetype pairs = 0; // CR LF pairs before the next line feed
    qsizetype lineFeed = bytes.indexOf('\n');
    qsizetype markedEntry = 0; // the number of the entry last marked
    lintWholeList(bytes, rules, pictures, [&](PlacedFinding&& placed) {
        const qsizetype position = placed.finding.position;
        for (; lineFeed >= 0 && lineFeed < position; lineFeed = bytes.indexOf('\n', lineFeed + 1)) {
            if (lineFeed > 0 && bytes[lineFeed - 1] == '\r')
                ++pairs;
        }
        ++marks.findings;
        if (placed.entry != std::exchange(markedEntry, placed.entry))
            marks.marks.push_back({int(position - pairs)});
        if (lintLevel(placed.finding.rule) == LintLevel::Error)
            marks.errors.push_back({int(position - pairs)});
    });
    return marks;
}

} // namespace

// One list's lint, run by the pool or by whoever takes it first.
class LoadMarks::Job final : public QRunnable {
public:
    Job(ListId list, QByteArray bytes, std::shared_ptr<PictureFolder> pictures)
        : m_list(list), m_bytes(std::move(bytes)), m_pictures(std::move(pictures))
    {
        setAutoDelete(false);
    }
    void run() override
    {
        // Only where the findings are: the count and F8 take their messages
        // from the marks, once these have read the list.
        LintRules rules = lintRules(m_list);
        rules.messages = false;
        m_marks = documentMarks(m_bytes, rules, m_pictures.get());
        m_done.release();
    }
    ListProblems::Counted take(QThreadPool& pool)
    {
        if (pool.tryTake(this))
            run();
        m_done.acquire();
        return std::move(m_marks);
    }

private:
    ListId m_list;
    QByteArray m_bytes;
    std::shared_ptr<PictureFolder> m_pictures; // shared by the three, each name looked up once
    ListProblems::Counted m_marks;
    QSemaphore m_done;
};

LoadMarks::LoadMarks(const SectionContents& contents, const QString& folder)
{
    m_pool.setMaxThreadCount(1);
    const auto pictures =
        std::make_shared<PictureFolder>(folder, PictureFolder::Lookups::OncePerName);
    for (ListId list : kAllLists) {
        const SectionContent& content = contents[size_t(list)];
        if (!content.read)
            continue;
        auto& job = m_jobs[size_t(list)];
        job = std::make_unique<Job>(list, content.bytes, pictures);
        m_pool.start(job.get());
    }
}

LoadMarks::~LoadMarks()
{
    // Those not started are not run at all.
    for (const auto& job : m_jobs) {
        if (job && !m_pool.tryTake(job.get()))
            job->take(m_pool);
    }
}

ListProblems::Counted LoadMarks::take(ListId list)
{
    std::unique_ptr<Job> job = std::move(m_jobs[size_t(list)]);
    return job ? job->take(m_pool) : ListProblems::Counted();
}

} // namespace scp
