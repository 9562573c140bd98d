// Telling whether a file changed since it was last read or written here.

#include "files/file_record.h"

#include "files/file_reading.h"

#include <QHash>
#include <QPromise>
#include <QThreadPool>

#include <memory>

namespace scp {

namespace {

// Below this a hash costs less than handing it to another thread.
constexpr qsizetype kHashElsewhereFrom = qsizetype(1) << 20;

} // namespace

size_t contentHash(QByteArrayView bytes)
{
    // Seed 0: Qt gives it the same hash in every run (no per-process seed),
    // which a journal kept across a crash relies on. A hash that differs
    // only asks a question more.
    return qHashBits(bytes.data(), size_t(bytes.size()), 0);
}

FileRecord FileRecord::absent()
{
    FileRecord record;
    record.m_state = State::Absent;
    return record;
}

FileRecord FileRecord::unreadable()
{
    FileRecord record;
    record.m_state = State::Unreadable;
    return record;
}

FileRecord FileRecord::written(qint64 size, qint64 modified)
{
    FileRecord record;
    record.m_state = State::Present;
    record.m_size = size;
    record.m_modified = modified;
    return record;
}

FileRecord FileRecord::kept(State state, qint64 size, qint64 modified, size_t hash)
{
    FileRecord record = written(size, modified);
    record.m_state = state;
    if (state == State::Present) {
        record.m_hashed = true;
        record.m_hash = QtFuture::makeReadyFuture(hash);
    }
    return record;
}

FileRecord FileRecord::of(const QByteArray& bytes, qint64 modified)
{
    FileRecord record;
    record.m_state = State::Present;
    record.m_size = bytes.size();
    record.m_modified = modified;
    record.m_hashed = true;
    auto promise = std::make_shared<QPromise<size_t>>();
    record.m_hash = promise->future();
    promise->start();
    const auto work = [promise, bytes] {
        promise->addResult(contentHash(bytes));
        promise->finish();
    };
    if (bytes.size() < kHashElsewhereFrom)
        work();
    else
        QThreadPool::globalInstance()->start(work);
    return record;
}

size_t FileRecord::hash() const
{
    return m_hashed ? m_hash.result() : 0;
}

bool FileRecord::looksUnchanged(const QString& path) const
{
    const FileStatus now = fileStatus(path);
    if (!now.exists || m_state != State::Present)
        return !now.exists && m_state == State::Absent;
    return now.size == m_size && now.modified == m_modified;
}

bool FileRecord::mayReplace(const QString& path) const
{
    const FileStatus now = fileStatus(path);
    if (!now.exists)
        return true;
    // Whatever stood there when the read failed (a folder too) is asked
    // about: the user never saw what it holds.
    if (m_state == State::Unreadable)
        return false;
    // Nothing a write could replace (it fails on its own).
    if (!now.regular)
        return true;
    return sameFile(now, path);
}

bool FileRecord::matches(const QString& path) const
{
    const FileStatus now = fileStatus(path);
    if (!now.exists || m_state != State::Present)
        return !now.exists && m_state == State::Absent;
    return now.regular && sameFile(now, path);
}

bool FileRecord::sameFile(const FileStatus& now, const QString& path) const
{
    if (m_state != State::Present || now.size != m_size)
        return false;
    if (now.modified == m_modified)
        return true;
    // Touched, copied over with the same bytes, or really changed: only
    // the bytes tell, where they were kept.
    if (!m_hashed)
        return false;
    const FileBytes read = readFileBytes(path);
    return read.outcome.ok() && read.bytes.size() == m_size && contentHash(read.bytes) == hash();
}

} // namespace scp
