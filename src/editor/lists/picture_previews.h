#pragma once

// Small copies of the lists' pictures for their previews, decoded off the
// window's thread.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

namespace scp {

struct PicturePreview {
    QByteArray png;  // the picture at most kLongestSide on its longer side, as PNG
    QSize shown;     // its size so
    QString problem; // why there is none: the file or its pixels could not be read
};

// Decodes pictures on a thread of its own, one at a time, the latest asked
// for first, and keeps the last few it made. A picture changed on disk (its
// time or size) is decoded again.
class PicturePreviews final : public QObject {
    Q_OBJECT

public:
    static constexpr int kLongestSide = 256;
    static constexpr int kKept = 48;

    explicit PicturePreviews(QObject* parent = nullptr);
    ~PicturePreviews() override;

    // The preview of the picture at `path` as it is on disk now; null when
    // it is still to be made, and then it is asked for (ready() says when).
    const PicturePreview* preview(const QString& path);

    // What the decoding thread does: the picture read and scaled down, never up.
    static PicturePreview decode(const QString& path);

Q_SIGNALS:
    void ready(const QString& path);

private:
    struct Kept {
        qint64 modified = 0;
        qint64 size = 0;
        quint64 used = 0;
        PicturePreview preview;
    };
    void keep(const QString& path, Kept kept);

    QHash<QString, Kept> m_kept;
    quint64 m_uses = 0;
    QString m_asked; // the picture being decoded or waiting to be
    QThreadPool m_decoder;
};

} // namespace scp
