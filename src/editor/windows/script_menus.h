#pragma once

// The popup menus: the save menu and the three lists' copy menus.

#include "lists/list_edit_commands.h"
#include "script/entry_lists.h"

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace scp {

// The four popup menus: the save menu (CompileMantleScp, SaveAllSections,
// Patch info..., Import mantle.scp..., then Open Folder... and Recent
// Folders) and one copy menu for each list: Copy, then the usual edit
// commands (Undo, Redo, Cut, Paste, Delete, Select All), which also offers
// the list's find and problem keys to whoever does not know them;
// the gumps' and tiles' also add pictures, show the picture of the entry they
// open for and offer its size fix. They are only ever shown as popups, never
// in a menu bar; a chosen item is passed on as a signal.
class ScriptMenus final : public QObject {
    Q_OBJECT

public:
    explicit ScriptMenus(QObject* parent = nullptr);
    ~ScriptMenus() override;

    QMenu& saveMenu() const { return *m_saveMenu; }
    QMenu& copyMenu(ListId list) const { return *m_copyMenus[static_cast<size_t>(list)]; }

    // Shows `menu` with its left edge at `at` (global) and returns once it
    // has closed; a chosen item's command has run by then. Escape or a click
    // elsewhere closes it and runs nothing.
    static void popup(QMenu& menu, const QPoint& at);

    // Fits the gumps' or tiles' picture items to the entry the menu opens
    // for: "Show picture" is enabled when it names a picture in the folder;
    // the size fix shows, with that size, when it has a size mark.
    void setPictureItems(ListId list, bool hasPicture, std::optional<QSize> sizeFix);
    // Enables the list's edit commands that `canRun` says can act now.
    void setEditItems(ListId list, const std::function<bool(EditCommand)>& canRun);

    struct RecentFolder {
        QString path;
        bool present = true; // a folder since removed is shown, disabled
    };
    // Fills the save menu's Recent Folders, most recent first.
    void setRecentFolders(const QList<RecentFolder>& folders);

Q_SIGNALS:
    void compileRequested();
    void saveSectionsRequested();
    void patchInfoRequested();
    void importScriptRequested();
    void openFolderRequested();
    void recentFolderRequested(const QString& path);
    void removeMissingFoldersRequested();
    void clearRecentFoldersRequested();
    void copyRequested(scp::ListId list);
    void editRequested(scp::ListId list, scp::EditCommand command);
    void addPicturesRequested(scp::ListId list);
    void showPictureRequested(scp::ListId list);
    void useSizeRequested(scp::ListId list);
    void findRequested(scp::ListId list);
    void problemRequested(scp::ListId list, bool backward);

private:
    void addPictureItems(ListId list);

    std::unique_ptr<QMenu> m_saveMenu;
    QMenu* m_recentMenu = nullptr; // the save menu's Recent Folders
    std::array<std::unique_ptr<QMenu>, 3> m_copyMenus;
    std::array<QAction*, 3> m_showPicture = {};
    std::array<QAction*, 3> m_useSize = {};
    std::array<std::array<QAction*, kEditCommands.size()>, 3> m_editItems = {};
};

} // namespace scp
