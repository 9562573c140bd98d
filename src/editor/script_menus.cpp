#include "script_menus.h"

#include <QAction>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

std::unique_ptr<QMenu> newMenu(const QString& name)
{
    // A popup shows only the items, never the menu's own caption.
    auto menu = std::make_unique<QMenu>(name);
    menu->setObjectName(name);
    return menu;
}

QAction* addItem(QMenu& menu, const QString& name, const QString& caption)
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(name);
    return action;
}

} // namespace

ScriptMenus::ScriptMenus(QObject* parent) : QObject(parent)
{
    setObjectName(u"savefrm"_s);

    m_saveMenu = newMenu(u"menu"_s);
    connect(addItem(*m_saveMenu, u"CompileMantleScp"_s, u"CompileMantleScp"_s), &QAction::triggered,
            this, &ScriptMenus::compileRequested);
    connect(addItem(*m_saveMenu, u"SaveAllSections"_s, u"SaveAllSections"_s), &QAction::triggered,
            this, &ScriptMenus::saveSectionsRequested);

    for (ListId list : kAllLists) {
        const auto i = static_cast<size_t>(list);
        m_copyMenus[i] = newMenu(u"menu%1"_s.arg(i + 2));
        connect(addItem(*m_copyMenus[i], u"Copy%1"_s.arg(i + 1), u"Copy"_s), &QAction::triggered,
                this, [this, list] { Q_EMIT copyRequested(list); });
    }
}

ScriptMenus::~ScriptMenus() = default;

void ScriptMenus::popup(QMenu& menu, const QPoint& at)
{
    // The chosen item's command runs from within exec(), through the
    // action's triggered signal, so it has finished when exec() returns.
    menu.exec(at);
}

} // namespace scp
