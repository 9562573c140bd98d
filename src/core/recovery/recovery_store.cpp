// Where a folder's recovery journals and lock live.

#include "recovery/recovery_store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

const QString kJournalSuffix = u".journal"_s;

// A readable name for a folder's files, and a hash of its whole path to
// tell apart two folders of the same name.
QString keyOf(const QString& folderPath)
{
    QString name = QFileInfo(folderPath).fileName().left(40);
    for (QChar& c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_')
            c = u'_';
    }
#ifdef Q_OS_WIN
    const QByteArray identity = folderPath.toCaseFolded().toUtf8(); // its folders ignore case
#else
    const QByteArray identity = folderPath.toUtf8();
#endif
    const QByteArray hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex();
    return (name.isEmpty() ? u"folder"_s : name) + u'-' + QString::fromLatin1(hash.left(16));
}

} // namespace

RecoveryStore::RecoveryStore(const QDir& folder, const QString& storeFolder) : m_store(storeFolder)
{
    const QString canonical = folder.canonicalPath();
    m_folderPath = canonical.isEmpty() ? folder.absolutePath() : canonical;
    m_key = keyOf(m_folderPath);
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + u"/recovery"_s;
}

RecoveryStore::Lock RecoveryStore::lock()
{
    if (m_store.isEmpty())
        return Lock::NotKept;
    if (!QDir().mkpath(m_store)) {
        m_problem = u"Could not make the folder \"%1\""_s.arg(QDir::toNativeSeparators(m_store));
        return Lock::Failed;
    }
    m_lock = std::make_unique<QLockFile>(m_store + u'/' + m_key + u".lock"_s);
    // Held for as long as the editor runs, however long: only a lock whose
    // process is gone is stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Lock::Taken;
    const bool elsewhere = m_lock->error() == QLockFile::LockFailedError;
    m_problem = u"Could not lock \"%1\""_s.arg(QDir::toNativeSeparators(m_lock->fileName()));
    m_lock.reset();
    return elsewhere ? Lock::HeldElsewhere : Lock::Failed;
}

QStringList RecoveryStore::leftJournals() const
{
    if (m_store.isEmpty())
        return {};
    QFileInfoList found;
    for (const QFileInfo& info :
         QDir(m_store).entryInfoList({u"*"_s + kJournalSuffix}, QDir::Files | QDir::Hidden)) {
        const QString name = info.fileName();
        if (name == m_key + kJournalSuffix ||
            (name.startsWith(m_key + u'.') && name.endsWith(kJournalSuffix)))
            found.append(info);
    }
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    QStringList paths;
    for (const QFileInfo& info : found)
        paths.append(info.filePath());
    return paths;
}

QString RecoveryStore::newJournalPath() const
{
    QString path = m_store + u'/' + m_key + kJournalSuffix;
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = m_store + u'/' + m_key + u'.' + QString::number(n) + kJournalSuffix;
    return path;
}

} // namespace scp
