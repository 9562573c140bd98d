#include "recovery_journal.h"

#include "file_reading.h"
#include "file_transaction.h"
#include "journal_format.h"
#include "system_calls.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Edits up to this much are never rewritten, however short the lists: a
// rewrite syncs a new file into place, which a few keystrokes are not worth.
constexpr qint64 kRewriteFloor = qint64(16) << 10;

} // namespace

// Owns the journal file, on the journal's thread. Every call comes queued
// from the editor's thread, in the order the records were made.
class JournalWriter final : public QObject {
public:
    JournalWriter(QString path, QString folder, RecoveryJournal& journal)
        : m_path(std::move(path)), m_folder(std::move(folder)), m_journal(journal)
    {
        m_syncTimer.setSingleShot(true);
        m_syncTimer.setInterval(RecoveryJournal::kSyncAfter);
        connect(&m_syncTimer, &QTimer::timeout, this, &JournalWriter::sync);
    }

    void write(ListId list, const QByteArray& record, bool isEdit, qint64 held)
    {
        if (m_broken || (m_awaitingText[size_t(list)] && isEdit))
            return;
        if (!open() || !writeAll(record))
            return;
        if (isEdit)
            m_editBytes += record.size();
        if (m_editBytes > std::max(held, kRewriteFloor))
            rewrite();
        if (!m_syncTimer.isActive())
            m_syncTimer.start();
    }

    void writeText(ListId list, const QByteArray& record, qint64 held)
    {
        m_awaitingText[size_t(list)] = false;
        write(list, record, false, held);
    }

    void writeBase(ListId list, const QString& sectionPath, const FileRecord& record, qint64 held)
    {
        if (m_broken)
            return;
        const FileBytes read = readFileBytes(sectionPath);
        if (!read.outcome || read.bytes.size() != record.size() ||
            read.modified != record.modified() || contentHash(read.bytes) != record.hash()) {
            m_awaitingText[size_t(list)] = true;
            Q_EMIT m_journal.baseLost(list);
            return;
        }
        m_awaitingText[size_t(list)] = false;
        write(list, baseRecord(list, read.bytes), false, held);
    }

    void discard()
    {
        close();
        systemCalls().unlink(encodedPath(m_path).constData());
        m_broken = false;
        m_awaitingText = {};
    }

    // False when the journal could not be written.
    bool sync()
    {
        m_syncTimer.stop();
        if (m_file.get() >= 0 &&
            retryOnInterrupt([&] { return systemCalls().fsync(m_file.get()); }) != 0)
            fail(systemReason(errno));
        if (m_file.get() >= 0 && m_madeSinceSync) {
            syncFolder(QFileInfo(m_path).path());
            m_madeSinceSync = false;
        }
        return !m_broken;
    }

    void close()
    {
        sync();
        m_file.reset();
        m_editBytes = 0;
    }

private:
    bool open()
    {
        if (m_file.get() >= 0)
            return true;
        m_file.reset(retryOnInterrupt([&] {
            return systemCalls().open(encodedPath(m_path).constData(),
                                      O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        }));
        if (m_file.get() < 0) {
            fail(systemReason(errno));
            return false;
        }
        m_madeSinceSync = true;
        return writeAll(journalHeader(m_folder));
    }

    bool writeAll(const QByteArray& bytes)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const auto count = retryOnInterrupt([&] {
                return systemCalls().write(m_file.get(), bytes.constData() + done,
                                           size_t(bytes.size() - done));
            });
            if (count <= 0) {
                fail(systemReason(count < 0 ? errno : ENOSPC));
                return false;
            }
            done += count;
        }
        return true;
    }

    // The journal as the lists it holds, in place of its records.
    void rewrite()
    {
        close();
        const FileBytes read = readFileBytes(m_path);
        if (!read.outcome)
            return fail(read.reason);
        const JournalReading reading = readJournal(read.bytes, m_folder);
        if (!reading.content)
            return fail(reading.problem);
        if (const Outcome written =
                writeFileAtomically(m_path, journalOf(m_folder, *reading.content));
            !written)
            return fail(written.error());
        m_file.reset(retryOnInterrupt([&] {
            return systemCalls().open(encodedPath(m_path).constData(),
                                      O_WRONLY | O_APPEND | O_CLOEXEC, 0);
        }));
        if (m_file.get() < 0)
            fail(systemReason(errno));
    }

    void fail(const QString& reason)
    {
        if (m_broken)
            return;
        m_broken = true;
        m_syncTimer.stop();
        m_file.reset();
        Q_EMIT m_journal.failed(u"Could not write the recovery journal \"%1\": %2"_s.arg(
            QDir::toNativeSeparators(m_path), reason));
    }

    const QString m_path;
    const QString m_folder;
    RecoveryJournal& m_journal;
    Descriptor m_file;
    QTimer m_syncTimer{this};
    qint64 m_editBytes = 0; // written as edits since the journal was made or rewritten
    bool m_madeSinceSync = false;
    bool m_broken = false;
    std::array<bool, 3> m_awaitingText{};
};

RecoveryJournal::RecoveryJournal(const QString& path, const QString& folder, QObject* parent)
    : QObject(parent), m_path(path), m_writer(new JournalWriter(path, folder, *this))
{
    m_thread.setObjectName(u"recovery journal"_s);
    m_writer->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
}

RecoveryJournal::~RecoveryJournal()
{
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer] { writer->close(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_writer;
}

qint64 RecoveryJournal::heldCharacters() const
{
    qint64 held = 0;
    for (size_t i = 0; i < 3; ++i)
        held += std::max<qint64>(0, m_length[i]) + std::max<qint64>(0, m_replaced[i]);
    return held;
}

void RecoveryJournal::recordBase(ListId list, const QString& sectionPath, const FileRecord& record)
{
    const auto i = size_t(list);
    m_replaced[i] = m_length[i];
    m_length[i] = record.size();
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, list, sectionPath, record, held = heldCharacters()] {
            writer->writeBase(list, sectionPath, record, held);
        },
        Qt::QueuedConnection);
}

void RecoveryJournal::recordText(ListId list, const QString& journalText)
{
    const auto i = size_t(list);
    m_replaced[i] = m_length[i];
    m_length[i] = journalText.size();
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, list, record = textRecord(list, journalText), held = heldCharacters()] {
            writer->writeText(list, record, held);
        },
        Qt::QueuedConnection);
}

void RecoveryJournal::recordEdit(ListId list, qint64 position, qint64 removed,
                                 const QString& inserted)
{
    m_length[size_t(list)] += inserted.size() - removed;
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, list, record = editRecord(list, position, removed, inserted),
         held = heldCharacters()] { writer->write(list, record, true, held); },
        Qt::QueuedConnection);
}

void RecoveryJournal::recordRevert(ListId list)
{
    const auto i = size_t(list);
    m_length[i] = m_replaced[i];
    m_replaced[i] = -1;
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, list, record = revertRecord(list), held = heldCharacters()] {
            writer->write(list, record, true, held);
        },
        Qt::QueuedConnection);
}

void RecoveryJournal::discard()
{
    m_length = {-1, -1, -1};
    m_replaced = {-1, -1, -1};
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer] { writer->discard(); }, Qt::QueuedConnection);
}

bool RecoveryJournal::flush()
{
    bool written = false;
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, &written] { written = writer->sync(); },
        Qt::BlockingQueuedConnection);
    return written;
}

} // namespace scp
