#pragma once

// Picture facts the lint needs, read without decoding any image: a BMP's
// width and height from its header bytes, and whether a name exists in a
// folder only under another case. Qt Core only.

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

namespace scp {

struct BmpSize {
    qint64 width = 0;
    qint64 height = 0; // always positive: a top-down picture reports its height too
    friend bool operator==(const BmpSize&, const BmpSize&) = default;
};

// Width and height from the start of a BMP file: the 14-byte file header
// ("BM") and the DIB header behind it, which starts with its own size. The
// 12-byte core header holds unsigned 16-bit dimensions; every longer one
// (OS/2's of 16 to 64 bytes, Windows' of 40 and more) holds 32-bit ones
// right after the size, a negative height meaning top-down rows. A picture
// of no pixels is refused whatever its header. Empty when the bytes are not
// such a header; `reason` then says why.
std::optional<BmpSize> parseBmpHeader(QByteArrayView bytes, QString* reason = nullptr);

// What a picture path holds, as far as the lint cares.
struct PictureInfo {
    enum class State { Missing, Unreadable, Readable };
    State state = State::Missing;
    BmpSize size;      // when Readable
    QString reason;    // when Unreadable: why, for the user
    QString otherCase; // when Missing: the name the folder holds it under in another case, if any
};

// Reads BMP headers once per version of a file: an entry is re-read only
// when the file's modification time or size changed, so checking a list
// again costs a stat per picture.
class BmpHeaderCache {
public:
    PictureInfo lookup(const QString& path);

private:
    struct Cached {
        QDateTime modified;
        qint64 size = -1;
        PictureInfo info;
    };
    QHash<QString, Cached> m_entries;
};

// The name a folder holds for `fileName` when it holds it only under
// another case ("Cloak.BMP" for "cloak.bmp"); empty otherwise. The folder
// is listed once and listed again only when its modification time moves.
class FolderCaseIndex {
public:
    explicit FolderCaseIndex(QString folder) : m_folder(std::move(folder)) {}
    QString otherCase(const QString& fileName);

private:
    QString m_folder;
    QDateTime m_listed;
    bool m_valid = false;
    QHash<QString, QString> m_byFolded; // case-folded name -> first name found
};

// The folder the lists are saved to, with both caches: what the lint asks
// about pictures. One per folder, shared by the gumps and tiles lists.
class PictureFolder {
public:
    enum class Lookups {
        // Each question looks at the file again (a stat; its header is read
        // once per version): the editor's marks follow a picture that
        // appears, goes or changes while the lists are open.
        FollowChanges,
        // Each name is looked up once, and that answer holds for the life
        // of this: one check of the lists asks once per picture named, however
        // many entries name it. The lists may then ask from threads of their
        // own.
        OncePerName,
    };
    explicit PictureFolder(QString folder, Lookups lookups = Lookups::FollowChanges);
    const QString& path() const { return m_folder; }
    PictureInfo picture(QStringView fileName);

private:
    PictureInfo lookUp(const QString& fileName);

    QString m_folder;
    Lookups m_lookups;
    BmpHeaderCache m_headers;
    FolderCaseIndex m_caseIndex;
    QHash<QString, PictureInfo> m_answers; // by name, when looked up once per name
    QMutex m_answering;                    // over all of the above, once per name
};

} // namespace scp
