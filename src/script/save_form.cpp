#include "script/save_form.h"

#include "app/instances.h"
#include "script/message_box_reporter.h"
#include "ui/form1.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace scp {

SaveForm::SaveForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"savefrm"_s);
    setAttribute(Qt::WA_DontShowOnScreen);

    // A popup shows only the items, never the menu's own caption.
    m_menu = newMenu(u"menu"_s);
    addItem(m_menu, u"CompileMantleScp"_s, u"CompileMantleScp"_s,
            &SaveForm::CompileMantleScp_Click);
    addItem(m_menu, u"SaveAllSections"_s, u"SaveAllSections"_s, &SaveForm::SaveAllSections_Click);

    m_menu2 = newMenu(u"menu2"_s);
    addItem(m_menu2, u"Copy1"_s, u"Copy"_s, &SaveForm::Copy1_Click);
    m_menu3 = newMenu(u"menu3"_s);
    addItem(m_menu3, u"Copy2"_s, u"Copy"_s, &SaveForm::Copy2_Click);
    m_menu4 = newMenu(u"menu4"_s);
    addItem(m_menu4, u"Copy3"_s, u"Copy"_s, &SaveForm::Copy3_Click);
}

SaveForm::~SaveForm() = default;

QMenu* SaveForm::newMenu(const QString& name)
{
    auto* menu = new QMenu(name, this);
    menu->setObjectName(name);
    return menu;
}

void SaveForm::addItem(QMenu* menu, const QString& name, const QString& caption,
                       void (SaveForm::*handler)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
}

QMenu& SaveForm::copyMenu(ListId list) const
{
    switch (list) {
    case ListId::Gumps:
        return *m_menu2;
    case ListId::Tiles:
        return *m_menu3;
    case ListId::Items:
        break;
    }
    return *m_menu4;
}

void SaveForm::popup(QMenu& menu)
{
    // The chosen item's handler runs from within exec(), through the
    // action's triggered signal, so it has finished when exec() returns.
    menu.exec(QCursor::pos());
}

void SaveForm::CompileMantleScp_Click()
{
    MessageBoxReporter reporter(&form1());
    m_workshop.compile_script(form1().lists(), reporter);
}

void SaveForm::SaveAllSections_Click()
{
    MessageBoxReporter reporter(&form1());
    m_workshop.save_all_sections(form1().lists(), reporter);
}

void SaveForm::Copy1_Click()
{
    copy_list(form1().lists().box(ListId::Gumps));
}

void SaveForm::Copy2_Click()
{
    copy_list(form1().lists().box(ListId::Tiles));
}

void SaveForm::Copy3_Click()
{
    copy_list(form1().lists().box(ListId::Items));
}

void SaveForm::copy_list(const TextBox& box)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Emptied first, so no older content in another format outlives the copy.
    clipboard->clear();
    const QString selected = box.selectedText();
    clipboard->setText(selected.isEmpty() ? box.text() : selected);
}

} // namespace scp
