#include "fail_on_warnings.h"
#include "recording_reporter.h"
#include "test_files.h"

#include "script/changed_files.h"
#include "script/folder_files.h"
#include "script/memory_entry_lists.h"
#include "text/cp1252.h"

#include <QDateTime>
#include <QTemporaryDir>

using scp::ListId;

class SectionFilesTest : public QObject {
    Q_OBJECT

    QString file(const char* name) const { return m_dir->filePath(QLatin1StringView(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<scp::FolderFiles> m_files;
    RecordingReporter m_reporter;

private Q_SLOTS:
    void init()
    {
        failOnQtWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
        m_files = std::make_unique<scp::FolderFiles>(QDir(m_dir->path()));
        m_reporter.messages.clear();
        m_reporter.asides = 0;
    }

    void scripts_data()
    {
        QTest::addColumn<QString>("lists");
        for (const char* lists : {"empty", "placeholders", "entries", "edited"})
            QTest::newRow(lists) << QString::fromLatin1(lists);
    }
    void scripts()
    {
        // The golden scripts were joined by hand from tests/data/blocks, apart from this code.
        QFETCH(QString, lists);
        scp::MemoryEntryLists set;
        auto& l = set.lists();
        if (lists == u"empty"_s) {
            for (ListId list : scp::kAllLists)
                l.clearList(list);
        } else if (lists == u"entries"_s) {
            // Two tiles on a line, an empty line before "}"; the gumps hint after the placeholder.
            l.clearList(ListId::Tiles);
            l.addEntry(ListId::Tiles, u"0x4000 tile1.bmp 44 44"_s);
            l.addEntry(ListId::Tiles, u"0x4001 tile2.bmp 44 44"_s);
            set.box(ListId::Gumps)
                .setText(scp::listPlaceholder(ListId::Gumps) + scp::spacerText(37) +
                         scp::fieldHint(ListId::Gumps));
            l.clearList(ListId::Items);
            l.addEntry(ListId::Items, u"0x2000 0 0 0 0 1 5 600 0 a sword"_s);
            l.addEntry(ListId::Items, u"0x2000 0 0 0 0 1 5 600 0 a sword"_s);
        } else if (lists == u"edited"_s) {
            // Typed line breaks of any kind and Windows-1252 letters.
            set.box(ListId::Gumps).setText(u"0x01 caf\u00E9.bmp 1 2\n0x02 \u20AC.bmp 3 4\r\r\n"_s);
            set.box(ListId::Tiles).setText(u"\t0x03 \u00FF\u00A0.bmp\r0x04 x.bmp"_s);
            set.box(ListId::Items).setText(u"\u0081\u008D\u008F\u0090\u009D \u0152\u2122"_s);
        }
        QVERIFY(m_files->script.compileScript(l, {}, m_reporter));
        QCOMPARE(m_reporter.messages, QStringList{u"info: Mantle.Scp has been created"_s});
        QCOMPARE(m_reporter.asides, 1); // the writing, where a window goes on painting
        const QByteArray script = readBytes(file("mantle.scp"));
        COMPARE_BYTES(script, readGolden(u"scripts/%1.scp"_s.arg(lists)));
        // The template's 287 tabs, should code and golden file both lose them.
        QVERIFY(lists != u"empty"_s || script.count('\t') == 287);
        QVERIFY(m_files->script.compileScript(l, {}, m_reporter)); // again: the same bytes
        QCOMPARE(readBytes(file("mantle.scp")), script);
    }

    // Nothing is written while a list holds a character with no byte; the list keeps it.
    void unwritableCharacterWritesNothing()
    {
        QVERIFY(writeBytes(file("mantle.scp"), "previous script\r\n"));
        const auto before = snapshot(m_dir->path());
        scp::MemoryEntryLists set;
        set.box(ListId::Items).setText(u"line one\r\nbad \u015F here"_s);
        scp::PatchInfoState patchInfo{QDir(m_dir->path())};
        QVERIFY(!m_files->script.compileScript(set.lists(), {}, m_reporter));
        QVERIFY(!scp::SectionFiles(QDir(m_dir->path()))
                     .saveSections(set.lists(), patchInfo, m_reporter));
        const QString reason = u"the items list has \"\u015F\" (U+015F) at line 2, column 5, "
                               u"which has no Windows-1252 byte"_s;
        QCOMPARE(m_reporter.messages,
                 QStringList({u"failure: Could not write \"%1\": %2"_s.arg(
                                  QDir::toNativeSeparators(file("mantle.scp")), reason),
                              u"failure: Could not write \"%1\": %2"_s.arg(
                                  QDir::toNativeSeparators(file("items.scp")), reason)}));
        QCOMPARE(snapshot(m_dir->path()), before);
        QCOMPARE(set.lists().listText(ListId::Items), u"line one\r\nbad \u015F here"_s);
    }

    // A save asks before it replaces a file changed since; a changed time alone is no change.
    void changedSinceRead_data()
    {
        QTest::addColumn<QString>("behind"); // since the folder was read
        QTest::addColumn<QStringList>("asked");
        const auto row = [](const char* name, const QString& behind, const QStringList& asked) {
            QTest::newRow(name) << behind << asked;
        };
        const QString changed = u"tiles.scp (changed since it was read or saved here)"_s;
        row("nothing", {}, {});
        row("changed", u"change"_s, {changed});
        row("touched", u"touch"_s, {});
        row("saved here, then changed", u"save"_s, {changed});
        row("made", u"make"_s, {u"items.scp (made since this editor started)"_s});
        row("never read", u"unread"_s,
            {u"gumps.scp (never read here)"_s, u"tiles.scp (never read here)"_s});
        row("unreadable", u"unreadable"_s,
            {u"gumps.scp (it could not be read, so what it holds on disk would be replaced by "
             u"the gumps list shown)"_s});
        row("patch.ini, with the patch info unsaved", u"patch info"_s,
            {u"patch.ini (made since this editor started)"_s});
    }
    void changedSinceRead()
    {
        QFETCH(QString, behind);
        QFETCH(QStringList, asked);
        QVERIFY(writeBytes(file("gumps.scp"), "g") && writeBytes(file("tiles.scp"), "t"));
        scp::FolderContents read = m_files->sections.readEach(m_files->patchInfo);
        read.sections[0].read = behind != u"unreadable"_s;
        if (behind != u"unread"_s)
            m_files->sections.rememberSections(read.sections);
        m_files->patchInfo.rememberPatchInfo(*read.patchInfo);
        scp::MemoryEntryLists set;
        if (behind == u"save"_s)
            QVERIFY(m_files->sections.saveSections(set.lists(), m_files->patchInfo, m_reporter) &&
                    m_reporter.asides == 1);
        QFile tiles(file("tiles.scp"));
        if (behind == u"change"_s || behind == u"touch"_s || behind == u"save"_s) {
            // The same size: only the time, and then the bytes, tell.
            QVERIFY(tiles.open(QIODevice::ReadWrite));
            if (behind != u"touch"_s)
                QVERIFY(tiles.write(behind == u"save"_s ? "X" : "T") == 1);
            QVERIFY(tiles.setFileTime(QDateTime::currentDateTime().addSecs(10),
                                      QFile::FileModificationTime));
            tiles.close();
        } else if (behind == u"make"_s) {
            QVERIFY(writeBytes(file("items.scp"), "their items"));
        } else if (behind == u"patch info"_s) {
            m_files->patchInfo.setPatchInfo(scp::PatchInfo::defaults());
            QVERIFY(writeBytes(file("patch.ini"), "[script]\n"));
        }
        const scp::ChangedFiles changed = scp::changedSinceRead(*m_files);
        QCOMPARE(changed.files, asked);
        QCOMPARE(changed.unreadable, behind == u"unreadable"_s ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(SectionFilesTest)
#include "tst_section_files.moc"
