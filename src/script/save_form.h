#pragma once

#include "lists/entry_lists.h"
#include "script/script_workshop.h"

#include <QWidget>

class QMenu;

namespace scp {

// The hidden script workshop `savefrm`: it owns the template blocks, the
// output buffer and the operations on files (through ScriptWorkshop), and the
// four popup menus the main window opens. It is never shown.
class SaveForm final : public QWidget {
    Q_OBJECT

public:
    explicit SaveForm(QWidget* parent = nullptr);
    ~SaveForm() override;

    ScriptWorkshop& workshop() { return m_workshop; }

    QMenu& menu() const { return *m_menu; }   // save menu: CompileMantleScp, SaveAllSections
    QMenu& menu2() const { return *m_menu2; } // gumps: Copy1
    QMenu& menu3() const { return *m_menu3; } // tiles: Copy2
    QMenu& menu4() const { return *m_menu4; } // items: Copy3
    QMenu& copyMenu(ListId list) const;

    // Shows `menu` with its left edge at the mouse pointer and returns once it
    // has closed; a chosen item's command has run by then. Escape or a click
    // elsewhere closes it and runs nothing.
    void popup(QMenu& menu);

    void CompileMantleScp_Click();
    void SaveAllSections_Click();
    void Copy1_Click();
    void Copy2_Click();
    void Copy3_Click();

    // Empties the clipboard, then puts on it as plain text the box's selected
    // text, or its whole text when nothing is selected.
    static void copy_list(const TextBox& box);

private:
    QMenu* newMenu(const QString& name);
    void addItem(QMenu* menu, const QString& name, const QString& caption,
                 void (SaveForm::*handler)());

    ScriptWorkshop m_workshop;
    QMenu* m_menu = nullptr;
    QMenu* m_menu2 = nullptr;
    QMenu* m_menu3 = nullptr;
    QMenu* m_menu4 = nullptr;
};

} // namespace scp
