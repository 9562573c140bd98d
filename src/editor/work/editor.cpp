// The program: its lists, windows and files, and the order work runs in.

#include "work/editor.h"

#include "files/file_reading.h"
#include "files/folder_check.h"
#include "lists/list_document.h"
#include "lists/list_pictures.h"
#include "lists/picture_previews.h"
#include "pictures/picture_entries.h"
#include "recovery/recovery_journal.h"
#include "script/changed_files.h"
#include "windows/about_window.h"
#include "windows/main_window.h"
#include "windows/message_box_reporter.h"
#include "windows/patch_info_dialog.h"
#include "windows/questions.h"
#include "windows/script_menus.h"
#include "work/editor_settings.h"
#include "work/folder_move.h"
#include "work/journal_recorder.h"
#include "work/list_loading.h"
#include "work/recovery_offer.h"
#include "work/work_queue.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
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
    const std::array<ListDocument*, 3> lists = documents();
    for (ListDocument* list : lists)
        connect(list, &ListDocument::unsavedChanged, this, &Editor::updateUnsaved);
    m_recorder = std::make_unique<JournalRecorder>(lists, m_sectionFiles);
    m_mainWindow = std::make_unique<MainWindow>(lists);
    MainWindow* main = m_mainWindow.get();
    m_boxes = std::make_unique<MessageBoxReporter>(main);
    m_queue = std::make_unique<WorkQueue>(main, *m_boxes);
    m_loading = std::make_unique<ListLoading>(*m_queue, lists, *main, m_sectionFiles, *m_recorder,
                                              m_pictures.path());
    connect(m_loading.get(), &ListLoading::listsReplaced, this, [this] {
        updateUnsaved(); // the patch info's part, which no list reports
        Q_EMIT freedMemory();
    });
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
            m_queue->whenFree([this, message] {
                m_queue->tell(message +
                                  u". Until the lists are saved, what is not saved is not kept "
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
    if (!m_sectionFiles.hasSectionFiles() && fileStatus(m_sectionFiles.scriptPath()).exists)
        noteScriptCanBeImported(m_mainWindow.get(), m_sectionFiles.scriptPath());
    // Once the window is up and the files are in.
    QTimer::singleShot(0, this, [this, lock] {
        m_queue->whenFree([this, lock] {
            const RecoveryOffer offer{*m_queue,        m_mainWindow.get(), m_store,
                                      m_journal.get(), m_sectionFiles,     documents()};
            offer.afterStart(lock);
        });
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
    switch (m_queue->asking(
        [&] { return askToSaveLists(m_mainWindow.get(), lists, before, patchInfo); })) {
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
    if (m_queue->isAsking())
        return;
    if (m_queue->isWorking())
        return m_queue->whenFree([this] { close(); });
    if (!maySaveBefore(u"closing"_s))
        return;
    // Unsaved lists given up: so is their journal.
    if (m_journal)
        m_journal->discard();
    m_mainWindow->hide();
    Q_EMIT finished();
}

bool Editor::isIdle() const
{
    return m_menusOpen == 0 && m_queue->isIdle();
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

// Lists this long take a Save past the time a busy pointer is due.
constexpr qsizetype kLongSave = qsizetype(8) << 20; // characters

} // namespace

bool Editor::listsAreLong() const
{
    qsizetype characters = 0;
    for (const std::unique_ptr<ListDocument>& list : m_lists)
        characters += list->positionCount();
    return characters >= kLongSave;
}

void Editor::load()
{
    m_queue->whenFree([this] {
        if (maySaveBefore(u"loading"_s))
            m_loading->load();
    });
}

void Editor::importScript()
{
    m_queue->whenFree([this] {
        if (!maySaveBefore(u"importing"_s))
            return;
        const QString path =
            m_queue->asking([this] { return m_chooseScript(m_mainWindow.get(), dialogFolder()); });
        if (!path.isEmpty())
            m_loading->import(path);
    });
}

void Editor::addEntry(ListId list, const QString& entry)
{
    m_queue->whenFree([this, list, entry] { m_entryLists.addEntry(list, entry); });
}

void Editor::addPictures(ListId list, const QStringList& paths)
{
    m_queue->whenFree([this, list, paths] {
        if (list == ListId::Items) {
            m_queue->tell(u"Pictures go in the gumps or tiles list; the items list names none, so "
                          u"nothing was added."_s,
                          false);
            return;
        }
        const PictureImport import =
            importPictures(m_pictures.path(), paths, this->list(list).text());
        m_entryLists.addEntries(list, import.entries);
        if (!import.skipped.isEmpty())
            m_queue->tell(skippedMessage(import.skipped, import.entries.size()), true);
    });
}

void Editor::choosePictures(ListId list)
{
    m_queue->whenFree([this, list] {
        const QStringList paths =
            m_queue->asking([&] { return m_choosePictures(m_mainWindow.get(), dialogFolder()); });
        if (!paths.isEmpty())
            addPictures(list, paths);
    });
}

void Editor::clearList(ListId list)
{
    m_queue->whenFree([this, list] { m_entryLists.clearList(list); });
}

bool Editor::mayReplaceScript()
{
    QString unreadable;
    if (m_sectionFiles.mayReplaceScript(&unreadable))
        return true;
    const QString path = m_sectionFiles.scriptPath();
    switch (
        m_queue->asking([&] { return askToReplaceScript(m_mainWindow.get(), path, unreadable); })) {
    case ScriptAnswer::Replace:
        return true;
    case ScriptAnswer::Import:
        // The user's way to keep its lists: Import mantle.scp... on it.
        if (maySaveBefore(u"importing"_s))
            m_loading->import(path);
        return false;
    case ScriptAnswer::Cancel:
        break;
    }
    return false;
}

void Editor::compileScript()
{
    m_queue->whenFree([this] {
        if (m_folderless)
            return moveToAFolder(true);
        // Entries the patching tool cannot read, and a script the user made
        // elsewhere, are not written over unasked.
        if (!mayCompileWithErrors() || !mayReplaceScript())
            return;
        m_queue->run(
            [this](Reporter& reporter) { m_sectionFiles.compileScript(m_entryLists, reporter); },
            listsAreLong());
    });
}

bool Editor::mayCompileWithErrors()
{
    const QList<ListErrors> errors =
        scriptErrors({m_lists[0].get(), m_lists[1].get(), m_lists[2].get()});
    if (errors.isEmpty())
        return true;
    switch (m_queue->asking([&] { return askToCompileWithErrors(m_mainWindow.get(), errors); })) {
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
    m_queue->whenFree([this] { saveNow(); });
}

void Editor::editPatchInfo()
{
    m_queue->whenFree([this] {
        // A folder without patch info shows what its script says today.
        const PatchInfo current = m_sectionFiles.patchInfo().value_or(PatchInfo::defaults());
        const std::optional<PatchInfo> edited =
            m_queue->asking([&] { return askForPatchInfo(m_mainWindow.get(), current); });
        // OK with nothing changed changes nothing: the folder keeps its script.
        if (!edited || *edited == current)
            return;
        m_sectionFiles.setPatchInfo(*edited);
        updateUnsaved();
    });
}

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
    const ChangedFiles changed = changedSinceRead(m_sectionFiles);
    if (!changed.files.isEmpty() && !m_queue->asking([&] {
            return askToReplace(m_mainWindow.get(), changed.files, changed.unreadable);
        }))
        return false;
    bool saved = false;
    const auto save = [this, &saved](Reporter& reporter) {
        saved = m_sectionFiles.saveSections(m_entryLists, reporter);
    };
    m_queue->run(save, listsAreLong(), [this] {
        for (const std::unique_ptr<ListDocument>& list : m_lists)
            list->markSaved();
        updateUnsaved(); // the patch info's part, which no list reports
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
    m_queue->whenFree([this] {
        const QString path =
            m_queue->asking([this] { return m_chooseFolder(m_mainWindow.get(), dialogFolder()); });
        if (!path.isEmpty())
            openFolderAt(path);
    });
}

void Editor::openFolderAt(const QString& path)
{
    m_queue->whenFree([this, path] {
        if (const QString problem = folderOpenProblem(path); !problem.isEmpty())
            return m_queue->tell(problem, true);
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
    m_queue->stop();
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
    if (!m_queue->asking([&] { return askForAFolder(m_mainWindow.get(), doing); }))
        return;
    const QString path =
        m_queue->asking([this] { return m_chooseFolder(m_mainWindow.get(), QDir::homePath()); });
    if (path.isEmpty())
        return;
    if (const QString problem = whyNoHomeFor(path, m_pictures.path()); !problem.isEmpty())
        return m_queue->tell(problem + u" Nothing was written."_s, true);
    // The pictures added go first: the folder left behind is a scratch one.
    if (const QString problem = copyPicturesTo(path, m_pictures.path()); !problem.isEmpty())
        return m_queue->tell(problem, true);
    CarriedWork work;
    for (ListId list : kAllLists)
        work.lists[size_t(list)] = this->list(list).text();
    if (m_sectionFiles.patchInfoUnsaved())
        work.patchInfo = m_sectionFiles.patchInfo();
    work.compile = compile;
    m_carried = std::move(work);
    leaveFor(path);
}

void Editor::carryOn(const CarriedWork& work)
{
    m_queue->whenFree([this, work] {
        for (ListId list : kAllLists) {
            if (this->list(list).text() != work.lists[size_t(list)])
                this->list(list).setText(work.lists[size_t(list)]);
        }
        if (work.patchInfo)
            m_sectionFiles.setPatchInfo(work.patchInfo);
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
