// Whether a save would replace what another program made or changed.

#include "script/changed_files.h"

#include "script/folder_files.h"

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// How `record` differs from the file now, for the question before a save;
// empty when the file may be replaced unasked. `shown` is what would replace
// an unread file.
QString whyAsk(const FileRecord& record, const QString& path, const QString& shown)
{
    if (record.mayReplace(path))
        return {};
    if (record.existed())
        return u" (changed since it was read or saved here)"_s;
    if (record.wasUnreadable())
        return u" (it could not be read, so what it holds on disk would be replaced by %1 "
               u"shown)"_s.arg(shown);
    return record.isKnown() ? u" (made since this editor started)"_s : u" (never read here)"_s;
}

} // namespace

ChangedFiles changedSinceRead(const FolderFiles& files)
{
    ChangedFiles changed;
    const auto check = [&](const QString& name, const FileRecord& record, const QString& path,
                           const QString& shown) {
        const QString why = whyAsk(record, path, shown);
        if (why.isEmpty())
            return;
        changed.unreadable += record.wasUnreadable() ? 1 : 0;
        changed.files.append(name + why);
    };
    for (ListId list : kAllLists)
        check(sectionFileName(list), files.sections.sectionRecord(list),
              files.sections.sectionPath(list), u"the %1 list"_s.arg(listName(list)));
    if (files.patchInfo.patchInfoUnsaved())
        check(QString::fromLatin1(kPatchInfoFileName), files.patchInfo.patchInfoRecord(),
              files.patchInfo.patchInfoPath(), u"the patch info"_s);
    return changed;
}

} // namespace scp
