// Joining a folder and a file's name without asking the system about it.

#include "files/folder_path.h"

namespace scp {

QString pathInFolder(const QDir& folder, const QString& fileName)
{
    // Joined by hand: asked for an absolute path, Qt asks Windows, which
    // drops what it would not take ("patch." becomes "patch"), and the file
    // layer could no longer refuse the name the user gave.
    QString path = folder.path();
    if (QDir::isRelativePath(path))
        path = QDir::currentPath() + u'/' + path;
#ifdef Q_OS_WIN
    else if (path.startsWith(u'/') && !path.startsWith(u"//"))
        path = QDir::currentPath().first(2) + path; // rooted on the current drive
#endif
    return QDir::toNativeSeparators(QDir::cleanPath(path + u'/' + fileName));
}

} // namespace scp
