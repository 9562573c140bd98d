// patch.ini read for taking in, and the patch info remembered against it.

#include "script/patch_info_state.h"

#include "files/folder_path.h"

namespace scp {

QString PatchInfoState::patchInfoPath() const
{
    return pathInFolder(m_folder, QString::fromLatin1(kPatchInfoFileName));
}

PatchInfoFile PatchInfoState::readPatchInfoFile() const
{
    PatchInfoFile read{readFileBytes(patchInfoPath()), {}};
    if (read.file.outcome)
        read.read = parsePatchInfo(read.file.bytes);
    return read;
}

std::optional<PatchInfoContent> PatchInfoState::readPatchInfo(Reporter& reporter) const
{
    const PatchInfoFile read = readPatchInfoFile();
    if (read.file.missing)
        return PatchInfoContent{std::nullopt, FileRecord::absent()};
    if (!read.file.outcome) {
        reporter.failure(read.file.outcome.error());
        return std::nullopt;
    }
    if (!read.read.problems.isEmpty()) {
        QStringList lines;
        for (const PatchInfoProblem& problem : read.read.problems)
            lines.append(describePatchInfoProblem(patchInfoPath(), problem));
        reporter.failure(lines.join(u'\n'));
        return std::nullopt;
    }
    return PatchInfoContent{read.read.info, FileRecord::of(read.file.bytes, read.file.modified)};
}

void PatchInfoState::rememberPatchInfo(const PatchInfoContent& content)
{
    setPatchInfo(content.info);
    m_saved = content.info;
    m_record = content.record;
}

bool PatchInfoState::loadPatchInfo(Reporter& reporter)
{
    const std::optional<PatchInfoContent> content = readPatchInfo(reporter);
    if (content)
        rememberPatchInfo(*content);
    return content.has_value();
}

void PatchInfoState::rememberFolderAsIs()
{
    // One that cannot be looked at stays unknown.
    if (!hasPatchInfoFile())
        m_record = FileRecord::absent();
}

void PatchInfoState::rememberSaved(const QByteArray& bytes)
{
    // Taken straight after the write: another program's change from now on
    // has another time.
    m_saved = m_patchInfo;
    m_record = FileRecord::of(bytes, fileStatus(patchInfoPath()).modified);
}

} // namespace scp
