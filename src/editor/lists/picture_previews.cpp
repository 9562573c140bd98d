// Pictures decoded and scaled down on a thread of their own.

#include "lists/picture_previews.h"

#include "files/file_reading.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

PicturePreviews::PicturePreviews(QObject* parent) : QObject(parent)
{
    m_decoder.setMaxThreadCount(1);
    m_decoder.setObjectName(u"picturePreviewDecoder"_s);
}

PicturePreviews::~PicturePreviews()
{
    // A decoding under way finishes first; its result is posted to this
    // object and goes with it.
    m_decoder.clear();
    m_decoder.waitForDone();
}

PicturePreview PicturePreviews::decode(const QString& path)
{
    PicturePreview result;
    const FileBytes read = readFileBytes(path);
    if (!read.outcome) {
        result.problem = read.reason;
        return result;
    }
    QImage image;
    if (!image.loadFromData(read.bytes, "BMP")) {
        result.problem = u"its pixels cannot be read"_s;
        return result;
    }
    if (std::max(image.width(), image.height()) > kLongestSide)
        image =
            image.scaled(kLongestSide, kLongestSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QBuffer buffer(&result.png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        result.png.clear();
        result.problem = u"its pixels cannot be shown"_s;
        return result;
    }
    result.shown = image.size();
    return result;
}

const PicturePreview* PicturePreviews::preview(const QString& path)
{
    const FileStatus status = fileStatus(path);
    if (const auto it = m_kept.find(path);
        it != m_kept.end() && it->modified == status.modified && it->size == status.size) {
        it->used = ++m_uses;
        return &it->preview;
    }
    if (m_asked == path)
        return nullptr;
    // Only the latest wish waits: one still waiting is dropped.
    m_asked = path;
    m_decoder.clear();
    m_decoder.start([this, path, status] {
        Kept kept{status.modified, status.size, 0, decode(path)};
        QMetaObject::invokeMethod(
            this,
            [this, path, kept = std::move(kept)]() mutable {
                if (m_asked == path)
                    m_asked.clear();
                keep(path, std::move(kept));
                Q_EMIT ready(path);
            },
            Qt::QueuedConnection);
    });
    return nullptr;
}

void PicturePreviews::keep(const QString& path, Kept kept)
{
    if (m_kept.size() >= kKept && !m_kept.contains(path)) {
        const auto oldest =
            std::min_element(m_kept.begin(), m_kept.end(),
                             [](const Kept& a, const Kept& b) { return a.used < b.used; });
        m_kept.erase(oldest);
    }
    kept.used = ++m_uses;
    m_kept.insert(path, std::move(kept));
}

} // namespace scp
