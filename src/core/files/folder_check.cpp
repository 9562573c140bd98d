// Asked of the system itself, by listing the folder: that one call says
// whether it is a folder, whether it can be entered and read, and why not.

#include "files/folder_check.h"

#include "files/windows_names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// The folder as the system names it; Windows' names are wide.
std::filesystem::path systemPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace

QString whyFolderCannotBeOpened(const QString& path)
{
    if (QString reason = refusedName(path); !reason.isEmpty())
        return reason;
    std::error_code error;
    std::filesystem::directory_iterator(systemPath(path), error);
    return error ? QString::fromLocal8Bit(error.message()) : QString();
}

bool sameFolder(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

QString folderOpenProblem(const QString& path)
{
    const QString reason = whyFolderCannotBeOpened(path);
    if (reason.isEmpty())
        return {};
    return u"Cannot open the folder \"%1\": %2"_s.arg(QDir::toNativeSeparators(path), reason);
}

QString whyFolderCannotBeWritten(const QString& path)
{
    QTemporaryFile probe(path + u"/probe"_s);
    return probe.open() ? QString() : probe.errorString();
}

} // namespace scp
