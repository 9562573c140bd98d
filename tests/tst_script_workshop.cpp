#include "golden.h"
#include "recording_reporter.h"

#include "lists/memory_entry_lists.h"
#include "script/cp1252.h"
#include "script/script_workshop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using scp::ListId;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every byte value once, with CR and LF only as one CR LF pair.
QByteArray everyByte()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes.append(char(b));
        if (b == 'M')
            bytes.append("\r\n");
    }
    return bytes;
}

QByteArray block(const char* name)
{
    return scp::read_golden(u"blocks/"_s + QLatin1StringView(name) + u".txt"_s);
}

#define COMPARE_BYTES(actual, expected)                                                            \
    do {                                                                                           \
        const QString diff_ = scp::first_difference((actual), (expected));                         \
        QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                                              \
    } while (false)

} // namespace

class ScriptWorkshopTest : public QObject {
    Q_OBJECT

private:
    QString file(const char* name) const { return m_dir->filePath(QLatin1StringView(name)); }
    QString compiled(scp::MemoryEntryLists& set)
    {
        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        if (!workshop.compile_script(set.lists(), reporter))
            return reporter.messages.join(u'\n');
        return {};
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // --- assembly ------------------------------------------------------

    void scriptWithEmptyLists()
    {
        // Every list "" : the blocks with CR LF CR LF CR LF CR LF between them.
        scp::MemoryEntryLists set;
        for (ListId list : scp::kAllLists)
            set.lists().clear_list(list);
        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(workshop.compile_script(set.lists(), reporter));
        QCOMPARE(reporter.messages, QStringList{u"info: Mantle.Scp has been created"_s});

        const QByteArray gap("\r\n\r\n\r\n\r\n");
        const QByteArray expected =
            block("parca1") + gap + block("parca2") + gap + block("parca3") + gap + block("parca4");
        COMPARE_BYTES(readBytes(file("mantle.scp")), expected);
        COMPARE_BYTES(readBytes(file("mantle.scp")), scp::read_golden(u"scripts/empty.scp"_s));
        QCOMPARE(workshop.save().text(), scp::decode_cp1252(expected));
    }

    void scriptWithPlaceholders()
    {
        scp::MemoryEntryLists set;
        QCOMPARE(compiled(set), QString());
        const QByteArray script = readBytes(file("mantle.scp"));
        COMPARE_BYTES(script, scp::read_golden(u"scripts/placeholders.scp"_s));
        // Each placeholder inside its own section, followed by two empty lines.
        QVERIFY(
            script.contains("SECTION TILES\r\n{\r\n\r\n\r\nTILES WILL LOAD HERE\r\n\r\n\r\n}\r\n"));
        QVERIFY(
            script.contains("SECTION GUMPS\r\n{\r\n\r\n\r\nGUMPS WILL LOAD HERE\r\n\r\n\r\n}\r\n"));
        QVERIFY(
            script.contains("SECTION ITEMS\r\n{\r\n\r\n\r\nITEMS WILL LOAD HERE\r\n\r\n\r\n}\r\n"));
    }

    void scriptWithEntries()
    {
        // Tiles cleared, then two entries: one line E1, 37 spaces, E2, then
        // one empty line before the closing brace.
        scp::MemoryEntryLists set;
        auto& lists = set.lists();
        lists.clear_list(ListId::Tiles);
        set.field(ListId::Tiles).setText(u"0x4000 tile1.bmp 44 44"_s);
        lists.add_entry(ListId::Tiles);
        set.field(ListId::Tiles).setText(u"0x4001 tile2.bmp 44 44"_s);
        lists.add_entry(ListId::Tiles);
        lists.add_entry(ListId::Gumps); // after the placeholder, with the hint
        lists.clear_list(ListId::Items);
        set.field(ListId::Items).setText(u"0x2000 0 0 0 0 1 5 600 0 a sword"_s);
        lists.add_entry(ListId::Items);
        lists.add_entry(ListId::Items);

        QCOMPARE(compiled(set), QString());
        const QByteArray script = readBytes(file("mantle.scp"));
        COMPARE_BYTES(script, scp::read_golden(u"scripts/entries.scp"_s));
        QVERIFY(script.contains("SECTION TILES\r\n{\r\n\r\n\r\n0x4000 tile1.bmp 44 44" +
                                QByteArray(37, ' ') + "0x4001 tile2.bmp 44 44\r\n\r\n}\r\n"));
        QVERIFY(script.contains("GUMPS WILL LOAD HERE\r\n" + QByteArray(37, ' ') +
                                "HexID Filename.bmp Width Height\r\n\r\n}\r\n"));
        QVERIFY(script.contains("a sword" + QByteArray(86, ' ') + "0x2000"));

        // Assembling again without changes writes the same bytes.
        QCOMPARE(compiled(set), QString());
        QCOMPARE(readBytes(file("mantle.scp")), script);
    }

    void scriptWithHandEditedLists()
    {
        // Line breaks typed by hand (any kind) and Windows-1252 letters are
        // written as CR LF and single bytes; nothing else changes.
        scp::MemoryEntryLists set;
        auto& lists = set.lists();
        lists.set_list_text(ListId::Gumps, u"0x01 caf\u00E9.bmp 1 2\n0x02 \u20AC.bmp 3 4\r\r\n"_s);
        lists.set_list_text(ListId::Tiles, u"\t0x03 \u00FF\u00A0.bmp\r0x04 x.bmp"_s);
        lists.set_list_text(ListId::Items, u"\u0081\u008D\u008F\u0090\u009D \u0152\u2122"_s);
        QCOMPARE(compiled(set), QString());
        const QByteArray script = readBytes(file("mantle.scp"));
        COMPARE_BYTES(script, scp::read_golden(u"scripts/edited.scp"_s));
        QVERIFY(script.contains("{\r\n\r\n\r\n0x01 caf\xE9.bmp 1 2\r\n0x02 \x80.bmp 3 4\r\n\r\n"
                                "\r\n\r\n}\r\n"));
        QVERIFY(script.contains("\r\n\t0x03 \xFF\xA0.bmp\r\n0x04 x.bmp\r\n\r\n}"));
        QVERIFY(script.contains("\r\n\x81\x8D\x8F\x90\x9D \x8C\x99\r\n\r\n}"));
    }

    void compileFailuresKeepTheOldScript()
    {
        const QByteArray old("previous script\r\n");
        writeBytes(file("mantle.scp"), old);
        scp::MemoryEntryLists set;
        set.lists().set_list_text(ListId::Items, u"line one\r\nbad \u015F here"_s);
        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(!workshop.compile_script(set.lists(), reporter));
        QCOMPARE(reporter.messages.size(), 1);
        const QString& message = reporter.messages.first();
        QVERIFY2(message.startsWith(u"failure: "_s), qPrintable(message));
        for (const QString& part :
             {u"mantle.scp"_s, u"the items list"_s, u"\u015F"_s, u"line 2"_s, u"column 5"_s})
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(readBytes(file("mantle.scp")), old);
        // The assembled text stays in the output buffer.
        QVERIFY(workshop.save().text().contains(u"bad \u015F here"_s));

        // A folder where the script should go: reported with the reason.
        QVERIFY(QFile::remove(file("mantle.scp")));
        QVERIFY(QDir(m_dir->path()).mkdir(u"mantle.scp"_s));
        set.lists().clear_list(ListId::Items);
        reporter.messages.clear();
        QVERIFY(!workshop.compile_script(set.lists(), reporter));
        QCOMPARE(reporter.messages.size(), 1);
        QVERIFY2(reporter.messages.first().contains(u"mantle.scp"_s),
                 qPrintable(reporter.messages.first()));
        QVERIFY(QFileInfo(file("mantle.scp")).isDir());
    }

    // --- section files -------------------------------------------------

    void saveWritesEachListAsItIs()
    {
        scp::MemoryEntryLists set;
        set.lists().clear_list(ListId::Tiles);
        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(workshop.save_all_sections(set.lists(), reporter));
        QCOMPARE(reporter.messages, QStringList{u"info: Gumps,Tiles,Items Saved!"_s});
        QCOMPARE(readBytes(file("gumps.scp")), QByteArray("GUMPS WILL LOAD HERE\r\n"));
        QCOMPARE(readBytes(file("tiles.scp")), QByteArray(""));
        QCOMPARE(readBytes(file("items.scp")), QByteArray("ITEMS WILL LOAD HERE\r\n"));
        QCOMPARE(QDir(m_dir->path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                     .size(),
                 3);
    }

    void saveAndLoadRoundTripEveryByte()
    {
        const QString all = scp::decode_cp1252(everyByte());
        scp::MemoryEntryLists saved;
        saved.lists().set_list_text(ListId::Gumps, all);
        saved.lists().set_list_text(ListId::Tiles, all + u"\r\n"_s);
        saved.lists().set_list_text(ListId::Items, u"x"_s + all);
        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(workshop.save_all_sections(saved.lists(), reporter));
        QCOMPARE(readBytes(file("gumps.scp")), everyByte());
        QCOMPARE(readBytes(file("tiles.scp")), everyByte() + "\r\n");
        QCOMPARE(readBytes(file("items.scp")), "x" + everyByte());

        scp::MemoryEntryLists loaded;
        QVERIFY(workshop.load_all_sections(loaded.lists(), reporter));
        for (ListId list : scp::kAllLists)
            QCOMPARE(loaded.lists().list_text(list), saved.lists().list_text(list));
        QCOMPARE(reporter.messages.size(), 1); // load shows nothing

        // ...and saving what was loaded gives the same files back.
        const QByteArray before = readBytes(file("items.scp"));
        QVERIFY(workshop.save_all_sections(loaded.lists(), reporter));
        QCOMPARE(readBytes(file("items.scp")), before);
    }

    void loadTakesFilesFromOtherPrograms()
    {
        // Lone LF or CR from another editor become CR LF; nothing else changes.
        writeBytes(file("gumps.scp"), "a\nb\rc");
        writeBytes(file("tiles.scp"), "");
        writeBytes(file("items.scp"), "{\\rtf1 not interpreted}");
        scp::MemoryEntryLists set;
        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(workshop.load_all_sections(set.lists(), reporter));
        QCOMPARE(set.lists().list_text(ListId::Gumps), u"a\r\nb\r\nc"_s);
        QCOMPARE(set.lists().list_text(ListId::Tiles), QString());
        QCOMPARE(set.lists().list_text(ListId::Items), u"{\\rtf1 not interpreted}"_s);
        QVERIFY(reporter.messages.isEmpty());
    }

    void failedSaveWritesNone_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::newRow("folder in the way") << u"folder"_s;
        QTest::newRow("unwritable character") << u"character"_s;
    }
    void failedSaveWritesNone()
    {
        QFETCH(QString, problem);
        writeBytes(file("gumps.scp"), "old gumps");
        // tiles.scp does not exist and must not appear.
        scp::MemoryEntryLists set;
        if (problem == u"folder"_s)
            QVERIFY(QDir(m_dir->path()).mkdir(u"items.scp"_s));
        else
            set.lists().set_list_text(ListId::Items, u"\u2192"_s);

        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(!workshop.save_all_sections(set.lists(), reporter));
        QCOMPARE(reporter.messages.size(), 1);
        QVERIFY2(reporter.messages.first().startsWith(u"failure: "_s),
                 qPrintable(reporter.messages.first()));
        QVERIFY2(reporter.messages.first().contains(u"items.scp"_s),
                 qPrintable(reporter.messages.first()));
        QCOMPARE(readBytes(file("gumps.scp")), QByteArray("old gumps"));
        QVERIFY(!QFile::exists(file("tiles.scp")));
        const QStringList left =
            QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left.size(), problem == u"folder"_s ? 2 : 1); // no temporary left behind
    }

    void failedLoadChangesNoList_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("gumps") << u"gumps.scp"_s;
        QTest::newRow("tiles") << u"tiles.scp"_s;
        QTest::newRow("items") << u"items.scp"_s;
    }
    void failedLoadChangesNoList()
    {
        QFETCH(QString, missing);
        for (const char* name : {"gumps.scp", "tiles.scp", "items.scp"})
            writeBytes(file(name), "from disk");
        QVERIFY(QFile::remove(m_dir->filePath(missing)));
        scp::MemoryEntryLists set;
        set.lists().set_list_text(ListId::Items, u"unsaved work"_s);

        scp::ScriptWorkshop workshop(QDir(m_dir->path()));
        RecordingReporter reporter;
        QVERIFY(!workshop.load_all_sections(set.lists(), reporter));
        QCOMPARE(reporter.messages.size(), 1);
        QVERIFY2(reporter.messages.first().contains(missing),
                 qPrintable(reporter.messages.first()));
        QVERIFY2(reporter.messages.first().contains(u"No such file or directory"_s),
                 qPrintable(reporter.messages.first()));
        QCOMPARE(set.lists().list_text(ListId::Gumps), scp::list_placeholder(ListId::Gumps));
        QCOMPARE(set.lists().list_text(ListId::Tiles), scp::list_placeholder(ListId::Tiles));
        QCOMPARE(set.lists().list_text(ListId::Items), u"unsaved work"_s);

        // A folder in place of the file is refused the same way.
        QVERIFY(QDir(m_dir->path()).mkdir(missing));
        reporter.messages.clear();
        QVERIFY(!workshop.load_all_sections(set.lists(), reporter));
        QVERIFY2(reporter.messages.value(0).contains(missing),
                 qPrintable(reporter.messages.value(0)));
        QCOMPARE(set.lists().list_text(ListId::Items), u"unsaved work"_s);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(ScriptWorkshopTest)
#include "tst_script_workshop.moc"
