// Where a portable copy or an installed one keeps its settings and journals.

#include "kept_places.h"

#include "recovery_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Why nothing can be kept in `folder`, or empty when a file can be made
// there. Asked by making one, since a folder's permission bits say little
// on Windows.
QString whyNotWritable(const QString& folder, const QString& settings)
{
    if (!QDir().mkpath(folder))
        return u"the folder \"%1\" cannot be made"_s.arg(QDir::toNativeSeparators(folder));
    QTemporaryFile probe(folder + u"/probe"_s);
    if (!probe.open())
        return probe.errorString();
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
