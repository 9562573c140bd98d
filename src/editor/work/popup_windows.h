#pragma once

// The editor's popup menus and its About window, made when first needed.

#include "script/entry_lists.h"
#include "windows/link_launcher.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <memory>

namespace scp {

class AboutWindow;
class Editor;
class ListDocument;
class MainWindow;
class ScriptMenus;
enum class AboutLink;

// Opens the Save and Copy menus where the main window asks for them, their
// items acting on the editor or the window, and shows the About window in
// the main window's place. Neither is made before it is first wanted, which
// keeps the start short.
class PopupWindows final : public QObject {
    Q_OBJECT

public:
    PopupWindows(Editor& editor, MainWindow& window, const std::array<ListDocument*, 3>& lists);
    ~PopupWindows() override;

    // `at` is global: the pointer for a mouse click, else near the control.
    void openSaveMenu(QPoint at);
    void openCopyMenu(ListId list, QPoint at);
    void showAbout();
    void returnToMain();
    // Where the About window's links go.
    void setLinkLauncher(LinkLauncher launcher) { m_launchLink = std::move(launcher); }
    // Whether a menu is shown, in an event loop of its own.
    bool isMenuOpen() const { return m_menusOpen > 0; }

private:
    ScriptMenus& menus();
    void connectMenus();
    AboutWindow& aboutWindow();
    // The list's selection, or the whole list with none, to the clipboard.
    void copyList(ListId list);

    Editor& m_editor;
    MainWindow& m_window;
    std::array<ListDocument*, 3> m_lists;
    LinkLauncher m_launchLink = openWithDesktop;
    int m_menusOpen = 0;
    std::unique_ptr<ScriptMenus> m_menus;
    std::unique_ptr<AboutWindow> m_aboutWindow;
};

} // namespace scp
