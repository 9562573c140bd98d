// The save menu and the copy menus.

#include "windows/script_menus.h"

#include "lists/list_pictures.h"

#include <QAction>
#include <QDir>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

std::unique_ptr<QMenu> newMenu(const QString& name, const QString& title)
{
    // A popup shows only the items, never the menu's title; a screen reader
    // says it as the menu opens.
    auto menu = std::make_unique<QMenu>(title);
    menu->setObjectName(name);
    return menu;
}

QAction* addItem(QMenu& menu, const QString& name, const QString& caption,
                 const QKeySequence& keys = {})
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(name);
    // Shown beside the caption; the list itself takes the keys.
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    return action;
}

} // namespace

ScriptMenus::ScriptMenus(QObject* parent) : QObject(parent)
{
    setObjectName(u"scriptMenus"_s);

    m_saveMenu = newMenu(u"saveMenu"_s, u"Save"_s);
    connect(addItem(*m_saveMenu, u"compileScriptAction"_s, u"CompileMantleScp"_s),
            &QAction::triggered, this, &ScriptMenus::compileRequested);
    connect(addItem(*m_saveMenu, u"saveSectionsAction"_s, u"SaveAllSections"_s),
            &QAction::triggered, this, &ScriptMenus::saveSectionsRequested);
    connect(addItem(*m_saveMenu, u"patchInfoAction"_s, u"Patch info..."_s), &QAction::triggered,
            this, &ScriptMenus::patchInfoRequested);
    // The way in for a script made elsewhere: it fills the lists, as Load
    // does, and leaves the saving to the user.
    connect(addItem(*m_saveMenu, u"importScriptAction"_s, u"Import mantle.scp..."_s),
            &QAction::triggered, this, &ScriptMenus::importScriptRequested);
    // Another patch: a folder of its own. Below today's items, so the menu's
    // first items stay where the hand expects them.
    m_saveMenu->addSeparator();
    connect(addItem(*m_saveMenu, u"openFolderAction"_s, u"Open Folder..."_s, QKeySequence::Open),
            &QAction::triggered, this, &ScriptMenus::openFolderRequested);
    m_recentMenu = m_saveMenu->addMenu(u"Recent Folders"_s);
    m_recentMenu->setObjectName(u"recentFoldersMenu"_s);
    m_recentMenu->menuAction()->setObjectName(u"recentFoldersAction"_s);

    for (ListId list : kAllLists) {
        const auto i = static_cast<size_t>(list);
        m_copyMenus[i] = newMenu(listName(list) + u"CopyMenu"_s, u"Copy"_s); // "gumpsCopyMenu"
        QString action = u"copy%1Action"_s.arg(listName(list));              // "copyGumpsAction"
        action[4] = action[4].toUpper();
        connect(addItem(*m_copyMenus[i], action, u"Copy"_s), &QAction::triggered, this,
                [this, list] { Q_EMIT copyRequested(list); });
        const QString name = action.mid(4).chopped(6); // "Gumps"
        for (size_t c = 0; c < kEditCommands.size(); ++c) {
            const EditCommandText& edit = kEditCommands[c];
            m_editItems[i][c] =
                addItem(*m_copyMenus[i], QString::fromUtf16(edit.verb) + name + u"Action"_s,
                        QString::fromUtf16(edit.caption), edit.keys);
            connect(m_editItems[i][c], &QAction::triggered, this,
                    [this, list, command = edit.command] { Q_EMIT editRequested(list, command); });
        }
        m_copyMenus[i]->addSeparator();
        connect(
            addItem(*m_copyMenus[i], u"find%1Action"_s.arg(name), u"Find..."_s, QKeySequence::Find),
            &QAction::triggered, this, [this, list] { Q_EMIT findRequested(list); });
        connect(addItem(*m_copyMenus[i], u"next%1ProblemAction"_s.arg(name), u"Next Problem"_s,
                        Qt::Key_F8),
                &QAction::triggered, this, [this, list] { Q_EMIT problemRequested(list, false); });
        connect(addItem(*m_copyMenus[i], u"previous%1ProblemAction"_s.arg(name),
                        u"Previous Problem"_s, Qt::SHIFT | Qt::Key_F8),
                &QAction::triggered, this, [this, list] { Q_EMIT problemRequested(list, true); });
        if (list != ListId::Items)
            addPictureItems(list);
    }
}

void ScriptMenus::addPictureItems(ListId list)
{
    const auto i = static_cast<size_t>(list);
    QMenu& menu = *m_copyMenus[i];
    QString suffix = listName(list); // "Gumps"
    suffix[0] = suffix[0].toUpper();
    menu.addSeparator();
    connect(addItem(menu, u"addPictures%1Action"_s.arg(suffix), u"Add pictures..."_s),
            &QAction::triggered, this, [this, list] { Q_EMIT addPicturesRequested(list); });
    m_showPicture[i] = addItem(menu, u"showPicture%1Action"_s.arg(suffix), u"Show picture"_s);
    // The list box's own shortcut, shown here so it can be found.
    m_showPicture[i]->setShortcut(QKeySequence(ListPictures::kShowKey));
    connect(m_showPicture[i], &QAction::triggered, this,
            [this, list] { Q_EMIT showPictureRequested(list); });
    m_useSize[i] = addItem(menu, u"usePictureSize%1Action"_s.arg(suffix), QString());
    m_useSize[i]->setVisible(false);
    connect(m_useSize[i], &QAction::triggered, this,
            [this, list] { Q_EMIT useSizeRequested(list); });
}

void ScriptMenus::setPictureItems(ListId list, bool hasPicture, std::optional<QSize> sizeFix)
{
    const auto i = static_cast<size_t>(list);
    if (m_showPicture[i] == nullptr)
        return;
    m_showPicture[i]->setEnabled(hasPicture);
    m_useSize[i]->setVisible(sizeFix.has_value());
    if (sizeFix)
        m_useSize[i]->setText(u"Use the picture's size, %1 x %2"_s.arg(
            QString::number(sizeFix->width()), QString::number(sizeFix->height())));
}

void ScriptMenus::setRecentFolders(const QList<RecentFolder>& folders)
{
    m_recentMenu->clear();
    bool missing = false;
    for (const RecentFolder& folder : folders) {
        // A menu takes "&" for a mnemonic; a folder's name shows as it is.
        QAction* action =
            m_recentMenu->addAction(QDir::toNativeSeparators(folder.path).replace(u'&', u"&&"_s));
        action->setObjectName(u"recentFolderAction"_s);
        action->setEnabled(folder.present);
        missing = missing || !folder.present;
        connect(action, &QAction::triggered, this,
                [this, path = folder.path] { Q_EMIT recentFolderRequested(path); });
    }
    m_recentMenu->addSeparator();
    QAction* removeMissing =
        addItem(*m_recentMenu, u"removeMissingFoldersAction"_s, u"Remove Missing Folders"_s);
    removeMissing->setEnabled(missing);
    connect(removeMissing, &QAction::triggered, this, &ScriptMenus::removeMissingFoldersRequested);
    connect(addItem(*m_recentMenu, u"clearRecentFoldersAction"_s, u"Clear Recent Folders"_s),
            &QAction::triggered, this, &ScriptMenus::clearRecentFoldersRequested);
    m_recentMenu->setEnabled(!folders.isEmpty());
}

void ScriptMenus::setEditItems(ListId list, const std::function<bool(EditCommand)>& canRun)
{
    for (size_t c = 0; c < kEditCommands.size(); ++c)
        m_editItems[static_cast<size_t>(list)][c]->setEnabled(canRun(kEditCommands[c].command));
}

ScriptMenus::~ScriptMenus() = default;

void ScriptMenus::popup(QMenu& menu, const QPoint& at)
{
    // The chosen item's command runs from within exec(), through the
    // action's triggered signal, so it has finished when exec() returns.
    menu.exec(at);
}

} // namespace scp
