// BMP headers read for their size, and the folder the lint looks for pictures in;
// see bmp_header.h.

#include "pictures/bmp_header.h"

#include "files/file_reading.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kCoreHeaderSize = 12; // 16-bit width and height
// OS/2's second header is 64 bytes, or cut to any length from 16 (its size,
// width, height, planes and bits per pixel), the rest then taken as 0.
constexpr qsizetype kShortestOs2HeaderSize = 16;
constexpr qsizetype kInfoHeaderSize = 40; // Windows' first; every longer one starts as it does

quint32 littleEndian(QByteArrayView bytes, qsizetype at, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

} // namespace

std::optional<BmpSize> parseBmpHeader(QByteArrayView bytes, QString* reason)
{
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (bytes.size() < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return fail(u"it does not start with a BMP file header"_s);
    const quint32 dibSize = littleEndian(bytes, kFileHeaderSize, 4);
    if (dibSize != kCoreHeaderSize && dibSize < kShortestOs2HeaderSize)
        return fail(u"its header size %1 is not one BMP uses"_s.arg(dibSize));
    if (bytes.size() < kFileHeaderSize + std::min<qsizetype>(dibSize, kInfoHeaderSize))
        return fail(u"its header is cut short"_s);
    const bool core = dibSize == kCoreHeaderSize;
    const auto dimension = [&](qsizetype coreAt, qsizetype at) {
        return core ? qint64(littleEndian(bytes, coreAt, 2))
                    : qint64(static_cast<qint32>(littleEndian(bytes, at, 4)));
    };
    const qint64 width = dimension(18, 18);
    const qint64 height = dimension(20, 22);
    if (width <= 0 || height == 0)
        return fail(u"its header gives %1 x %2 pixels"_s.arg(width).arg(height));
    return BmpSize{width, height < 0 ? -height : height};
}

PictureInfo BmpHeaderCache::lookup(const QString& path)
{
    // One stat: the time, size and kind come together; no time, no file.
    const QFileInfo info(path);
    const QDateTime modified = info.lastModified();
    if (!modified.isValid()) {
        m_entries.remove(path);
        return {};
    }
    const qint64 size = info.size();
    if (const auto it = m_entries.constFind(path);
        it != m_entries.cend() && it->modified == modified && it->size == size)
        return it->info;

    // A picture named by a list may be anything; a FIFO must not stop the
    // lint, so it goes through the reader that refuses what is not a file.
    PictureInfo result{PictureInfo::State::Unreadable, {}, {}, {}};
    const FileBytes head = readFileHead(path, kFileHeaderSize + kInfoHeaderSize);
    if (!head.outcome)
        result.reason = head.reason;
    else if (const auto parsed = parseBmpHeader(head.bytes, &result.reason))
        result = {PictureInfo::State::Readable, *parsed, {}, {}};
    m_entries.insert(path, {modified, size, result});
    return result;
}

QString FolderCaseIndex::otherCase(const QString& fileName)
{
    if (fileName.contains(u'/') || fileName.contains(u'\\'))
        return {};
    const QFileInfo folder(m_folder);
    const QDateTime modified = folder.lastModified();
    if (!m_valid || modified != m_listed) {
        m_byFolded.clear();
        const QStringList names = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : names) {
            const QString folded = name.toCaseFolded();
            if (!m_byFolded.contains(folded))
                m_byFolded.insert(folded, name);
        }
        m_listed = modified;
        m_valid = true;
    }
    const QString found = m_byFolded.value(fileName.toCaseFolded());
    return found == fileName ? QString() : found;
}

PictureFolder::PictureFolder(QString folder, Lookups lookups)
    : m_folder(std::move(folder)), m_lookups(lookups), m_caseIndex(m_folder)
{
}

PictureInfo PictureFolder::picture(QStringView fileName)
{
    if (m_lookups == Lookups::FollowChanges)
        return lookUp(fileName.toString());
    const QMutexLocker locked(&m_answering);
    // Asked without a copy of the name: only a new one is kept.
    const auto answered =
        m_answers.constFind(QString::fromRawData(fileName.data(), fileName.size()));
    if (answered != m_answers.cend())
        return *answered;
    const QString name = fileName.toString();
    return *m_answers.insert(name, lookUp(name));
}

PictureInfo PictureFolder::lookUp(const QString& fileName)
{
    // No file of the folder has such a name on Windows, and Qt refuses a NUL
    // with a warning: a name with a control character is missing, unasked.
    if (std::any_of(fileName.cbegin(), fileName.cend(),
                    [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return {};
    PictureInfo info = m_headers.lookup(QDir(m_folder).filePath(fileName));
    if (info.state == PictureInfo::State::Missing)
        info.otherCase = m_caseIndex.otherCase(fileName);
    return info;
}

} // namespace scp
