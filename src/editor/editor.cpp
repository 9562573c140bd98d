// The program: its lists, windows and files, and the order work runs in.

#include "editor.h"

#include "about_window.h"
#include "busy_work.h"
#include "file_reading.h"
#include "journal_format.h"
#include "journal_recorder.h"
#include "list_document.h"
#include "list_pictures.h"
#include "main_window.h"
#include "memory_policy.h"
#include "message_box_reporter.h"
#include "patch_info_dialog.h"
#include "picture_entries.h"
#include "picture_previews.h"
#include "questions.h"
#include "recovery_journal.h"
#include "script_menus.h"
#include "section_load.h"

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
    Loading(QWidget* window, SectionContents read) : busy(window), contents(std::move(read))
    {
        busy.setEventLoopRuns();
    }
    BusyWork busy; // the pointer and the progress, while the lists fill
    SectionContents contents;
    PatchInfoContent patchInfo;
    SectionLoad filling{contents};
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

} // namespace

Editor::Editor(const QDir& folder, const QString& journalFolder)
    : m_sectionFiles(folder),
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
        start();
    }
}

void Editor::start()
{
    const RecoveryStore::Lock lock = m_store.lock();
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
    if (m_sectionFiles.hasSectionFiles() || m_sectionFiles.hasPatchInfoFile())
        load();
    else
        m_sectionFiles.rememberFolderAsIs();
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
        switch (asking([&] {
            return askToRestore(m_mainWindow.get(), path, QFileInfo(path).lastModified(), lists);
        })) {
        case RecoveryAnswer::Restore:
            for (ListId list : lists)
                this->list(list).setText(listTextOf(*reading.content->lists[size_t(list)]));
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
    m_mainWindow->setWindowModified(listsUnsaved || m_sectionFiles.patchInfoUnsaved());
    // The lists back to what the files hold: nothing to keep against a crash
    // (the journal keeps lists only).
    if (!listsUnsaved)
        m_recorder->reset();
}

bool Editor::maySaveBefore(const QString& before)
{
    const QList<ListId> lists = unsavedLists();
    const bool patchInfo = m_sectionFiles.patchInfoUnsaved();
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
        connect(m_menus.get(), &ScriptMenus::copyRequested, this, &Editor::copyList);
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
    std::optional<SectionContents> contents;
    std::optional<PatchInfoContent> patchInfo;
    {
        FinishingReporter reporter(reading, m_mainWindow.get());
        m_work = &reading;
        // A file not there is a list not saved yet. A patch.ini that cannot
        // be used stops the Load as a section file that cannot be read does.
        contents = m_sectionFiles.readSections(reporter, AbsentSection::IsPlaceholder);
        if (contents)
            patchInfo = m_sectionFiles.readPatchInfo(reporter);
        m_work = nullptr;
    }
    if (!contents || !patchInfo) {
        runWaiting();
        return;
    }
    fillLists(std::move(*contents));
    m_loading->patchInfo = std::move(*patchInfo);
}

void Editor::importScript()
{
    whenFree([this] {
        if (!maySaveBefore(u"importing"_s))
            return;
        const QString path =
            asking([this] { return m_chooseScript(m_mainWindow.get(), m_store.folderPath()); });
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
    m_loading = std::make_unique<Loading>(m_mainWindow.get(), std::move(contents));
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
    for (size_t i = 0; i < m_lists.size(); ++i) {
        m_lists[i]->adopt(filled[i]);
        m_lists[i]->setBeingReplaced(false);
    }
    if (!import) {
        m_sectionFiles.rememberSections(m_loading->contents);
        m_sectionFiles.rememberPatchInfo(m_loading->patchInfo);
        for (const std::unique_ptr<ListDocument>& list : m_lists)
            list->markSaved();
        m_recorder->setPaused(false);
        m_recorder->reset();
    } else if (import->patchInfo) {
        // The script's own name, creator, mail and kind: unsaved, as its lists
        // are. A script with the usual lines leaves the folder's as they are.
        m_sectionFiles.setPatchInfo(import->patchInfo);
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
            asking([&] { return m_choosePictures(m_mainWindow.get(), m_pictures.path()); });
        if (!paths.isEmpty())
            addPictures(list, paths);
    });
}

void Editor::clearList(ListId list)
{
    whenFree([this, list] { m_entryLists.clearList(list); });
}

void Editor::compileScript()
{
    whenFree([this] {
        runWork(listsAreLong(), [this](Reporter& reporter) {
            m_sectionFiles.compileScript(m_entryLists, reporter);
        });
    });
}

void Editor::saveSections()
{
    whenFree([this] { saveNow(); });
}

void Editor::editPatchInfo()
{
    whenFree([this] {
        // A folder without patch info shows what its script says today.
        const PatchInfo current = m_sectionFiles.patchInfo().value_or(PatchInfo::defaults());
        const std::optional<PatchInfo> edited =
            asking([&] { return askForPatchInfo(m_mainWindow.get(), current); });
        // OK with nothing changed changes nothing: the folder keeps its script.
        if (!edited || *edited == current)
            return;
        m_sectionFiles.setPatchInfo(*edited);
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
    // The three files (and patch.ini, where it is written) are one save: any
    // changed behind the editor's back is asked about first, and Cancel
    // writes none.
    QStringList changed;
    const auto askAbout = [&changed](const QString& name, const FileRecord& record,
                                     const QString& path) {
        if (record.mayReplace(path))
            return;
        changed.append(name + (record.existed()   ? u" (changed since it was read or saved here)"_s
                               : record.isKnown() ? u" (made since this editor started)"_s
                                                  : u" (never read here)"_s));
    };
    for (ListId list : kAllLists)
        askAbout(sectionFileName(list), m_sectionFiles.sectionRecord(list),
                 m_sectionFiles.sectionPath(list));
    if (m_sectionFiles.patchInfoUnsaved())
        askAbout(QString::fromLatin1(kPatchInfoFileName), m_sectionFiles.patchInfoRecord(),
                 m_sectionFiles.patchInfoPath());
    if (!changed.isEmpty() && !asking([&] { return askToReplace(m_mainWindow.get(), changed); }))
        return false;
    bool saved = false;
    runWork(listsAreLong(), [this, &saved](Reporter& reporter) {
        SuccessFirst marking(reporter, [this] {
            for (const std::unique_ptr<ListDocument>& list : m_lists)
                list->markSaved();
            updateUnsaved(); // the patch info's part, which no list reports
        });
        saved = m_sectionFiles.saveSections(m_entryLists, marking);
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
    ScriptMenus::popup(menus().saveMenu(), at);
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
    ScriptMenus::popup(menus().copyMenu(list), at);
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
