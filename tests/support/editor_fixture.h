#pragma once

// An editor a test starts in new folders of its own: the lists' and the journals'.

#include "editor_windows.h"
#include "work/editor.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTextCursor>

#include <memory>

// Key by key at the end of a list, beyond ASCII too, where QTest::keyClicks stops.
inline void typeAtEnd(scp::ListId id, const QString& text)
{
    listBox(id).moveCursor(QTextCursor::End);
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, c);
        QCoreApplication::sendEvent(&listBox(id), &press);
    }
}

class EditorFixture {
protected:
    std::unique_ptr<QTemporaryDir> m_dir = std::make_unique<QTemporaryDir>(),
                                   m_journals = std::make_unique<QTemporaryDir>();
    std::unique_ptr<scp::Editor> m_editor;
    QWidget* form = nullptr; // the editor's main window

    QString path(const QString& name) const { return m_dir->filePath(name); }
    // The editor closed, and the folders new and empty.
    void newFolders()
    {
        m_editor.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        m_journals = std::make_unique<QTemporaryDir>();
    }
    // Started in the folder, shown, and its lists in.
    void startEditor() { startEditorWith(m_journals->path()); }
    void startEditorWith(const QString& journals)
    {
        m_editor = std::make_unique<scp::Editor>(QDir(m_dir->path()), journals);
        m_editor->show();
        form = &mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTRY_VERIFY(listsAreIn());
    }
};
