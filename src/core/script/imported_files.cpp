// An import's files, written all or none.

#include "script/imported_files.h"

#include "files/file_reading.h"
#include "files/file_transaction.h"
#include "script/section_files.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Beside the section files, whose paths SectionFiles joins with care.
QString patchInfoPath(const SectionFiles& files)
{
    QString path = files.sectionPath(ListId::Gumps);
    path.chop(sectionFileName(ListId::Gumps).size());
    return path + QString::fromLatin1(kPatchInfoFileName);
}

} // namespace

QStringList existingImportTargets(const QDir& folder)
{
    const SectionFiles files(folder);
    QStringList paths;
    for (ListId list : kAllLists)
        paths.append(files.sectionPath(list));
    paths.append(patchInfoPath(files));
    paths.removeIf([](const QString& path) { return !fileStatus(path).exists; });
    return paths;
}

Outcome writeImportedScript(const QDir& folder, const ImportedScript& script)
{
    const SectionFiles files(folder);
    FileTransaction transaction;
    for (ListId list : kAllLists)
        transaction.add(files.sectionPath(list), script.list(list));
    const QString patchInfo = patchInfoPath(files);
    if (script.patchInfo)
        transaction.add(patchInfo, patchInfoBytes(*script.patchInfo));
    if (Outcome written = transaction.commit(); !written)
        return written;
    if (!script.patchInfo && fileStatus(patchInfo).exists) {
        QFile stale(patchInfo);
        if (!stale.remove())
            return Outcome::failure(
                u"The lists are written, but \"%1\" could not be removed: %2. Its patch info "
                u"would go into the compiled script in place of the script's own."_s.arg(
                    patchInfo, stale.errorString()));
    }
    return {};
}

} // namespace scp
