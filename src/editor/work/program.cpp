// One editor at a time, one folder each.

#include "work/program.h"

#include "files/folder_check.h"
#include "windows/message_box_reporter.h"
#include "work/editor.h"
#include "work/editor_settings.h"

#include <QTemporaryDir>
#include <QTimer>

namespace scp {

Program::Program(QString journalFolder) : m_journalFolder(std::move(journalFolder)) {}

Program::~Program()
{
    m_editor.reset(); // before the scratch folder it may work in
}

void Program::open(const QDir& folder)
{
    show(folder, false);
}

void Program::openFolderless()
{
    auto scratch = std::make_unique<QTemporaryDir>();
    const QDir folder(scratch->path());
    show(folder, true);
    m_scratch = std::move(scratch);
}

void Program::openRecent(const FolderChooser& choose)
{
    for (const QString& folder : recentFolders()) {
        if (whyFolderCannotBeOpened(folder).isEmpty())
            return open(QDir(folder));
    }
    const QString chosen = choose();
    if (chosen.isEmpty())
        return openFolderless();
    if (const QString problem = folderOpenProblem(chosen); !problem.isEmpty()) {
        MessageBoxReporter().failure(problem); // as a start in that folder says it
        return openFolderless();
    }
    open(QDir(chosen));
}

void Program::show(const QDir& folder, bool folderless)
{
    m_editor.reset(); // its lock, and its window, go before the next takes over
    // Lists of no folder keep no journal: a scratch folder is not found again.
    m_editor = std::make_unique<Editor>(folder, folderless ? QString() : m_journalFolder);
    connect(m_editor.get(), &Editor::finished, this, &Program::finished);
    connect(m_editor.get(), &Editor::freedMemory, this, &Program::freedMemory);
    connect(m_editor.get(), &Editor::folderChosen, this, [this](const QString& path) {
        QTimer::singleShot(0, this, [this, path] { moved(path); });
    });
    if (folderless)
        m_editor->setFolderless();
    if (m_ready)
        m_ready(*m_editor);
    m_editor->show();
}

void Program::moved(const QString& path)
{
    // Only once the editor that chose the folder is off the stack: a menu's
    // or a question's event loop of its own may still be unwinding, and
    // runs this timer too.
    if (!m_editor->isIdle()) {
        QTimer::singleShot(0, this, [this, path] { moved(path); });
        return;
    }
    const std::optional<Editor::CarriedWork> carried = m_editor->takeCarriedWork();
    open(QDir(path));
    m_scratch.reset();
    if (carried)
        m_editor->carryOn(*carried);
}

} // namespace scp
