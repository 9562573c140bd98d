#pragma once

// Load and Import: the folder's files, or a script, filling the three lists
// while the window stays live.

#include "script/folder_files.h"

#include <QElapsedTimer>
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

    // From this many bytes on, a Load or an import is known to be long, and
    // the busy pointer goes up at the click: on the 2-core machine a Load
    // takes some 10 ms a MB of section files until its lists are in when the
    // machine is quiet (2.6 MB 42 ms, 26 MB 0.17-0.27 s, 122 MB 1.2 s), twice
    // that and more when other work shares it, so 20 MB is some 0.2 s quiet
    // and past 0.3 s busy. Shorter ones show it after
    // BusyWork::kPointerAfter, as other work does.
    static constexpr qint64 kLongBytes = 20'000'000;
    // When a Load or an import was asked for, and whether its size says
    // it will be long.
    struct Begun {
        QElapsedTimer clock;
        bool isLong = false;
    };

Q_SIGNALS:
    // The lists are replaced: the patch info may be unsaved too, and what
    // they were before, and the files read, are freed.
    void listsReplaced();

private:
    struct Filling;
    void fill(const Begun& begun, SectionContents contents);
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
