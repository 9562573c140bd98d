// The program: its lists, windows and files, and the order work runs in.

#include "work/editor.h"

#include "files/file_reading.h"
#include "files/folder_check.h"
#include "lists/list_document.h"
#include "lists/list_pictures.h"
#include "lists/list_problems.h"
#include "lists/load_marks.h"
#include "lists/picture_previews.h"
#include "lists/section_load.h"
#include "pictures/picture_entries.h"
#include "recovery/journal_format.h"
#include "recovery/recovery_journal.h"
#include "windows/about_window.h"
#include "windows/busy_work.h"
#include "windows/main_window.h"
#include "windows/message_box_reporter.h"
#include "windows/patch_info_dialog.h"
#include "windows/questions.h"
#include "windows/script_menus.h"
#include "work/editor_settings.h"
#include "work/journal_recorder.h"
#include "work/memory_policy.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextDocument>
#include <QTimer>

// The pictures are compiled into the static editor library. Nothing refers to
// them by symbol, so they are registered by name, which also keeps the linker
// from dropping them. Must stand outside any namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

using namespace Qt::StringLiterals;

namespace scp {

// A Load whose lists are being filled. The window stays live meanwhile: the
// lists take no typing, and whatever would act on them waits until all three
// are in.
struct Editor::Loading {
    Loading(QWidget* window, SectionContents read, const QString& pictures)
        : busy(window), contents(std::move(read)), marks(contents, pictures)
    {
        busy.setEventLoopRuns();
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

std::unique_ptr<ListDocument> placeholderList(ListId list)
{
    return std::make_unique<ListDocument>(listPlaceholder(list), spacerWidth(list));
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

Editor::Editor(const QDir& folder, const QString& journalFolder)
    : m_sectionFiles(folder), m_patchInfo(folder), m_compile(folder),
      m_store(folder, journalFolder), m_lists{placeholderList(ListId::Gumps),
                                              placeholderList(ListId::Tiles),
                                              placeholderList(ListId::Items)},
      m_entryLists({m_lists[0].get(), m_lists[1].get(), m_lists[2].get()}),
      m_pictures(folder.path()), m_previews(std::make_unique<PicturePreviews>())
{
    registerResources();
    const std::array<ListDocument*, 3> lists{m_lists[0].get(), m_lists[1].get(), m_lists[2].get()};
    for (ListDocument* list : lists)
        connect(list, &ListDocument::unsavedChanged, this, &Editor::updateUnsaved);
    m_recorder = std::make_unique<JournalRecorder>(lists, m_sectionFiles);
    m_mainWindow = std::make_unique<MainWindow>(lists);
    MainWindow* main = m_mainWindow.get();
    main->markLists(&m_pictures);
    main->showPictures(m_pictures, *m_previews);
    m_choosePictures = [](QWidget* parent, const QString& folder) {
        return QFileDialog::getOpenFileNames(parent, u"Add pictures"_s, folder,
                                             u"BMP pictures (*.bmp *.BMP);;All files (*)"_s);
    };
    const QString path = QDir::toNativeSeparators(folder.absolutePath());
    main->setFolderName(folder.dirName().isEmpty() ? path : folder.dirName());
    connect(main, &MainWindow::addRequested, this, &Editor::addEntry);
    connect(main, &MainWindow::clearRequested, this, &Editor::clearList);
    connect(main, &MainWindow::loadRequested, this, &Editor::load);
    connect(main, &MainWindow::saveMenuRequested, this, &Editor::openSaveMenu);
    connect(main, &MainWindow::copyMenuRequested, this, &Editor::openCopyMenu);
    connect(main, &MainWindow::filesDropped, this, &Editor::addPictures);
    connect(main, &MainWindow::aboutRequested, this, &Editor::showAbout);
    connect(main, &MainWindow::closeRequested, this, &Editor::close);
    m_chooseFolder = [](QWidget* parent, const QString& folder) {
        return QFileDialog::getExistingDirectory(parent, u"Open Folder"_s, folder);
    };
    // Another patch from anywhere in the window, as its menu item says.
    auto* openFolder = new QAction(main);
    openFolder->setShortcut(QKeySequence::Open);
    openFolder->setShortcutContext(Qt::WindowShortcut);
    main->addAction(openFolder);
    connect(openFolder, &QAction::triggered, this, &Editor::openFolder);
}

Editor::~Editor()
{
    // A Load still filling: its pointer and progress go before the window
    // they belong to.
    m_loading.reset();
}

template <typename Question> auto Editor::asking(Question question)
{
    // Whatever would run meanwhile (a Load's end, work that waited) waits
    // for the answer.
    ++m_asking;
    auto answer = question();
    --m_asking;
    return answer;
}

void Editor::show()
{
    m_mainWindow->show();
    if (!m_started) {
        m_started = true;
        if (!m_folderless)
            rememberRecentFolder(m_store.folderPath());
        start();
    }
}

void Editor::start()
{
    const RecoveryStore::Lock lock = m_store.lock();
    if (lock == RecoveryStore::Lock::HeldElsewhere)
        m_mainWindow->setKeepsNoJournal();
    if (lock == RecoveryStore::Lock::Taken) {
        m_journal =
            std::make_unique<RecoveryJournal>(m_store.newJournalPath(), m_store.folderPath());
        m_recorder->setJournal(m_journal.get());
        connect(m_journal.get(), &RecoveryJournal::failed, this, [this](const QString& message) {
            whenFree([this, message] {
                tell(message + u". Until the lists are saved, what is not saved is not kept "
                               u"against a crash."_s,
                     true);
            });
        });
    }
    // An empty folder starts as it always has: nothing is read.
    if (m_sectionFiles.hasSectionFiles() || m_patchInfo.hasPatchInfoFile()) {
        load();
    } else {
        m_sectionFiles.rememberFolderAsIs();
        m_patchInfo.rememberFolderAsIs();
    }
    if (!m_sectionFiles.hasSectionFiles() && fileStatus(m_compile.scriptPath()).exists)
        noteScriptCanBeImported(m_mainWindow.get(), m_compile.scriptPath());
    // Once the window is up and the files are in.
    QTimer::singleShot(0, this, [this, lock] {
        whenFree([this, lock] {
            switch (lock) {
            case RecoveryStore::Lock::Taken:
                return offerRecovery();
            case RecoveryStore::Lock::HeldElsewhere:
                return tell(u"Another scpmaker is open in \"%1\". This one keeps no recovery "
                            u"journal: what it has not saved is lost if it ends unexpectedly. "
                            u"Both save to the same files."_s.arg(
                                QDir::toNativeSeparators(m_store.folderPath())),
                            false);
            case RecoveryStore::Lock::Failed:
                return tell(m_store.problem() + u": no recovery journal is kept, so what is "
                                                u"not saved is lost if scpmaker ends "
                                                u"unexpectedly."_s,
                            true);
            case RecoveryStore::Lock::NotKept: // the program said why at its start
                return;
            }
        });
    });
}

void Editor::offerRecovery()
{
    for (const QString& path : m_store.leftJournals()) {
        if (m_journal && path == m_journal->path())
            continue;
        const QString shown = QDir::toNativeSeparators(path);
        const FileBytes read = readFileBytes(path);
        const JournalReading reading =
            read.outcome ? readJournal(read.bytes, m_store.folderPath()) : JournalReading{};
        if (!reading.content) {
            tell(u"The recovery journal \"%1\" cannot be used: %2. It is left where it is."_s.arg(
                     shown, read.outcome ? reading.problem : read.reason),
                 true);
            continue;
        }
        QList<ListId> lists;
        for (ListId list : kAllLists) {
            const std::optional<QString>& text = reading.content->lists[size_t(list)];
            if (text && listTextOf(*text) != this->list(list).text())
                lists.append(list);
        }
        if (lists.isEmpty()) { // nothing it holds is missing
            QFile::remove(path);
            continue;
        }
        const QStringList changed = changedSinceJournal(*reading.content, lists);
        switch (asking([&] {
            return askToRestore(m_mainWindow.get(), path, QFileInfo(path).lastModified(), lists,
                                changed);
        })) {
        case RecoveryAnswer::Restore:
            for (ListId list : lists) {
                // The files as the editor knew them then: a save asks before
                // it replaces what changed since (or what it refused to).
                if (const auto& file = reading.content->files[size_t(list)])
                    m_sectionFiles.setSectionRecord(list, *file);
                else // a journal of the first version, without a base
                    m_sectionFiles.setSectionRecord(list, FileRecord());
                this->list(list).setText(listTextOf(*reading.content->lists[size_t(list)]));
            }
            // Ours has them now: the old one can go once they are on disk.
            if (m_journal->flush())
                QFile::remove(path);
            return;
        case RecoveryAnswer::Discard:
            QFile::remove(path);
            continue;
        case RecoveryAnswer::Later:
            return;
        }
    }
}

QStringList Editor::changedSinceJournal(const JournalContent& content,
                                        const QList<ListId>& lists) const
{
    QStringList changed;
    for (ListId list : lists) {
        const std::optional<FileRecord>& file = content.files[size_t(list)];
        const QString path = m_sectionFiles.sectionPath(list);
        // Files it knew nothing of, or could not read, are asked about at
        // the save.
        if (!file || !(file->existed() || file->state() == FileRecord::State::Absent) ||
            file->matches(path))
            continue;
        const bool there = fileStatus(path).exists;
        changed.append(sectionFileName(list) + (!file->existed() ? u" (made since)"_s
                                                : there          ? u" (changed)"_s
                                                                 : u" (removed)"_s));
    }
    return changed;
}

void Editor::tell(const QString& text, bool warning)
{
    asking([&] {
        MessageBoxReporter boxes(m_mainWindow.get());
        if (warning)
            boxes.failure(text);
        else
            boxes.information(text);
        return true;
    });
}

QList<ListId> Editor::unsavedLists() const
{
    QList<ListId> lists;
    for (ListId list : kAllLists) {
        if (this->list(list).isUnsaved())
            lists.append(list);
    }
    return lists;
}

void Editor::updateUnsaved()
{
    const bool listsUnsaved = !unsavedLists().isEmpty();
    m_mainWindow->setWindowModified(listsUnsaved || m_patchInfo.patchInfoUnsaved());
    // The lists back to what the files hold: nothing to keep against a crash
    // (the journal keeps lists only).
    if (!listsUnsaved)
        m_recorder->reset();
}

bool Editor::maySaveBefore(const QString& before)
{
    const QList<ListId> lists = unsavedLists();
    const bool patchInfo = m_patchInfo.patchInfoUnsaved();
    if (lists.isEmpty() && !patchInfo)
        return true;
    switch (asking([&] { return askToSaveLists(m_mainWindow.get(), lists, before, patchInfo); })) {
    case UnsavedAnswer::Save:
        return saveNow();
    case UnsavedAnswer::Discard:
        return true;
    case UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

void Editor::close()
{
    // A question open, or work running, answers first.
    if (m_asking > 0)
        return;
    if (m_work || m_loading)
        return whenFree([this] { close(); });
    if (!maySaveBefore(u"closing"_s))
        return;
    // Unsaved lists given up: so is their journal.
    if (m_journal)
        m_journal->discard();
    m_mainWindow->hide();
    Q_EMIT finished();
}

ScriptMenus& Editor::menus()
{
    if (!m_menus) {
        m_menus = std::make_unique<ScriptMenus>();
        connect(m_menus.get(), &ScriptMenus::compileRequested, this, &Editor::compileScript);
        connect(m_menus.get(), &ScriptMenus::saveSectionsRequested, this, &Editor::saveSections);
        connect(m_menus.get(), &ScriptMenus::patchInfoRequested, this, &Editor::editPatchInfo);
        connect(m_menus.get(), &ScriptMenus::importScriptRequested, this, &Editor::importScript);
        connect(m_menus.get(), &ScriptMenus::openFolderRequested, this, &Editor::openFolder);
        connect(m_menus.get(), &ScriptMenus::recentFolderRequested, this, &Editor::openFolderAt);
        connect(m_menus.get(), &ScriptMenus::removeMissingFoldersRequested, this, [] {
            QStringList folders = recentFolders();
            folders.removeIf([](const QString& folder) { return !QFileInfo(folder).isDir(); });
            setRecentFolders(folders);
        });
        connect(m_menus.get(), &ScriptMenus::clearRecentFoldersRequested, this,
                [] { setRecentFolders({}); });
        connect(m_menus.get(), &ScriptMenus::copyRequested, this, &Editor::copyList);
        connect(m_menus.get(), &ScriptMenus::editRequested, m_mainWindow.get(), &MainWindow::edit);
        connect(m_menus.get(), &ScriptMenus::addPicturesRequested, this, &Editor::choosePictures);
        connect(m_menus.get(), &ScriptMenus::showPictureRequested, this, [this](ListId list) {
            m_mainWindow->listPictures(list)->showPicture(m_mainWindow->menuPosition(list));
        });
        connect(m_menus.get(), &ScriptMenus::useSizeRequested, this, [this](ListId list) {
            // Not while a Load fills the list: it takes no edits then.
            if (!this->list(list).isBeingReplaced())
                m_mainWindow->listPictures(list)->useSizeFix(m_mainWindow->menuPosition(list));
        });
        connect(m_menus.get(), &ScriptMenus::findRequested, m_mainWindow.get(),
                &MainWindow::findInList);
        connect(m_menus.get(), &ScriptMenus::problemRequested, m_mainWindow.get(),
                &MainWindow::selectProblem);
    }
    return *m_menus;
}

AboutWindow& Editor::aboutWindow()
{
    if (!m_aboutWindow) {
        m_aboutWindow = std::make_unique<AboutWindow>();
        connect(m_aboutWindow.get(), &AboutWindow::returnRequested, this, &Editor::returnToMain);
        connect(m_aboutWindow.get(), &AboutWindow::linkClicked, this, &Editor::openLink);
    }
    return *m_aboutWindow;
}

namespace {

// Ends the busy feedback before a message box shows.
class FinishingReporter final : public Reporter {
public:
    FinishingReporter(BusyWork& work, QWidget* window) : m_work(work), m_boxes(window) {}
    void information(const QString& text) override
    {
        m_work.finish();
        m_boxes.information(text);
    }
    void failure(const QString& text) override
    {
        m_work.finish();
        m_boxes.failure(text);
    }
    void progress(double fraction) override { m_work.step(fraction); }

private:
    BusyWork& m_work;
    MessageBoxReporter m_boxes;
};

// Lists this long take a Save past the time a busy pointer is due.
constexpr qsizetype kLongSave = qsizetype(8) << 20; // characters

} // namespace

void Editor::whenFree(std::function<void()> action)
{
    if (m_leaving)
        return;
    if (m_work || m_loading || m_asking > 0) {
        m_waiting.push_back(std::move(action));
    } else {
        action();
        runWaiting(); // what a question held back
    }
}

void Editor::runWork(bool longWork, const std::function<void(Reporter&)>& work)
{
    {
        BusyWork busy(m_mainWindow.get(), longWork);
        FinishingReporter reporter(busy, m_mainWindow.get());
        m_work = &busy;
        work(reporter);
        m_work = nullptr;
    }
    runWaiting();
}

void Editor::runWaiting()
{
    // In the order asked for, until one of them is a Load, which runs on
    // its own and comes back here when its lists are in.
    while (!m_work && !m_loading && m_asking == 0 && !m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.erase(m_waiting.begin());
        next();
    }
}

bool Editor::listsAreLong() const
{
    qsizetype characters = 0;
    for (const std::unique_ptr<ListDocument>& list : m_lists)
        characters += list->positionCount();
    return characters >= kLongSave;
}

void Editor::load()
{
    whenFree([this] {
        if (maySaveBefore(u"loading"_s))
            startLoad();
    });
}

void Editor::startLoad()
{
    BusyWork reading(m_mainWindow.get());
    FolderContents folder;
    {
        FinishingReporter reporter(reading, m_mainWindow.get());
        m_work = &reading;
        // A file not there is a list not saved yet. One that cannot be read
        // (patch.ini too) keeps only its own part from loading; all such
        // are said at once.
        folder = m_sectionFiles.readEach(m_patchInfo);
        if (!folder.failures.isEmpty())
            reporter.failure(folder.failures.join(u'\n'));
        m_work = nullptr;
    }
    fillLists(std::move(folder.sections));
    m_loading->patchInfo = std::move(folder.patchInfo);
}

void Editor::importScript()
{
    whenFree([this] {
        if (!maySaveBefore(u"importing"_s))
            return;
        const QString path =
            asking([this] { return m_chooseScript(m_mainWindow.get(), dialogFolder()); });
        if (!path.isEmpty())
            startImport(path);
    });
}

void Editor::startImport(const QString& path)
{
    ScriptFileImport imported;
    {
        BusyWork reading(m_mainWindow.get());
        m_work = &reading;
        imported = importScriptFile(path);
        m_work = nullptr;
    }
    if (!imported.outcome) {
        tell(imported.outcome.error(), true);
        runWaiting();
        return;
    }
    SectionContents contents;
    for (ListId list : kAllLists)
        contents[static_cast<size_t>(list)].bytes = imported.script.list(list);
    fillLists(std::move(contents));
    m_loading->import = Loading::Import{path, std::move(imported.script.warnings),
                                        std::move(imported.script.patchInfo)};
}

void Editor::fillLists(SectionContents contents)
{
    m_loading =
        std::make_unique<Loading>(m_mainWindow.get(), std::move(contents), m_pictures.path());
    for (const std::unique_ptr<ListDocument>& list : m_lists)
        list->setBeingReplaced(true);
    connect(&m_loading->filling, &SectionLoad::progressed, this,
            [this](double fraction) { m_loading->busy.step(fraction); });
    connect(&m_loading->filling, &SectionLoad::filled, this, &Editor::listsFilled);
}

void Editor::listsFilled()
{
    // All three are in: they replace the lists together. A Load's are what
    // the files hold, and the journal has nothing to keep of them; an
    // import's are unsaved work like any edit.
    const std::array<QTextDocument*, 3> filled = m_loading->filling.takeDocuments();
    std::optional<Loading::Import> import = std::move(m_loading->import);
    m_recorder->setPaused(!import);
    const SectionContents& contents = m_loading->contents;
    for (size_t i = 0; i < m_lists.size(); ++i) {
        // A list whose file could not be read keeps what it had; an import
        // of what a list holds leaves it as it was, saved or not.
        if (!contents[i].read || (import && sameText(*filled[i], *m_lists[i]->document())))
            delete filled[i];
        else
            adoptWithMarks(ListId(i), filled[i]);
        m_lists[i]->setBeingReplaced(false);
    }
    if (!import) {
        m_sectionFiles.rememberSections(contents);
        if (m_loading->patchInfo)
            m_patchInfo.rememberPatchInfo(*m_loading->patchInfo);
        else
            m_patchInfo.rememberPatchInfoUnread();
        for (size_t i = 0; i < m_lists.size(); ++i) {
            if (contents[i].read)
                m_lists[i]->markSaved();
        }
        m_recorder->setPaused(false);
        m_recorder->reset();
        for (ListId list : unsavedLists()) // kept against a crash again
            m_recorder->keep(list);
    } else if (import->patchInfo) {
        // The script's own name, creator, mail and kind: unsaved, as its lists
        // are. A script with the usual lines leaves the folder's as they are.
        m_patchInfo.setPatchInfo(import->patchInfo);
    }
    updateUnsaved(); // the patch info's part, which no list reports
    m_loading.reset();
    // The lists replaced and the files read are freed now, and the filling
    // threads' heaps hold what they freed.
    returnFreedMemoryWhenIdle();
    if (import) {
        if (!import->warnings.isEmpty())
            tell(describeImportWarnings(import->path, import->warnings), true);
    }
    runWaiting();
}

void Editor::adoptWithMarks(ListId list, QTextDocument* filled)
{
    std::vector<ListProblems::Mark> marks = m_loading->marks.take(list);
    m_lists[size_t(list)]->adopt(filled);
    if (ListProblems* problems = m_mainWindow->problems(list))
        problems->countedAlready(filled, std::move(marks));
}

void Editor::addEntry(ListId list, const QString& entry)
{
    whenFree([this, list, entry] { m_entryLists.addEntry(list, entry); });
}

void Editor::addPictures(ListId list, const QStringList& paths)
{
    whenFree([this, list, paths] {
        if (list == ListId::Items) {
            tell(u"Pictures go in the gumps or tiles list; the items list names none, so "
                 u"nothing was added."_s,
                 false);
            return;
        }
        const PictureImport import =
            importPictures(m_pictures.path(), paths, this->list(list).text());
        m_entryLists.addEntries(list, import.entries);
        if (!import.skipped.isEmpty())
            tell(skippedMessage(import.skipped, import.entries.size()), true);
    });
}

void Editor::choosePictures(ListId list)
{
    whenFree([this, list] {
        const QStringList paths =
            asking([&] { return m_choosePictures(m_mainWindow.get(), dialogFolder()); });
        if (!paths.isEmpty())
            addPictures(list, paths);
    });
}

void Editor::clearList(ListId list)
{
    whenFree([this, list] { m_entryLists.clearList(list); });
}

bool Editor::mayReplaceScript()
{
    QString unreadable;
    if (m_compile.mayReplaceScript(&unreadable))
        return true;
    const QString path = m_compile.scriptPath();
    switch (asking([&] { return askToReplaceScript(m_mainWindow.get(), path, unreadable); })) {
    case ScriptAnswer::Replace:
        return true;
    case ScriptAnswer::Import:
        // The user's way to keep its lists: Import mantle.scp... on it.
        if (maySaveBefore(u"importing"_s))
            startImport(path);
        return false;
    case ScriptAnswer::Cancel:
        break;
    }
    return false;
}

void Editor::compileScript()
{
    whenFree([this] {
        if (m_folderless)
            return moveToAFolder(true);
        // Entries the patching tool cannot read, and a script the user made
        // elsewhere, are not written over unasked.
        if (!mayCompileWithErrors() || !mayReplaceScript())
            return;
        runWork(listsAreLong(), [this](Reporter& reporter) {
            m_compile.compileScript(m_entryLists, m_patchInfo.patchInfo(), reporter);
        });
    });
}

bool Editor::mayCompileWithErrors()
{
    const QList<ListErrors> errors =
        scriptErrors({m_lists[0].get(), m_lists[1].get(), m_lists[2].get()});
    if (errors.isEmpty())
        return true;
    switch (asking([&] { return askToCompileWithErrors(m_mainWindow.get(), errors); })) {
    case CompileAnswer::Compile:
        return true;
    case CompileAnswer::ShowFirst:
        m_mainWindow->selectProblemAt(errors.first().list, int(errors.first().first.position));
        return false;
    case CompileAnswer::Cancel:
        break;
    }
    return false;
}

void Editor::saveSections()
{
    whenFree([this] { saveNow(); });
}

void Editor::editPatchInfo()
{
    whenFree([this] {
        // A folder without patch info shows what its script says today.
        const PatchInfo current = m_patchInfo.patchInfo().value_or(PatchInfo::defaults());
        const std::optional<PatchInfo> edited =
            asking([&] { return askForPatchInfo(m_mainWindow.get(), current); });
        // OK with nothing changed changes nothing: the folder keeps its script.
        if (!edited || *edited == current)
            return;
        m_patchInfo.setPatchInfo(*edited);
        updateUnsaved();
    });
}

namespace {

// Passes reports on, doing `first` before a success is shown.
class SuccessFirst final : public Reporter {
public:
    SuccessFirst(Reporter& reporter, std::function<void()> first)
        : m_reporter(reporter), m_first(std::move(first))
    {
    }
    void information(const QString& text) override
    {
        m_first();
        m_reporter.information(text);
    }
    void failure(const QString& text) override { m_reporter.failure(text); }
    void progress(double fraction) override { m_reporter.progress(fraction); }

private:
    Reporter& m_reporter;
    std::function<void()> m_first;
};

} // namespace

bool Editor::saveNow()
{
    // Saved in the folder the user chooses, by that folder's editor; what
    // asked for the save here (a close, a Load) does not go on.
    if (m_folderless) {
        moveToAFolder(false);
        return false;
    }
    // The three files (and patch.ini, where it is written) are one save: any
    // changed behind the editor's back is asked about first, and Cancel
    // writes none.
    QStringList changed;
    int unreadable = 0;
    const auto askAbout = [&](const QString& name, const FileRecord& record, const QString& path,
                              const QString& shown) {
        if (record.mayReplace(path))
            return;
        unreadable += record.wasUnreadable() ? 1 : 0;
        changed.append(name + (record.existed() ? u" (changed since it was read or saved here)"_s
                               : record.wasUnreadable()
                                   ? u" (it could not be read, so what it holds on disk would be "
                                     u"replaced by %1 shown)"_s.arg(shown)
                               : record.isKnown() ? u" (made since this editor started)"_s
                                                  : u" (never read here)"_s));
    };
    for (ListId list : kAllLists)
        askAbout(sectionFileName(list), m_sectionFiles.sectionRecord(list),
                 m_sectionFiles.sectionPath(list), u"the %1 list"_s.arg(listName(list)));
    if (m_patchInfo.patchInfoUnsaved())
        askAbout(QString::fromLatin1(kPatchInfoFileName), m_patchInfo.patchInfoRecord(),
                 m_patchInfo.patchInfoPath(), u"the patch info"_s);
    if (!changed.isEmpty() &&
        !asking([&] { return askToReplace(m_mainWindow.get(), changed, unreadable); }))
        return false;
    bool saved = false;
    runWork(listsAreLong(), [this, &saved](Reporter& reporter) {
        SuccessFirst marking(reporter, [this] {
            for (const std::unique_ptr<ListDocument>& list : m_lists)
                list->markSaved();
            updateUnsaved(); // the patch info's part, which no list reports
        });
        saved = m_sectionFiles.saveSections(m_entryLists, m_patchInfo, marking);
    });
    return saved;
}

void Editor::copyList(ListId list)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Emptied first, so no older content in another format outlives the copy.
    clipboard->clear();
    const QString selected = m_mainWindow->selectedText(list);
    clipboard->setText(selected.isEmpty() ? this->list(list).text() : selected);
}

void Editor::openSaveMenu(QPoint at)
{
    QList<ScriptMenus::RecentFolder> folders;
    for (const QString& folder : recentFolders())
        folders.append({folder, QFileInfo(folder).isDir()});
    menus().setRecentFolders(folders);
    ++m_menusOpen;
    ScriptMenus::popup(menus().saveMenu(), at);
    --m_menusOpen;
}

void Editor::openFolder()
{
    whenFree([this] {
        const QString path =
            asking([this] { return m_chooseFolder(m_mainWindow.get(), dialogFolder()); });
        if (!path.isEmpty())
            openFolderAt(path);
    });
}

void Editor::openFolderAt(const QString& path)
{
    whenFree([this, path] {
        if (const QString problem = folderOpenProblem(path); !problem.isEmpty())
            return tell(problem, true);
        if (maySaveBefore(u"opening another folder"_s))
            leaveFor(path);
    });
}

void Editor::leaveFor(const QString& path)
{
    // Unsaved lists given up (or carried on): so is their journal. Whatever
    // waited for this editor is dropped with it.
    if (m_journal)
        m_journal->discard();
    m_leaving = true;
    m_waiting.clear();
    m_mainWindow->hide();
    Q_EMIT folderChosen(QFileInfo(path).absoluteFilePath());
}

void Editor::setFolderless()
{
    m_folderless = true;
    m_mainWindow->setFolderName(u"no folder yet (no recovery journal)"_s);
}

void Editor::moveToAFolder(bool compile)
{
    const QString doing = compile ? u"compiling mantle.scp"_s : u"saving the lists"_s;
    if (!asking([&] { return askForAFolder(m_mainWindow.get(), doing); }))
        return;
    const QString path =
        asking([this] { return m_chooseFolder(m_mainWindow.get(), QDir::homePath()); });
    if (path.isEmpty())
        return;
    if (const QString problem = whyNoHomeFor(path); !problem.isEmpty())
        return tell(problem + u" Nothing was written."_s, true);
    // The pictures added go first: the folder left behind is a scratch one.
    if (const QString problem = copyPicturesTo(path); !problem.isEmpty())
        return tell(problem, true);
    CarriedWork work;
    for (ListId list : kAllLists)
        work.lists[size_t(list)] = this->list(list).text();
    if (m_patchInfo.patchInfoUnsaved())
        work.patchInfo = m_patchInfo.patchInfo();
    work.compile = compile;
    m_carried = std::move(work);
    leaveFor(path);
}

QString Editor::whyNoHomeFor(const QString& path) const
{
    if (QString problem = folderOpenProblem(path); !problem.isEmpty())
        return problem + u'.';
    const QString shown = QDir::toNativeSeparators(path);
    if (const QString reason = whyFolderCannotBeWritten(path); !reason.isEmpty())
        return u"Cannot write in the folder \"%1\": %2."_s.arg(shown, reason);
    // Never over another patch, or another picture: they would be replaced
    // unread.
    QStringList names{sectionFileName(ListId::Gumps), sectionFileName(ListId::Tiles),
                      sectionFileName(ListId::Items), QString::fromLatin1(kPatchInfoFileName),
                      QString::fromLatin1(kScriptFileName)};
    names += QDir(m_pictures.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : std::as_const(names)) {
        if (QFileInfo::exists(QDir(path).filePath(name))) {
            return u"The folder \"%1\" already holds a file \"%2\", which these lists would "
                   u"replace. Open it with Open Folder..., or choose a folder of its own for "
                   u"them."_s.arg(shown, name);
        }
    }
    return {};
}

QString Editor::copyPicturesTo(const QString& path) const
{
    QStringList copied;
    for (const QFileInfo& picture :
         QDir(m_pictures.path()).entryInfoList(QDir::Files | QDir::Hidden)) {
        const QString target = QDir(path).filePath(picture.fileName());
        QFile file(picture.filePath());
        if (!file.copy(target)) {
            for (const QString& made : std::as_const(copied))
                QFile::remove(made);
            return u"Could not copy the picture \"%1\" into \"%2\": %3. Nothing was "
                   u"written."_s.arg(picture.fileName(), QDir::toNativeSeparators(path),
                                     file.errorString());
        }
        copied.append(target);
    }
    return {};
}

void Editor::carryOn(const CarriedWork& work)
{
    whenFree([this, work] {
        for (ListId list : kAllLists) {
            if (this->list(list).text() != work.lists[size_t(list)])
                this->list(list).setText(work.lists[size_t(list)]);
        }
        if (work.patchInfo)
            m_patchInfo.setPatchInfo(work.patchInfo);
        updateUnsaved();
        if (work.compile)
            compileScript();
        else
            saveNow();
    });
}

void Editor::openCopyMenu(ListId list, QPoint at)
{
    if (ListPictures* pictures = m_mainWindow->listPictures(list)) {
        const int position = m_mainWindow->menuPosition(list);
        const std::optional<BmpSize> fix = pictures->sizeFix(position);
        menus().setPictureItems(list, pictures->hasPicture(position),
                                fix ? std::optional(QSize(int(fix->width), int(fix->height)))
                                    : std::nullopt);
    }
    menus().setEditItems(
        list, [this, list](EditCommand command) { return m_mainWindow->canEdit(list, command); });
    ++m_menusOpen;
    ScriptMenus::popup(menus().copyMenu(list), at);
    --m_menusOpen;
}

void Editor::showAbout()
{
    m_mainWindow->hide();
    aboutWindow().showAbout();
}

void Editor::returnToMain()
{
    aboutWindow().hide();
    m_mainWindow->setVisible(true);
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void Editor::openLink(AboutLink link)
{
    m_launchLink(linkCommand(link));
}

} // namespace scp
