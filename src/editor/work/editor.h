#pragma once

// The program: what it holds and how its windows meet.

#include "pictures/bmp_header.h"
#include "recovery/recovery_store.h"
#include "script/entry_lists.h"
#include "script/folder_files.h"
#include "script/patch_info.h"
#include "script/patch_info_state.h"
#include "script/script_compile.h"
#include "windows/file_dialogs.h"
#include "windows/link_launcher.h"
#include "windows/script_import_ui.h"

#include <QDir>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QTextDocument;

namespace scp {

class JournalRecorder;
class ListDocument;
class ListLoading;
class ListSaving;
class MainWindow;
class MessageBoxReporter;
class PicturePreviews;
class PopupWindows;
class RecoveryJournal;
class WorkQueue;

// Owns the three lists and the main window that shows them, and makes the
// popup menus and the About window the first time they are needed.
// Everything between the windows and the files passes through here; nothing
// is global. Destroying it closes every window.
//
// Work on the lists runs one piece at a time (WorkQueue): an Add, a Clear, a
// Save, a Compile or a Load asked for while a Load fills the lists, a Save
// writes or a question waits for its answer runs after it, in the order
// asked for.
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
    void showAbout();
    // Closes the main window, once unsaved lists are saved or given up,
    // and then says finished().
    void close();

    // Where the About window's links go; the desktop's default programs
    // unless replaced.
    void setLinkLauncher(LinkLauncher launcher);
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
    bool isIdle() const;

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
    // A Load or an Import replaced the lists: what they held before, and
    // the files read, are freed, for the program to hand back if it will.
    void freedMemory();

private:
    ListDocument& list(ListId list) const { return *m_lists[static_cast<size_t>(list)]; }
    std::array<ListDocument*, 3> documents() const
    {
        return {m_lists[0].get(), m_lists[1].get(), m_lists[2].get()};
    }
    void start();
    // A folderless editor's Save or Compile: asks for a folder with no
    // patch in it, and moves the lists there.
    void moveToAFolder(bool compile);
    // Where the dialogs start: the folder, or with none yet the user's home.
    QString dialogFolder() const { return m_folderless ? QDir::homePath() : m_store.folderPath(); }
    // Hands the folder over to the editor of `path`: nothing more runs here.
    void leaveFor(const QString& path);

    FolderFiles m_files;
    PatchInfoState m_patchInfo;
    ScriptCompile m_compile;
    RecoveryStore m_store;
    std::array<std::unique_ptr<ListDocument>, 3> m_lists;
    EntryLists m_entryLists;
    std::unique_ptr<RecoveryJournal> m_journal; // none when another editor has the folder
    std::unique_ptr<JournalRecorder> m_recorder;
    bool m_started = false;
    PictureFolder m_pictures; // where the lists' marks look for pictures
    std::unique_ptr<PicturePreviews> m_previews;
    PictureChooser m_choosePictures = choosePicturesWithDialog;
    ScriptChooser m_chooseScript = chooseScriptWithDialog;
    FolderChooser m_chooseFolder = chooseFolderWithDialog;
    bool m_folderless = false;
    std::optional<CarriedWork> m_carried;
    std::unique_ptr<MessageBoxReporter> m_boxes; // on the main window
    std::unique_ptr<WorkQueue> m_queue;
    std::unique_ptr<ListLoading> m_loading;
    std::unique_ptr<ListSaving> m_saving;
    // Declared last, destroyed first: the windows go before what they use.
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<PopupWindows> m_popups; // the menus and the About window
};

} // namespace scp
