#pragma once

// The program: the editor of the folder the user works in, for as long as
// the user works in it.

#include <QDir>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTemporaryDir;
class QWidget;

namespace scp {

class Editor;

// Owns the editor of the current folder. Opening another folder gives that
// folder an editor of its own, started there as a start in that folder
// would start it (its lists and patch info, the recovery offer, the marks
// on its pictures, its title); the previous editor goes first, with its
// window and its journal's lock. The window comes back where it was, as
// every start puts it.
class Program final : public QObject {
    Q_OBJECT

public:
    // Recovery journals are kept in `journalFolder`, or none when empty.
    explicit Program(QString journalFolder);
    ~Program() override;

    // Shows the editor of `folder`, in place of the one shown.
    void open(const QDir& folder);
    // Shows an editor whose lists have no folder yet: its first Save or
    // Compile asks for one.
    void openFolderless();
    // What a launch from the desktop's menu opens: the most recent folder
    // that can still be opened; with none, the folder `choose` asks for, and
    // when that is cancelled, lists with no folder yet.
    using FolderChooser = std::function<QString()>;
    void openRecent(const FolderChooser& choose);

    Editor& editor() const { return *m_editor; }
    // Called with each new editor before it shows (tests replace its
    // dialogs there).
    void setEditorReady(std::function<void(Editor&)> ready) { m_ready = std::move(ready); }

Q_SIGNALS:
    // The main window was closed: the program ends.
    void finished();
    // An editor's Load or Import freed the lists it replaced.
    void freedMemory();

private:
    void show(const QDir& folder, bool folderless);
    // The editor moved to `path`, maybe with lists of no folder.
    void moved(const QString& path);

    QString m_journalFolder;
    std::function<void(Editor&)> m_ready;
    std::unique_ptr<QTemporaryDir> m_scratch; // the folderless lists' pictures
    std::unique_ptr<Editor> m_editor;
};

} // namespace scp
