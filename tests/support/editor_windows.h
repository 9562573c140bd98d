#pragma once

// The editor's windows as a user finds them: top-level windows and their
// controls, by object name.

#include "entry_lists.h"
#include "list_document.h"
#include "list_edit.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// What the editor remembers between runs goes to a scratch folder of the
// test's own, on every platform (the registry too, on Windows), so a test
// neither reads the user's window nor leaves its own behind.
inline void useScratchSettings()
{
    static QTemporaryDir scratch;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path());
}
Q_COREAPP_STARTUP_FUNCTION(useScratchSettings)

// The first shown or hidden widget of that name, a window or in one.
template <typename T = QWidget> T* findWidget(const QString& name)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* widget = qobject_cast<T*>(top); widget != nullptr && top->objectName() == name)
            return widget;
        if (auto* child = top->findChild<T*>(name))
            return child;
    }
    return nullptr;
}

inline QWidget& mainWindow()
{
    return *findWidget(QStringLiteral("mainWindow"));
}

// The box of a list: "gumpsList", "tilesList", "itemsList".
inline scp::ListEdit& listBox(scp::ListId list)
{
    return *mainWindow().findChild<scp::ListEdit*>(scp::listName(list) + QStringLiteral("List"));
}

inline QString listText(scp::ListId list)
{
    return listBox(list).list().text();
}

// "gumps|tiles|items"
inline QString allListTexts()
{
    return listText(scp::ListId::Gumps) + u'|' + listText(scp::ListId::Tiles) + u'|' +
           listText(scp::ListId::Items);
}

// A Load fills the lists while they take no typing.
inline bool listsAreIn()
{
    return !listBox(scp::ListId::Gumps).isReadOnly();
}
