#include "bmp_header.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kCoreHeaderSize = 12;
constexpr qsizetype kInfoHeaderSize = 40;

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
    if (dibSize == kCoreHeaderSize) {
        if (bytes.size() < kFileHeaderSize + kCoreHeaderSize)
            return fail(u"its header is cut short"_s);
        return BmpSize{littleEndian(bytes, 18, 2), littleEndian(bytes, 20, 2)};
    }
    if (dibSize < kInfoHeaderSize)
        return fail(u"its header size %1 is not one BMP uses"_s.arg(dibSize));
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize)
        return fail(u"its header is cut short"_s);
    const auto width = static_cast<qint32>(littleEndian(bytes, 18, 4));
    const auto height = static_cast<qint32>(littleEndian(bytes, 22, 4));
    if (width <= 0 || height == 0)
        return fail(u"its header gives %1 x %2 pixels"_s.arg(width).arg(height));
    return BmpSize{width, height < 0 ? -qint64(height) : qint64(height)};
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

    PictureInfo result{PictureInfo::State::Unreadable, {}, {}};
    QFile file(path);
    if (info.isDir()) {
        result.reason = u"it is a folder"_s;
    } else if (!file.open(QIODevice::ReadOnly)) {
        result.reason = file.errorString();
    } else {
        const QByteArray head = file.read(kFileHeaderSize + kInfoHeaderSize);
        if (const auto parsed = parseBmpHeader(head, &result.reason))
            result = {PictureInfo::State::Readable, *parsed, {}};
    }
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

PictureFolder::PictureFolder(QString folder) : m_folder(std::move(folder)), m_caseIndex(m_folder) {}

PictureInfo PictureFolder::picture(const QString& fileName)
{
    return m_headers.lookup(QDir(m_folder).filePath(fileName));
}

} // namespace scp
