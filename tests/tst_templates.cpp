#include "golden.h"
#include "script/templates.h"

#include <QTest>

using namespace Qt::StringLiterals;
using scp::Block;

namespace {

QString golden_name(Block block)
{
    switch (block) {
    case Block::Parca1:
        return u"blocks/parca1.txt"_s;
    case Block::Parca2:
        return u"blocks/parca2.txt"_s;
    case Block::Parca3:
        return u"blocks/parca3.txt"_s;
    case Block::Parca4:
        return u"blocks/parca4.txt"_s;
    case Block::Bosluk:
        return u"blocks/bosluk.txt"_s;
    }
    return {};
}

// Only the lines, each without its CR LF; the block's line ends are checked
// separately.
QStringList lines_of(const QString& text)
{
    QStringList lines = text.split(u"\r\n"_s);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void add_block_rows()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("tabCount");
    QTest::newRow("parca1") << Block::Parca1 << 35 << 20;
    QTest::newRow("parca2") << Block::Parca2 << 12 << 11;
    QTest::newRow("parca3") << Block::Parca3 << 44 << 256;
    QTest::newRow("parca4") << Block::Parca4 << 12 << 0;
    QTest::newRow("bosluk") << Block::Bosluk << 2 << 0;
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matches_golden_file_byte_for_byte_data() { add_block_rows(); }
    void matches_golden_file_byte_for_byte()
    {
        QFETCH(Block, block);
        const QString text = scp::template_text(block);
        const QByteArray expected = scp::read_golden(golden_name(block));
        QVERIFY2(!expected.isNull(), qPrintable(scp::golden_path(golden_name(block))));

        // Checked before the byte conversion, which would hide a stray
        // character behind a '?'.
        for (qsizetype i = 0; i < text.size(); ++i)
            QVERIFY2(text.at(i).unicode() < 0x80,
                     qPrintable(u"non-ASCII U+%1 at %2"_s.arg(text.at(i).unicode(), 4, 16).arg(i)));
        const QByteArray actual = text.toLatin1();
        const QString difference = scp::first_difference(actual, expected);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // Every line ends in CR LF, the last included, and no CR or LF stands
    // alone: the patching tool reads nothing else. The line and tab counts
    // hold even if the code and its golden file were both edited alike, say
    // by an editor that turns tabs into spaces.
    void line_ends_and_tabs_data() { add_block_rows(); }
    void line_ends_and_tabs()
    {
        QFETCH(Block, block);
        QFETCH(int, lineCount);
        QFETCH(int, tabCount);
        const QString text = scp::template_text(block);
        QVERIFY(text.endsWith(u"\r\n"_s));
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == u'\r')
                QVERIFY2(i + 1 < text.size() && text.at(i + 1) == u'\n',
                         qPrintable(u"lone CR at %1"_s.arg(i)));
            if (text.at(i) == u'\n')
                QVERIFY2(i > 0 && text.at(i - 1) == u'\r', qPrintable(u"lone LF at %1"_s.arg(i)));
        }
        QCOMPARE(text.count(u"\r\n"_s), lineCount);
        QCOMPARE(text.count(u'\t'), tabCount);
    }

    // Each list in the script stands between a block ending with "{" and
    // the next one beginning with "}", so the braces balance.
    void blocks_open_and_close_the_list_sections()
    {
        const Block opening[] = {Block::Parca1, Block::Parca2, Block::Parca3};
        const Block closing[] = {Block::Parca2, Block::Parca3, Block::Parca4};
        for (Block block : opening)
            QVERIFY2(scp::template_text(block).endsWith(u"\r\n{\r\n"_s),
                     qPrintable(golden_name(block)));
        for (Block block : closing)
            QVERIFY2(scp::template_text(block).startsWith(u"}\r\n"_s),
                     qPrintable(golden_name(block)));

        const QString tiles = scp::template_text(Block::Parca1);
        const QString gumps = scp::template_text(Block::Parca2);
        const QString items = scp::template_text(Block::Parca3);
        QVERIFY(tiles.endsWith(u"SECTION TILES\r\n{\r\n"_s));
        QVERIFY(gumps.endsWith(u"SECTION GUMPS\r\n{\r\n"_s));
        QVERIFY(items.endsWith(u"SECTION ITEMS\r\n{\r\n"_s));
    }

    // The About window shows the same mail address and contact number, so
    // the banner must take them from the one place both read.
    void banner_shows_the_project_contacts()
    {
        const QStringList lines = lines_of(scp::template_text(Block::Parca1));
        QVERIFY(lines.size() >= 7);
        QVERIFY2(lines.at(4).startsWith(u"//Mail="_s +
                                        QLatin1StringView(scp::project::kAuthorMail) + u' '),
                 qPrintable(lines.at(4)));
        QVERIFY2(lines.at(5).startsWith(u"//Icq="_s +
                                        QLatin1StringView(scp::project::kContactNumber) + u' '),
                 qPrintable(lines.at(5)));
        for (int i = 0; i < 7; ++i)
            QVERIFY2(lines.at(i).startsWith(u"//"_s) && lines.at(i).endsWith(u" //"_s),
                     qPrintable(lines.at(i)));
    }

    void bosluk_is_two_empty_lines() { QCOMPARE(scp::template_text(Block::Bosluk), u"\r\n\r\n"_s); }

    // The helper the golden checks rely on must point at the right byte and
    // make invisible differences visible.
    void first_difference_names_line_and_column_data()
    {
        QTest::addColumn<QByteArray>("actual");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("report");
        QTest::newRow("equal") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n") << QString();
        QTest::newRow("tab for spaces")
            << QByteArray("x\r\n//  //\r\n") << QByteArray("x\r\n//\t//\r\n")
            << u"first difference at line 2, column 3 (byte 5; actual 11 bytes, expected 10)\n"
               "  actual:   //  //\\r\\n\n"
               "  expected: //\\t//\\r\\n"_s;
        QTest::newRow("LF for CR LF")
            << QByteArray("ab\n") << QByteArray("ab\r\n")
            << u"first difference at line 1, column 3 (byte 2; actual 3 bytes, expected 4)\n"
               "  actual:   ab\\n\n"
               "  expected: ab\\r\\n"_s;
        QTest::newRow("actual ends early")
            << QByteArray("a\r\n") << QByteArray("a\r\nb\xe9")
            << u"first difference at line 2, column 1 (byte 3; actual 3 bytes, expected 5)\n"
               "  actual:   <end of data>\n"
               "  expected: b\\xe9"_s;
    }
    void first_difference_names_line_and_column()
    {
        QFETCH(QByteArray, actual);
        QFETCH(QByteArray, expected);
        QFETCH(QString, report);
        QCOMPARE(scp::first_difference(actual, expected), report);
    }

    // A list is one long line; the report shows a window around the byte.
    void first_difference_cuts_long_lines()
    {
        const QByteArray expected = QByteArray(500, 'a') + "X" + QByteArray(500, 'a');
        QByteArray actual = expected;
        actual[500] = 'Y';
        const QString report = scp::first_difference(actual, expected);
        QVERIFY2(report.startsWith(u"first difference at line 1, column 501 "_s),
                 qPrintable(report));
        const QString before(40, u'a');
        QVERIFY2(report.contains(u"actual:   ..."_s + before + u"Ya"_s), qPrintable(report));
        QVERIFY2(report.contains(u"expected: ..."_s + before + u"Xa"_s), qPrintable(report));
        QVERIFY2(report.size() < 300, qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(TestTemplates)
#include "tst_templates.moc"
