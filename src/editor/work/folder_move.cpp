// Where lists of no folder may go, and their pictures with them.

#include "work/folder_move.h"

#include "files/folder_check.h"
#include "script/script_compile.h"
#include "windows/questions.h"
#include "work/work_queue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace scp {

QString whyNoHomeFor(const QString& path, const QString& pictures)
{
    if (QString problem = folderOpenProblem(path); !problem.isEmpty())
        return problem + u'.';
    const QString shown = QDir::toNativeSeparators(path);
    if (const QString reason = whyFolderCannotBeWritten(path); !reason.isEmpty())
        return u"Cannot write in the folder \"%1\": %2."_s.arg(shown, reason);
    // Never over another patch, or another picture: they would be replaced
    // unread.
    QStringList names{sectionFileName(ListId::Gumps), sectionFileName(ListId::Tiles),
                      sectionFileName(ListId::Items), QString::fromLatin1(kPatchInfoFileName),
                      QString::fromLatin1(kScriptFileName)};
    names += QDir(pictures).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : std::as_const(names)) {
        if (QFileInfo::exists(QDir(path).filePath(name))) {
            return u"The folder \"%1\" already holds a file \"%2\", which these lists would "
                   u"replace. Open it with Open Folder..., or choose a folder of its own for "
                   u"them."_s.arg(shown, name);
        }
    }
    return {};
}

QString copyPicturesTo(const QString& path, const QString& pictures)
{
    QStringList copied;
    for (const QFileInfo& picture : QDir(pictures).entryInfoList(QDir::Files | QDir::Hidden)) {
        const QString target = QDir(path).filePath(picture.fileName());
        QFile file(picture.filePath());
        if (!file.copy(target)) {
            for (const QString& made : std::as_const(copied))
                QFile::remove(made);
            return u"Could not copy the picture \"%1\" into \"%2\": %3. Nothing was "
                   u"written."_s.arg(picture.fileName(), QDir::toNativeSeparators(path),
                                     file.errorString());
        }
        copied.append(target);
    }
    return {};
}

QString chooseAHome(WorkQueue& queue, QWidget* window, const FolderChooser& choose, bool compile,
                    const QString& pictures)
{
    const QString doing = compile ? u"compiling mantle.scp"_s : u"saving the lists"_s;
    if (!queue.asking([&] { return askForAFolder(window, doing); }))
        return {};
    const QString path = queue.asking([&] { return choose(window, QDir::homePath()); });
    if (path.isEmpty())
        return {};
    if (const QString problem = whyNoHomeFor(path, pictures); !problem.isEmpty()) {
        queue.tell(problem + u" Nothing was written."_s, true);
        return {};
    }
    // The pictures added go first: the folder left behind is a scratch one.
    if (const QString problem = copyPicturesTo(path, pictures); !problem.isEmpty()) {
        queue.tell(problem, true);
        return {};
    }
    return path;
}

} // namespace scp
