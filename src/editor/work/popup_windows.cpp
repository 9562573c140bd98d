// The Save and Copy menus and the About window, and what their items do.

#include "work/popup_windows.h"

#include "lists/list_document.h"
#include "lists/list_pictures.h"
#include "windows/about_window.h"
#include "windows/main_window.h"
#include "windows/script_menus.h"
#include "work/editor.h"
#include "work/editor_settings.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>

namespace scp {

PopupWindows::PopupWindows(Editor& editor, MainWindow& window,
                           const std::array<ListDocument*, 3>& lists)
    : m_editor(editor), m_window(window), m_lists(lists)
{
}

PopupWindows::~PopupWindows() = default;

ScriptMenus& PopupWindows::menus()
{
    if (!m_menus) {
        m_menus = std::make_unique<ScriptMenus>();
        connectMenus();
    }
    return *m_menus;
}

void PopupWindows::connectMenus()
{
    ScriptMenus* menus = m_menus.get();
    Editor* editor = &m_editor;
    connect(menus, &ScriptMenus::compileRequested, editor, &Editor::compileScript);
    connect(menus, &ScriptMenus::saveSectionsRequested, editor, &Editor::saveSections);
    connect(menus, &ScriptMenus::patchInfoRequested, editor, &Editor::editPatchInfo);
    connect(menus, &ScriptMenus::importScriptRequested, editor, &Editor::importScript);
    connect(menus, &ScriptMenus::openFolderRequested, editor, &Editor::openFolder);
    connect(menus, &ScriptMenus::recentFolderRequested, editor, &Editor::openFolderAt);
    connect(menus, &ScriptMenus::removeMissingFoldersRequested, this, [] {
        QStringList folders = recentFolders();
        folders.removeIf([](const QString& folder) { return !QFileInfo(folder).isDir(); });
        setRecentFolders(folders);
    });
    connect(menus, &ScriptMenus::clearRecentFoldersRequested, this, [] { setRecentFolders({}); });
    connect(menus, &ScriptMenus::copyRequested, this, &PopupWindows::copyList);
    connect(menus, &ScriptMenus::editRequested, &m_window, &MainWindow::edit);
    connect(menus, &ScriptMenus::addPicturesRequested, editor, &Editor::choosePictures);
    connect(menus, &ScriptMenus::showPictureRequested, this, [this](ListId list) {
        m_window.listPictures(list)->showPicture(m_window.menuPosition(list));
    });
    connect(menus, &ScriptMenus::useSizeRequested, this, [this](ListId list) {
        // Not while a Load fills the list: it takes no edits then.
        if (!m_lists[size_t(list)]->isBeingReplaced())
            m_window.listPictures(list)->useSizeFix(m_window.menuPosition(list));
    });
    connect(menus, &ScriptMenus::findRequested, &m_window, &MainWindow::findInList);
    connect(menus, &ScriptMenus::problemRequested, &m_window, &MainWindow::selectProblem);
}

AboutWindow& PopupWindows::aboutWindow()
{
    if (!m_aboutWindow) {
        m_aboutWindow = std::make_unique<AboutWindow>();
        connect(m_aboutWindow.get(), &AboutWindow::returnRequested, this,
                &PopupWindows::returnToMain);
        connect(m_aboutWindow.get(), &AboutWindow::linkClicked, this,
                [this](AboutLink link) { m_launchLink(linkCommand(link)); });
    }
    return *m_aboutWindow;
}

void PopupWindows::copyList(ListId list)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Emptied first, so no older content in another format outlives the copy.
    clipboard->clear();
    const QString selected = m_window.selectedText(list);
    clipboard->setText(selected.isEmpty() ? m_lists[size_t(list)]->text() : selected);
}

void PopupWindows::openSaveMenu(QPoint at)
{
    QList<ScriptMenus::RecentFolder> folders;
    for (const QString& folder : recentFolders())
        folders.append({folder, QFileInfo(folder).isDir()});
    menus().setRecentFolders(folders);
    ++m_menusOpen;
    ScriptMenus::popup(menus().saveMenu(), at);
    --m_menusOpen;
}

void PopupWindows::openCopyMenu(ListId list, QPoint at)
{
    if (ListPictures* pictures = m_window.listPictures(list)) {
        const int position = m_window.menuPosition(list);
        const std::optional<BmpSize> fix = pictures->sizeFix(position);
        menus().setPictureItems(list, pictures->hasPicture(position),
                                fix ? std::optional(QSize(int(fix->width), int(fix->height)))
                                    : std::nullopt);
    }
    menus().setEditItems(
        list, [this, list](EditCommand command) { return m_window.canEdit(list, command); });
    ++m_menusOpen;
    ScriptMenus::popup(menus().copyMenu(list), at);
    --m_menusOpen;
}

void PopupWindows::showAbout()
{
    m_window.hide();
    aboutWindow().showAbout();
}

void PopupWindows::returnToMain()
{
    aboutWindow().hide();
    m_window.setVisible(true);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

} // namespace scp
