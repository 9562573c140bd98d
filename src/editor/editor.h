#pragma once

// The program: what it holds and how its windows meet.

#include "bmp_header.h"
#include "entry_lists.h"
#include "link_launcher.h"
#include "patch_info.h"
#include "recovery_store.h"
#include "script_import_ui.h"
#include "section_files.h"

#include <QDir>
#include <QObject>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace scp {

class AboutWindow;
class BusyWork;
class JournalRecorder;
class ListDocument;
class MainWindow;
class PicturePreviews;
class RecoveryJournal;
class ScriptMenus;
class SectionLoad;
enum class AboutLink;

// Owns the three lists and the main window that shows them, and makes the
// popup menus and the About window the first time they are needed.
// Everything between the windows and the files passes through here; nothing
// is global. Destroying it closes every window.
//
// Work on the lists runs one piece at a time: an Add, a Clear, a Save, a
// Compile or a Load asked for while a Load fills the lists, a Save writes or
// a question waits for its answer runs after it, in the order asked for.
//
// Nothing the user made is thrown away unasked: the lists and the patch info
// start as the folder's section files and patch.ini hold them, closing and
// Load ask first while lists or the patch info are unsaved, a save asks before it replaces a file
// another program changed, and unsaved lists are kept in a recovery journal for the next start to
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
    // files and patch.ini and offers what an earlier run left unsaved.
    void show();

    void addEntry(ListId list, const QString& entry);
    // One entry for each BMP picture among `paths`, appended to the gumps or
    // tiles list as one edit; pictures from elsewhere are copied into the
    // folder first. Files left out are named in one message, with why.
    void addPictures(ListId list, const QStringList& paths);
    // Asks for pictures to add with a file dialog.
    void choosePictures(ListId list);
    void clearList(ListId list);
    // Reads the section files, then fills the lists while the window stays
    // live; the lists are replaced once all three are in.
    void load();
    // Reads a script the user chooses into the three lists, as a Load fills
    // them, but unsaved: nothing is written until the user saves.
    void importScript();
    void compileScript();
    void saveSections();
    // Opens the patch info dialog; what OK changes is unsaved until a Save.
    void editPatchInfo();
    void copyList(ListId list);
    // `at` is global: the pointer for a mouse click, else near the control.
    void openSaveMenu(QPoint at);
    void openCopyMenu(ListId list, QPoint at);
    void showAbout();
    void returnToMain();
    void openLink(AboutLink link);
    // Closes the main window, once unsaved lists are saved or given up,
    // and then says finished().
    void close();

    // Where the About window's links go; the desktop's default programs
    // unless replaced.
    void setLinkLauncher(LinkLauncher launcher) { m_launchLink = std::move(launcher); }
    // What asks for pictures to add: given the window and the folder, the
    // files chosen (none: cancelled). A file dialog unless replaced.
    using PictureChooser = std::function<QStringList(QWidget* parent, const QString& folder)>;
    void setPictureChooser(PictureChooser chooser) { m_choosePictures = std::move(chooser); }
    // How Import asks for its script; a file dialog unless replaced.
    void setScriptChooser(ScriptChooser chooser) { m_chooseScript = std::move(chooser); }

Q_SIGNALS:
    // The main window was closed: the program ends, whatever other window
    // is open.
    void finished();

private:
    ListDocument& list(ListId list) const { return *m_lists[static_cast<size_t>(list)]; }
    ScriptMenus& menus();
    AboutWindow& aboutWindow();
    void start();
    void offerRecovery();
    // The lists whose text their section files do not hold.
    QList<ListId> unsavedLists() const;
    // Asks about unsaved lists and patch info before `before` ("closing") throws them away:
    // true to go on (saved, or given up), false to stop.
    bool maySaveBefore(const QString& before);
    // Saves all three lists (and the patch info where it changed) now, asking
    // first about files changed on disk.
    bool saveNow();
    void updateUnsaved();
    void tell(const QString& text, bool warning);
    // Runs a question, which holds back whatever else would run meanwhile.
    template <typename Question> auto asking(Question question);
    bool listsAreLong() const;
    // Asks before a compile writes what the lints call errors: true to go on.
    bool mayCompileWithErrors();
    // Runs a Save or a Compile with feedback, holding input until it is
    // done, then what waited meanwhile.
    void runWork(bool longWork, const std::function<void(Reporter&)>& work);
    void startLoad();
    void startImport(const QString& path);
    // Fills the lists with `contents` while the window stays live.
    void fillLists(SectionContents contents);
    void listsFilled();
    void runWaiting();
    // Runs `action` now, or once the work or question under way is over, in
    // turn with what else waits.
    void whenFree(std::function<void()> action);

    SectionFiles m_sectionFiles;
    RecoveryStore m_store;
    std::array<std::unique_ptr<ListDocument>, 3> m_lists;
    EntryLists m_entryLists;
    std::unique_ptr<RecoveryJournal> m_journal; // none when another editor has the folder
    std::unique_ptr<JournalRecorder> m_recorder;
    bool m_started = false;
    int m_asking = 0;           // questions open
    BusyWork* m_work = nullptr; // the Load (while it reads) or Save running
    struct Loading;
    std::unique_ptr<Loading> m_loading;           // the Load filling the lists
    std::vector<std::function<void()>> m_waiting; // in the order asked for
    PictureFolder m_pictures;                     // where the lists' marks look for pictures
    std::unique_ptr<PicturePreviews> m_previews;
    PictureChooser m_choosePictures;
    LinkLauncher m_launchLink = openWithDesktop;
    ScriptChooser m_chooseScript = chooseScriptWithDialog;
    // Declared last, destroyed first: the windows go before what they use.
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ScriptMenus> m_menus;
    std::unique_ptr<AboutWindow> m_aboutWindow;
};

} // namespace scp
