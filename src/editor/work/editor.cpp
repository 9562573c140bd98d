// The program: its lists, windows and files, and what connects them.

#include "work/editor.h"

#include "files/file_reading.h"
#include "files/folder_check.h"
#include "lists/list_document.h"
#include "lists/picture_previews.h"
#include "pictures/picture_entries.h"
#include "recovery/recovery_journal.h"
#include "windows/file_dialogs.h"
#include "windows/first_paint.h"
#include "windows/main_window.h"
#include "windows/message_box_reporter.h"
#include "windows/patch_info_dialog.h"
#include "windows/questions.h"
#include "work/editor_settings.h"
#include "work/folder_move.h"
#include "work/journal_recorder.h"
#include "work/list_loading.h"
#include "work/list_saving.h"
#include "work/popup_windows.h"
#include "work/recovery_offer.h"
#include "work/work_queue.h"

#include <QAction>
#include <QFileInfo>
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
    : m_files(folder), m_store(folder, journalFolder), m_lists{placeholderList(ListId::Gumps),
                                                               placeholderList(ListId::Tiles),
                                                               placeholderList(ListId::Items)},
      m_entryLists({m_lists[0].get(), m_lists[1].get(), m_lists[2].get()}),
      m_pictures(folder.path()), m_previews(std::make_unique<PicturePreviews>())
{
    registerResources();
    const std::array<ListDocument*, 3> lists = documents();
    for (ListDocument* list : lists)
        connect(list, &ListDocument::unsavedChanged, this, [this] { m_saving->updateUnsaved(); });
    m_recorder = std::make_unique<JournalRecorder>(lists, m_files.sections);
    m_mainWindow = std::make_unique<MainWindow>(lists);
    MainWindow* main = m_mainWindow.get();
    m_boxes = std::make_unique<MessageBoxReporter>(main);
    m_queue = std::make_unique<WorkQueue>(main, *m_boxes);
    m_loading = std::make_unique<ListLoading>(*m_queue, lists, *main, m_files, *m_recorder,
                                              m_pictures.path());
    m_saving = std::make_unique<ListSaving>(*m_queue, *main, m_files, m_entryLists, lists,
                                            *m_recorder, *m_loading);
    connect(m_loading.get(), &ListLoading::listsReplaced, this, [this] {
        m_saving->updateUnsaved(); // the patch info's part, which no list reports
        Q_EMIT freedMemory();
    });
    main->markLists(&m_pictures);
    main->showPictures(m_pictures, *m_previews);
    const QString path = QDir::toNativeSeparators(folder.absolutePath());
    main->setFolderName(folder.dirName().isEmpty() ? path : folder.dirName());
    connect(main, &MainWindow::addRequested, this, &Editor::addEntry);
    connect(main, &MainWindow::clearRequested, this, &Editor::clearList);
    connect(main, &MainWindow::loadRequested, this, &Editor::load);
    m_popups = std::make_unique<PopupWindows>(*this, *main, lists);
    connect(main, &MainWindow::saveMenuRequested, m_popups.get(), &PopupWindows::openSaveMenu);
    connect(main, &MainWindow::copyMenuRequested, m_popups.get(), &PopupWindows::openCopyMenu);
    connect(main, &MainWindow::filesDropped, this, &Editor::addPictures);
    connect(main, &MainWindow::aboutRequested, this, &Editor::showAbout);
    connect(main, &MainWindow::closeRequested, this, &Editor::close);
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
        // The settings are written (and synced to disk) once the window is up.
        if (!m_folderless)
            afterFirstPaint(this, [this] { rememberRecentFolder(m_store.folderPath()); });
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
    if (m_files.sections.hasSectionFiles() || m_files.patchInfo.hasPatchInfoFile())
        load();
    else
        m_files.rememberFolderAsIs();
    if (!m_files.sections.hasSectionFiles() && fileStatus(m_files.script.scriptPath()).exists)
        noteScriptCanBeImported(m_mainWindow.get(), m_files.script.scriptPath());
    // Once the window is up and the files are in.
    QTimer::singleShot(0, this, [this, lock] {
        m_queue->whenFree([this, lock] {
            const RecoveryOffer offer{*m_queue,        m_mainWindow.get(), m_store,
                                      m_journal.get(), m_files.sections,   documents()};
            offer.afterStart(lock);
        });
    });
}

void Editor::close()
{
    // A question open, or work running, answers first.
    if (m_queue->isAsking())
        return;
    if (m_queue->isWorking())
        return m_queue->whenFree([this] { close(); });
    if (!m_saving->maySaveBefore(u"closing"_s))
        return;
    // Unsaved lists given up: so is their journal.
    if (m_journal)
        m_journal->discard();
    m_mainWindow->hide();
    Q_EMIT finished();
}

bool Editor::isIdle() const
{
    return !m_popups->isMenuOpen() && m_queue->isIdle();
}

void Editor::load()
{
    m_queue->whenFree([this] {
        if (m_saving->maySaveBefore(u"loading"_s))
            m_loading->load();
    });
}

void Editor::importScript()
{
    m_queue->whenFree([this] {
        if (!m_saving->maySaveBefore(u"importing"_s))
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

void Editor::compileScript()
{
    m_queue->whenFree([this] { m_saving->compile(); });
}

void Editor::saveSections()
{
    m_queue->whenFree([this] { m_saving->save(); });
}

void Editor::editPatchInfo()
{
    m_queue->whenFree([this] {
        // A folder without patch info shows what its script says today.
        const PatchInfo current = m_files.patchInfo.patchInfo().value_or(PatchInfo::defaults());
        const std::optional<PatchInfo> edited =
            m_queue->asking([&] { return askForPatchInfo(m_mainWindow.get(), current); });
        // OK with nothing changed changes nothing: the folder keeps its script.
        if (!edited || *edited == current)
            return;
        m_files.patchInfo.setPatchInfo(*edited);
        m_saving->updateUnsaved();
    });
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
        if (m_saving->maySaveBefore(u"opening another folder"_s))
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
    m_saving->setFolderless([this](bool compile) { moveToAFolder(compile); });
    m_mainWindow->setFolderName(u"no folder yet (no recovery journal)"_s);
}

void Editor::moveToAFolder(bool compile)
{
    const QString path =
        chooseAHome(*m_queue, m_mainWindow.get(), m_chooseFolder, compile, m_pictures.path());
    if (path.isEmpty())
        return;
    CarriedWork work;
    for (ListId list : kAllLists)
        work.lists[size_t(list)] = this->list(list).text();
    if (m_files.patchInfo.patchInfoUnsaved())
        work.patchInfo = m_files.patchInfo.patchInfo();
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
            m_files.patchInfo.setPatchInfo(work.patchInfo);
        m_saving->updateUnsaved();
        if (work.compile)
            compileScript();
        else
            m_saving->save();
    });
}

void Editor::showAbout()
{
    m_popups->showAbout();
}

void Editor::setLinkLauncher(LinkLauncher launcher)
{
    m_popups->setLinkLauncher(std::move(launcher));
}

} // namespace scp
