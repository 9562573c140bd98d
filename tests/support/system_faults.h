#pragma once

// Faults put into the program's real file calls, through the table the file
// layer calls them by: a disk that fills, a read that fails, a rename
// refused, on whichever thread makes the call.

#include "files/system_calls.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <tuple>

namespace system_faults {

inline const scp::SystemCalls& real()
{
    static const scp::SystemCalls calls = scp::systemCalls();
    return calls;
}

inline QMutex lock; // the calls come from the program's threads too
inline QList<std::tuple<QByteArray, int, int>> faults;
inline QHash<QByteArray, int> seen;
inline bool hit = false;
inline QByteArray file; // empty: reads of any file count
inline int fileFd = -1;

inline bool failNow(const char* call)
{
    const QMutexLocker locked(&lock);
    const int any = seen["*"]++, own = seen[call]++;
    for (const auto& [name, nth, error] : std::as_const(faults)) {
        if ((name == "*" && nth == any) || (name == call && (nth == own || nth < 0))) {
            errno = error;
            return hit = true;
        }
    }
    return false;
}

// Whether `path` names the file, after either separator (Windows').
inline bool namesFile(QByteArrayView path)
{
    const qsizetype at = path.size() - file.size() - 1;
    return !file.isEmpty() && path.endsWith(file) && at >= 0 &&
           (path[at] == '/' || path[at] == '\\');
}

} // namespace system_faults

// "call nth errno ...": the nth call (from 0; -1: every call) of that kind,
// or of any kind for "*", fails with errno; errno 0 makes it return 0 (a
// read at the end, a write that takes nothing). Reads return at most 64 KiB,
// as network file systems may. With `onlyReadsOf` (a file's name), only
// reads of that file count as reads. The faults stay until the next call.
inline void injectFaults(const QString& faults, const QString& onlyReadsOf = {})
{
    namespace f = system_faults;
    const QStringList w = faults.split(u' ', Qt::SkipEmptyParts);
    {
        const QMutexLocker locked(&f::lock);
        f::faults.clear();
        f::seen.clear();
        f::hit = false;
        f::file = onlyReadsOf.toUtf8();
        f::fileFd = -1;
        for (qsizetype i = 0; i + 2 < w.size(); i += 3)
            f::faults.append({w[i].toLatin1(), w[i + 1].toInt(), w[i + 2].toInt()});
    }
    scp::SystemCalls& calls = scp::systemCalls();
    calls = f::real();
#define SCP_FAULTY(fn)                                                                             \
    calls.fn = [](auto... a) -> decltype(f::real().fn(a...)) {                                     \
        return f::failNow(#fn) ? (errno ? -1 : 0) : f::real().fn(a...);                            \
    }
    SCP_FAULTY(fstat), SCP_FAULTY(stat), SCP_FAULTY(setFlags), SCP_FAULTY(write);
    SCP_FAULTY(fsync), SCP_FAULTY(syncFileSystem), SCP_FAULTY(fchown), SCP_FAULTY(fchmod);
    SCP_FAULTY(flock), SCP_FAULTY(link), SCP_FAULTY(rename), SCP_FAULTY(unlink);
#undef SCP_FAULTY
    calls.open = [](const char* path, int flags, scp::FileMode mode) {
        if (f::failNow("open"))
            return errno ? -1 : 0;
        const int fd = f::real().open(path, flags, mode);
        const QMutexLocker locked(&f::lock);
        if (fd >= 0 && (fd == f::fileFd || f::namesFile(path)))
            f::fileFd = f::namesFile(path) ? fd : -1;
        return fd;
    };
    calls.read = [](int fd, void* to, size_t count) -> qsizetype {
        bool counts = true;
        {
            const QMutexLocker locked(&f::lock);
            counts = f::file.isEmpty() || fd == f::fileFd;
        }
        return counts && f::failNow("read")
                   ? (errno ? -1 : 0)
                   : f::real().read(fd, to, std::min<size_t>(count, 65536));
    };
}

// Faults for as long as it lives; then the real calls again.
struct InjectedFaults {
    explicit InjectedFaults(const QString& faults, const QString& onlyReadsOf = {})
    {
        injectFaults(faults, onlyReadsOf);
    }
    ~InjectedFaults() { scp::systemCalls() = system_faults::real(); }
    InjectedFaults(const InjectedFaults&) = delete;
    InjectedFaults& operator=(const InjectedFaults&) = delete;
};
