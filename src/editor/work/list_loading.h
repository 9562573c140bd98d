#pragma once

// Load and Import: the folder's files, or a script, filling the three lists
// while the window stays live.

#include "script/folder_files.h"

#include <QObject>

#include <array>
#include <memory>

class QTextDocument;

namespace scp {

class JournalRecorder;
class ListDocument;
class MainWindow;
class WorkQueue;

// Reads what fills the lists, fills a fresh document for each on the pool's
// threads, then has each list adopt its document in one undo step. The lists
// take no typing meanwhile, and the queue holds what would act on them until
// all three are in. A Load's lists are what the files hold (the files'
// records are kept, the lists saved); an import's are unsaved work.
class ListLoading final : public QObject {
    Q_OBJECT

public:
    ListLoading(WorkQueue& queue, const std::array<ListDocument*, 3>& lists, MainWindow& window,
                FolderFiles& files, JournalRecorder& recorder, QString pictureFolder);
    // A fill still going is abandoned: its pointer and progress go first.
    ~ListLoading() override;

    // Reads each section file and patch.ini (one that fails is said, and
    // leaves its own list as it was), then fills the lists.
    void load();
    // Reads the script at `path` into the lists, or says why it cannot.
    void import(const QString& path);

Q_SIGNALS:
    // The lists are replaced: the patch info may be unsaved too, and what
    // they were before, and the files read, are freed.
    void listsReplaced();

private:
    struct Filling;
    void fill(SectionContents contents);
    void filled();
    // A Load's list in place of the old, with the marks found while it filled.
    void adoptWithMarks(ListId list, QTextDocument* document);
    // The files read are now the lists': they are saved.
    void rememberFiles();

    WorkQueue& m_queue;
    std::array<ListDocument*, 3> m_lists;
    MainWindow& m_window;
    FolderFiles& m_files;
    JournalRecorder& m_recorder;
    QString m_pictureFolder; // where the marks look for pictures
    std::unique_ptr<Filling> m_filling;
};

} // namespace scp
