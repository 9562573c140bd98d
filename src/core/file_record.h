#pragma once

// What a section file held when the program last read or wrote it, so that
// a later write can tell whether another program has changed it meanwhile.

#include <QByteArray>
#include <QFuture>
#include <QString>

namespace scp {

// A hash of a file's bytes, for telling in this run whether they changed.
size_t contentHash(QByteArrayView bytes);

class FileRecord {
public:
    // Nothing known: the file was never read or written here, or could not
    // be read.
    FileRecord() = default;
    // There was no file of that name.
    static FileRecord absent();
    // The file held `bytes` and had the modification time `modified` (see
    // FileStatus). A long file's hash is worked out on a pool thread.
    static FileRecord of(const QByteArray& bytes, qint64 modified);

    bool isKnown() const { return m_state != State::Unknown; }
    bool existed() const { return m_state == State::Present; }
    qint64 size() const { return m_size; }
    qint64 modified() const { return m_modified; }
    // Waits for the hash where it is still being worked out.
    size_t hash() const;

    // Whether writing `path` now would replace nothing this run has not
    // seen: the file is gone (or is no file a write could replace), or is as
    // recorded (the same size and time, or where only the time differs, the
    // same bytes). A file where none was, or where nothing is known, has not
    // been seen.
    bool mayReplace(const QString& path) const;
    // Whether `path` is as recorded by size and time alone (no reading).
    bool looksUnchanged(const QString& path) const;

private:
    enum class State { Unknown, Absent, Present };
    State m_state = State::Unknown;
    qint64 m_size = 0;
    qint64 m_modified = 0;
    QFuture<size_t> m_hash;
};

} // namespace scp
