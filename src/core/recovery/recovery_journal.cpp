// The recovery journal's writing thread and the queue that feeds it.

#include "recovery/recovery_journal.h"

#include "files/file_reading.h"
#include "files/file_transaction.h"
#include "files/system_calls.h"
#include "recovery/journal_format.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QWaitCondition>

#include <deque>
#include <functional>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Edits up to this much are never rewritten, however short the lists: a
// rewrite syncs a new file into place, which a few keystrokes are not worth.
constexpr qint64 kRewriteFloor = qint64(16) << 10;

} // namespace

// Owns the journal file, on the journal's thread. Every call comes through
// the queue from the editor's thread, in the order the records were made.
class JournalWriter {
public:
    JournalWriter(QString path, QString folder, RecoveryJournal& journal)
        : m_path(std::move(path)), m_folder(std::move(folder)), m_journal(journal)
    {
    }

    // When what is written is due to be synced; forever when it is.
    QDeadlineTimer syncDue() const { return m_syncDue; }

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
        if (m_syncDue.isForever())
            m_syncDue.setRemainingTime(RecoveryJournal::kSyncAfter);
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
        m_syncDue = QDeadlineTimer(QDeadlineTimer::Forever);
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
                                      OpenWrite | OpenCreate | OpenTruncate, 0600);
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
            return systemCalls().open(encodedPath(m_path).constData(), OpenWrite | OpenAppend, 0);
        }));
        if (m_file.get() < 0)
            fail(systemReason(errno));
    }

    void fail(const QString& reason)
    {
        if (m_broken)
            return;
        m_broken = true;
        m_syncDue = QDeadlineTimer(QDeadlineTimer::Forever);
        m_file.reset();
        Q_EMIT m_journal.failed(u"Could not write the recovery journal \"%1\": %2"_s.arg(
            QDir::toNativeSeparators(m_path), reason));
    }

    const QString m_path;
    const QString m_folder;
    RecoveryJournal& m_journal;
    Descriptor m_file;
    QDeadlineTimer m_syncDue{QDeadlineTimer::Forever};
    qint64 m_editBytes = 0; // written as edits since the journal was made or rewritten
    bool m_madeSinceSync = false;
    bool m_broken = false;
    std::array<bool, 3> m_awaitingText{};
};

// The journal's thread: it takes what the editor's thread queues, in order,
// and syncs what was written once it is due. It has no event loop, and
// needs none: nothing but this queue reaches it.
class RecoveryJournal::Queue {
public:
    using Task = std::function<void(JournalWriter&)>;

    Queue(const QString& path, const QString& folder, RecoveryJournal& journal)
        : m_writer(path, folder, journal), m_thread(QThread::create([this] { run(); }))
    {
        m_thread->setObjectName(u"recovery journal"_s);
        m_thread->start(QThread::LowPriority);
    }
    // What is queued is written, then the file is synced and closed.
    ~Queue()
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_stopping = true;
        }
        m_wake.wakeOne();
        m_thread->wait();
    }

    void post(Task task)
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_wake.wakeOne();
    }

    // Runs `task` on the journal's thread, after all queued before it, and
    // waits for it.
    template <typename Result> Result await(const std::function<Result(JournalWriter&)>& task)
    {
        Result result{};
        QSemaphore done;
        post([&](JournalWriter& writer) {
            result = task(writer);
            done.release();
        });
        done.acquire();
        return result;
    }

private:
    void run()
    {
        QMutexLocker lock(&m_mutex);
        while (true) {
            if (!m_tasks.empty()) {
                const Task task = std::move(m_tasks.front());
                m_tasks.pop_front();
                lock.unlock();
                task(m_writer);
                lock.relock();
            } else if (m_stopping) {
                lock.unlock();
                m_writer.close();
                return;
            } else if (!m_wake.wait(&m_mutex, m_writer.syncDue())) {
                lock.unlock();
                m_writer.sync(); // due, and nothing came meanwhile
                lock.relock();
            }
        }
    }

    JournalWriter m_writer; // only ever used on the thread
    QMutex m_mutex;
    QWaitCondition m_wake;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    std::unique_ptr<QThread> m_thread;
};

RecoveryJournal::RecoveryJournal(const QString& path, const QString& folder, QObject* parent)
    : QObject(parent), m_path(path), m_queue(std::make_unique<Queue>(path, folder, *this))
{
}

RecoveryJournal::~RecoveryJournal() = default;

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
    m_queue->post([list, sectionPath, record, held = heldCharacters()](JournalWriter& writer) {
        writer.writeBase(list, sectionPath, record, held);
    });
}

void RecoveryJournal::recordFile(ListId list, const FileRecord& record)
{
    // Framed on the journal's thread: a long file's hash may still be
    // being worked out.
    m_queue->post([list, record, held = heldCharacters()](JournalWriter& writer) {
        writer.write(list, fileRecord(list, record), false, held);
    });
}

void RecoveryJournal::recordText(ListId list, const QString& journalText)
{
    const auto i = size_t(list);
    m_replaced[i] = m_length[i];
    m_length[i] = journalText.size();
    m_queue->post([list, record = textRecord(list, journalText), held = heldCharacters()](
                      JournalWriter& writer) { writer.writeText(list, record, held); });
}

void RecoveryJournal::recordEdit(ListId list, qint64 position, qint64 removed,
                                 const QString& inserted)
{
    m_length[size_t(list)] += inserted.size() - removed;
    m_queue->post([list, record = editRecord(list, position, removed, inserted),
                   held = heldCharacters()](JournalWriter& writer) {
        writer.write(list, record, true, held);
    });
}

void RecoveryJournal::recordRevert(ListId list)
{
    const auto i = size_t(list);
    m_length[i] = m_replaced[i];
    m_replaced[i] = -1;
    m_queue->post([list, record = revertRecord(list), held = heldCharacters()](
                      JournalWriter& writer) { writer.write(list, record, true, held); });
}

void RecoveryJournal::discard()
{
    m_length = {-1, -1, -1};
    m_replaced = {-1, -1, -1};
    m_queue->post([](JournalWriter& writer) { writer.discard(); });
}

bool RecoveryJournal::flush()
{
    return m_queue->await<bool>([](JournalWriter& writer) { return writer.sync(); });
}

} // namespace scp
