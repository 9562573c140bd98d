#include "fail_on_warnings.h"
#include "files/file_reading.h"
#include "files/file_record.h"
#include "recovery/journal_format.h"
#include "recovery/recovery_journal.h"
#include "recovery/recovery_store.h"
#include "system_faults.h"
#include "test_files.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

using scp::ListId;

namespace {

const QString kFolder = u"/work/patch"_s;

// "gumps|tiles|items" as the journal replays them.
QString replayed(const QByteArray& journal)
{
    const scp::JournalReading reading = scp::readJournal(journal, kFolder);
    if (!reading.content)
        return u"<refused: "_s + reading.problem + u'>';
    QStringList lists;
    for (const std::optional<QString>& text : reading.content->lists)
        lists << text.value_or(u"<none>"_s);
    return lists.join(u'|');
}

// The journal's lists after some of its records, as a plain model keeps them.
struct Lists {
    // A section file as the editor knew it: state, size, time, hash.
    using File = std::tuple<scp::FileRecord::State, qint64, qint64, size_t>;
    std::array<std::optional<QString>, 3> texts, replaced;
    std::array<std::optional<File>, 3> files;
    std::array<bool, 3> fileRecorded{}; // a file record came: bases say no more
    bool operator==(const Lists& other) const
    {
        return texts == other.texts && replaced == other.replaced && files == other.files;
    }

    void setText(size_t list, const QString& text)
    {
        if (texts[list])
            replaced[list] = texts[list];
        texts[list] = text;
    }
};

std::optional<Lists> readBack(QByteArrayView journal)
{
    const scp::JournalReading reading = scp::readJournal(journal, kFolder);
    if (!reading.content)
        return std::nullopt;
    Lists lists{reading.content->lists, reading.content->replaced, {}, {}};
    for (size_t i = 0; i < 3; ++i) {
        if (const auto& file = reading.content->files[i])
            lists.files[i] = {file->state(), file->size(), file->modified(), file->hash()};
    }
    return lists;
}

// Random journals of every kind of record, and the model's lists after each.
class JournalFuzzer {
public:
    explicit JournalFuzzer(quint32 seed) : m_random(seed) {}

    int below(int bound) { return int(m_random.bounded(bound)); }

    struct Journal {
        QByteArray bytes;
        QList<qsizetype> ends; // where each record ends: ends[0] is the header's
        QList<Lists> states;   // states[k]: the lists after k records
    };

    Journal journal()
    {
        Journal made{scp::journalHeader(kFolder), {}, {Lists{}}};
        made.ends.append(made.bytes.size());
        for (int n = 1 + below(24); n > 0; --n) {
            Lists lists = made.states.last();
            made.bytes += record(lists);
            made.ends.append(made.bytes.size());
            made.states.append(lists);
        }
        return made;
    }

private:
    QString text()
    {
        static const QString alphabet = u"ab 0x\n\u015F\u20AC\u00E9"_s;
        QString made;
        for (int n = below(40); n > 0; --n)
            made += alphabet[below(int(alphabet.size()))];
        return made;
    }

    std::pair<QByteArray, QString> file()
    {
        static const QByteArray pieces[] = {"a", " ", "0x1", "\r\n", "\r", "\n", "\x80"};
        static const QString texts[] = {u"a"_s,  u" "_s,  u"0x1"_s,   u"\n"_s,
                                        u"\n"_s, u"\n"_s, u"\u20AC"_s};
        std::pair<QByteArray, QString> made;
        for (int n = below(20); n > 0; --n) {
            const int piece = below(std::size(pieces));
            // A lone CR then an LF is one CR LF, one line end.
            if (pieces[piece] == "\n" && made.first.endsWith('\r'))
                continue;
            made.first += pieces[piece];
            made.second += texts[piece];
        }
        return made;
    }

    QByteArray record(Lists& lists)
    {
        const auto list = ListId(below(3));
        const auto i = size_t(list);
        switch (below(lists.texts[i] ? 7 : 3)) {
        case 0: {
            const QString made = text();
            lists.setText(i, made);
            return scp::textRecord(list, made);
        }
        case 1: {
            const auto [bytes, made] = file();
            lists.setText(i, made);
            if (!lists.fileRecorded[i])
                lists.files[i] = {scp::FileRecord::State::Present, bytes.size(), 0,
                                  scp::contentHash(bytes)};
            return scp::baseRecord(list, bytes);
        }
        case 2: {
            const auto state = scp::FileRecord::State(below(4));
            const qint64 size = m_random.generate64() >> 1, modified = m_random.generate();
            const size_t hash =
                state == scp::FileRecord::State::Present ? size_t(m_random.generate64()) : 0;
            lists.files[i] = {state, size, modified, hash};
            lists.fileRecorded[i] = true;
            return scp::fileRecord(list, scp::FileRecord::kept(state, size, modified, hash));
        }
        case 3:
            if (lists.replaced[i]) {
                lists.texts[i] = *std::exchange(lists.replaced[i], std::nullopt);
                return scp::revertRecord(list);
            }
            [[fallthrough]];
        default: {
            QString& edited = *lists.texts[i];
            const qsizetype at = below(int(edited.size()) + 1);
            const qsizetype removed = below(int(edited.size() - at) + 1);
            const QString inserted = text();
            edited.replace(at, removed, inserted);
            return scp::editRecord(list, at, removed, inserted);
        }
        }
    }

    QRandomGenerator m_random;
};

} // namespace

class RecoveryJournalTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void recordsReadBackAndDamageIsFound()
    {
        using namespace scp;
        // A list from its file (CR LF, lone CR, lone LF), edited, cleared and brought back by undo.
        const QByteArray journal =
            journalHeader(kFolder) + baseRecord(ListId::Gumps, "ab\r\ncd\ref\ngh\x80") +
            editRecord(ListId::Gumps, 2, 1, u" \u015F\n"_s) + textRecord(ListId::Tiles, u"t"_s) +
            textRecord(ListId::Gumps, QString()) + revertRecord(ListId::Gumps) +
            editRecord(ListId::Gumps, 0, 0, u"X"_s);
        QCOMPARE(replayed(journal), u"Xab \u015F\ncd\nef\ngh\u20AC|t|<none>"_s);

        // A torn last record, or an end filled with zeros, gives what came before.
        const qsizetype last = journal.size() - editRecord(ListId::Gumps, 0, 0, u"X"_s).size();
        QByteArray torn = journal;
        torn[torn.size() - 6] = 'Y';
        QCOMPARE(replayed(torn), u"ab \u015F\ncd\nef\ngh\u20AC|t|<none>"_s);
        QCOMPARE(replayed(journal + QByteArray(300, '\0')), replayed(journal));

        // Anything else is refused, saying why.
        QByteArray damaged = journal;
        damaged[last - 3] = char(damaged[last - 3] ^ 1);
        const qsizetype header = journalHeader(kFolder).size();
        QByteArray futureVersion = journal;
        futureVersion[16] = 3;
        const struct {
            QByteArray bytes;
            QString problem;
        } refused[] = {
            {damaged, u"it is damaged at byte %1"_s.arg(last - revertRecord(ListId::Gumps).size())},
            {journal.first(header - 1), u"it is damaged at byte 20"_s},
            {futureVersion,
             u"it is of format version 3, and this scpmaker reads versions 1 to 2"_s},
            {journalHeader(u"/elsewhere"_s) + textRecord(ListId::Gumps, u"g"_s),
             u"it belongs to the folder \"/elsewhere\""_s},
            {"GUMPS WILL LOAD HERE\r\n", u"it is not a recovery journal"_s},
            {journalHeader(kFolder) + editRecord(ListId::Items, 0, 0, u"i"_s),
             u"it is damaged at byte %1"_s.arg(header)},
            {journalHeader(kFolder) + textRecord(ListId::Items, u"i"_s) +
                 editRecord(ListId::Items, 1, 1, u""_s) + textRecord(ListId::Items, u"j"_s),
             u"it is damaged at byte %1"_s.arg(header + textRecord(ListId::Items, u"i"_s).size())},
        };
        for (const auto& [bytes, problem] : refused)
            QCOMPARE(replayed(bytes), u"<refused: "_s + problem + u'>');

        // A torn header or first record, at every length: refused, or a journal of nothing.
        for (const QString& folder : {kFolder, QString()}) {
            const QByteArray first = journalHeader(folder) + textRecord(ListId::Items, u"item"_s);
            for (qsizetype cut = 0; cut < first.size(); ++cut) {
                const JournalReading reading = readJournal(first.first(cut), folder);
                QVERIFY2(!reading.content || (reading.content->records == 0 &&
                                              !reading.content->lists[size_t(ListId::Items)]),
                         qPrintable(QString::number(cut)));
            }
        }
    }

    // Random journals read as the model says, whole, cut or a bit flipped; random bytes only read.
    void fuzzed()
    {
        JournalFuzzer fuzz(20261207);
        for (int run = 0; run < 8000 && !QTest::currentTestFailed(); ++run) {
            const JournalFuzzer::Journal journal = fuzz.journal();
            const qsizetype count = journal.ends.size() - 1;
            QCOMPARE(readBack(journal.bytes), journal.states.last());
            QCOMPARE(scp::readJournal(journal.bytes, kFolder).content->records, count);

            const int cutRecord = 1 + fuzz.below(int(count));
            for (qsizetype cut = journal.ends[cutRecord - 1]; cut < journal.ends[cutRecord]; ++cut)
                QCOMPARE(readBack(journal.bytes.first(cut)), journal.states[cutRecord - 1]);

            for (int flips = 0; flips < 8; ++flips) {
                QByteArray flipped = journal.bytes;
                const qsizetype at = fuzz.below(int(flipped.size()));
                flipped[at] = char(flipped[at] ^ (1 << fuzz.below(8)));
                const qsizetype holder =
                    std::upper_bound(journal.ends.begin(), journal.ends.end(), at) -
                    journal.ends.begin();
                const std::optional<Lists> read = readBack(flipped);
                QVERIFY2(!read || (holder > 0 && *read == journal.states[holder - 1]),
                         qPrintable(u"run %1, byte %2"_s.arg(run).arg(at)));
            }

            QByteArray raw = fuzz.below(2) ? scp::journalHeader(kFolder) : QByteArray();
            for (int n = fuzz.below(64); n > 0; --n)
                raw += char(fuzz.below(256));
            (void)scp::readJournal(raw, kFolder);
        }
    }

    // What the editor knew of a file survives the rewrite; a first-version journal still reads.
    void fileRecordsReadBack()
    {
        using namespace scp;
        const QString path = m_dir.filePath(u"gumps.scp"_s);
        QVERIFY(writeBytes(path, "ab"));
        const qint64 time = fileStatus(path).modified;
        const QByteArray journal =
            journalHeader(kFolder) + fileRecord(ListId::Gumps, FileRecord::of("ab", time)) +
            baseRecord(ListId::Gumps, "ab") + fileRecord(ListId::Tiles, FileRecord::unreadable()) +
            fileRecord(ListId::Items, FileRecord::absent());
        const JournalReading read = readJournal(journal, kFolder);
        QVERIFY(read.content);
        const JournalReading rewritten =
            readJournal(journalOf(kFolder, *read.content).join(QByteArrayView()), kFolder);
        QVERIFY(rewritten.content);
        for (const JournalContent& content : {*read.content, *rewritten.content}) {
            const auto& gumps = content.files[size_t(ListId::Gumps)];
            QVERIFY(gumps && gumps->existed() && gumps->size() == 2 && gumps->modified() == time &&
                    gumps->matches(path));
            QVERIFY(content.files[size_t(ListId::Tiles)]->wasUnreadable());
            QCOMPARE(content.files[size_t(ListId::Items)]->state(), FileRecord::State::Absent);
        }

        QByteArray firstVersion = journalHeader(kFolder);
        firstVersion[16] = 1;
        const qsizetype crcAt = firstVersion.size() - 4;
        qToLittleEndian(crc32(firstVersion.first(crcAt)), firstVersion.data() + crcAt);
        firstVersion += baseRecord(ListId::Gumps, "ab") + textRecord(ListId::Tiles, u"t"_s);
        const JournalReading old = readJournal(firstVersion, kFolder);
        QVERIFY2(old.content, qPrintable(old.problem));
        const auto& base = old.content->files[size_t(ListId::Gumps)];
        QVERIFY(base && base->matches(path)); // the same bytes, whatever their time
        QVERIFY(!old.content->files[size_t(ListId::Tiles)]);
        QVERIFY(writeBytes(path, "ac"));
        QVERIFY(!base->matches(path));
    }

    void theWriterKeepsUpWithEveryEdit()
    {
        // Random edits, line ends, non-Latin-1, a Clear and its undo: replayed through rewrites.
        const QString path = m_dir.filePath(u"writer.journal"_s);
        const QString section = m_dir.filePath(u"gumps.scp"_s);
        QVERIFY(writeBytes(section, "0x1 a.bmp 1 1\r\n0x2 b.bmp 2 2"));
        const QByteArray sectionBytes = readBytes(section);
        const scp::FileRecord record =
            scp::FileRecord::of(sectionBytes, scp::fileStatus(section).modified);
        QString text = u"0x1 a.bmp 1 1\n0x2 b.bmp 2 2"_s;
        qint64 written = 0;
        {
            scp::RecoveryJournal journal(path, kFolder);
            journal.recordBase(ListId::Gumps, section, record);
            QRandomGenerator random(14);
            const QString alphabet = u"ab \n\u015F0x"_s;
            for (int i = 0; i < 60000; ++i) {
                const qint64 at = random.bounded(text.size() + 1);
                const qint64 removed = random.bounded(std::min<qint64>(40, text.size() - at) + 1);
                QString inserted;
                for (int n = random.bounded(40); n > 0; --n)
                    inserted += alphabet[random.bounded(alphabet.size())];
                text.replace(at, removed, inserted);
                journal.recordEdit(ListId::Gumps, at, removed, inserted);
                if (i == 30000) {
                    journal.recordText(ListId::Gumps, QString());
                    journal.recordRevert(ListId::Gumps);
                }
                written += 30 + inserted.toUtf8().size();
            }
            journal.flush();
            QCOMPARE(replayed(readBytes(path)), text + u"|<none>|<none>"_s);
        }
        // Rewritten once edits since outweigh the lists (16 KiB at least).
        const qint64 held = text.toUtf8().size();
        QVERIFY2(QFileInfo(path).size() <= 3 * held + (16 << 10) + 1024,
                 qPrintable(u"%1 bytes for %2 of text, %3 written"_s.arg(QFileInfo(path).size())
                                .arg(held)
                                .arg(written)));

        // A journal given up goes, and the next record starts a new one.
        scp::RecoveryJournal journal(path, kFolder);
        journal.discard();
        journal.flush();
        QVERIFY(!QFileInfo::exists(path));
        journal.recordText(ListId::Items, u"i"_s);
        journal.flush();
        QCOMPARE(replayed(readBytes(path)), u"<none>|<none>|i"_s);
    }

    void aChangedFileIsNoBaseAndAFailedWriteIsSaid()
    {
        const QString path = m_dir.filePath(u"lost.journal"_s);
        const QString section = m_dir.filePath(u"tiles.scp"_s);
        QVERIFY(writeBytes(section, "old"));
        const scp::FileRecord record =
            scp::FileRecord::of("old", scp::fileStatus(section).modified);
        QVERIFY(writeBytes(section, "new!"));
        scp::RecoveryJournal journal(path, kFolder);
        QSignalSpy lost(&journal, &scp::RecoveryJournal::baseLost);
        journal.recordBase(ListId::Tiles, section, record);
        journal.recordEdit(ListId::Tiles, 0, 0, u"x"_s); // left out: no base to edit
        journal.flush();
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(lost.first().first().value<ListId>(), ListId::Tiles);
        journal.recordText(ListId::Tiles, u"xold"_s);
        journal.recordEdit(ListId::Tiles, 4, 0, u"!"_s);
        journal.flush();
        QCOMPARE(replayed(readBytes(path)), u"<none>|xold!|<none>"_s);

        // A full disk: one failure naming the journal and reason; discard() restarts.
        QSignalSpy failed(&journal, &scp::RecoveryJournal::failed);
        {
            const InjectedFaults full(u"write -1 %1"_s.arg(ENOSPC));
            journal.recordEdit(ListId::Tiles, 0, 0, u"a"_s);
            journal.recordEdit(ListId::Tiles, 0, 0, u"b"_s);
            journal.flush();
        }
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(),
                 u"Could not write the recovery journal \"%1\": %2"_s.arg(
                     QDir::toNativeSeparators(path), scp::systemReason(ENOSPC)));
        journal.discard();
        journal.recordText(ListId::Tiles, u"t"_s);
        journal.flush();
        QCOMPARE(replayed(readBytes(path)), u"<none>|t|<none>"_s);
        QCOMPARE(failed.size(), 1);
    }

    void leftJournalsNewestFirst()
    {
        // (One editor a folder holding the lock: tst_unsaved_work.)
        const QString store = m_dir.filePath(u"store"_s);
        const scp::RecoveryStore folder(QDir(m_dir.path()), store), other(QDir(store), store);
        QVERIFY(QDir().mkpath(store));
        const QString a = folder.newJournalPath();
        QVERIFY(writeBytes(a, "a"));
        const QString b = folder.newJournalPath();
        QVERIFY(a != b && writeBytes(b, "b"));
        QFile older(a);
        QVERIFY(older.open(QIODevice::ReadWrite) &&
                older.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                  QFileDevice::FileModificationTime));
        older.close();
        QCOMPARE(folder.leftJournals(), QStringList({b, a}));
        QVERIFY(other.leftJournals().isEmpty());

        // On a first run the store's folder is made by the lock.
        scp::RecoveryStore first(QDir(m_dir.path()), m_dir.filePath(u"first/recovery"_s));
        QCOMPARE(first.lock(), scp::RecoveryStore::Lock::Taken);
        QVERIFY(QFileInfo(first.newJournalPath()).dir().exists());
    }
};

QTEST_GUILESS_MAIN(RecoveryJournalTest)
#include "tst_recovery_journal.moc"
