#pragma once

// What a section file held when the program last read or wrote it, so that
// a later write can tell whether another program has changed it meanwhile.

#include <QByteArray>
#include <QFuture>
#include <QString>

namespace scp {

struct FileStatus;

// A hash of a file's bytes, for telling whether they changed. The same bytes
// give the same hash in every run, so a recovery journal can keep it.
size_t contentHash(QByteArrayView bytes);

class FileRecord {
public:
    // The numbers are kept in recovery journals.
    enum class State : quint8 { Unknown = 0, Absent = 1, Present = 2, Unreadable = 3 };

    // Nothing known: the file was never read or written here.
    FileRecord() = default;
    // There was no file of that name.
    static FileRecord absent();
    // There was a file, but reading it failed: nothing of it was seen.
    static FileRecord unreadable();
    // The file held `bytes` and had the modification time `modified` (see
    // FileStatus). A long file's hash is worked out on a pool thread.
    static FileRecord of(const QByteArray& bytes, qint64 modified);
    // The file was written with `size` bytes at `modified`, its bytes not
    // kept: only an unchanged size and time tell it is still as written.
    static FileRecord written(qint64 size, qint64 modified);
    // A record as a recovery journal kept it.
    static FileRecord kept(State state, qint64 size, qint64 modified, size_t hash);

    State state() const { return m_state; }
    bool isKnown() const { return m_state != State::Unknown; }
    bool existed() const { return m_state == State::Present; }
    bool wasUnreadable() const { return m_state == State::Unreadable; }
    qint64 size() const { return m_size; }
    qint64 modified() const { return m_modified; }
    // Waits for the hash where it is still being worked out; 0 where there
    // is none.
    size_t hash() const;

    // Whether writing `path` now would replace nothing this run has not
    // seen: the file is gone (or is no file a write could replace), or is as
    // recorded (the same size and time, or where only the time differs, the
    // same bytes). A file where none was, or where nothing is known or
    // nothing could be read, has not been seen.
    bool mayReplace(const QString& path) const;
    // Whether `path` is still as recorded: absent as it was, or the same
    // file as above. Unknown and unreadable records never match.
    bool matches(const QString& path) const;
    // Whether `path` is as recorded by size and time alone (no reading).
    bool looksUnchanged(const QString& path) const;

private:
    bool sameFile(const FileStatus& now, const QString& path) const;

    State m_state = State::Unknown;
    qint64 m_size = 0;
    qint64 m_modified = 0;
    bool m_hashed = false; // the bytes' hash is known
    QFuture<size_t> m_hash;
};

} // namespace scp
