#pragma once

#include "bmp_header.h"
#include "entry_lists.h"
#include "link_launcher.h"
#include "recovery_store.h"
#include "script_workshop.h"

#include <QDir>
#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

namespace scp {

class AboutWindow;
class BusyWork;
class JournalRecorder;
class MainWindow;
class RecoveryJournal;
class ScriptMenus;
enum class AboutLink;

// The program: owns the main window, and makes the popup menus and the About
// window the first time they are needed. Everything between the windows
// passes through here; nothing is global. Destroying it closes every window.
//
// Nothing the user made is thrown away unasked: the lists start as the
// folder's section files hold them, closing and Load ask first while lists
// are unsaved, a save asks before it replaces a file another program changed,
// and unsaved lists are kept in a recovery journal for the next start to
// bring back after a crash.
class Editor final : public QObject {
    Q_OBJECT

public:
    // Files are read and written in `folder`; recovery journals are kept in
    // `journalFolder`.
    explicit Editor(const QDir& folder = QDir::current(),
                    const QString& journalFolder = RecoveryStore::defaultFolder());
    ~Editor() override;

    // Shows the main window; the first time, also reads the folder's section
    // files and offers what an earlier run left unsaved.
    void show();

    MainWindow& mainWindow() const { return *m_mainWindow; }
    ScriptMenus& menus();
    AboutWindow& aboutWindow();

    // Reads the section files, then fills the lists while the window stays
    // live; the lists are replaced once all three are in.
    void load();
    bool isLoading() const { return m_loading != nullptr; }
    void compileScript();
    void saveSections();
    // Closes the main window, once unsaved lists are saved or given up,
    // and then says finished().
    void close();
    // The lists whose text their section files do not hold.
    QList<ListId> unsavedLists() const;
    void copyList(ListId list);
    // `at` is global: the pointer for a mouse click, else near the control.
    void openSaveMenu(QPoint at);
    void openCopyMenu(ListId list, QPoint at);
    void showAbout();
    void returnToMain();
    void openLink(AboutLink link);

    // Where the About window's links go; the desktop's default programs
    // unless replaced.
    void setLinkLauncher(LinkLauncher launcher) { m_launchLink = std::move(launcher); }

Q_SIGNALS:
    // The main window was closed: the program ends, whatever other window
    // is open.
    void finished();

private:
    void start();
    void offerRecovery();
    bool restoreFrom(const QString& path);
    // Asks about unsaved lists before `before` ("closing") throws them away:
    // true to go on (saved, or given up), false to stop.
    bool maySaveBefore(const QString& before);
    // Saves all three lists now, asking first about files changed on disk.
    bool saveNow();
    void updateUnsaved();
    void tell(const QString& text, bool warning);
    // Runs a question, which holds back whatever else would run meanwhile.
    template <typename Question> auto asking(Question question);
    bool listsAreLong() const;
    // Runs a Save or a Compile with feedback, holding input until it is
    // done, then what waited meanwhile.
    void runWork(bool longWork, const std::function<void(Reporter&)>& work);
    void startLoad();
    void runWaiting();
    // Runs `action` now, or once the Load or Save running is over, in turn
    // with what else waits.
    void whenFree(std::function<void()> action);
    struct Loading;
    void listFilled();

    ScriptWorkshop m_workshop;
    RecoveryStore m_store;
    std::unique_ptr<RecoveryJournal> m_journal; // none when another editor has the folder
    std::unique_ptr<JournalRecorder> m_recorder;
    bool m_started = false;
    int m_asking = 0;                             // questions open
    BusyWork* m_work = nullptr;                   // the Load (while it reads) or Save running
    std::unique_ptr<Loading> m_loading;           // the Load filling the lists
    std::vector<std::function<void()>> m_waiting; // in the order asked for
    PictureFolder m_pictures;                     // where the lists' marks look for pictures
    LinkLauncher m_launchLink = openWithDesktop;
    // Declared last, destroyed first: the windows go before what they use.
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ScriptMenus> m_menus;
    std::unique_ptr<AboutWindow> m_aboutWindow;
};

} // namespace scp
