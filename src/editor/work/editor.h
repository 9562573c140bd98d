#pragma once

// The program: what it holds and how its windows meet.

#include "pictures/bmp_header.h"
#include "recovery/recovery_store.h"
#include "script/entry_lists.h"
#include "script/patch_info.h"
#include "script/patch_info_state.h"
#include "script/script_compile.h"
#include "script/section_files.h"
#include "windows/link_launcher.h"
#include "windows/script_import_ui.h"

#include <QDir>
#include <QObject>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QTextDocument;

namespace scp {

class AboutWindow;
class BusyWork;
struct JournalContent;
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
// start as the folder's section files and patch.ini hold them (each file that
// can be read; one that cannot keeps only its own part as it was), closing
// and Load ask first while lists or the patch info are unsaved, a save asks
// before it replaces a file another program changed or one it could not
// read, a compile asks before it replaces a script this program did not
// make, and unsaved lists are kept in a recovery journal, with what the
// editor knew of their files, for the next start to bring back after a
// crash.
class Editor final : public QObject {
    Q_OBJECT

public:
    // Files are read and written in `folder`; recovery journals are kept in
    // `journalFolder`, or none when it is empty.
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
    // What asks for a folder to open, starting in `folder`; empty when
    // cancelled. The system's folder dialog unless replaced.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& folder)>;
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // The lists have no folder of their own yet (the one the editor works
    // in is a scratch folder): a Save or a Compile asks for a folder first,
    // and the lists move there unsaved, with the patch info and the
    // pictures added, for the editor of that folder to save or compile.
    // Called before show().
    void setFolderless();
    struct CarriedWork {
        std::array<QString, 3> lists;
        std::optional<PatchInfo> patchInfo; // where it was changed
        bool compile = false;               // else a save
    };
    // What a folderless editor hands on with folderChosen(), once.
    std::optional<CarriedWork> takeCarriedWork() { return std::exchange(m_carried, std::nullopt); }
    // Takes on `work` as unsaved lists, then saves or compiles them.
    void carryOn(const CarriedWork& work);
    // No menu, question, work or Load of this editor's is under way: nothing
    // of it is on the stack, and it may be destroyed.
    bool isIdle() const { return m_menusOpen == 0 && m_asking == 0 && !m_work && !m_loading; }

    // Asks for another folder and opens it.
    void openFolder();
    // Opens the folder `path` once unsaved work is saved or given up (asked
    // as Load asks): says folderChosen(), and does nothing more. A folder
    // that cannot be opened is said, and the editor stays where it is.
    void openFolderAt(const QString& path);

Q_SIGNALS:
    // The main window was closed: the program ends, whatever other window
    // is open.
    void finished();
    // The user moves to the folder `path`, which is an editor's of its own:
    // this one's work is saved or given up, and its window hidden.
    void folderChosen(const QString& path);

private:
    ListDocument& list(ListId list) const { return *m_lists[static_cast<size_t>(list)]; }
    ScriptMenus& menus();
    AboutWindow& aboutWindow();
    void start();
    void offerRecovery();
    // Of the files of `lists`, those not as the journal says the editor
    // knew them, each with how: "gumps.scp (changed)".
    QStringList changedSinceJournal(const JournalContent& content,
                                    const QList<ListId>& lists) const;
    // A folderless editor's Save or Compile: asks for a folder with no
    // patch in it, and moves the lists there.
    void moveToAFolder(bool compile);
    // Why the lists of no folder cannot move to `path` (it cannot be opened
    // or written, or holds a file of theirs), or empty when they can.
    QString whyNoHomeFor(const QString& path) const;
    // Copies the pictures added to lists of no folder into `path`; the
    // problem, with nothing copied, when one cannot be.
    QString copyPicturesTo(const QString& path) const;
    // Where the dialogs start: the folder, or with none yet the user's home.
    QString dialogFolder() const { return m_folderless ? QDir::homePath() : m_store.folderPath(); }
    // Hands the folder over to the editor of `path`: nothing more runs here.
    void leaveFor(const QString& path);
    // Asks before a compile replaces a script this program did not make:
    // true to compile. Its Import... imports that script instead.
    bool mayReplaceScript();
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
    // A Load's list in place of the old, with the marks found while it filled.
    void adoptWithMarks(ListId list, QTextDocument* filled);
    void runWaiting();
    // Runs `action` now, or once the work or question under way is over, in
    // turn with what else waits.
    void whenFree(std::function<void()> action);

    SectionFiles m_sectionFiles;
    PatchInfoState m_patchInfo;
    ScriptCompile m_compile;
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
    FolderChooser m_chooseFolder;
    bool m_leaving = false; // another folder was chosen: nothing more runs here
    bool m_folderless = false;
    int m_menusOpen = 0; // popups shown, each in an event loop of its own
    std::optional<CarriedWork> m_carried;
    // Declared last, destroyed first: the windows go before what they use.
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ScriptMenus> m_menus;
    std::unique_ptr<AboutWindow> m_aboutWindow;
};

} // namespace scp
