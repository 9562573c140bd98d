// Where a portable copy or an installed one keeps its settings and journals.

#include "work/kept_places.h"

#include "files/folder_check.h"
#include "recovery/recovery_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Why nothing can be kept in `folder` and `settings`, or empty when both
// can be written.
QString whyNotWritable(const QString& folder, const QString& settings)
{
    if (!QDir().mkpath(folder))
        return u"the folder \"%1\" cannot be made"_s.arg(QDir::toNativeSeparators(folder));
    if (QString reason = whyFolderCannotBeWritten(folder); !reason.isEmpty())
        return reason;
    QFile file(settings); // opened to write, but not changed
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return file.errorString();
    return {};
}

} // namespace

KeptPlaces keptPlaces(const QString& programFolder)
{
    const QString settings = programFolder + u'/' + QLatin1StringView(kPortableSettingsName);
    if (!QFileInfo(settings).isFile())
        return {QString(), RecoveryStore::defaultFolder(), QString()};
    const QString journals = programFolder + u"/recovery"_s;
    const QString reason = whyNotWritable(journals, settings);
    if (reason.isEmpty())
        return {settings, journals, QString()};
    return {settings, QString(),
            u"This portable scpmaker keeps its settings and recovery journals in its own "
            u"folder \"%1\", which cannot be written: %2. This time it keeps none, so what is "
            u"not saved is lost if it ends unexpectedly."_s.arg(
                QDir::toNativeSeparators(programFolder), reason)};
}

} // namespace scp
