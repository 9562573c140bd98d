#pragma once

// Save and Compile, and the questions before them or before unsaved lists
// are given up.

#include "script/entry_lists.h"

#include <QList>

#include <array>
#include <functional>

namespace scp {

class JournalRecorder;
class ListDocument;
class ListLoading;
class MainWindow;
struct FolderFiles;
class WorkQueue;

// Writes the lists as the section files (Save) or as the script (Compile),
// once the user has answered what would be lost or replaced: files another
// program changed, a script this program did not make, entries the
// patching tool cannot read. Keeps the window's unsaved mark, and the
// recovery journal, as the lists and the patch info stand.
class ListSaving final {
public:
    ListSaving(WorkQueue& queue, MainWindow& window, FolderFiles& files, EntryLists& entryLists,
               const std::array<ListDocument*, 3>& lists, JournalRecorder& recorder,
               ListLoading& loading);

    // Lists of no folder: a Save or a Compile calls `move` (true: to
    // compile) instead, for the folder the user chooses to do it.
    void setFolderless(std::function<void(bool compile)> move)
    {
        m_moveToAFolder = std::move(move);
    }

    // Saves all three lists (and the patch info where it changed) now,
    // asking first about files changed on disk: true once they are written.
    bool save();
    // Compiles the script now, asking first about errors in the lists and a
    // script made elsewhere.
    void compile();
    // Asks about unsaved lists and patch info before `before` ("closing")
    // throws them away: true to go on (saved, or given up), false to stop.
    bool maySaveBefore(const QString& before);
    // The window's unsaved mark as the lists and the patch info stand.
    void updateUnsaved();

private:
    // The lists whose text their section files do not hold.
    QList<ListId> unsavedLists() const;
    bool listsAreLong() const;
    // Asks before a compile writes what the lints call errors: true to go on.
    bool mayCompileWithErrors();
    // Asks before a compile replaces a script this program did not make:
    // true to compile. Its Import... imports that script instead.
    bool mayReplaceScript();

    WorkQueue& m_queue;
    MainWindow& m_window;
    FolderFiles& m_files;
    EntryLists& m_entryLists;
    std::array<ListDocument*, 3> m_lists;
    JournalRecorder& m_recorder;
    ListLoading& m_loading;
    std::function<void(bool compile)> m_moveToAFolder; // none while the lists have a folder
};

} // namespace scp
