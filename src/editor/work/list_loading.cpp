// Load and Import: the lists filled in the background, then replaced at once.

#include "work/list_loading.h"

#include "files/file_reading.h"
#include "lists/list_document.h"
#include "lists/list_problems.h"
#include "lists/load_marks.h"
#include "lists/section_load.h"
#include "script/script_import.h"
#include "windows/busy_work.h"
#include "windows/main_window.h"
#include "windows/script_import_ui.h"
#include "work/journal_recorder.h"
#include "work/work_queue.h"

#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace scp {

// A Load whose lists are being filled. The window stays live meanwhile: the
// lists take no typing, and whatever would act on them waits until all three
// are in.
struct ListLoading::Filling {
    Filling(QWidget* window, const Begun& begun, SectionContents read, const QString& pictures)
        : busy(window, begun.isLong, begun.clock), contents(std::move(read)),
          marks(contents, pictures)
    {
    }
    BusyWork busy; // the pointer and the progress, while the lists fill
    SectionContents contents;
    std::optional<PatchInfoContent> patchInfo; // none: patch.ini could not be used
    SectionLoad filling{contents};
    // Started after the fills, on the threads they leave free.
    LoadMarks marks;
    // An import's script, with what it says beyond the lists; the lists
    // filled then are not what the files hold.
    struct Import {
        QString path;
        QList<ImportWarning> warnings;
        std::optional<PatchInfo> patchInfo;
    };
    std::optional<Import> import;
};

namespace {

ListLoading::Begun begunNow(qint64 bytes)
{
    ListLoading::Begun begun{QElapsedTimer(), bytes >= ListLoading::kLongBytes};
    begun.clock.start();
    return begun;
}

// Whether two lists' documents hold the same list text.
bool sameText(const QTextDocument& a, const QTextDocument& b)
{
    const qsizetype size = a.characterCount() - 1;
    if (size != b.characterCount() - 1)
        return false;
    QString first, second;
    ListDocument::positionText(a, 0, size, first);
    ListDocument::positionText(b, 0, size, second);
    return first == second;
}

} // namespace

ListLoading::ListLoading(WorkQueue& queue, const std::array<ListDocument*, 3>& lists,
                         MainWindow& window, FolderFiles& files, JournalRecorder& recorder,
                         QString pictureFolder)
    : m_queue(queue), m_lists(lists), m_window(window), m_files(files), m_recorder(recorder),
      m_pictureFolder(std::move(pictureFolder))
{
}

ListLoading::~ListLoading() = default;

void ListLoading::load()
{
    qint64 bytes = 0; // told before reading them
    for (ListId list : kAllLists)
        bytes += fileStatus(m_files.sections.sectionPath(list)).size;
    const Begun begun = begunNow(bytes);
    FolderContents folder;
    const auto read = [&](Reporter& reporter) {
        // A file not there is a list not saved yet. One that cannot be read
        // (patch.ini too) keeps only its own part from loading; all such are
        // said at once.
        folder = m_files.sections.readEach(m_files.patchInfo);
        if (!folder.failures.isEmpty())
            reporter.failure(folder.failures.join(u'\n'));
    };
    m_queue.run(read, begun.isLong, {}, [&] {
        fill(begun, std::move(folder.sections));
        m_filling->patchInfo = std::move(folder.patchInfo);
    });
}

void ListLoading::import(const QString& path)
{
    const Begun begun = begunNow(fileStatus(path).size);
    ScriptFileImport imported;
    m_queue.run([&](Reporter&) { imported = importScriptFile(path); }, begun.isLong, {},
                [&] {
                    if (!imported.outcome)
                        return m_queue.tell(imported.outcome.error(), true);
                    SectionContents contents;
                    for (ListId list : kAllLists)
                        contents[size_t(list)].bytes = imported.script.list(list);
                    fill(begun, std::move(contents));
                    m_filling->import = Filling::Import{path, std::move(imported.script.warnings),
                                                        std::move(imported.script.patchInfo)};
                });
}

void ListLoading::fill(const Begun& begun, SectionContents contents)
{
    m_filling = std::make_unique<Filling>(&m_window, begun, std::move(contents), m_pictureFolder);
    m_queue.setLoading(true);
    for (ListDocument* list : m_lists)
        list->setBeingReplaced(true);
    connect(&m_filling->filling, &SectionLoad::progressed, this,
            [this](double fraction) { m_filling->busy.step(fraction); });
    connect(&m_filling->filling, &SectionLoad::filled, this, &ListLoading::filled);
}

void ListLoading::filled()
{
    // All three are in: they replace the lists together. A Load's are what
    // the files hold, and the journal has nothing to keep of them; an
    // import's are unsaved work like any edit.
    const std::array<QTextDocument*, 3> documents = m_filling->filling.takeDocuments();
    std::optional<Filling::Import> import = std::move(m_filling->import);
    m_recorder.setPaused(!import);
    const SectionContents& contents = m_filling->contents;
    for (size_t i = 0; i < m_lists.size(); ++i) {
        // A list whose file could not be read keeps what it had; an import
        // of what a list holds leaves it as it was, saved or not.
        if (!contents[i].read || (import && sameText(*documents[i], *m_lists[i]->document())))
            delete documents[i];
        else
            adoptWithMarks(ListId(i), documents[i]);
        m_lists[i]->setBeingReplaced(false);
    }
    if (!import) {
        rememberFiles();
    } else if (import->patchInfo) {
        // The script's own name, creator, mail and kind: unsaved, as its lists
        // are. A script with the usual lines leaves the folder's as they are.
        m_files.patchInfo.setPatchInfo(import->patchInfo);
    }
    m_filling.reset();
    m_queue.setLoading(false);
    Q_EMIT listsReplaced();
    if (import && !import->warnings.isEmpty())
        m_queue.tell(describeImportWarnings(import->path, import->warnings), true);
    m_queue.runWaiting();
}

void ListLoading::rememberFiles()
{
    const SectionContents& contents = m_filling->contents;
    m_files.sections.rememberSections(contents);
    if (m_filling->patchInfo)
        m_files.patchInfo.rememberPatchInfo(*m_filling->patchInfo);
    else
        m_files.patchInfo.rememberPatchInfoUnread();
    for (size_t i = 0; i < m_lists.size(); ++i) {
        if (contents[i].read)
            m_lists[i]->markSaved();
    }
    m_recorder.setPaused(false);
    m_recorder.reset();
    for (ListId list : kAllLists) { // kept against a crash again
        if (m_lists[size_t(list)]->isUnsaved())
            m_recorder.keep(list);
    }
}

void ListLoading::adoptWithMarks(ListId list, QTextDocument* document)
{
    ListProblems::Counted marks = m_filling->marks.take(list);
    m_lists[size_t(list)]->adopt(document);
    if (ListProblems* problems = m_window.problems(list))
        problems->countedAlready(document, std::move(marks));
}

} // namespace scp
