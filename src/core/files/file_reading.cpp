// Reading files whole, every read checked.

#include "files/file_reading.h"

#include "files/system_calls.h"
#include "files/windows_names.h"
#include "text/counted.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// One read asks for at most this much: a failure part way is then found
// close to where it happened, at no cost in speed.
constexpr qsizetype kChunk = qsizetype(8) << 20;

// A list file read whole is tens of megabytes of fresh memory, touched a
// page at a time; the buffer has the system put all its pages in at once,
// in one call rather than a fault a page. (Asking for large pages instead
// was faster where the system had them free, 20 ms for a Load's 122 MB,
// but where memory was fragmented the system compacted it first, and one
// such read in three took 0.1-0.3 s.)
void prefaultPages(QByteArray& buffer)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr quintptr kPage = 4096;
    const quintptr start = (quintptr(buffer.data()) + kPage - 1) & ~(kPage - 1);
    const quintptr end = (quintptr(buffer.data()) + quintptr(buffer.size())) & ~(kPage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE); // a hint only
#else
    Q_UNUSED(buffer);
#endif
}

QString describedSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat); // "1.5 GB"
}

FileBytes readUpTo(const QString& path, qsizetype limit)
{
    FileBytes result;
    const auto fail = [&](const QString& reason) {
        result.bytes = QByteArray();
        result.reason = reason;
        result.outcome = Outcome::failure(
            u"Could not read \"%1\": %2"_s.arg(QDir::toNativeSeparators(path), reason));
        return std::move(result);
    };
    const SystemCalls& sys = systemCalls();
    if (const QString problem = refusedName(path); !problem.isEmpty())
        return fail(problem);

    // Opened without waiting: a FIFO that has no writer would wait forever.
    // What was opened is checked before anything is read from it.
    const Descriptor file(retryOnInterrupt([&] {
        return sys.open(encodedPath(path).constData(), OpenRead | OpenNonBlocking | OpenNoTerminal,
                        0);
    }));
    if (file.get() < 0) {
        result.missing = errno == ENOENT;
        return fail(systemReason(errno));
    }
    FileNode status;
    if (sys.fstat(file.get(), &status) != 0)
        return fail(systemReason(errno));
    if (status.kind != FileNode::Kind::Regular)
        return fail(u"it is not a regular file (%1)"_s.arg(describedKind(status.kind)));
    result.modified = status.modified;
    if (sys.setFlags(file.get(), 0) != 0) // reads that wait, as they should
        return fail(systemReason(errno));

    const auto tooLarge = [&](qint64 size) {
        return fail(u"too large to load: %1"_s.arg(describedSize(size)));
    };
    if (status.size >= (std::numeric_limits<qsizetype>::max)() - kChunk)
        return tooLarge(status.size);
    const qsizetype expected = std::min(qsizetype(status.size), limit);
    qsizetype done = 0;
    try {
        // One byte beyond the size seen at open: a read that fills it shows
        // the file grew, and the common case needs no second allocation.
        result.bytes = QByteArray(std::min(expected + 1, limit), Qt::Uninitialized);
        prefaultPages(result.bytes);
        while (done < limit) {
            if (done == result.bytes.size())
                result.bytes.resize(std::min(done + std::max(done, kChunk), limit));
            const qsizetype count = retryOnInterrupt([&] {
                return sys.read(file.get(), result.bytes.data() + done,
                                size_t(std::min(result.bytes.size() - done, kChunk)));
            });
            if (count < 0)
                return fail(systemReason(errno));
            if (count == 0)
                break;
            done += count;
        }
    } catch (const std::bad_alloc&) {
        return tooLarge(std::max<qint64>(status.size, done));
    }
    // Ending early means the file was cut short while it was read (or the
    // file system lost its end): the bytes read are not the file.
    if (done < expected) {
        return fail(u"it ended after %1 of the %2 it had when opened"_s.arg(done).arg(
            counted(status.size, u"byte")));
    }
    result.bytes.resize(done);
    return result;
}

} // namespace

FileBytes readFileBytes(const QString& path)
{
    return readUpTo(path, (std::numeric_limits<qsizetype>::max)() - 1);
}

FileBytes readFileHead(const QString& path, qsizetype count)
{
    return readUpTo(path, count);
}

FileStatus fileStatus(const QString& path)
{
    FileNode status;
    if (systemCalls().stat(encodedPath(path).constData(), &status) != 0)
        return {};
    return {true, status.kind == FileNode::Kind::Regular, status.size, status.modified};
}

} // namespace scp
