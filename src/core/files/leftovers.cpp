// The files a commit keeps beside its targets, and their clean-up.

#include "files/leftovers.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// What besideName() makes beside a file whose name ends in `kind` (".scp"),
// exactly: a dot, any name of that kind, the mark, six lower-case letters or
// digits. Compared by hand, not by wildcards or a regular expression: those
// keep a stack for every thread that runs one, and the recovery journal
// writes on a thread of its own, whose end MinGW's thread-local clean-up
// then trips over.
bool isOurLeftover(const QString& name, const QString& kind)
{
    constexpr qsizetype kMarkAndLetters = 5 + 6; // ".new-" or ".old-", then six
    if (name.size() <= kMarkAndLetters + kind.size() || !name.startsWith(u'.'))
        return false;
    const QStringView tail = QStringView(name).last(kMarkAndLetters);
    if (!tail.startsWith(kNewMark) && !tail.startsWith(kOldMark))
        return false;
    return QStringView(name).chopped(kMarkAndLetters).endsWith(kind) &&
           std::all_of(tail.begin() + 5, tail.end(), [](QChar c) {
               return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
           });
}

} // namespace

QString besideName(const QString& target, QLatin1StringView mark)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const QFileInfo info(target);
    QString name = info.absolutePath() + u"/."_s + info.fileName() + mark;
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(36)]);
    return name;
}

// Every file a commit names beside a target is locked while the run that
// made it uses it, so another run's clean-up can tell it from a dead run's
// leftover. A file system without locks only loses that protection, and
// there the clean-up removes nothing either.
int holdShared(int fd, const QString& path)
{
    // Refused only while another run's clean-up holds it, about to remove it.
    if (systemCalls().flock(fd, LockShared | LockNoWait) != 0 && errno == EWOULDBLOCK)
        return ENOENT;
    return namesOpenFile(encodedPath(path), fd) ? 0 : errno;
}

Descriptor createBeside(const QString& target, QLatin1StringView mark, QString* name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = besideName(target, mark);
        Descriptor file(retryOnInterrupt([&] {
            return systemCalls().open(encodedPath(candidate).constData(),
                                      OpenReadWrite | OpenCreate | OpenExclusive | OpenNoFollow,
                                      0600);
        }));
        if (file.get() >= 0) {
            const int held = holdShared(file.get(), candidate);
            if (held == ENOENT)
                continue;
            if (held != 0) {
                systemCalls().unlink(encodedPath(candidate).constData());
                errno = held;
                return {};
            }
            *name = candidate;
            return file;
        }
        if (errno != EEXIST)
            return file;
    }
    errno = EEXIST;
    return {};
}

QString leftoverKind(const QString& target)
{
    const QString name = QFileInfo(target).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot) : name;
}

void removeLeftovers(const QString& folder, const QStringList& kinds)
{
    const SystemCalls& sys = systemCalls();
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QString& name : names) {
        if (std::none_of(kinds.begin(), kinds.end(),
                         [&](const QString& kind) { return isOurLeftover(name, kind); }))
            continue;
        const QString path = folder + u'/' + name;
        Descriptor file = openForReading(path, OpenNoFollow);
        FileNode status;
        if (file.get() >= 0 && sys.fstat(file.get(), &status) == 0 &&
            status.kind == FileNode::Kind::Regular &&
            sys.flock(file.get(), LockExclusive | LockNoWait) == 0 &&
            namesOpenFile(encodedPath(path), file.get()))
            sys.unlink(encodedPath(path).constData()); // held: no run can take it meanwhile
    }
}

} // namespace scp
