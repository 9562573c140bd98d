#pragma once

// Faults put into the program's real file calls through the file layer's table.

#include "files/system_calls.h"

#include <QHash>
#include <QMutex>
#include <QStringList>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Root reads and writes past permissions; Windows keeps none.
inline bool runsAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

namespace system_faults {
inline const scp::SystemCalls real = scp::systemCalls();
inline QMutex lock;
inline QStringList faults; // "call nth errno" each
inline QHash<QString, int> seen;
inline bool hit = false;
inline QByteArray file; // where set, only opens of this file count

// `path`: the file an open names, counted only where it is `file`.
inline bool failNow(const char* call, QByteArrayView path = {})
{
    const QMutexLocker locked(&lock);
    if (!file.isEmpty() && !path.isNull() && !path.endsWith('/' + file) &&
        !path.endsWith('\\' + file)) // after either separator (Windows')
        return false;
    const int any = seen[QStringLiteral("*")]++, own = seen[QString::fromLatin1(call)]++;
    for (const QString& fault : std::as_const(faults)) {
        const QStringList w = fault.split(u' ');
        const int nth = w[1].toInt();
        if ((w[0] == u"*" && nth == any) ||
            (w[0] == QLatin1StringView(call) && (nth == own || nth < 0))) {
            errno = w[2].toInt();
            return hit = true;
        }
    }
    return false;
}
} // namespace system_faults

// "call nth errno ...": the nth call (from 0; -1: all) of that kind, or any for
// "*", fails with errno (0: returns 0). Reads return at most 64 KiB, as network
// file systems may; with `onlyOpensOf`, only opens of that file count.
inline void injectFaults(const QString& faults, const QString& onlyOpensOf = {})
{
    namespace f = system_faults;
    {
        const QMutexLocker locked(&f::lock);
        const QStringList w = faults.split(u' ', Qt::SkipEmptyParts);
        f::faults.clear();
        for (qsizetype i = 0; i + 2 < w.size(); i += 3)
            f::faults << w.mid(i, 3).join(u' ');
        f::seen.clear();
        f::hit = false;
        f::file = onlyOpensOf.toUtf8();
    }
    scp::SystemCalls& calls = scp::systemCalls();
#define SCP_FAULTY(fn)                                                                             \
    calls.fn = [](auto... a) -> decltype(f::real.fn(a...)) {                                       \
        return f::failNow(#fn) ? (errno ? -1 : 0) : f::real.fn(a...);                              \
    }
    SCP_FAULTY(fstat), SCP_FAULTY(stat), SCP_FAULTY(setFlags), SCP_FAULTY(write);
    SCP_FAULTY(fsync), SCP_FAULTY(syncFileSystem), SCP_FAULTY(fchown), SCP_FAULTY(fchmod);
    SCP_FAULTY(flock), SCP_FAULTY(link), SCP_FAULTY(rename), SCP_FAULTY(unlink);
#undef SCP_FAULTY
    calls.open = [](const char* path, int flags, scp::FileMode mode) {
        return f::failNow("open", path) ? (errno ? -1 : 0) : f::real.open(path, flags, mode);
    };
    calls.read = [](int fd, void* to, size_t count) -> qsizetype {
        return f::failNow("read") ? (errno ? -1 : 0)
                                  : f::real.read(fd, to, std::min<size_t>(count, 65536));
    };
}

// Faults for as long as it lives; then the real calls again.
struct InjectedFaults {
    explicit InjectedFaults(const QString& faults, const QString& onlyOpensOf = {})
    {
        injectFaults(faults, onlyOpensOf);
    }
    ~InjectedFaults() { scp::systemCalls() = system_faults::real; }
    Q_DISABLE_COPY_MOVE(InjectedFaults)
};
