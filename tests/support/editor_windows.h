#pragma once

// The editor's windows as a user finds them: top-level windows and their
// controls, by object name.

#include "entry_lists.h"
#include "list_document.h"
#include "list_edit.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

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
