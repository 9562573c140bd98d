#pragma once

// The editor's windows as a user finds them, controls by object name.

#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "script/entry_lists.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWidget>

using scp::ListId;

// Settings go to a scratch folder (the registry too), never the user's.
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

// "Gumps", "Tiles", "Items", as the controls' names spell a list.
inline QString listTitle(scp::ListId list)
{
    const QString name = scp::listName(list);
    return name.at(0).toUpper() + name.sliced(1);
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

inline void clickButton(const QString& name)
{
    auto* button = mainWindow().findChild<QPushButton*>(name);
    QVERIFY2(button != nullptr, qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Selects the box's document positions [from, to).
inline void selectRange(scp::ListEdit& box, int from, int to)
{
    QTextCursor cursor(box.document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

// What the box's marks underline, as it paints them now.
inline QStringList markedTexts(scp::ListEdit& box)
{
    box.viewport()->repaint();
    QStringList texts;
    for (const auto& mark : box.extraSelections())
        texts << mark.cursor.selectedText();
    return texts;
}

// What Add puts between two gumps or tiles.
inline const QString kGumpSpacer(37, u' ');

// A gumps list of `entries` entries, as Add makes it.
inline QString gumpList(int entries)
{
    QStringList list;
    for (int i = 0; i < entries; ++i)
        list << QStringLiteral("0x%1 Filename.bmp 44 44").arg(i, 4, 16, QChar(u'0'));
    return list.join(kGumpSpacer);
}

// Where each row the box shows starts, as a document position (all laid out first).
inline QList<int> rowStarts(const scp::ListEdit& box)
{
    QList<int> starts;
    const QTextDocument& document = *box.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        document.documentLayout()->blockBoundingRect(block);
        const QTextLayout& layout = *block.layout();
        for (int line = 0; line < layout.lineCount(); ++line)
            starts << block.position() + layout.lineAt(line).textStart();
    }
    return starts;
}

// Where a list's entries start: its first character, after a line end or a spacer run.
inline QList<int> entryStarts(const QString& positionText, int spacer)
{
    QList<int> starts;
    int run = 0;
    bool lineStart = true;
    for (int i = 0; i < positionText.size(); ++i) {
        const QChar c = positionText.at(i);
        if (c == u'\n') {
            lineStart = true;
        } else if (c == u' ') {
            ++run;
            continue;
        } else {
            if (lineStart || run >= spacer)
                starts << i;
            lineStart = false;
        }
        run = 0;
    }
    return starts;
}
