#pragma once

// The marks of a Load's lists, found from the files' bytes while the lists
// fill, so that the problem counts and F8 have them the moment the lists
// are in.

#include "lists/list_problems.h"
#include "script/section_files.h"

#include <QThreadPool>

#include <array>
#include <memory>

namespace scp {

class LoadMarks {
public:
    // Starts on each of `contents` (gumps, tiles, items) that was read; the
    // pictures are looked for in `folder`.
    LoadMarks(const SectionContents& contents, const QString& folder);
    // Waits for what is under way; what is not, is dropped.
    ~LoadMarks();
    LoadMarks(const LoadMarks&) = delete;
    LoadMarks& operator=(const LoadMarks&) = delete;

    // The list's marks at the positions of the document its bytes fill,
    // taken once: they are found here if no thread has started on them yet,
    // or waited for.
    ListProblems::Counted take(ListId list);

private:
    class Job;
    // One thread of their own, a list at a time: beside the filling, which
    // has a thread a core, they take no more than one core. (A
    // thread of idle priority would wait on a busy machine, and the Load
    // with it.)
    QThreadPool m_pool;
    std::array<std::unique_ptr<Job>, 3> m_jobs;
};

} // namespace scp
